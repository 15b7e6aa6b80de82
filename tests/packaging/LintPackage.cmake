# SPDX-License-Identifier: GPL-3.0-or-later
# cmake -DCPACK=cpack -DBUILD=build-dir -DOUTPUT=dir -P LintPackage.cmake
find_program(LINTIAN lintian)
if(NOT LINTIAN)
  message("lintian is not installed (scripts/setup installs it)")
  return()
endif()
file(REMOVE_RECURSE ${OUTPUT})
execute_process(COMMAND ${CPACK} -G DEB --config ${BUILD}/CPackConfig.cmake -B ${OUTPUT} COMMAND_ERROR_IS_FATAL ANY)
file(GLOB package ${OUTPUT}/*.deb)
execute_process(COMMAND ${LINTIAN} --fail-on error,warning --display-info ${package}
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "lintian found errors or warnings in ${package}")
endif()
