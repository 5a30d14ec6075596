# Stand-ins on systems other than Windows (no registry, xdg-open for the editor,
# code page 936 through iconv).
target_sources(quillo_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/iconv_codec.cpp
    ${CMAKE_CURRENT_LIST_DIR}/make_system_services.cpp
    ${CMAKE_CURRENT_LIST_DIR}/posix_file_system.cpp
    ${CMAKE_CURRENT_LIST_DIR}/xdg_processes.cpp
)
# Qt places the window and shows the message boxes; under an X11 window
# manager the frame is placed through the X server (libxcb), and so are the
# answers of a drag for its text.
set(quillo_window_system_sources
    ${CMAKE_CURRENT_LIST_DIR}/../x11/make_window_system.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../x11/x11_drag_source.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../x11/x11_window_system.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../x11/xcb_connection.cpp
)
set(quillo_window_system_packages xcb)
