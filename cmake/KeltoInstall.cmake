# Installation and packaging: libraries with sonames, the public headers (a
# folder that compiles on its own), a CMake package with imported targets,
# pkg-config files, the command-line tool with its man page, the examples and
# symbol libraries, and a Debian package through CPack. docs/install.md has the
# layout.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

include(cmake/KeltoPublicHeaders.cmake)

# --- Libraries and programs -------------------------------------------------
set_target_properties(kelto PROPERTIES VERSION ${PROJECT_VERSION} SOVERSION 0)

# Installed binaries find the libraries relative to themselves: programs one
# folder up and over (KeltoRunPath.cmake), libraries and plugins beside each
# other.
set_target_properties(kelto3d-runtime kelto3d kelto PROPERTIES INSTALL_RPATH "$ORIGIN")
# The command line finds the modules it registers the same way (see
# apps/kelto3d/ModuleFiles.cpp); in the build tree they are in ../lib.
target_compile_definitions(kelto3d-cli-commands PRIVATE
                           KELTO_BIN_TO_LIB="${KELTO_BIN_TO_LIB}")

install(TARGETS kelto3d-runtime kelto3d kelto
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT dev)
# The options dialog's Qt plugin, where the module looks for it: beside it.
if(TARGET kelto3d-qt)
  set_target_properties(kelto3d-qt PROPERTIES INSTALL_RPATH "$ORIGIN")
  install(TARGETS kelto3d-qt LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime)
endif()
install(TARGETS kelto3d-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
install(FILES ${PROJECT_SOURCE_DIR}/docs/man/kelto3d.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
        COMPONENT runtime)
# Where bash-completion looks for a command's completion when it is first used.
install(FILES ${PROJECT_SOURCE_DIR}/apps/kelto3d/completion/kelto3d.bash
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME kelto3d COMPONENT runtime)

# --- Examples and data ------------------------------------------------------
install(FILES ${PROJECT_SOURCE_DIR}/examples/drain-spool.json ${PROJECT_SOURCE_DIR}/examples/pipe-rack.json
              ${PROJECT_SOURCE_DIR}/examples/pump-station.json
              ${PROJECT_SOURCE_DIR}/examples/steam-header.json
        DESTINATION ${CMAKE_INSTALL_DATADIR}/kelto3d/examples COMPONENT runtime)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/symbols/
        DESTINATION ${CMAKE_INSTALL_DATADIR}/kelto3d/symbols COMPONENT runtime)
install(FILES ${PROJECT_SOURCE_DIR}/examples/host/main.cpp
        DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples/host COMPONENT dev)

# --- CMake package and pkg-config -------------------------------------------
set(KELTO_CONFIG_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Kelto3D)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/Kelto3DConfig.cmake.in
                              ${CMAKE_BINARY_DIR}/package/Kelto3DConfig.cmake
                              INSTALL_DESTINATION ${KELTO_CONFIG_DIR}
                              PATH_VARS CMAKE_INSTALL_INCLUDEDIR CMAKE_INSTALL_LIBDIR)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/package/Kelto3DConfigVersion.cmake
                                 VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/package/Kelto3DConfig.cmake
              ${CMAKE_BINARY_DIR}/package/Kelto3DConfigVersion.cmake
        DESTINATION ${KELTO_CONFIG_DIR} COMPONENT dev)

configure_file(${PROJECT_SOURCE_DIR}/cmake/kelto3d.pc.in ${CMAKE_BINARY_DIR}/package/kelto3d.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/package/kelto3d.pc
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT dev)

# --- Debian package -----------------------------------------------------------
# One package holds every install component (runtime and dev), so whatever a
# part of the project installs (a program with
# `install(TARGETS … RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)`,
# its data files) travels in it with no change here; docs/install.md.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kelto3d)
set(CPACK_PACKAGE_VENDOR "Kelto3D")
set(CPACK_PACKAGE_CONTACT "Kelto3D maintainers <kelto3d@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "3D models of piping data, with a scripting object model")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
# The Debian packages of the libraries the binaries link, with their minimum
# versions, as dpkg-shlibdeps (dpkg-dev) finds them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The package installs where the build was configured to (scripts/package
# configures /usr), so the pkg-config file names the right folders.
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/cmake/debian/postinst
                                       ${PROJECT_SOURCE_DIR}/cmake/debian/prerm
                                       ${PROJECT_SOURCE_DIR}/cmake/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
