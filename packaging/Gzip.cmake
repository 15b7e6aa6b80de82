# SPDX-License-Identifier: GPL-3.0-or-later
# Compresses as Debian wants: best compression, no file name or time stamp in
# the header, so that builds repeat. Included for gzip_file(), or run as
#   cmake -DINPUT=file -DOUTPUT=file.gz -P Gzip.cmake
function(gzip_file input output)
  execute_process(COMMAND gzip -9 -n -c ${input} OUTPUT_FILE ${output} RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    file(REMOVE ${output})
    message(FATAL_ERROR "gzip failed on ${input}: ${status}")
  endif()
endfunction()

if(INPUT)
  gzip_file(${INPUT} ${OUTPUT})
endif()
