# SPDX-License-Identifier: GPL-3.0-or-later
# CPack pre-build step: gzip the manual pages in the staging folder, as
# Debian keeps them; man reads kestrin.1.gz as it reads kestrin.1.
file(GLOB_RECURSE staged_files "${CPACK_TEMPORARY_DIRECTORY}/*")
list(FILTER staged_files INCLUDE REGEX "/share/man/man[1-9]/[^/]+\\.[1-9]$")
foreach(page IN LISTS staged_files)
  # -n leaves the name and time out of the header, so the package is reproducible.
  execute_process(COMMAND gzip -9 -n -f "${page}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip failed on ${page}")
  endif()
endforeach()
