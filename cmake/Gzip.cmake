# Writes OUTPUT, the file INPUT compressed as Debian wants its manual pages
# and change logs: gzip's best, with no name or time stamp in the header, so
# that the same input always gives the same bytes.
# Run as: cmake -DGZIP_PROGRAM=... -DINPUT=... -DOUTPUT=... -P Gzip.cmake
execute_process(COMMAND "${GZIP_PROGRAM}" -9 -n -c "${INPUT}"
                OUTPUT_FILE "${OUTPUT}.tmp" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  file(REMOVE "${OUTPUT}.tmp")
  message(FATAL_ERROR "gzip could not compress ${INPUT}: ${status}")
endif()
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
