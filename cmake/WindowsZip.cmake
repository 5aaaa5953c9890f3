# The converter as Windows users get it: one zip with the program, its
# manual, a read-me for Windows users and the copyright file, the texts with
# Windows line ends.
#
# Included in a build for Windows, it adds the target dalvren_windows_zip
# (built with everything else), which writes DALVREN_WINDOWS_ZIP,
# dalvren-convert-VERSION-windows-x86_64.zip in the build folder. Run as a
# script, it writes one zip:
#   cmake -DPROGRAM=... -DSTRIP=... -DMANUAL=... -DREADME=... -DCOPYRIGHT=...
#     -DFOLDER=... -DDATE=YYYY-MM-DD -DOUTPUT=... -P WindowsZip.cmake
if(CMAKE_SCRIPT_MODE_FILE)
  set(stage ${OUTPUT}.files)
  set(folder ${stage}/${FOLDER})
  file(REMOVE_RECURSE ${stage})
  file(MAKE_DIRECTORY ${folder})
  file(COPY_FILE ${PROGRAM} ${folder}/dalvren-convert.exe)
  execute_process(COMMAND ${STRIP} ${folder}/dalvren-convert.exe
                  RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "could not strip ${PROGRAM}")
  endif()
  foreach(text IN ITEMS MANUAL README COPYRIGHT)
    file(READ ${${text}} content)
    string(REPLACE "\n" "\r\n" content "${content}")
    file(WRITE ${folder}/${text}.txt "${content}")
  endforeach()
  file(REMOVE ${OUTPUT})
  # Every file dated the release date, so that a zip of the same sources is
  # the same zip.
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E tar cf ${OUTPUT} --format=zip
            --mtime=${DATE} ${FOLDER}
    WORKING_DIRECTORY ${stage}
    RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    file(REMOVE ${OUTPUT})
    message(FATAL_ERROR "could not write ${OUTPUT}")
  endif()
  file(REMOVE_RECURSE ${stage})
  return()
endif()

set(folder dalvren-convert-${PROJECT_VERSION}-windows-x86_64)
set(DALVREN_WINDOWS_ZIP ${PROJECT_BINARY_DIR}/${folder}.zip)
set(texts ${PROJECT_SOURCE_DIR}/cli/Manual.txt
          ${PROJECT_SOURCE_DIR}/res/windows/README.txt
          ${PROJECT_SOURCE_DIR}/res/debian/copyright)
add_custom_command(
  OUTPUT ${DALVREN_WINDOWS_ZIP}
  COMMAND
    ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:dalvren-convert>
    -DSTRIP=${CMAKE_STRIP} -DMANUAL=${PROJECT_SOURCE_DIR}/cli/Manual.txt
    -DREADME=${PROJECT_SOURCE_DIR}/res/windows/README.txt
    -DCOPYRIGHT=${PROJECT_SOURCE_DIR}/res/debian/copyright -DFOLDER=${folder}
    -DDATE=${DALVREN_RELEASE_DATE} -DOUTPUT=${DALVREN_WINDOWS_ZIP} -P
    ${CMAKE_CURRENT_LIST_FILE}
  DEPENDS dalvren-convert ${texts} ${CMAKE_CURRENT_LIST_FILE}
  COMMENT "Zipping the converter for Windows"
  VERBATIM)
add_custom_target(dalvren_windows_zip ALL DEPENDS ${DALVREN_WINDOWS_ZIP})
