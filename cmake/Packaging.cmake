# Installation and the Debian package.
#   cmake --install <build> [--prefix DIR]   the program (bin/kelvrant, and lib/kelvrant/
#                                            kelvrant-desktop when built with Qt), its desktop
#                                            entry, icon, manual page and documents under DIR
#                                            (default /usr/local)
#   cpack --config <build>/CPackConfig.cmake kelvrant_<version>_amd64.deb for /usr
include(GNUInstallDirs)

set(kv_docdir ${CMAKE_INSTALL_DATADIR}/doc/kelvrant)
# Directories in the package are 0755 whatever the umask of whoever builds it.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

install(TARGETS kelvrant RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The same program with Qt, for the window and the plots: private, where kelvrant looks for it
# (../lib/kelvrant from its own folder).
if(TARGET kelvrant-desktop)
  install(TARGETS kelvrant-desktop RUNTIME DESTINATION lib/kelvrant)
endif()
install(FILES packaging/kelvrant.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/kelvrant.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES README.md LICENSE packaging/copyright DESTINATION ${kv_docdir})

# Manual page and changelog go compressed, reproducibly (no name or time in the gzip header).
find_program(KV_GZIP gzip REQUIRED)
set(kv_compressed)
foreach(pair "docs/kelvrant.1|kelvrant.1.gz" "packaging/changelog|changelog.gz")
  string(REPLACE "|" ";" pair "${pair}")
  list(GET pair 0 source)
  list(GET pair 1 target)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/${target}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging
    COMMAND ${KV_GZIP} -9 -n -c ${PROJECT_SOURCE_DIR}/${source} > ${CMAKE_BINARY_DIR}/packaging/${target}
    DEPENDS ${PROJECT_SOURCE_DIR}/${source} VERBATIM)
  list(APPEND kv_compressed ${CMAKE_BINARY_DIR}/packaging/${target})
endforeach()
add_custom_target(kelvrant_docs ALL DEPENDS ${kv_compressed})
install(FILES ${CMAKE_BINARY_DIR}/packaging/kelvrant.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_BINARY_DIR}/packaging/changelog.gz DESTINATION ${kv_docdir})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kelvrant)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Kelvrant developers")
set(CPACK_PACKAGE_CONTACT "The Kelvrant developers <kelvrant@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "convert Ashtech GPS/GLONASS receiver files into RINEX")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries (Qt 6, the C++ runtime) as dpkg-shlibdeps finds them in the binary, plus what
# the program loads without linking it: Qt's window system plugins and the metric twins of
# the fonts its windows are laid out for.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-liberation")
# The long description below the summary line; CPack indents it for the control file.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Kelvrant converts a session downloaded from an Ashtech GPS or GPS+GLONASS
receiver into RINEX version 2: the binary B-file of observations, the
E-file of ephemerides and the optional S-file and ION file become a RINEX
observation file and RINEX GPS and GLONASS navigation files. Ashtech
meteorological logs become RINEX meteorological files.

It runs as a Qt desktop program, where every RINEX header value can be
reviewed before converting, and unattended from scripts and cron without
a display.")
include(CPack)
