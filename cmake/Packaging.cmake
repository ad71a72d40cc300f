# What `cmake --install` puts where, and the Debian package CPack makes of it.
set(CMAKE_INSTALL_DOCDIR share/doc/ondrel-sign)
include(GNUInstallDirs)

# gzip -n -9 of SOURCE into OUTPUT at build time; OUTPUT joins compressed_docs.
macro(ondrel_gzip source output)
    add_custom_command(OUTPUT ${output}
        COMMAND gzip -n -9 -c ${source} > ${output}
        DEPENDS ${source} VERBATIM)
    list(APPEND compressed_docs ${output})
endmacro()

install(TARGETS ondrel-sign ondrel-tablet-diag RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(PROGRAMS res/desktop/ondrel-sign-desk DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES res/desktop/ondrel-sign.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES res/icons/ondrel-sign.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 32 48 256)
    install(FILES res/icons/ondrel-sign-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME ondrel-sign.png)
endforeach()
# udev reads its packaged rules from /lib/udev/rules.d on Debian 12 (usr-merged or not).
set(ONDREL_UDEV_RULES_DIR "/lib/udev/rules.d" CACHE PATH "Where the udev rule is installed")
install(FILES res/udev/70-ondrel-signpad.rules DESTINATION ${ONDREL_UDEV_RULES_DIR})
install(DIRECTORY res/site/ DESTINATION ${CMAKE_INSTALL_DATADIR}/ondrel-sign/site
        PATTERN "*.bat" EXCLUDE)
install(FILES res/desktop/ondrel-sign.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# Man pages and the changelog are compressed when they are built, so an edit shows up in the next
# build without configuring again; Debian wants both compressed.
set(compressed_docs "")
foreach(page ondrel-sign ondrel-sign-desk ondrel-tablet-diag)
    ondrel_gzip(${PROJECT_SOURCE_DIR}/res/man/${page}.1 ${PROJECT_BINARY_DIR}/${page}.1.gz)
    install(FILES ${PROJECT_BINARY_DIR}/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
install(FILES docs/integrator-guide.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES res/debian/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${PROJECT_BINARY_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
ondrel_gzip(${PROJECT_SOURCE_DIR}/res/debian/changelog ${PROJECT_BINARY_DIR}/changelog.gz)
add_custom_target(ondrel_compressed_docs ALL DEPENDS ${compressed_docs})

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "ondrel-sign")
set(CPACK_PACKAGE_VENDOR "Varnock software")
set(CPACK_PACKAGE_CONTACT "Varnock software <support@varnock.invalid>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "signing pad for reception desks")
set(CPACK_PACKAGE_DESCRIPTION
    "Visitors read the terms of the visit, agree and sign on a USB pen tablet\nwhile the ink appears live. The signature is left as BMP files in an\nexchange folder for the visitor-management host, and the site's own\nscripts run at start-up and after the visitor is done.")
set(CPACK_DEBIAN_PACKAGE_SECTION "graphics")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Libraries from the binaries (Qt 6 widgets, libusb), plus what the program needs beside them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Agreements hold CJK Extension B characters (fonts-hanazono) and emoji (fonts-symbola) that
# the common Chinese fonts lack.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "fonts-wqy-microhei | fonts-noto-cjk, fonts-hanazono, fonts-symbola | fonts-noto-color-emoji, udev, passwd")
# postinst makes the group "ondrel" and the exchange folder; postrm removes the folder on purge.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${PROJECT_SOURCE_DIR}/res/debian/postinst"
                                      "${PROJECT_SOURCE_DIR}/res/debian/postrm")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
include(CPack)
