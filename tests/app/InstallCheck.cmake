# Installs the build into a fresh prefix and checks that the program, its
# desktop entry, MIME type and icons are where the desktop looks for them.
# Run as: cmake -DBUILD_DIR=... -DPREFIX=... -P InstallCheck.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix
                        "${PREFIX}" RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${status}")
endif()
foreach(
  file
  bin/dalvren
  share/applications/dalvren.desktop
  share/mime/packages/dalvren.xml
  share/icons/hicolor/16x16/apps/dalvren.png
  share/icons/hicolor/32x32/apps/dalvren.png
  share/icons/hicolor/scalable/apps/dalvren.svg
  share/icons/hicolor/16x16/mimetypes/application-x-thingy-table.png
  share/icons/hicolor/32x32/mimetypes/application-x-thingy-table.png
  share/icons/hicolor/scalable/mimetypes/application-x-thingy-table.svg)
  if(NOT EXISTS "${PREFIX}/${file}")
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()
file(READ "${PREFIX}/share/applications/dalvren.desktop" entry)
if(NOT entry MATCHES "\nExec=dalvren %f\n" OR NOT entry MATCHES
                                               "MimeType=application/x-thingy-table;")
  message(FATAL_ERROR "desktop entry does not open tables:\n${entry}")
endif()
execute_process(COMMAND "${PREFIX}/bin/dalvren" --version OUTPUT_VARIABLE out
                RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT out STREQUAL "Dalvren 1.0.0.1\n")
  message(FATAL_ERROR "installed program answers --version with ${status}: ${out}")
endif()
file(REMOVE_RECURSE "${PREFIX}")
