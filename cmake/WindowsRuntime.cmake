# What a Windows program built here needs beside it to start (under Wine or on a PC): Qt's DLLs,
# the mingw runtime DLLs the toolchain file lists in MINGW_RUNTIME_DLLS, and Qt's platform,
# image-format and style plugins in their folders.
function(ondrel_add_windows_runtime target folder)
    set(dlls ${MINGW_RUNTIME_DLLS})
    foreach(module Core Gui Widgets Test)
        if(TARGET Qt6::${module})
            list(APPEND dlls $<TARGET_FILE:Qt6::${module}>)
        endif()
    endforeach()
    set(plugins "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_PLUGINS}")
    set(commands COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
                 COMMAND ${CMAKE_COMMAND} -E copy_if_different ${dlls} ${folder})
    foreach(kind platforms imageformats styles)
        if(IS_DIRECTORY "${plugins}/${kind}")
            list(APPEND commands COMMAND ${CMAKE_COMMAND} -E copy_directory "${plugins}/${kind}"
                                         "${folder}/${kind}")
        endif()
    endforeach()
    add_custom_target(${target} ALL ${commands}
                      COMMENT "Qt and mingw runtime DLLs and Qt plugins into ${folder}" VERBATIM)
endfunction()
