# The Debian package: `cpack -G DEB` in a configured and built folder
# (scripts/test-package builds, installs and tries it). It holds whatever
# `cmake --install` installs: the window, quelter-cli, quelter-tracker-sim,
# the desktop entry, icons, AppStream metadata, man pages and completion.
set(QUELTER_PACKAGE_MAINTAINER "GPS Quelter configurator developers <quelter-config@localhost>"
    CACHE STRING "The Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quelter-config)
set(CPACK_PACKAGE_VENDOR "GPS Quelter configurator developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configurator for GPS Quelter GPS/GSM trackers")
set(CPACK_PACKAGE_DESCRIPTION
    "Reads, edits and writes the configuration of GPS Quelter battery-powered\n"
    "GPS/GSM trackers (RQ30, RQ10, RQ20) over their serial programming cable,\n"
    "and saves it to INI settings files. Includes the window (quelter-config),\n"
    "a command-line tool for scripts and fleets (quelter-cli) and a tracker\n"
    "simulator on a pseudo-terminal (quelter-tracker-sim).")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${QUELTER_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Dependencies: the libraries the programs link, found by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
include(CPack)
