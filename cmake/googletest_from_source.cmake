# A cross build cannot use the host's GoogleTest libraries, so it builds
# GoogleTest from the sources Debian ships in the googletest package. It names
# its targets as find_package(GTest) would (GTest::gtest, GTest::gtest_main).
set(QUILLO_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources for cross builds")
if(NOT EXISTS ${QUILLO_GOOGLETEST_SOURCE}/CMakeLists.txt)
    message(FATAL_ERROR "No GoogleTest sources in ${QUILLO_GOOGLETEST_SOURCE}: "
                        "install Debian's googletest package")
endif()

set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${QUILLO_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

foreach(target gtest gtest_main)
    # Our warning flags are for our code; GoogleTest keeps its own.
    set_target_properties(${target} PROPERTIES COMPILE_OPTIONS "")
    get_target_property(includes ${target} INTERFACE_INCLUDE_DIRECTORIES)
    set_target_properties(${target} PROPERTIES INTERFACE_SYSTEM_INCLUDE_DIRECTORIES "${includes}")
endforeach()

# Listing a cross-built program's tests means running it under the emulator:
# leave that to ctest, so that building needs no Wine.
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
