# Checks that every include of the program's own headers runs down the layers, never up or
# sideways. Run as: cmake -DSOURCE_DIR=<repository> -P check-layers.cmake
#
# A file belongs to the deepest folder of this table that contains it; it may include headers
# from the folders listed for it (and from their sub-folders). The build enforces the same rule
# through each library's include directories; this test says it in words when it breaks.
set(layers
    "base:base"
    "site:site"
    "tablet/protocol:tablet/protocol"
    "tablet/usb:tablet/usb tablet/protocol"
    "tablet/sim:tablet/sim tablet/usb tablet/protocol"
    "tablet:tablet"
    "imaging:imaging base tablet/protocol"
    "rtf:rtf"
    "ui/rules:ui/rules base"
    "ui:ui/ rtf imaging base site tablet/protocol tablet/device_change.h tablet/reader_flag.h tablet/tablet_connection.h tablet/tablet_link.h tablet/tablet_window.h"
    "app:app ui site")

if(NOT SOURCE_DIR)
    message(FATAL_ERROR "usage: cmake -DSOURCE_DIR=<repository> -P check-layers.cmake")
endif()

# The layer (table key) of a path relative to the repository, or "" when none.
function(layer_of path out)
    set(best "")
    foreach(entry IN LISTS layers)
        string(REGEX REPLACE ":.*" "" folder "${entry}")
        string(FIND "${path}" "${folder}/" at)
        string(LENGTH "${folder}" length)
        string(LENGTH "${best}" bestLength)
        if(at EQUAL 0 AND length GREATER bestLength)
            set(best "${folder}")
        endif()
    endforeach()
    set(${out} "${best}" PARENT_SCOPE)
endfunction()

function(allowed_for layer out)
    foreach(entry IN LISTS layers)
        string(REGEX REPLACE ":.*" "" folder "${entry}")
        if(folder STREQUAL layer)
            string(REGEX REPLACE "^[^:]*:" "" allowed "${entry}")
            separate_arguments(allowed)
            set(${out} "${allowed}" PARENT_SCOPE)
            return()
        endif()
    endforeach()
endfunction()

set(failures "")
set(checked 0)
file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}"
     "${SOURCE_DIR}/base/*" "${SOURCE_DIR}/site/*" "${SOURCE_DIR}/tablet/*"
     "${SOURCE_DIR}/imaging/*" "${SOURCE_DIR}/rtf/*" "${SOURCE_DIR}/ui/*" "${SOURCE_DIR}/app/*")
foreach(source IN LISTS sources)
    if(NOT source MATCHES "\\.(h|cpp)$")
        continue()
    endif()
    layer_of("${source}" layer)
    allowed_for("${layer}" allowed)
    file(STRINGS "${SOURCE_DIR}/${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line IN LISTS includes)
        string(REGEX REPLACE "^[^\"]*\"([^\"]*)\".*" "\\1" header "${line}")
        math(EXPR checked "${checked} + 1")
        set(ok FALSE)
        foreach(prefix IN LISTS allowed)
            # "ui/" and "tablet/x.h" match as written; a plain folder matches itself and below.
            if(prefix MATCHES "(/|\\.h)$")
                string(FIND "${header}" "${prefix}" at)
            else()
                string(FIND "${header}" "${prefix}/" at)
            endif()
            if(at EQUAL 0)
                set(ok TRUE)
                break()
            endif()
        endforeach()
        if(NOT ok)
            string(APPEND failures "  ${source} (layer ${layer}) includes \"${header}\"\n")
        endif()
    endforeach()
endforeach()

if(failures)
    message(FATAL_ERROR "includes that run up or across the layers:\n${failures}")
endif()
message(STATUS "include layers: ${checked} includes checked, all run down the layers")
