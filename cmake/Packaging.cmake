# The Debian package: what release this is, the files the package needs
# besides the programs' own, and CPack's DEB generator, which
# scripts/package.sh runs on the release build.

set(DALVREN_PACKAGE_NAME dalvren)
# The project has no domain of its own yet; the reserved one stands in for
# it in the maintainer's address and the software-centre component ID.
set(DALVREN_DOMAIN dalvren.example)
set(DALVREN_CONTACT "Dalvren maintainers <maintainers@${DALVREN_DOMAIN}>")
string(REPLACE "." ";" domain_parts ${DALVREN_DOMAIN})
list(REVERSE domain_parts)
list(JOIN domain_parts "." DALVREN_APPSTREAM_ID)
string(APPEND DALVREN_APPSTREAM_ID ".Dalvren")

# The change log records every release. Its newest entry must be this
# version, and its date is the release date that the manual pages and the
# software-centre metadata give.
set(DALVREN_CHANGELOG ${PROJECT_SOURCE_DIR}/res/debian/changelog)
set_property(
  DIRECTORY
  APPEND
  PROPERTY CMAKE_CONFIGURE_DEPENDS ${DALVREN_CHANGELOG})
file(READ ${DALVREN_CHANGELOG} changelog)
if(NOT changelog MATCHES "^${DALVREN_PACKAGE_NAME} \\(([^)]+)\\)")
  message(FATAL_ERROR "${DALVREN_CHANGELOG} does not start with an entry")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
  message(
    FATAL_ERROR
      "${DALVREN_CHANGELOG}: the newest entry is ${CMAKE_MATCH_1}, "
      "but this is version ${PROJECT_VERSION}; add an entry for it")
endif()
set(date_pattern "([0-9]?[0-9]) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9])")
if(NOT changelog MATCHES "\n -- [^\n]+>  [A-Z][a-z][a-z], ${date_pattern} ")
  message(FATAL_ERROR "${DALVREN_CHANGELOG}: no dated trailer line")
endif()
set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(FIND months ${CMAKE_MATCH_2} month)
if(month EQUAL -1)
  message(FATAL_ERROR "${DALVREN_CHANGELOG}: no month '${CMAKE_MATCH_2}'")
endif()
math(EXPR month "${month} + 1")
string(LENGTH "${CMAKE_MATCH_1}" day_digits)
set(day ${CMAKE_MATCH_1})
if(day_digits EQUAL 1)
  set(day 0${day})
endif()
if(month LESS 10)
  set(month 0${month})
endif()
set(DALVREN_RELEASE_DATE ${CMAKE_MATCH_3}-${month}-${day})

# Debian wants a copyright file and the change log, compressed, in the
# package's own documentation folder.
find_program(DALVREN_GZIP gzip REQUIRED)
set(changelog_gz ${PROJECT_BINARY_DIR}/changelog.gz)
add_custom_command(
  OUTPUT ${changelog_gz}
  COMMAND ${CMAKE_COMMAND} -DGZIP_PROGRAM=${DALVREN_GZIP}
          -DINPUT=${DALVREN_CHANGELOG} -DOUTPUT=${changelog_gz} -P
          ${PROJECT_SOURCE_DIR}/cmake/Gzip.cmake
  DEPENDS ${DALVREN_CHANGELOG} ${PROJECT_SOURCE_DIR}/cmake/Gzip.cmake
  COMMENT "Compressing the change log"
  VERBATIM)
add_custom_target(dalvren_changelog ALL DEPENDS ${changelog_gz})
set(DALVREN_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/${DALVREN_PACKAGE_NAME})
install(FILES ${PROJECT_SOURCE_DIR}/res/debian/copyright ${changelog_gz}
        DESTINATION ${DALVREN_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${DALVREN_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${DALVREN_CONTACT})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY ${PROJECT_DESCRIPTION})
set(CPACK_PACKAGE_DESCRIPTION
    "Dalvren is for people who translate and modify old games. Its window
converts the hex of a text block, pasted from a hex editor, into readable
text through a character table file (.tbl), and the edited text back into
bytes. The command-line converter dalvren-convert dumps whole ROMs to text
scripts, inserts edited scripts back, and checks tables for lines that do
not load.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# Folders made on the way to a file would otherwise take the packager's umask.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ
    WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Depends comes from the libraries the programs link (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# No maintainer scripts: the triggers of man-db, desktop-file-utils,
# shared-mime-info and the hicolor icon cache refresh their databases when
# the package's files come and go.
include(CPack)
