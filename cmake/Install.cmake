# cmake --install: the header, the library, the morvane tool, a CMake package (find_package(Morvane)
# gives the imported target Morvane::morvane) and a pkg-config file. Each file belongs to one
# component, as the Debian packages split them: runtime (the shared library), dev (what a program
# builds against) and tool (the morvane command, which no package carries).
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

install(TARGETS morvane EXPORT MorvaneTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT dev
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
if(TARGET morvane_tool)
  # The installed tool finds the installed library wherever the prefix is.
  file(RELATIVE_PATH MORVANE_BIN_TO_LIB ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
  set_target_properties(morvane_tool PROPERTIES INSTALL_RPATH "$ORIGIN/${MORVANE_BIN_TO_LIB}")
  install(TARGETS morvane_tool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT tool)
endif()
install(FILES include/morvane.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT dev)

set(MORVANE_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Morvane)
install(EXPORT MorvaneTargets NAMESPACE Morvane:: DESTINATION ${MORVANE_CMAKE_DIR} COMPONENT dev)
configure_package_config_file(cmake/MorvaneConfig.cmake.in
                              ${CMAKE_CURRENT_BINARY_DIR}/MorvaneConfig.cmake
                              INSTALL_DESTINATION ${MORVANE_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/MorvaneConfigVersion.cmake
                                 COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/MorvaneConfig.cmake
              ${CMAKE_CURRENT_BINARY_DIR}/MorvaneConfigVersion.cmake
        DESTINATION ${MORVANE_CMAKE_DIR} COMPONENT dev)

if(NOT WIN32)
  # The .pc file names the install prefix itself, so that pkg-config gives plain paths
  # (-I/usr/include, which it leaves out as a system folder, rather than one relative to the file).
  configure_file(cmake/morvane.pc.in ${CMAKE_CURRENT_BINARY_DIR}/morvane.pc @ONLY)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/morvane.pc
          DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT dev)
  # The examples, as source, beside the package's other documentation.
  install(FILES examples/blend.c examples/host.c
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/libmorvane-dev/examples COMPONENT dev)
  include(cmake/Package.cmake)
endif()
