# `cpack -G DEB` in the build folder: one Debian package with everything
# `cmake --install` puts in place, under /usr, its dependencies computed by
# dpkg-shlibdeps from the libraries the binaries link.
set(CPACK_PACKAGE_NAME dizezida)
set(CPACK_PACKAGE_VENDOR dizezida)
set(CPACK_PACKAGE_CONTACT "dizezida developers <dizezida@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "PostgreSQL client engine and its command-line front end dizezida-postgresql")
set(CPACK_PACKAGE_DESCRIPTION
  "The engine libraries (sessions, catalog model, scripts, comparison, transfer, import and
export, logging, settings), their headers, pkg-config files and CMake package, and the
dizezida-postgresql program with its man pages and bash completion.")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION database)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
# What building against the headers needs besides the package itself.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "libfmt-dev, nlohmann-json3-dev, libglib2.0-dev, pkg-config")
include(CPack)
