# Checks that every C++ source of ours is formatted as .clang-format says: clang-format's dry run,
# warnings as errors, names each line that would change. Run as:
#   cmake -DSOURCE_DIR=<repository> -DCLANG_FORMAT=<clang-format> -P check-format.cmake
# Mend a failure with `clang-format -i FILE...` from the repository.
if(NOT SOURCE_DIR OR NOT CLANG_FORMAT)
    message(FATAL_ERROR "usage: cmake -DSOURCE_DIR=<repository> -DCLANG_FORMAT=<clang-format> -P check-format.cmake")
endif()
if(NOT EXISTS "${CLANG_FORMAT}")
    message(FATAL_ERROR "clang-format was not found when the build was configured "
                        "(scripts/install-deps.sh test installs it)")
endif()

set(folders app base bench fuzz imaging rtf site tablet tests ui)
set(files "")
foreach(folder IN LISTS folders)
    file(GLOB_RECURSE found LIST_DIRECTORIES false RELATIVE "${SOURCE_DIR}"
         "${SOURCE_DIR}/${folder}/*.cpp" "${SOURCE_DIR}/${folder}/*.h")
    list(APPEND files ${found})
endforeach()
list(LENGTH files count)
if(count EQUAL 0)
    message(FATAL_ERROR "no sources found under ${SOURCE_DIR}")
endif()
list(SORT files)

execute_process(COMMAND "${CLANG_FORMAT}" --dry-run -Werror ${files}
                WORKING_DIRECTORY "${SOURCE_DIR}"
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "some of the ${count} sources are not formatted as .clang-format says "
                        "(above); `clang-format -i FILE...` mends them")
endif()
message(STATUS "${count} sources formatted as .clang-format says")
