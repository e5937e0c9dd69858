# The Debian packages, one per install component (cmake/Install.cmake), built by
# scripts/package with CPack from the build tree as it is:
#   hsdwarchive        the plug-in and the documentation
#   hsdwarchive-tools  hsdwhost and rmtool with their manual pages
#   hsdwarchive-dev    headers, CMake package, pkg-config file, the example host
# Binaries are stripped while staging; dependencies come from the binaries (dpkg-shlibdeps)
# plus what they cannot show: the fonts the printouts use, and the plug-in, which hosts
# dlopen. The packages always install into /usr.

set(HSDW_PACKAGE_MAINTAINER "HsdwArchive developers <hsdwarchive@example.org>" CACHE STRING
    "Maintainer field of the Debian packages")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME hsdwarchive)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_CONTACT "${HSDW_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_COMPONENTS_ALL ${HSDW_INSTALL_COMPONENTS})
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${HSDW_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

set(hsdwExact "hsdwarchive (= ${PROJECT_VERSION})")

set(CPACK_DEBIAN_PLUGIN_PACKAGE_NAME hsdwarchive)
set(CPACK_DEBIAN_PLUGIN_PACKAGE_SECTION libs)
# The faces the windows and printouts name are mapped onto these (platform/GuiStartup.cpp).
set(CPACK_DEBIAN_PLUGIN_PACKAGE_DEPENDS
    "fonts-arphic-uming, fonts-wqy-zenhei, fonts-liberation, fonts-dejavu-core")
set(CPACK_DEBIAN_PLUGIN_PACKAGE_SUGGESTS "hsdwarchive-tools")
set(CPACK_COMPONENT_PLUGIN_DESCRIPTION
"accounting-unit archive plug-in for host accounting applications
libhsdwarchive.so is loaded by a host accounting application with dlopen. It
shows the accounting-unit archive, a grid of unit codes and names that
operators edit in place (each row is written through the host's data service
as it is left), and previews and prints it through its own banded report
engine, on CUPS printers or into PDF files.

The plug-in lives in a private folder, /usr/lib/<multiarch>/hsdwarchive/.")

set(CPACK_DEBIAN_TOOLS_PACKAGE_NAME hsdwarchive-tools)
set(CPACK_DEBIAN_TOOLS_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_TOOLS_PACKAGE_DEPENDS "${hsdwExact}")
set(CPACK_COMPONENT_TOOLS_DESCRIPTION
"reference host and report tool for the accounting-unit archive
hsdwhost is a host for the accounting-unit archive plug-in: it serves the
archive from a SQLite file or a PostgreSQL server, embeds the archive window,
and prints the archive into PDF or Excel files without a display.

rmtool describes, exports (PDF, Excel, CSV, PNG) and prints prepared report
files, and prepares report templates against CSV or SQLite data.")

set(CPACK_DEBIAN_DEV_PACKAGE_NAME hsdwarchive-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "${hsdwExact}")
set(CPACK_DEBIAN_DEV_PACKAGE_SUGGESTS "cmake, pkg-config, qt6-base-dev, libsqlite3-dev")
set(CPACK_COMPONENT_DEV_DESCRIPTION
"kit for hosts of the accounting-unit archive plug-in
The C headers of the plug-in's interface (entry points, window messages, the
dispatch interface of the host's data service) and a header-only writer of the
data packets a host answers queries with, found through the CMake package
HsdwArchive (target HsdwArchive::abi, variable HsdwArchive_PLUGIN) or the
pkg-config file hsdwarchive (variable plugindir).

A complete small host over SQLite, ready to copy, is in
/usr/share/doc/hsdwarchive-dev/examples/minimal-host/.")

include(CPack)
