# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 and runs the results
# under Wine. The -posix compilers are needed because GoogleTest uses std::mutex,
# which the win32 thread model lacks; -static spares the tests the MinGW DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QUILLO_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QUILLO_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUILLO_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${QUILLO_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QUILLO_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

find_program(QUILLO_WINE wine REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${QUILLO_WINE})
