# X11, where the system has it: under a window manager the frame is placed
# through the X server (libxcb), and so are the answers of a drag for its
# text. Each falls back on Qt's own when the program runs elsewhere.
set(quillo_window_system_sources
    ${CMAKE_CURRENT_LIST_DIR}/make_drag_source.cpp
    ${CMAKE_CURRENT_LIST_DIR}/make_window_system.cpp
    ${CMAKE_CURRENT_LIST_DIR}/x11_drag_source.cpp
    ${CMAKE_CURRENT_LIST_DIR}/x11_window_system.cpp
    ${CMAKE_CURRENT_LIST_DIR}/xcb_connection.cpp
)
set(quillo_window_system_packages xcb)
