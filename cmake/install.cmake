# What `cmake --install` puts where, under any prefix:
#   bin/tavr
#   share/tavr/tavr.uir, share/tavr/images/      the panel definition and its images
#   share/applications/tavr.desktop, share/icons/hicolor/{48x48,scalable}/apps/
#   share/metainfo/tavr.metainfo.xml, share/man/man1/tavr.1.gz
#   share/doc/tavr/                              README.md, LICENSE, NEWS, copyright
# The program finds share/tavr/ from its own directory (TAVR_DATA_FROM_BIN in src/app).

set(TAVR_INSTALL_OUT ${CMAKE_BINARY_DIR}/install)
configure_file(${PROJECT_SOURCE_DIR}/resources/tavr.metainfo.xml.in ${TAVR_INSTALL_OUT}/tavr.metainfo.xml @ONLY)

# Debian's machine-readable copyright file, made from LICENSE so the two cannot differ.
file(READ ${PROJECT_SOURCE_DIR}/LICENSE license)
string(REGEX REPLACE "^MIT License\n\n" "" license "${license}")
string(REGEX MATCH "^Copyright [^\n]*" license_holder "${license}")
string(REGEX REPLACE "^Copyright [^\n]*\n\n" "" license "${license}")
string(REGEX REPLACE "\n+$" "" license "${license}")
string(REPLACE "\n\n" "\n.\n" license "${license}")
string(REPLACE "\n" "\n " license "${license}")
string(REPLACE "Copyright (c) " "" license_holder "${license_holder}")
file(CONFIGURE OUTPUT ${TAVR_INSTALL_OUT}/copyright CONTENT
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: tavr
Source: ${TAVR_HOMEPAGE}

Files: *
Copyright: ${license_holder}
License: MIT
 ${license}
")

# A changelog in Debian's form for the package; NEWS tells the story.
execute_process(COMMAND date -u -R -d ${TAVR_RELEASE_DATE} OUTPUT_VARIABLE release_time OUTPUT_STRIP_TRAILING_WHITESPACE)
file(CONFIGURE OUTPUT ${TAVR_INSTALL_OUT}/changelog CONTENT
"tavr (${PROJECT_VERSION}) unstable; urgency=medium

  * Release ${PROJECT_VERSION}; see NEWS in this directory.

 -- ${TAVR_PACKAGE_MAINTAINER}  ${release_time}
")

# The changelog goes in compressed, as Debian wants it.
add_custom_command(
    OUTPUT ${TAVR_INSTALL_OUT}/changelog.gz
    COMMAND gzip -9 -n -c ${TAVR_INSTALL_OUT}/changelog > ${TAVR_INSTALL_OUT}/changelog.gz
    DEPENDS ${TAVR_INSTALL_OUT}/changelog
    COMMENT "Compressing the changelog")
add_custom_target(tavr_install_files ALL DEPENDS ${TAVR_INSTALL_OUT}/changelog.gz)

# The manual page names where the panel definition and the README are
# installed, so it is written when it is installed: the prefix is known only
# then (/usr for the package, any --prefix for cmake --install). Compressed,
# as Debian wants manual pages.
install(CODE "
    set(PROJECT_VERSION ${PROJECT_VERSION})
    set(TAVR_RELEASE_DATE ${TAVR_RELEASE_DATE})
    set(TAVR_INSTALLED_UIR \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/tavr/tavr.uir\")
    set(TAVR_INSTALLED_DOCDIR \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DOCDIR}\")
    configure_file(\"${PROJECT_SOURCE_DIR}/resources/tavr.1.in\" \"${TAVR_INSTALL_OUT}/man/tavr.1\" @ONLY)
    execute_process(COMMAND gzip -9 -n -c tavr.1 WORKING_DIRECTORY \"${TAVR_INSTALL_OUT}/man\"
                    OUTPUT_FILE \"${TAVR_INSTALL_OUT}/man/tavr.1.gz\" COMMAND_ERROR_IS_FATAL ANY)
    file(INSTALL \"${TAVR_INSTALL_OUT}/man/tavr.1.gz\" DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_MANDIR}/man1\")
")

install(TARGETS tavr RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/resources/tavr.uir DESTINATION ${CMAKE_INSTALL_DATADIR}/tavr)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/resources/images DESTINATION ${CMAKE_INSTALL_DATADIR}/tavr)
install(FILES ${PROJECT_SOURCE_DIR}/resources/tavr.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/tavr-48.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/48x48/apps RENAME tavr.png)
install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/tavr.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${TAVR_INSTALL_OUT}/tavr.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/NEWS
              ${TAVR_INSTALL_OUT}/copyright ${TAVR_INSTALL_OUT}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
