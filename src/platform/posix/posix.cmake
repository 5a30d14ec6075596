# Stand-ins on systems other than Windows (no registry, xdg-open for the editor,
# code page 936 through iconv).
target_sources(quillo_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/iconv_codec.cpp
    ${CMAKE_CURRENT_LIST_DIR}/make_system_services.cpp
    ${CMAKE_CURRENT_LIST_DIR}/posix_file_system.cpp
    ${CMAKE_CURRENT_LIST_DIR}/xdg_processes.cpp
)
