# Quillo native on Wayland, where the compositor offers wlroots' layer shell
# (KWin, sway): a shell integration of Qt's Wayland client, in a library beside
# the program (libquillo_wayland.so) that it loads on a Wayland session alone
# (platform/layer_shell.h says why). Qt 6.4 has no public API for it, and Debian packages no private
# headers of Qt's Wayland client: they come from Debian's source of the module
# at the installed version (scripts/fetch-qtwayland-source), and the code
# generated from its protocols. Without them, or for another version of Qt,
# the program is built without the integration and keeps XWayland.
#
# Adds to quillo_forms, on every system but Windows, what loads the library
# (quillo_wayland) when it can be built, otherwise the stand-in that finds no
# layer shell.
if(WIN32)
    target_sources(quillo_forms PRIVATE ${CMAKE_CURRENT_LIST_DIR}/no_layer_shell.cpp)
    return()
endif()

set(quillo_cache $ENV{QUILLO_CACHE})
if(NOT quillo_cache)
    set(quillo_cache /var/cache/quillo)
endif()
set(QUILLO_QTWAYLAND_SOURCE ${quillo_cache}/qtwayland-${Qt6_VERSION}/qt6-wayland-${Qt6_VERSION}
    CACHE PATH "Debian's source of Qt's Wayland module, at the version of the installed Qt")

# Why the integration cannot be built, if it cannot.
set(quillo_no_layer_shell "")
# Global: the tests link the forms too, from folders of their own.
set(CMAKE_FIND_PACKAGE_TARGETS_GLOBAL ON)
find_package(Qt6 QUIET COMPONENTS WaylandClient WaylandScannerTools)
set(CMAKE_FIND_PACKAGE_TARGETS_GLOBAL OFF)
find_program(QUILLO_WAYLAND_SCANNER wayland-scanner)
find_package(PkgConfig)
if(PkgConfig_FOUND)
    pkg_check_modules(QUILLO_WAYLAND_CLIENT QUIET IMPORTED_TARGET GLOBAL wayland-client)
endif()
set(quillo_source_version "")
if(EXISTS ${QUILLO_QTWAYLAND_SOURCE}/.cmake.conf)
    file(STRINGS ${QUILLO_QTWAYLAND_SOURCE}/.cmake.conf quillo_source_version
         REGEX "QT_REPO_MODULE_VERSION")
    string(REGEX MATCH "[0-9]+\\.[0-9]+\\.[0-9]+" quillo_source_version "${quillo_source_version}")
endif()
if(NOT Qt6WaylandClient_FOUND OR NOT TARGET Qt6::qtwaylandscanner)
    set(quillo_no_layer_shell "Qt's Wayland client is not installed (qt6-wayland-dev, qt6-wayland-dev-tools)")
elseif(NOT QUILLO_WAYLAND_SCANNER OR NOT QUILLO_WAYLAND_CLIENT_FOUND)
    set(quillo_no_layer_shell "libwayland-dev is not installed")
elseif(NOT EXISTS ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_HEADERS}/QtGui/${Qt6_VERSION}/QtGui/qpa)
    set(quillo_no_layer_shell "Qt's private headers are not installed (qt6-base-private-dev)")
elseif(NOT quillo_source_version)
    set(quillo_no_layer_shell "the source of Qt's Wayland module is not in ${QUILLO_QTWAYLAND_SOURCE} (scripts/fetch-qtwayland-source)")
elseif(NOT quillo_source_version VERSION_EQUAL Qt6WaylandClient_VERSION)
    set(quillo_no_layer_shell "its private headers are of Qt ${quillo_source_version}, Qt's Wayland client is ${Qt6WaylandClient_VERSION}")
endif()
if(quillo_no_layer_shell)
    message(STATUS "Wayland layer shell: not built, ${quillo_no_layer_shell}; "
                   "on Wayland Quillo runs through XWayland")
    target_sources(quillo_forms PRIVATE ${CMAKE_CURRENT_LIST_DIR}/no_layer_shell.cpp)
    return()
endif()
message(STATUS "Wayland layer shell: built against Qt's Wayland client ${Qt6WaylandClient_VERSION}, "
               "private headers from ${QUILLO_QTWAYLAND_SOURCE}")

enable_language(C)
set(quillo_generated ${CMAKE_CURRENT_BINARY_DIR}/wayland-generated)
set(quillo_qt_private ${quillo_generated}/QtWaylandClient/private)

# The features that Qt's private headers test, as this Qt was built: those of
# its Wayland client from its CMake package, those of the module's base as its
# configure step decides them.
get_target_property(quillo_features Qt6::WaylandClient QT_ENABLED_PRIVATE_FEATURES)
set(quillo_config "")
foreach(feature IN LISTS quillo_features)
    string(APPEND quillo_config "#define QT_FEATURE_${feature} 1\n")
endforeach()
file(CONFIGURE OUTPUT ${quillo_qt_private}/qtwaylandclient-config_p.h CONTENT "${quillo_config}")
file(CONFIGURE OUTPUT ${quillo_generated}/QtWaylandGlobal/private/qtwaylandglobal-config_p.h CONTENT
"#define QT_FEATURE_wayland_client 1
#define QT_FEATURE_wayland_datadevice ((QT_FEATURE_draganddrop == 1 || QT_FEATURE_clipboard == 1) ? 1 : -1)
#define QT_FEATURE_wayland_text_input_v4_wip -1
")

# The C and Qt code of a protocol: for Qt's own protocols the headers its
# private headers include, for ours the code too.
function(quillo_wayland_protocol xml)
    cmake_parse_arguments(arg "QT_PRIVATE" "" "" ${ARGN})
    get_filename_component(name ${xml} NAME_WLE)
    if(arg_QT_PRIVATE)
        set(dir ${quillo_qt_private})
        set(header_path QtWaylandClient/private)
        set(core --include-core-only)
    else()
        set(dir ${quillo_generated})
        set(header_path "")
        set(core "")
    endif()
    set(c_header ${dir}/wayland-${name}-client-protocol.h)
    set(qt_header ${dir}/qwayland-${name}.h)
    add_custom_command(OUTPUT ${c_header} ${qt_header}
        COMMAND ${QUILLO_WAYLAND_SCANNER} --strict ${core} client-header ${xml} ${c_header}
        COMMAND Qt6::qtwaylandscanner client-header ${xml} --header-path=${header_path} > ${qt_header}
        DEPENDS ${xml} VERBATIM)
    set(outputs ${c_header} ${qt_header})
    if(NOT arg_QT_PRIVATE)
        set(c_code ${dir}/wayland-${name}-protocol.c)
        set(qt_code ${dir}/qwayland-${name}.cpp)
        add_custom_command(OUTPUT ${c_code} ${qt_code}
            COMMAND ${QUILLO_WAYLAND_SCANNER} --strict private-code ${xml} ${c_code}
            COMMAND Qt6::qtwaylandscanner client-code ${xml} > ${qt_code}
            DEPENDS ${xml} VERBATIM)
        list(APPEND outputs ${c_code} ${qt_code})
    endif()
    target_sources(quillo_wayland PRIVATE ${outputs})
endfunction()

add_library(quillo_wayland MODULE
    ${CMAKE_CURRENT_LIST_DIR}/../caption_frame.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../layer_placement.cpp
    ${CMAKE_CURRENT_LIST_DIR}/caption_decoration.cpp
    ${CMAKE_CURRENT_LIST_DIR}/caption_decoration_plugin.cpp
    ${CMAKE_CURRENT_LIST_DIR}/last_frame.cpp
    ${CMAKE_CURRENT_LIST_DIR}/layer_shell_integration.cpp
    ${CMAKE_CURRENT_LIST_DIR}/layer_shell_plugin.cpp
    ${CMAKE_CURRENT_LIST_DIR}/layer_shell_probe.cpp
    ${CMAKE_CURRENT_LIST_DIR}/layer_surface.cpp
    ${CMAKE_CURRENT_LIST_DIR}/popup_surface.cpp
    ${CMAKE_CURRENT_LIST_DIR}/surface_origin.cpp
)
set(quillo_protocols ${QUILLO_QTWAYLAND_SOURCE}/src/3rdparty/protocol)
foreach(protocol wayland pointer-gestures-unstable-v1 xdg-output-unstable-v1)
    quillo_wayland_protocol(${quillo_protocols}/${protocol}.xml QT_PRIVATE)
endforeach()
quillo_wayland_protocol(${quillo_protocols}/xdg-shell.xml)
quillo_wayland_protocol(${CMAKE_CURRENT_LIST_DIR}/wlr-layer-shell-unstable-v1.xml)
# The plugins are found among Qt's static plugins, registered as the library
# loads.
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/layer_shell_plugin.cpp
    ${CMAKE_CURRENT_LIST_DIR}/caption_decoration_plugin.cpp
    PROPERTIES COMPILE_DEFINITIONS QT_STATICPLUGIN)
# Beside the program, built with it; its entry point alone is seen from outside.
set_target_properties(quillo_wayland PROPERTIES
    LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
target_include_directories(quillo_wayland SYSTEM PRIVATE
    ${quillo_generated}
    ${QUILLO_QTWAYLAND_SOURCE}/include/QtWaylandClient/${Qt6WaylandClient_VERSION})
target_include_directories(quillo_wayland PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../..)
target_link_options(quillo_wayland PRIVATE -Wl,--no-undefined)
# Qt's private headers of its Wayland client, parsed once (the C code has none).
target_precompile_headers(quillo_wayland PRIVATE
    $<$<COMPILE_LANGUAGE:CXX>:<QtWaylandClient/private/qwaylanddisplay_p.h$<ANGLE-R>>
    $<$<COMPILE_LANGUAGE:CXX>:<QtWaylandClient/private/qwaylandwindow_p.h$<ANGLE-R>>)
target_link_libraries(quillo_wayland PRIVATE
    Qt6::WaylandClient Qt6::GuiPrivate PkgConfig::QUILLO_WAYLAND_CLIENT)
target_sources(quillo_forms PRIVATE ${CMAKE_CURRENT_LIST_DIR}/layer_shell_library.cpp)
target_link_libraries(quillo_forms PRIVATE ${CMAKE_DL_LIBS})
add_dependencies(quillo_forms quillo_wayland)
install(TARGETS quillo_wayland LIBRARY DESTINATION .)
