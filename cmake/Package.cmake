# The Debian package (`scripts/package`, which runs `cpack -G DEB` here). It
# holds everything `cmake --install` puts in place, plus the autostart entry
# and the documents Debian asks for, which a per-user install does without.

# Start at login, in the background; the desktop's startup settings turn it off.
install(FILES ${PROJECT_SOURCE_DIR}/data/${VORNO_APP_IDENTIFIER}-autostart.desktop
        DESTINATION /etc/xdg/autostart RENAME ${VORNO_APP_IDENTIFIER}.desktop
        COMPONENT package EXCLUDE_FROM_ALL)
set(VORNO_PACKAGE_NAME vorno-companion)
set(package_doc ${PROJECT_BINARY_DIR}/package-doc)
file(MAKE_DIRECTORY ${package_doc})
# gzip -n: no name or time stamp, so the same sources make the same package.
add_custom_command(OUTPUT ${package_doc}/changelog.gz
    COMMAND gzip -9 -n -c ${PROJECT_SOURCE_DIR}/packaging/changelog > ${package_doc}/changelog.gz
    DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog)
add_custom_target(vorno-package-doc ALL DEPENDS ${package_doc}/changelog.gz)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${package_doc}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${VORNO_PACKAGE_NAME} COMPONENT package EXCLUDE_FROM_ALL)
# Files under /etc are the administrator's: dpkg keeps their changes.
file(WRITE ${PROJECT_BINARY_DIR}/package-control/conffiles "/etc/xdg/autostart/${VORNO_APP_IDENTIFIER}.desktop\n")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${VORNO_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Vorno)
set(CPACK_PACKAGE_CONTACT "Vorno <desktop@vorno.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "tray companion for recording your work on Vorno")
set(CPACK_PACKAGE_DESCRIPTION "Vorno Companion lives in the tray and in a small black panel that grows out\n\
of the top centre of the screen when the pointer reaches it. Write a short\n\
note of what you did, keep it as a draft on this computer, sign in through\n\
the browser and save it to your Vorno account; drop files on the panel to\n\
have them checked, uploaded and processed.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_COMPONENTS_ALL Unspecified package)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${VORNO_WEB_ORIGIN})
# Libraries it links come from dpkg-shlibdeps; these are opened at run time:
# Qt's X11 platform plugin, the TPM's device transport, and the desktop's URL opener.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libtss2-tcti-device0")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, tpm-udev, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_BINARY_DIR}/package-control/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
