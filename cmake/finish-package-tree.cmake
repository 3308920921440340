# SPDX-License-Identifier: GPL-3.0-or-later
# CPack pre-build step on the staging folder, as Debian's own packaging tools
# leave a package: manual pages and the changelog gzipped (man reads
# kestrin.1.gz as it reads kestrin.1), binaries without their .comment section.
file(GLOB_RECURSE staged_files "${CPACK_TEMPORARY_DIRECTORY}/*")

set(compressed ${staged_files})
list(FILTER compressed INCLUDE REGEX "(/share/man/man[1-9]/[^/]+\\.[1-9]|/share/doc/[^/]+/changelog)$")
foreach(file IN LISTS compressed)
  # -n leaves the name and time out of the header, so the package is reproducible.
  execute_process(COMMAND gzip -9 -n -f "${file}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip failed on ${file}")
  endif()
endforeach()

set(programs ${staged_files})
list(FILTER programs INCLUDE REGEX "/bin/[^/]+$")
foreach(program IN LISTS programs)
  execute_process(COMMAND objcopy --remove-section=.comment "${program}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "objcopy failed on ${program}")
  endif()
endforeach()
