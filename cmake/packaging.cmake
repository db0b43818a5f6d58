# Debian packages, one per install component: `cpack -G DEB` in a build folder, or
# scripts/package.sh, which builds them with Debian's flags under the prefix /usr.
#   libhxphxo1     runtime   the shared library
#   libhxphxo-dev  dev       header, CMake package, pkg-config file
#   hxo-cmdline    cmdline   the program, its manual page and completion, /usr/share/hxo
set(HXO_PACKAGE_CONTACT "hxo_cmdline developers <hxo@example.org>" CACHE STRING
    "The Maintainer field of the Debian packages")
set(HXO_COMPONENTS runtime dev cmdline)
set(HXO_DEB_NAMES libhxphxo1 libhxphxo-dev hxo-cmdline)

# Every package carries the copyright file and changelog Debian asks for. They are installed only
# when a component is named (as CPack does), not by a plain `cmake --install`.
execute_process(COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/packaging/changelog
                OUTPUT_FILE ${PROJECT_BINARY_DIR}/changelog.gz COMMAND_ERROR_IS_FATAL ANY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS packaging/changelog)
foreach(component name IN ZIP_LISTS HXO_COMPONENTS HXO_DEB_NAMES)
  install(FILES packaging/copyright ${PROJECT_BINARY_DIR}/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${name} COMPONENT ${component} EXCLUDE_FROM_ALL)
  string(TOUPPER ${component} upper)
  set(CPACK_DEBIAN_${upper}_PACKAGE_NAME ${name})
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME hxo)
set(CPACK_PACKAGE_CONTACT "${HXO_PACKAGE_CONTACT}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL ${HXO_COMPONENTS})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Dependencies on system libraries come from the binaries; on our own library from the
# component dependencies below (an exact version, as the three are built together).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
# dpkg-shlibdeps runs in the package's staging folder; the program's library is in the runtime
# package's, beside it.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
    ../runtime${CPACK_PACKAGING_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR})
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_COMPONENT_DEV_DEPENDS runtime)
set(CPACK_COMPONENT_CMDLINE_DEPENDS runtime)

set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
# The library's folder is the loader's: dpkg runs ldconfig once after the packages are installed.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/triggers)
set(CPACK_DEBIAN_RUNTIME_DESCRIPTION
"engine of hxo_cmdline, the network-monitoring configuration utility
libHxpHxo runs configuration scripts against a network-monitoring installation:
authenticating to its event server, declaring agents, adding and removing
brokers, DSMs and targets, editing their properties and rule sensitivities,
committing the changes, reading remote logs and running remote commands.
It includes a simulated installation described by a JSON file.")
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_DESCRIPTION
"development files for libHxpHxo
The C header hxo/hxo.h, a CMake package (find_package(HxpHxo), target
HxpHxo::HxpHxo) and a pkg-config file (hxo) for programs that run
configuration scripts through libHxpHxo.")
set(CPACK_DEBIAN_CMDLINE_PACKAGE_SECTION net)
set(CPACK_DEBIAN_CMDLINE_DESCRIPTION
"scriptable configuration utility for a network-monitoring installation
hxo_cmdline runs configuration scripts, command texts or interactive input
against a network-monitoring installation, or against a simulated one
described by a JSON file. The package includes the manual page, bash
completion, the default simulated site and example scripts.")

include(CPack)
