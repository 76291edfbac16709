# "cpack -G DEB" in the build folder packs what "cmake --install" lays out into
# an installable Debian package under /usr: /usr/bin/workplace, the libraries
# and the driver in /usr/lib/workplace, the desktop entry and the icons.

set(CPACK_PACKAGE_NAME workplace)
set(CPACK_PACKAGE_VENDOR "Workplace")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Workplace developers <workplace@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Trade deals desktop: deals, suppliers and their documents")
set(CPACK_PACKAGE_DESCRIPTION "A desktop for trade deals: the deals register and editor, the supplier
directory, file attachments and reports, on a PostgreSQL database. Without a
configured database server it runs a private PostgreSQL server of the user's own.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
# Shared libraries the binaries link are found by dpkg-shlibdeps; the deals
# library is private to the package.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/bin)
# Loaded at run time, so invisible to dpkg-shlibdeps: Qt's PostgreSQL plugin.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt5sql5-psql")
# The private server needs PostgreSQL's server tools; a configured server does not.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "postgresql, qttranslations5-l10n")

include(CPack)
