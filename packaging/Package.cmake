# The Debian binary package (`make package`), built by CPack from the install rules.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME baselark)
set(CPACK_PACKAGE_VENDOR "${BASELARK_MAINTAINER_NAME}")
set(CPACK_PACKAGE_CONTACT "${BASELARK_MAINTAINER_NAME} <${BASELARK_MAINTAINER_EMAIL}>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "baseball scoreboard for the desktop's status area")
# Wrapped by hand: the control file keeps lines as they are, and Debian wants them under 80 columns.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "Baselark keeps one line about your club's game of the day in the status"
    "area of the desktop: the start time, the score and inning while the game"
    "is live, and the final. A click opens a small window with the day's games,"
    "a detail card for the selected game, its box score and the division"
    "standings. No Spoilers Mode hides scores until you ask for them."
    ""
    "All data comes from the league's public stats web service.")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://baselark.github.io/")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Without a status-notifier host, GNOME shows no tray at all; other desktops have one built in.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "gnome-shell-extension-appindicator")
# The stats service is reached over HTTPS, which needs the system's trust anchors; a minimal system may lack them.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "ca-certificates")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
