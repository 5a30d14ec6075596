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
# The answers for a text, and their transfer in pieces, are free of Qt and of
# libxcb, so that the unit tests see them.
target_sources(quillo_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/incr_transfers.cpp
    ${CMAKE_CURRENT_LIST_DIR}/text_offer.cpp
)
