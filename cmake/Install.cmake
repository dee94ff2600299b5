# Installs the application for the desktop: the executable, its .desktop file
# (which also makes it the handler of its own URL scheme, the sign-in callback),
# its icons and its AppStream metadata. `cmake --build . --target uninstall`
# removes what was installed. The autostart entry and the Debian documents go
# only into the package (cmake/Package.cmake).
include(GNUInstallDirs)

set(VORNO_ICON_DIR ${PROJECT_BINARY_DIR}/icons)
set(VORNO_ICON_SIZES 16 22 24 32 48 64 128 256 512)

install(TARGETS vorno RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/data/${VORNO_APP_IDENTIFIER}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
configure_file(${PROJECT_SOURCE_DIR}/data/${VORNO_APP_IDENTIFIER}.metainfo.xml.in
               ${PROJECT_BINARY_DIR}/${VORNO_APP_IDENTIFIER}.metainfo.xml @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/${VORNO_APP_IDENTIFIER}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/resources/symbol.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${VORNO_APP_IDENTIFIER}.svg)
install(FILES ${PROJECT_SOURCE_DIR}/resources/symbols/vorno.mark.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/symbolic/apps
        RENAME ${VORNO_APP_IDENTIFIER}-symbolic.svg)
# The manual page, compressed as man expects (gzip -n: the same every build).
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/vorno.1.gz
    COMMAND gzip -9 -n -c ${PROJECT_SOURCE_DIR}/data/vorno.1 > ${PROJECT_BINARY_DIR}/vorno.1.gz
    DEPENDS ${PROJECT_SOURCE_DIR}/data/vorno.1)
add_custom_target(vorno-manual ALL DEPENDS ${PROJECT_BINARY_DIR}/vorno.1.gz)
install(FILES ${PROJECT_BINARY_DIR}/vorno.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
foreach(size IN LISTS VORNO_ICON_SIZES)
    install(FILES ${VORNO_ICON_DIR}/${size}x${size}/${VORNO_APP_IDENTIFIER}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

# Registration with the desktop, skipped when staging into DESTDIR (a package
# registers through its own triggers).
install(CODE "file(WRITE \"${PROJECT_BINARY_DIR}/install_prefix.txt\" \"\${CMAKE_INSTALL_PREFIX}\")
    set(VORNO_APP_IDENTIFIER \"${VORNO_APP_IDENTIFIER}\")
    set(VORNO_DATADIR \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}\")
    include(\"${PROJECT_SOURCE_DIR}/cmake/RegisterHandler.cmake\")")

configure_file(${PROJECT_SOURCE_DIR}/cmake/Uninstall.cmake.in ${PROJECT_BINARY_DIR}/Uninstall.cmake @ONLY)
add_custom_target(uninstall COMMAND ${CMAKE_COMMAND} -P ${PROJECT_BINARY_DIR}/Uninstall.cmake)

include(${PROJECT_SOURCE_DIR}/cmake/Package.cmake)
