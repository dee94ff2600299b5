# Installs the application for the desktop: the executable, its .desktop file
# (which also makes it the handler of its own URL scheme, the sign-in callback)
# and its icons. `cmake --build . --target uninstall` removes what was installed.
include(GNUInstallDirs)

install(TARGETS vorno RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/data/${VORNO_APP_IDENTIFIER}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/resources/symbol.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${VORNO_APP_IDENTIFIER}.svg)
install(FILES ${PROJECT_SOURCE_DIR}/resources/symbols/vorno.mark.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/symbolic/apps
        RENAME ${VORNO_APP_IDENTIFIER}-symbolic.svg)

# Registration with the desktop, skipped when staging into DESTDIR (a package
# registers through its own triggers).
install(CODE "file(WRITE \"${PROJECT_BINARY_DIR}/install_prefix.txt\" \"\${CMAKE_INSTALL_PREFIX}\")
    set(VORNO_APP_IDENTIFIER \"${VORNO_APP_IDENTIFIER}\")
    set(VORNO_DATADIR \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}\")
    include(\"${PROJECT_SOURCE_DIR}/cmake/RegisterHandler.cmake\")")

configure_file(${PROJECT_SOURCE_DIR}/cmake/Uninstall.cmake.in ${PROJECT_BINARY_DIR}/Uninstall.cmake @ONLY)
add_custom_target(uninstall COMMAND ${CMAKE_COMMAND} -P ${PROJECT_BINARY_DIR}/Uninstall.cmake)
