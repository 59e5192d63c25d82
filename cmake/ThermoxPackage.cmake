# Debian packages by CPack (cpack in a build folder configured with
# CMAKE_INSTALL_PREFIX=/usr; scripts/package does it all):
#   thermox       the program, its private library and plug-ins, desktop files
#   thermox-demo  virtual machines and the launcher that starts Thermox on them
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME thermox)
set(CPACK_PACKAGE_VENDOR Vornell)
set(CPACK_PACKAGE_CONTACT "Thermox developers <thermox@vornell.example>")
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL thermox demo)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${THERMOX_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Libraries linked at build time, found by dpkg-shlibdeps (the private
# library resolves through the program's run-time search path).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(version "${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE}")

set(CPACK_DEBIAN_THERMOX_PACKAGE_NAME thermox)
# First line: the synopsis (CPack adds no other summary while
# CPACK_PACKAGE_DESCRIPTION_SUMMARY keeps its default).
set(CPACK_COMPONENT_THERMOX_DESCRIPTION "personal thermocycler control
Thermox drives the personal thermocyclers vela8 and vela16 over USB and
Bluetooth Low Energy. It keeps a library of thermal protocols (PCR,
touchdown PCR, heat block, linear ramp and free-form flex protocols), sends
a protocol to one machine or to several at once, and shows each run live:
block and lid temperature, step and cycle, elapsed and remaining time, a
temperature chart and an estimated DNA amplification chart.")
# What the program loads at run time, which dpkg-shlibdeps cannot see: the
# QML modules the window imports, the SVG image plug-in for its pictures and
# the audio plug-ins for the alarm bell.
set(CPACK_DEBIAN_THERMOX_PACKAGE_DEPENDS
    "qml-module-qtquick2, qml-module-qtquick-window2, qml-module-qtquick-controls2, qml-module-qtquick-templates2, qml-module-qtquick-layouts, qml-module-qtquick-shapes, qml-module-qtcharts, qml-module-qt-labs-platform, qml-module-qtgraphicaleffects, libqt5svg5, libqt5multimedia5-plugins")
set(CPACK_DEBIAN_THERMOX_PACKAGE_RECOMMENDS "bluez")
set(CPACK_DEBIAN_THERMOX_PACKAGE_SUGGESTS "thermox-demo")
set(CPACK_DEBIAN_THERMOX_PACKAGE_CONTROL_EXTRA
    ${CMAKE_SOURCE_DIR}/packaging/debian/postinst ${CMAKE_SOURCE_DIR}/packaging/debian/postrm)

set(CPACK_DEBIAN_DEMO_PACKAGE_NAME thermox-demo)
set(CPACK_DEBIAN_DEMO_PACKAGE_SECTION science)
set(CPACK_COMPONENT_DEMO_DESCRIPTION "virtual thermocyclers for trying Thermox
Virtual vela8 and vela16 machines on a virtual USB bus and within reach of a
virtual Bluetooth LE plug-in, with the command thermox-demo that starts
Thermox on them and a tool that adds, removes and faults them, so Thermox can
be tried and shown without a machine at hand.")
set(CPACK_DEBIAN_DEMO_PACKAGE_DEPENDS "thermox (= ${version})")

include(CPack)
