# SPDX-License-Identifier: GPL-3.0-or-later
# Run by cpack in its staging folder, before it makes the package: what only the
# .deb carries, the package's Debian changelog and its lintian overrides.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()
include(${CMAKE_CURRENT_LIST_DIR}/Gzip.cmake)
set(root ${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX})

# One entry for the release that CHANGELOG.md lists first, dated as it is there.
file(READ ${CPACK_TARNWICK_CHANGELOG} text)
if(NOT text MATCHES "\n## ([^ \n]+) — ([0-9]+-[0-9]+-[0-9]+)\n")
  message(FATAL_ERROR "${CPACK_TARNWICK_CHANGELOG} has no \"## VERSION — YYYY-MM-DD\" heading")
endif()
set(release ${CMAKE_MATCH_1})
set(day ${CMAKE_MATCH_2})
if(NOT release STREQUAL CPACK_PACKAGE_VERSION)
  message(FATAL_ERROR "CHANGELOG.md begins with ${release}, but the package is ${CPACK_PACKAGE_VERSION}")
endif()
execute_process(COMMAND date -u -R -d "${day} 12:00" OUTPUT_VARIABLE date OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)
set(changelog ${CPACK_TOPLEVEL_DIRECTORY}/changelog.Debian)
file(WRITE ${changelog} "tarnwick (${release}-${CPACK_DEBIAN_PACKAGE_RELEASE}) unstable; urgency=medium

  * Tarnwick ${release}, packaged from its own source tree; changelog.gz
    says what changed for users.

 -- ${CPACK_PACKAGE_CONTACT}  ${date}
")
gzip_file(${changelog} ${root}/share/doc/tarnwick/changelog.Debian.gz)

file(MAKE_DIRECTORY ${root}/share/lintian/overrides)
file(COPY_FILE ${CMAKE_CURRENT_LIST_DIR}/lintian-overrides ${root}/share/lintian/overrides/tarnwick)
