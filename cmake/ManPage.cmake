# Manual pages written once as plain text, in the form the converter's
# --help prints, and turned into roff by TextToMan.awk as the project builds.
#
# Included, it defines dalvren_add_man_page(). Run as a script, it writes one
# page: cmake -DAWK_PROGRAM=... -DINPUT=... -DOUTPUT=... -DPAGE=...
#   -DSECTION=... -DDATE=... -DSOURCE=... -P ManPage.cmake
if(CMAKE_SCRIPT_MODE_FILE)
  execute_process(
    COMMAND
      "${AWK_PROGRAM}" -v "page=${PAGE}" -v "section=${SECTION}" -v
      "date=${DATE}" -v "source=${SOURCE}" -f
      "${CMAKE_CURRENT_LIST_DIR}/TextToMan.awk" "${INPUT}"
    OUTPUT_FILE "${OUTPUT}.tmp"
    RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    file(REMOVE "${OUTPUT}.tmp")
    message(FATAL_ERROR "could not make the manual page ${OUTPUT}")
  endif()
  file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
  return()
endif()

find_program(DALVREN_AWK NAMES awk gawk mawk REQUIRED)
find_program(DALVREN_GZIP gzip REQUIRED)

# dalvren_add_man_page(NAME SECTION SOURCE)
# Builds NAME.SECTION (roff, for tests and `man -l`) and NAME.SECTION.gz from
# the plain-text manual SOURCE with every build, and installs the compressed
# page to share/man/manSECTION. The target NAME_man_page builds both; its
# property MAN_PAGE holds the roff page's path.
function(dalvren_add_man_page name section source)
  set(page ${CMAKE_CURRENT_BINARY_DIR}/${name}.${section})
  add_custom_command(
    OUTPUT ${page} ${page}.gz
    COMMAND
      ${CMAKE_COMMAND} -DAWK_PROGRAM=${DALVREN_AWK} -DINPUT=${source}
      -DOUTPUT=${page} -DPAGE=${name} -DSECTION=${section}
      -DDATE=${DALVREN_RELEASE_DATE} "-DSOURCE=Dalvren ${PROJECT_VERSION}" -P
      ${PROJECT_SOURCE_DIR}/cmake/ManPage.cmake
    COMMAND ${CMAKE_COMMAND} -DGZIP_PROGRAM=${DALVREN_GZIP} -DINPUT=${page}
            -DOUTPUT=${page}.gz -P ${PROJECT_SOURCE_DIR}/cmake/Gzip.cmake
    DEPENDS ${source} ${PROJECT_SOURCE_DIR}/cmake/ManPage.cmake
            ${PROJECT_SOURCE_DIR}/cmake/TextToMan.awk
            ${PROJECT_SOURCE_DIR}/cmake/Gzip.cmake
    COMMENT "Writing the manual page ${name}(${section})"
    VERBATIM)
  add_custom_target(${name}_man_page ALL DEPENDS ${page} ${page}.gz)
  install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
  set_target_properties(${name}_man_page PROPERTIES MAN_PAGE ${page})
endfunction()
