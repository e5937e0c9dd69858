# What `cmake --install` installs, in the three components that cmake/Packaging.cmake turns
# into Debian packages (folders from cmake/InstallLayout.cmake):
#   plugin  libhsdwarchive.so in its private folder; docs/ in share/doc/hsdwarchive/
#   tools   hsdwhost and rmtool in bin/, their manual pages
#   dev     the public headers in include/hsdwarchive/, the CMake package HsdwArchive and
#           hsdwarchive.pc, the example host in share/doc/hsdwarchive-dev/examples/
# and each its copyright and changelog in share/doc/<package>/. Included by the top-level
# CMakeLists.txt after the modules: the rules name targets, wherever they are defined.

include(CMakePackageConfigHelpers)

# Installing builds nothing first: scripts/package builds what it packages, no more.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(hsdwSource "${PROJECT_SOURCE_DIR}")
set(hsdwOut "${PROJECT_BINARY_DIR}/install-files")
file(MAKE_DIRECTORY "${hsdwOut}")

# The changelog's latest entry is the project's version: one version for everything.
file(STRINGS "${hsdwSource}/packaging/changelog" hsdwChangelogTop LIMIT_COUNT 1)
string(REPLACE "." "\\." hsdwVersionPattern "${PROJECT_VERSION}")
if(NOT hsdwChangelogTop MATCHES "^hsdwarchive \\(${hsdwVersionPattern}\\) ")
    message(FATAL_ERROR "packaging/changelog: the latest entry is '${hsdwChangelogTop}'; "
                        "add one for version ${PROJECT_VERSION} (the project's version)")
endif()

# Manual pages and the changelog are installed compressed, as Debian keeps them.
find_program(GZIP_PROGRAM gzip REQUIRED)
set(hsdwCompressed "")
foreach(file IN ITEMS man/hsdwhost.1 man/rmtool.1 packaging/changelog)
    get_filename_component(name "${file}" NAME)
    add_custom_command(OUTPUT "${hsdwOut}/${name}.gz"
        COMMAND "${CMAKE_COMMAND}" -E copy "${hsdwSource}/${file}" "${hsdwOut}/${name}"
        COMMAND "${GZIP_PROGRAM}" -9nf "${hsdwOut}/${name}"
        DEPENDS "${hsdwSource}/${file}"
        VERBATIM)
    list(APPEND hsdwCompressed "${hsdwOut}/${name}.gz")
endforeach()
add_custom_target(install_files ALL DEPENDS ${hsdwCompressed})

# plugin
install(TARGETS hsdwarchive LIBRARY DESTINATION "${HSDW_PLUGIN_INSTALL_DIR}" COMPONENT plugin)
install(DIRECTORY "${hsdwSource}/docs/" DESTINATION "${HSDW_DOC_INSTALL_DIR}" COMPONENT plugin)

# tools
install(TARGETS hsdwhost rmtool RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}" COMPONENT tools)
install(FILES "${hsdwOut}/hsdwhost.1.gz" "${hsdwOut}/rmtool.1.gz"
        DESTINATION "${CMAKE_INSTALL_MANDIR}/man1" COMPONENT tools)

# dev: the headers, included as <hsdwarchive/plugin_abi.h>; plugin_abi.h finds dispatch_abi.h
# beside itself.
install(FILES "${hsdwSource}/plugin/plugin_abi.h" "${hsdwSource}/platform/dispatch_abi.h"
              "${hsdwSource}/platform/datapacket_writer.h"
        DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}/hsdwarchive" COMPONENT dev)
install(DIRECTORY "${hsdwSource}/examples/minimal-host"
        DESTINATION "${CMAKE_INSTALL_DATAROOTDIR}/doc/hsdwarchive-dev/examples" COMPONENT dev)

# The CMake package: relocatable, it finds the headers and the plug-in from its own folder.
set(HSDW_PLUGIN_INSTALL_FILE "${HSDW_PLUGIN_INSTALL_DIR}/${HSDW_PLUGIN_FILE_NAME}")
set(hsdwCMakeDir "${CMAKE_INSTALL_LIBDIR}/cmake/HsdwArchive")
configure_package_config_file("${hsdwSource}/packaging/HsdwArchiveConfig.cmake.in"
    "${hsdwOut}/HsdwArchiveConfig.cmake"
    INSTALL_DESTINATION "${hsdwCMakeDir}"
    PATH_VARS CMAKE_INSTALL_INCLUDEDIR HSDW_PLUGIN_INSTALL_DIR HSDW_PLUGIN_INSTALL_FILE)
# 0.x: a minor version may change the interface.
write_basic_package_version_file("${hsdwOut}/HsdwArchiveConfigVersion.cmake"
    VERSION "${PROJECT_VERSION}" COMPATIBILITY SameMinorVersion)
install(FILES "${hsdwOut}/HsdwArchiveConfig.cmake" "${hsdwOut}/HsdwArchiveConfigVersion.cmake"
        DESTINATION "${hsdwCMakeDir}" COMPONENT dev)

# The pkg-config file names absolute folders, so its prefix is the one installed into
# (--prefix, or /usr for the packages), filled in when installing.
set(HSDW_PC_PREFIX "@HSDW_PC_PREFIX@")
configure_file("${hsdwSource}/packaging/hsdwarchive.pc.in" "${hsdwOut}/hsdwarchive.pc.in" @ONLY)
install(CODE "
    set(HSDW_PC_PREFIX \"\${CMAKE_INSTALL_PREFIX}\")
    configure_file(\"${hsdwOut}/hsdwarchive.pc.in\" \"${hsdwOut}/hsdwarchive.pc\" @ONLY)
    " COMPONENT dev)
install(FILES "${hsdwOut}/hsdwarchive.pc" DESTINATION "${CMAKE_INSTALL_LIBDIR}/pkgconfig"
        COMPONENT dev)

# Each package's copyright and changelog.
foreach(component package IN ZIP_LISTS HSDW_INSTALL_COMPONENTS HSDW_PACKAGE_NAMES)
    install(FILES "${hsdwSource}/packaging/copyright" "${hsdwOut}/changelog.gz"
            DESTINATION "${CMAKE_INSTALL_DATAROOTDIR}/doc/${package}" COMPONENT ${component})
endforeach()
