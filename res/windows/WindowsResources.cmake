# The Windows resources of the signing-pad program: icon IDR_MAINFRAME, application manifest and
# version information, compiled by the resource compiler of the toolchain (windres for mingw-w64).
# ondrel_windows_resources(target VERSION x.y.z) adds them to an executable and makes it a GUI
# program (no console window).
set(ONDREL_RES_WINDOWS_DIR "${CMAKE_CURRENT_LIST_DIR}")

function(ondrel_windows_resources target)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "VERSION" "")
    string(REGEX MATCHALL "[0-9]+" parts "${arg_VERSION}")
    list(APPEND parts 0 0 0 0)
    list(SUBLIST parts 0 4 parts)
    list(JOIN parts "," ONDREL_VERSION_COMMAS)
    set(ONDREL_VERSION "${arg_VERSION}")
    set(rc "${CMAKE_CURRENT_BINARY_DIR}/${target}.rc")
    configure_file("${ONDREL_RES_WINDOWS_DIR}/ondrel-sign.rc.in" "${rc}" @ONLY)
    target_sources(${target} PRIVATE "${rc}")
    set_source_files_properties("${rc}" PROPERTIES
        OBJECT_DEPENDS "${ONDREL_RES_WINDOWS_DIR}/ondrel-sign.ico;${ONDREL_RES_WINDOWS_DIR}/ondrel-sign.manifest;${ONDREL_RES_WINDOWS_DIR}/resource.h")
    set_target_properties(${target} PROPERTIES WIN32_EXECUTABLE ON)
endfunction()
