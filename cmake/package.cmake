# The Debian package: `cpack -G DEB` in a build tree, or `cmake --workflow --preset package`.
# It installs under /usr only; its Depends line is computed from the program's
# shared libraries (dpkg-shlibdeps). Its licence, as an SPDX identifier, is in
# the License field of /usr/share/doc/tavr/copyright (see install.cmake).
set(TAVR_PACKAGE_MAINTAINER "the tavr authors <tavr@example.invalid>" CACHE STRING
    "Maintainer field of the Debian package: a name and an e-mail address.")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavr)
set(CPACK_PACKAGE_VENDOR "the tavr authors")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_HOMEPAGE_URL ${TAVR_HOMEPAGE})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # tavr_<version>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TAVR_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# CPack puts the summary first and indents these lines itself.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "tavr shows one window that drives up to seven battery-simulator cards of six
channels each, in a local PXI chassis or in a LAN chassis: source voltage,
sink current and output switch per channel, the card's identity, interlock
lamp and wanted serial number per card position. It reads every card's
interlock every 0.4 s and logs every action and driver error.
Built without the card maker's driver library, it runs on a simulated
chassis, so it can be tried without hardware.")

include(CPack)
