# The end-to-end cases (quillo_e2e.py CASE [ROW]), and where each runs:
#   bare     the program on an Xvfb of its own, with no window manager
#   openbox  the same under Openbox, which frames and stacks the windows
#   fluxbox  under Fluxbox, which tells the frame only once the window shows
#   jwm      under JWM, which keeps windows in layers
#   wine     quillo.exe under Wine, on the X server of the test stage
#   gnome-wayland  GNOME's Wayland session (mutter), the program through Xwayland
#   kwin, sway     KWin's and sway's Wayland sessions, the program native there
# The folder that includes this runs its columns (quillo_e2e_columns) with
# quillo_e2e_command and quillo_e2e_properties, and names each test
# <quillo_e2e_prefix>[_<window manager>]_<case>[_<row>]. A window manager is
# one more column here, in tests/e2e/CMakeLists.txt and in window_managers.py.
function(quillo_e2e_test case)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "IN")
    foreach(column IN LISTS arg_IN)
        if(NOT column IN_LIST quillo_e2e_columns)
            continue()
        endif()
        set(manager)
        set(options)
        if(NOT column MATCHES "^(bare|wine)$")
            set(manager ${column})
            set(options --window-manager ${column})
        endif()
        string(JOIN _ name ${quillo_e2e_prefix} ${manager} ${case} ${arg_UNPARSED_ARGUMENTS})
        add_test(NAME ${name}
            COMMAND ${quillo_e2e_command} ${options} ${case} ${arg_UNPARSED_ARGUMENTS})
        set_tests_properties(${name} PROPERTIES ${quillo_e2e_properties})
    endforeach()
endfunction()

quillo_e2e_test(startup scale-100              IN bare openbox fluxbox wine kwin sway)
quillo_e2e_test(on-top                         IN kwin sway)
quillo_e2e_test(startup scale-150              IN bare openbox fluxbox wine)
quillo_e2e_test(fatal missing-file             IN bare openbox jwm wine)
quillo_e2e_test(fatal too-many-entries         IN bare wine)
quillo_e2e_test(fatal data-is-directory        IN bare)
quillo_e2e_test(fatal no-read-permission       IN bare)
quillo_e2e_test(fatal 50mb-line                IN bare)
quillo_e2e_test(fatal named-pipe               IN bare)
quillo_e2e_test(fatal link-to-dev-zero         IN bare)
quillo_e2e_test(fatal link-to-dev-urandom      IN bare)
quillo_e2e_test(loads empty-file               IN bare)
quillo_e2e_test(loads binary-garbage           IN bare)
quillo_e2e_test(loads 50mb-of-free-lines       IN bare)
quillo_e2e_test(no-desktop display-unset       IN bare)
quillo_e2e_test(no-desktop display-unreachable IN bare)
quillo_e2e_test(drag chinese                   IN bare openbox wine)
quillo_e2e_test(drag equals-and-spaces         IN bare wine)
quillo_e2e_test(drag long                      IN bare wine)
quillo_e2e_test(drag chinese-utf-16            IN bare)
quillo_e2e_test(drag chinese-gbk               IN bare wine)
quillo_e2e_test(drag largest                   IN bare)
quillo_e2e_test(drop-into chromium             IN bare)
quillo_e2e_test(drop-into mousepad             IN bare gnome-wayland kwin sway)
quillo_e2e_test(drop-into gnome-text-editor    IN bare kwin sway)
quillo_e2e_test(scroll-pages                   IN bare wine)
quillo_e2e_test(scroll-reversed                IN bare wine)
quillo_e2e_test(menu-exit                      IN bare wine)
quillo_e2e_test(menu-edit plain                IN bare wine)
quillo_e2e_test(menu-edit shell-characters     IN bare)
quillo_e2e_test(menu-edit korean               IN wine)
quillo_e2e_test(menu-edit beyond-bmp           IN wine)
quillo_e2e_test(menu-copy                      IN bare wine)
quillo_e2e_test(dialog help                    IN bare openbox jwm wine kwin sway)
quillo_e2e_test(dialog about                   IN bare openbox jwm wine)
quillo_e2e_test(sysinfo unavailable            IN bare openbox jwm wine)
quillo_e2e_test(sysinfo registered             IN wine)
quillo_e2e_test(planted-dlls                   IN wine)
quillo_e2e_test(planted-qt-conf                IN bare wine)
