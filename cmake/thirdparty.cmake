# The kvo program's two header-only libraries, from Debian's libcli11-dev
# (command line) and libtomlplusplus-dev (project file). Their headers are
# copied into the build tree, so that a cross build (MinGW) includes them
# without the host's other system headers.
if(TARGET kvo_thirdparty)
  return()
endif()
find_path(KVO_TOML_INCLUDE toml++/toml.h PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH)
find_path(KVO_CLI11_INCLUDE CLI/CLI.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH)
if(NOT KVO_TOML_INCLUDE OR NOT KVO_CLI11_INCLUDE)
  message(FATAL_ERROR "kvo needs the headers of CLI11 and toml++: "
                      "apt-get install libcli11-dev libtomlplusplus-dev")
endif()
set(_kvo_third ${CMAKE_BINARY_DIR}/third_party/include)
file(COPY ${KVO_TOML_INCLUDE}/toml++ DESTINATION ${_kvo_third})
file(COPY ${KVO_CLI11_INCLUDE}/CLI DESTINATION ${_kvo_third})
add_library(kvo_thirdparty INTERFACE)
target_include_directories(kvo_thirdparty SYSTEM INTERFACE ${_kvo_third})
