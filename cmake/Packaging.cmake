# Debian package of the library, its headers, CMake and pkg-config files, the
# velmora tool and its man page: `cpack -G DEB` in a build folder. One package
# holds everything, since clients that link the library are also the ones who
# script it with the tool.
set(CPACK_PACKAGE_NAME "commonvelmora")
set(CPACK_PACKAGE_VENDOR "Velmora, Ltd.")
set(CPACK_PACKAGE_CONTACT "CommonVelmora developers <commonvelmora@velmora.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_GENERATOR "DEB")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "libs")
# The run-time libraries the shared library and the tool link, found from the
# binaries themselves.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
include(CPack)
