# The Debian package: everything that `cmake --install` puts under the prefix,
# installed under /usr, with the shared-library dependencies found by
# dpkg-shlibdeps and the Qt plugins that are loaded at run time named by hand.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME farrowdale)
set(CPACK_PACKAGE_VENDOR "The Farrowdale developers")
set(CPACK_PACKAGE_CONTACT "The Farrowdale developers <packages@farrowdale.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Keep web sites and their pages, and submit them to search engines")
set(CPACK_PACKAGE_DESCRIPTION
    "Farrowdale keeps a local database of web sites and shows each site's pages as a tree;
reads a page's title and meta tags in its built-in browser and logs corrections
as change requests; submits pages to search engines and records every
submission; writes site maps and reports. It ships Listcaster, a library whose
list control exports a list to a text file or a workbook and prints it.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION web)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The library is shipped in the package itself: dpkg-shlibdeps finds it there.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
    ${CMAKE_BINARY_DIR}/listcaster)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
# Loaded at run time, so no linker dependency names them: the window-system
# plugins.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-qpa-plugins")
include(CPack)
