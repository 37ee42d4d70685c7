# Installation as a Debian desktop program: the executable, the shipped files as
# the template of new event folders, a desktop entry with its icon, a man page,
# and a .deb made by CPack (scripts/package.sh).
install(DIRECTORY ${CMAKE_SOURCE_DIR}/dist/ DESTINATION ${CMAKE_INSTALL_DATADIR}/tessaly/template)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/tessaly.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/tessaly.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/tessaly.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tessaly)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Tessaly developers <tessaly@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Full-screen prize draw for company events")
set(CPACK_PACKAGE_DESCRIPTION "Tessaly draws winners award by award on a projector: participant lists of names,\n ticket numbers or photos, awards in batches, winners recorded at once so nobody\n wins twice, and results shown, exported and logged.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the program needs at run time beyond the libraries it links: the Chinese
# standard buttons, a CJK font, the desktop opener and the sound decoders.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-translations-l10n, fonts-wqy-microhei, xdg-utils, gstreamer1.0-plugins-base, gstreamer1.0-plugins-good")
include(CPack)
