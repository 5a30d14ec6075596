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
set(quillo_window_system_sources
    ${CMAKE_CURRENT_LIST_DIR}/../qt/make_drag_source.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../qt/make_window_system_win32.cpp
)

# The DLLs quillo.exe imports, through Qt, that are no KnownDLLs: Windows would
# look for each in the program's folder first. They are delay-loaded instead,
# through import libraries made here that come first on the link path, and
# system_dlls.cpp loads them from the system folder. The imports check of the
# tests fails on any other DLL a later Qt may add.
add_library(quillo_system_dlls INTERFACE)
set_target_properties(quillo_system_dlls PROPERTIES QUILLO_DLLS
    "authz;d3d11;d3d9;dwmapi;dxgi;netapi32;userenv;uxtheme;version;winmm;wtsapi32")
# A shared Qt (the Qt installer's) imports them in its own DLLs, and loads its
# plugins from the program's folder, so this is for the one-file quillo.exe.
if(TARGET Qt6::Core)
    get_target_property(qt_type Qt6::Core TYPE)
endif()
if(MINGW AND NOT qt_type STREQUAL "SHARED_LIBRARY")
    set(delay_dir ${CMAKE_BINARY_DIR}/delay-imports)
    file(MAKE_DIRECTORY ${delay_dir})
    get_target_property(dlls quillo_system_dlls QUILLO_DLLS)
    set(delay_libs)
    foreach(dll IN LISTS dlls)
        find_library(QUILLO_IMPORT_LIB_${dll} ${dll} REQUIRED)
        add_custom_command(OUTPUT ${delay_dir}/lib${dll}.a
            COMMAND ${CMAKE_COMMAND} -DNM=${CMAKE_NM} -DIMPORT_LIB=${QUILLO_IMPORT_LIB_${dll}}
                -DDLL=${dll}.dll -DDEF=${dll}.def -P ${CMAKE_CURRENT_LIST_DIR}/exports_def.cmake
            COMMAND ${CMAKE_DLLTOOL} --input-def ${dll}.def --output-delaylib lib${dll}.a
                --dllname ${dll}.dll
            WORKING_DIRECTORY ${delay_dir}
            DEPENDS ${QUILLO_IMPORT_LIB_${dll}} ${CMAKE_CURRENT_LIST_DIR}/exports_def.cmake
            VERBATIM)
        list(APPEND delay_libs ${delay_dir}/lib${dll}.a)
    endforeach()
    add_custom_target(quillo_delay_imports DEPENDS ${delay_libs})
    add_dependencies(quillo_system_dlls quillo_delay_imports)
    target_sources(quillo_system_dlls INTERFACE ${CMAKE_CURRENT_LIST_DIR}/system_dlls.cpp)
    target_link_directories(quillo_system_dlls INTERFACE ${delay_dir})
endif()
