# GoogleTest for the tests. A native build uses the installed one; a cross build compiles it for
# the target from Debian's sources (package googletest), without fetching anything.
set(ONDREL_GOOGLETEST_SOURCE_DIR "/usr/src/googletest" CACHE PATH
    "GoogleTest sources, built for the target when cross-compiling")
if(CMAKE_CROSSCOMPILING)
    if(NOT EXISTS "${ONDREL_GOOGLETEST_SOURCE_DIR}/CMakeLists.txt")
        message(FATAL_ERROR "No GoogleTest sources at ${ONDREL_GOOGLETEST_SOURCE_DIR}: "
                            "install the googletest package")
    endif()
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
    # GoogleTest's own code is not held to this project's warnings.
    get_directory_property(ondrel_saved_compile_options COMPILE_OPTIONS)
    set_directory_properties(PROPERTIES COMPILE_OPTIONS "")
    add_subdirectory("${ONDREL_GOOGLETEST_SOURCE_DIR}" "${PROJECT_BINARY_DIR}/googletest"
                     EXCLUDE_FROM_ALL SYSTEM)
    set_directory_properties(PROPERTIES COMPILE_OPTIONS "${ondrel_saved_compile_options}")
    if(NOT TARGET GTest::gtest)
        add_library(GTest::gtest ALIAS gtest)
        add_library(GTest::gtest_main ALIAS gtest_main)
    endif()
else()
    find_package(GTest REQUIRED)
endif()
