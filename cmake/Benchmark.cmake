# Google Benchmark for bench/. A native build uses the installed one; a cross build compiles it
# for the target from a source tree named by ONDREL_BENCHMARK_SOURCE_DIR (Debian's source package
# of benchmark, for instance), and leaves the benchmarks out without one.
set(ONDREL_BENCHMARK_SOURCE_DIR "" CACHE PATH
    "Google Benchmark sources, built for the target when cross-compiling")
if(CMAKE_CROSSCOMPILING)
    if(ONDREL_BENCHMARK_SOURCE_DIR AND EXISTS "${ONDREL_BENCHMARK_SOURCE_DIR}/CMakeLists.txt")
        set(BENCHMARK_ENABLE_TESTING OFF CACHE BOOL "" FORCE)
        set(BENCHMARK_ENABLE_GTEST_TESTS OFF CACHE BOOL "" FORCE)
        set(BENCHMARK_ENABLE_INSTALL OFF CACHE BOOL "" FORCE)
        set(BENCHMARK_ENABLE_WERROR OFF CACHE BOOL "" FORCE)
        set(GIT_VERSION "0.0.0")  # Debian's sources take the version from project()
        get_directory_property(ondrel_saved_compile_options COMPILE_OPTIONS)
        set_directory_properties(PROPERTIES COMPILE_OPTIONS "")
        add_subdirectory("${ONDREL_BENCHMARK_SOURCE_DIR}" "${PROJECT_BINARY_DIR}/benchmark"
                         EXCLUDE_FROM_ALL SYSTEM)
        set_directory_properties(PROPERTIES COMPILE_OPTIONS "${ondrel_saved_compile_options}")
        set(benchmark_FOUND TRUE)
    endif()
else()
    find_package(benchmark QUIET)
endif()
