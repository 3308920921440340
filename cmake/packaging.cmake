# SPDX-License-Identifier: GPL-3.0-or-later
# Installation and packaging of kestrin: the three programs, their manual
# pages and the example data; `cpack -G DEB` in the build folder makes the
# Debian package.
include(GNUInstallDirs)

install(TARGETS kestrin kestrin-spins kestrin-stats RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/man/kestrin.1 ${PROJECT_SOURCE_DIR}/man/kestrin-spins.1
        ${PROJECT_SOURCE_DIR}/man/kestrin-stats.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# Data the programs find relative to themselves (src/defaults/): the
# statistics of 46 proteins and their atom selections, for whoever names
# them, ...
install(FILES ${PROJECT_SOURCE_DIR}/data/stats_full.txt ${PROJECT_SOURCE_DIR}/data/atoms_full.txt
        ${PROJECT_SOURCE_DIR}/data/stats_backbone.txt ${PROJECT_SOURCE_DIR}/data/atoms_backbone.txt
        DESTINATION ${CMAKE_INSTALL_DATADIR}/kestrin)
# ... and the default statistics and atom selections, by the names the
# library looks for (src/defaults/default_statistics.h).
set(default_names_header ${PROJECT_SOURCE_DIR}/src/defaults/default_statistics.h)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${default_names_header})
file(STRINGS ${default_names_header} default_lines REGEX "\"[a-z_]+\\.txt\"")
string(REGEX MATCHALL "[a-z_]+\\.txt" default_names "${default_lines}")
list(REMOVE_DUPLICATES default_names)
list(TRANSFORM default_names PREPEND ${PROJECT_SOURCE_DIR}/data/)
install(FILES ${default_names} DESTINATION ${CMAKE_INSTALL_DATADIR}/kestrin)
# The manual page's examples run on these files. The RefDB entries the default
# statistics are built from serve the source tree's scripts, not the examples.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples
        PATTERN refdb EXCLUDE)

set(KESTRIN_PACKAGE_MAINTAINER "kestrin maintainers <kestrin@example.org>"
    CACHE STRING "Maintainer field of the Debian package: name <address>")

# The licence and history, where Debian's tools look for them: the copyright
# file in Debian's machine-readable format, the changelog (gzipped when the
# package is built), and the one lintian finding that is kept on purpose.
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${PROJECT_BINARY_DIR}/packaging/changelog @ONLY)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${PROJECT_BINARY_DIR}/packaging/changelog
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides RENAME kestrin)

# The Debian packages that ship the given libraries, asked of dpkg so the
# names follow the distribution (libgsl27 and libgslcblas0 on Debian 12). A
# library's real file belongs to the runtime package, its unversioned link to
# the -dev package.
function(kestrin_runtime_packages result fallback)
  set(packages "")
  foreach(library IN LISTS ARGN)
    file(REAL_PATH "${library}" library_file)
    execute_process(COMMAND dpkg-query --search "${library_file}"
                    OUTPUT_VARIABLE owner RESULT_VARIABLE status ERROR_QUIET OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(status EQUAL 0 AND owner MATCHES "^([^:, ]+)")
      list(APPEND packages "${CMAKE_MATCH_1}")
    endif()
  endforeach()
  if(NOT packages)
    set(packages ${fallback})
    message(STATUS "dpkg knows no package of ${ARGN}; the Debian package will depend on ${packages}")
  endif()
  list(REMOVE_DUPLICATES packages)
  list(JOIN packages ", " packages)
  set(${result} "${packages}" PARENT_SCOPE)
endfunction()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kestrin)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${KESTRIN_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "rank amino-acid types of protein NMR spin systems by their chemical shifts")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "kestrin helps assign protein NMR spectra. For every spin system of a protein,
a group of observed H, C and N chemical shifts labelled only by their nucleus,
it scores how well each selected amino-acid type explains the shifts and
prints the types ranked by that score, from per-atom shift statistics,
missing rates and covariances.

Four models sum over the attachments of the shifts to the atoms of each type:
all of them or only the plausible ones, with independent normal densities or
one multivariate normal density. A table of every score and an SVG heat map
of the whole protein can be written beside the reports.

kestrin-spins turns NEF files, NMR-STAR 3 and 2.1 entries, Sparky resonance
lists and NMRPipe/TALOS shift tables into kestrin's spin-system input.
kestrin-stats builds the statistics file and the atom selection from
assigned entries. Example statistics, atom selections, two proteins and the
BMRB entries they were derived from are in /usr/share/doc/kestrin/examples.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_STRIP_FILES ON)
# dpkg-shlibdeps names the libraries the binary loads, with the minimum
# versions it needs: the C and C++ runtime and libgsl. It leaves out
# libgslcblas, whose functions kestrin only reaches through libgsl, so that
# one is named here; without dpkg-shlibdeps both GSL packages are.
find_program(KESTRIN_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(KESTRIN_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  kestrin_runtime_packages(CPACK_DEBIAN_PACKAGE_DEPENDS libgslcblas0 "${GSL_CBLAS_LIBRARY}")
else()
  kestrin_runtime_packages(CPACK_DEBIAN_PACKAGE_DEPENDS "libgsl27;libgslcblas0" "${GSL_LIBRARY}"
                           "${GSL_CBLAS_LIBRARY}")
endif()
# Debian keeps manual pages and changelogs compressed, and binaries without
# the compiler's .comment notes.
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/finish-package-tree.cmake)

include(CPack)
