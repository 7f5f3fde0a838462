# The Debian package of what `cmake --install` installs, built by `cpack -G DEB` (./setup package).
set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VENDOR "${VELMORA_DEVELOPER_NAME}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${VELMORA_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configurator of the Velmora 05 engine-control unit")
set(CPACK_PACKAGE_INSTALL_DIRECTORY velmora)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)

set(CPACK_DEBIAN_PACKAGE_NAME velmora)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VELMORA_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads its platform plugins at run time, so dpkg-shlibdeps cannot see that the window needs
# them; Help opens the manual through the desktop's opener.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, qt6-wayland")
# The summary above becomes the first line; CPack indents the rest as a control file wants it.
string(JOIN "\n" CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "A desktop configurator for the Velmora 05 programmable motorcycle"
    "engine-control unit. Over a serial cable it reads, edits, programs and"
    "verifies the unit's parameters, shows the running engine live, tunes the"
    "injection maps from the lambda sensor, keeps parameter sets in .ign text"
    "files and prints them, in Czech, English and German."
    ""
    "The package holds the window (velmora), a command-line tool for scripts"
    "(velmora-cli) and a simulated unit on a pseudo-terminal (velmora-unit).")

include(CPack)
