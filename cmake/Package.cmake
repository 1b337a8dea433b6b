# The Debian packages, made by `cpack -G DEB` from a build configured with CMAKE_INSTALL_PREFIX=/usr
# and the multiarch CMAKE_INSTALL_LIBDIR (scripts/package.sh does both):
#   libmorvane<SOVERSION>  the runtime component: the shared library under its SONAME
#   libmorvane-dev         the dev component: header, libmorvane.so, CMake package, morvane.pc
# Their versions and file names come from the project version.
get_target_property(soversion morvane SOVERSION)
set(MORVANE_DEB_RUNTIME libmorvane${soversion})
set(MORVANE_DEB_DEV libmorvane-dev)
set(MORVANE_DEB_MAINTAINER "The Morvane developers <morvane@example.org>"
    CACHE STRING "The Maintainer field of the Debian packages and their changelog")

# Debian wants a copyright file and a changelog in each package's documentation folder. They are
# made here from LICENSE and the version, and installed only by component installs (which cpack
# does), not by a plain cmake --install.
set(debian_dir ${CMAKE_CURRENT_BINARY_DIR}/debian)
file(READ ${PROJECT_SOURCE_DIR}/LICENSE licence)
string(REGEX MATCH "Copyright \\(C\\) ([^\n]*)" _ "${licence}")
set(holder "${CMAKE_MATCH_1}")
string(FIND "${licence}" "Permission is hereby granted" terms_start)
string(SUBSTRING "${licence}" ${terms_start} -1 terms)
string(STRIP "${terms}" terms)
# The machine-readable format's licence text: each line indented by one space, empty lines as " .".
string(REPLACE "\n\n" "\n.\n" terms "${terms}")
string(REPLACE "\n" "\n " terms "${terms}")
file(WRITE ${debian_dir}/copyright
     "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
     "Upstream-Name: Morvane\n\n"
     "Files: *\nCopyright: ${holder}\nLicense: Expat\n ${terms}\n")
# The changelog's date comes from SOURCE_DATE_EPOCH when it is set (scripts/package.sh sets it to
# the commit's time), so that two builds of one commit write the same file.
string(TIMESTAMP date "%a, %d %b %Y %H:%M:%S +0000" UTC)
file(WRITE ${debian_dir}/changelog
     "morvane (${PROJECT_VERSION}) unstable; urgency=medium\n\n"
     "  * Release ${PROJECT_VERSION}.\n\n"
     " -- ${MORVANE_DEB_MAINTAINER}  ${date}\n")
find_program(MORVANE_GZIP gzip REQUIRED)
execute_process(COMMAND ${MORVANE_GZIP} -9nf ${debian_dir}/changelog COMMAND_ERROR_IS_FATAL ANY)
foreach(component runtime dev)
  string(TOUPPER ${component} upper)
  set(doc_dir ${CMAKE_INSTALL_DATAROOTDIR}/doc/${MORVANE_DEB_${upper}})
  install(FILES ${debian_dir}/copyright ${debian_dir}/changelog.gz DESTINATION ${doc_dir}
          COMPONENT ${component} EXCLUDE_FROM_ALL)
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME morvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${MORVANE_DEB_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime dev)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# A shlibs file for the packages built against this one: any later version under the same SONAME
# will do for them.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME ${MORVANE_DEB_RUNTIME})
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
# libc's ldconfig trigger refreshes the loader's cache once per dpkg run. (CPack also writes
# postinst and postrm scripts that call ldconfig, and has no switch to leave them out.)
file(WRITE ${debian_dir}/triggers "activate-noawait ldconfig\n")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${debian_dir}/triggers)
set(CPACK_DEBIAN_RUNTIME_DESCRIPTION
    "alpha-compositing blits and BMP export on a host's bitmaps
Morvane is a small library that a host runtime loads into its own process to
draw on the host's in-memory bitmaps: alpha-compositing blits with five blend
modes and seven raster operations, a copy clipped to a region, and saving a
bitmap as a 24-bit BMP file.

This package holds the shared library.")

set(CPACK_DEBIAN_DEV_PACKAGE_NAME ${MORVANE_DEB_DEV})
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "${MORVANE_DEB_RUNTIME} (= ${PROJECT_VERSION})")
set(CPACK_DEBIAN_DEV_DESCRIPTION
    "alpha-compositing blits and BMP export on a host's bitmaps (development files)
Morvane is a small library that a host runtime loads into its own process to
draw on the host's in-memory bitmaps: alpha-compositing blits with five blend
modes and seven raster operations, a copy clipped to a region, and saving a
bitmap as a 24-bit BMP file.

This package holds the header, a CMake package (find_package(Morvane)) and
a pkg-config file (morvane) for building programs against the library.")

include(CPack)
