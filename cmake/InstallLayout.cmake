# Where an installation puts things (GNUInstallDirs), known before the modules are added
# because the host finds the installed plug-in relative to its own folder:
#   HSDW_PLUGIN_INSTALL_DIR   lib/<multiarch>/hsdwarchive: the plug-in's private folder (hosts
#                             dlopen it by path and nothing links it)
#   HSDW_PLUGIN_FILE_NAME     libhsdwarchive.so
#   HSDW_PLUGIN_FROM_BINDIR   the plug-in seen from the programs' folder bin/
#   HSDW_DOC_INSTALL_DIR      share/doc/hsdwarchive
# The install rules themselves are in cmake/Install.cmake.

# Debian keeps libraries in the multiarch folder under every prefix, /usr/local included.
# A build tree configured before this layout holds GNUInstallDirs' "lib" for /usr/local (Qt's
# CMake files include GNUInstallDirs): that plain default is replaced once; a LIBDIR given
# with -D is kept.
if(CMAKE_LIBRARY_ARCHITECTURE AND NOT HSDW_LIBDIR_CHOSEN)
    get_property(libdirHelp CACHE CMAKE_INSTALL_LIBDIR PROPERTY HELPSTRING)
    if(NOT DEFINED CACHE{CMAKE_INSTALL_LIBDIR} OR
       ("$CACHE{CMAKE_INSTALL_LIBDIR}" STREQUAL "lib" AND
        libdirHelp STREQUAL "Object code libraries (lib)"))
        set(CMAKE_INSTALL_LIBDIR "lib/${CMAKE_LIBRARY_ARCHITECTURE}" CACHE PATH
            "Object code libraries (lib/${CMAKE_LIBRARY_ARCHITECTURE})" FORCE)
    endif()
    set(HSDW_LIBDIR_CHOSEN ON CACHE INTERNAL "CMAKE_INSTALL_LIBDIR is the project's choice")
endif()
include(GNUInstallDirs)
foreach(dir BINDIR LIBDIR INCLUDEDIR DATAROOTDIR MANDIR)
    if(IS_ABSOLUTE "${CMAKE_INSTALL_${dir}}")
        message(FATAL_ERROR "CMAKE_INSTALL_${dir} must be relative to the prefix, so that an "
                            "installed host finds its plug-in wherever the tree is installed")
    endif()
endforeach()

set(HSDW_PLUGIN_INSTALL_DIR "${CMAKE_INSTALL_LIBDIR}/hsdwarchive")
set(HSDW_PLUGIN_FILE_NAME "${CMAKE_SHARED_LIBRARY_PREFIX}hsdwarchive${CMAKE_SHARED_LIBRARY_SUFFIX}")
file(RELATIVE_PATH HSDW_PLUGIN_FROM_BINDIR "/prefix/${CMAKE_INSTALL_BINDIR}"
     "/prefix/${HSDW_PLUGIN_INSTALL_DIR}/${HSDW_PLUGIN_FILE_NAME}")
set(HSDW_DOC_INSTALL_DIR "${CMAKE_INSTALL_DATAROOTDIR}/doc/hsdwarchive")

# The install components and the Debian packages made of them, in the same order.
set(HSDW_INSTALL_COMPONENTS plugin tools dev)
set(HSDW_PACKAGE_NAMES hsdwarchive hsdwarchive-tools hsdwarchive-dev)
