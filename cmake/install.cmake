# What `cmake --install` puts under the prefix, by component: `runtime` (the shared library),
# `dev` (header, CMake package, pkg-config file), `cmdline` (the program, its manual page, its
# bash completion, the default site and the example scripts). The packages of packaging.cmake
# are these components.
include(CMakePackageConfigHelpers)

install(TARGETS HxpHxo EXPORT HxpHxo
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT dev)
install(FILES include/hxo/hxo.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/hxo COMPONENT dev)

# find_package(HxpHxo 1.0) gives HxpHxo::HxpHxo; any 1.x satisfies a request for 1.0.
set(HXO_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/HxpHxo)
install(EXPORT HxpHxo FILE HxpHxoConfig.cmake NAMESPACE HxpHxo::
        DESTINATION ${HXO_CMAKE_DIR} COMPONENT dev)
write_basic_package_version_file(HxpHxoConfigVersion.cmake COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/HxpHxoConfigVersion.cmake
        DESTINATION ${HXO_CMAKE_DIR} COMPONENT dev)

# pkg-config names the prefix it was installed under, which is known only when installing (a
# packager's prefix differs from the configured one): the template is filled at install time.
set(HXO_INSTALL_PREFIX "@CMAKE_INSTALL_PREFIX@")
set(HXO_PC ${PROJECT_BINARY_DIR}/hxo.pc)
configure_file(cmake/hxo.pc.in ${HXO_PC}.in @ONLY)
install(CODE "configure_file(\"${HXO_PC}.in\" \"${HXO_PC}\" @ONLY)" COMPONENT dev)
install(FILES ${HXO_PC} DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT dev)

install(TARGETS hxo_cmdline RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT cmdline)
install(FILES cli/hxo_cmdline.bash-completion RENAME hxo_cmdline
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions COMPONENT cmdline)
install(FILES examples/site.json DESTINATION ${CMAKE_INSTALL_DATADIR}/hxo COMPONENT cmdline)
file(GLOB HXO_EXAMPLE_SCRIPTS CONFIGURE_DEPENDS examples/*.hxo)
install(FILES ${HXO_EXAMPLE_SCRIPTS}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/hxo/examples COMPONENT cmdline)

# The manual page is written in scdoc (cli/hxo_cmdline.1.scd) and installed compressed.
option(HXO_BUILD_MAN "Generate and install the manual page (needs scdoc)" ON)
if(HXO_BUILD_MAN)
  find_program(SCDOC scdoc)
  if(NOT SCDOC)
    message(FATAL_ERROR "scdoc not found: bash scripts/setup.sh installs it "
                        "(or configure with -DHXO_BUILD_MAN=OFF)")
  endif()
  configure_file(cli/hxo_cmdline.1.scd hxo_cmdline.1.scd @ONLY)
  add_custom_command(OUTPUT hxo_cmdline.1 hxo_cmdline.1.gz
    COMMAND ${SCDOC} < hxo_cmdline.1.scd > hxo_cmdline.1
    COMMAND gzip -9nf --keep hxo_cmdline.1
    DEPENDS ${PROJECT_BINARY_DIR}/hxo_cmdline.1.scd
    COMMENT "Generating the manual page hxo_cmdline(1)")
  add_custom_target(hxo_man ALL DEPENDS hxo_cmdline.1 hxo_cmdline.1.gz)
  install(FILES ${PROJECT_BINARY_DIR}/hxo_cmdline.1.gz
          DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT cmdline)
endif()
