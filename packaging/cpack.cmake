# The Debian package: scripts/package builds it with "cpack -G DEB" in a Release build for the prefix /usr.
# The Windows installer and zip: scripts/windows builds them with "cpack -G NSIS" and "cpack -G ZIP".
if(WIN32)
    set(CPACK_GENERATOR NSIS ZIP)
else()
    set(CPACK_GENERATOR DEB)
endif()
set(CPACK_PACKAGE_NAME lidora-demo)
set(CPACK_PACKAGE_VENDOR "${LIDORA_COMPANY_NAME}")
set(CPACK_PACKAGE_CONTACT "${LIDORA_COMPANY_NAME} <support@noxsensors.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "live read-out of the Lidora 1D distance sensor")
# CPack puts the summary in front as the synopsis and indents these lines (an empty one separates paragraphs).
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Lidora 1D Demo shows what the Lidora 1D time-of-flight sensor on its USB
evaluation board measures: the distance to the object in front of it, the
confidence, and whether the object is too close, present, still, far or gone.
Without a board it replays a scripted walk through every state. Another
program can drive it and receive every measurement over a local TCP port.

The package installs a udev rule that lets the logged-in user open the board.")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://noxsensors.com/lidora-demo/")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
# The libraries the program links decide the dependencies (dpkg-shlibdeps), never a hand-kept list.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${PROJECT_SOURCE_DIR}/packaging/postinst ${PROJECT_SOURCE_DIR}/packaging/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)

# The Windows installer: a Start-menu entry and an uninstaller listed among the installed apps.
if(WIN32)
    # A 64-bit installer for the 64-bit program: it installs into "Program Files", not into the 32-bit
    # programs' folder NSIS picks by default, and runs where no 32-bit Windows layer is (Wine without wine32).
    set(CPACK_NSIS_DEFINES "Target amd64-unicode")
    set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
    set(CPACK_PACKAGE_INSTALL_DIRECTORY "${LIDORA_PRODUCT_NAME}")
    set(CPACK_SYSTEM_NAME windows-x64)
    # The Start-menu entry; the program lies in the installation folder itself, not in a bin folder.
    set(CPACK_PACKAGE_EXECUTABLES lidora-demo "${LIDORA_PRODUCT_NAME}")
    set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
    set(CPACK_NSIS_DISPLAY_NAME "${LIDORA_PRODUCT_NAME}")
    set(CPACK_NSIS_PACKAGE_NAME "${LIDORA_PRODUCT_NAME} ${PROJECT_VERSION}")
    set(CPACK_NSIS_INSTALLED_ICON_NAME lidora-demo.exe)
    set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/packaging/com.noxsensors.LidoraDemo.ico)
    set(CPACK_NSIS_MUI_UNIICON ${PROJECT_SOURCE_DIR}/packaging/com.noxsensors.LidoraDemo.ico)
    # A second installation replaces the first instead of leaving two entries under Apps.
    set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
    set(CPACK_NSIS_URL_INFO_ABOUT "${CPACK_DEBIAN_PACKAGE_HOMEPAGE}")
    set(CPACK_NSIS_CONTACT "${CPACK_PACKAGE_CONTACT}")
endif()
include(CPack)
