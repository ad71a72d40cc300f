# Each library sees only the folders of its own layer and of the libraries it links: its folder
# is published through a link in the build tree, so an include that runs up a layer finds no
# file and fails to build. tests/check-layers.cmake states the allowed directions as a table.
#
#   ondrel_layer(ondrel_tablet_usb tablet/usb)  ->  -I build/layers/ondrel_tablet_usb
#                                                    build/layers/ondrel_tablet_usb/tablet/usb -> tablet/usb
function(ondrel_layer target folder)
    set(root "${PROJECT_BINARY_DIR}/layers/${target}")
    get_filename_component(parent "${root}/${folder}" DIRECTORY)
    file(MAKE_DIRECTORY "${parent}")
    if(NOT EXISTS "${root}/${folder}")
        file(CREATE_LINK "${PROJECT_SOURCE_DIR}/${folder}" "${root}/${folder}" SYMBOLIC)
    endif()
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "INTERFACE_LIBRARY")
        target_include_directories(${target} INTERFACE "${root}")
    else()
        target_include_directories(${target} PUBLIC "${root}")
    endif()
endfunction()
