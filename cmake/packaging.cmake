# Packages built with CPack:
#   source archive  .tgz of the source tree without build folders and .git
#   Debian package  .deb of a native (release) build
#   Windows zip     .zip of the MinGW cross-build (windows preset)
# The generator follows the build: a Windows build makes the zip, any other
# the .deb.

# Values are written to CPack's configuration as they are (the source
# ignore patterns below hold regular-expression escapes).
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_PACKAGE_NAME kvo)
set(CPACK_PACKAGE_VENDOR "kvo developers")
set(CPACK_PACKAGE_CONTACT "kvo developers <kvo@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Translator's toolkit for the game's data files")
set(CPACK_PACKAGE_DESCRIPTION
    "Command-line programs that list, extract and import the files of the game's disc image, compress and decompress them, convert dialog texts through a character table and convert the game's pictures to BMP and back.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
set(CPACK_STRIP_FILES ON)

# The README goes with the programs: beside bin/ in the zip, in the usual
# documentation folder elsewhere.
if(CMAKE_SYSTEM_NAME STREQUAL "Windows")
  install(FILES README.md DESTINATION .)
else()
  install(FILES README.md DESTINATION share/doc/kvo)
endif()

if(CMAKE_SYSTEM_NAME STREQUAL "Windows")
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME win64)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()

# Source archive: everything but .git, build folders and editor leftovers.
string(REGEX REPLACE "([][+.*()^$?|\\\\])" "\\\\\\1" _kvo_src_re "${PROJECT_SOURCE_DIR}")
set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_PACKAGE_FILE_NAME "kvo-${PROJECT_VERSION}-source")
set(CPACK_SOURCE_IGNORE_FILES
  "^${_kvo_src_re}/\\.git/"
  "^${_kvo_src_re}/build[^/]*/"
  "^${_kvo_src_re}/\\.cache/"
  "\\.swp$"
  "~$")

include(CPack)
