# The Debian package of the Linux build: the program, its desktop entry and
# icons, as `cmake --install` lays them out under /usr. The libraries it links
# are found by dpkg-shlibdeps; the Qt pieces it loads at run time (the X11
# platform plugin, the Spanish translations of the standard buttons) and the
# font that stands in for MS Sans Serif are named here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME morvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Morvane maintainers <maintainers@morvane.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Batch search, replace, build and group files for Visual Basic 6 projects")
set(CPACK_PACKAGE_DESCRIPTION
    "Morvane lists the Visual Basic 6 project files (*.vbp) of a folder in a sorted
check-box list and applies a batch operation to the marked ones: search for a
text, search and replace with a .OLD backup, build each with vb6 /m, or write a
VBGROUP 5.0 group file. The interface is in Spanish.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n, fonts-liberation")
set(CPACK_STRIP_FILES ON)
include(CPack)
