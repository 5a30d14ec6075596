# The Windows backend: kernel32, user32 and advapi32, no Qt. The window system
# is here too, so the placement code builds and is tested without the forms.
target_sources(quillo_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/make_system_services.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win32_file_system.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win32_processes.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win32_registry.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win32_text_codec.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win32_window_system.cpp
)
target_compile_definitions(quillo_core PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX)
target_link_libraries(quillo_core PUBLIC advapi32 user32)
# SetWindowPos places the window; Qt shows the message boxes.
set(quillo_window_system_source ${CMAKE_CURRENT_LIST_DIR}/../qt/make_window_system_win32.cpp)
