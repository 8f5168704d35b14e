# Helpers shared by every subsystem folder.

function(kvo_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra)
    if(KVO_WERROR)
      target_compile_options(${target} PRIVATE -Werror)
    endif()
  endif()
endfunction()

# kvo_library(name SOURCES ... LIBS ...): a static library of our own code.
function(kvo_library name)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${A_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${A_LIBS})
  kvo_warnings(${name})
endfunction()

# Windows programs carry a manifest that makes UTF-8 their code page.
if(WIN32 AND NOT MSVC)
  enable_language(RC)
endif()

# kvo_program(name SOURCES ... LIBS ...): one of the toolkit's executables.
# Every program's front end prints and ends the process through kvo_frontend.
function(kvo_program name)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE ${A_LIBS} kvo_frontend)
  kvo_warnings(${name})
  if(MSVC)
    target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/platform/utf8.manifest)
  elseif(WIN32)
    target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/platform/utf8.rc)
  endif()
  if(KVO_STATIC_RUNTIME AND NOT MSVC)
    target_link_options(${name} PRIVATE -static-libstdc++ -static-libgcc)
  endif()
  install(TARGETS ${name} RUNTIME DESTINATION bin)
  set_property(GLOBAL APPEND PROPERTY KVO_PROGRAMS ${name})
endfunction()

# kvo_test(name SOURCES ... LIBS ...): a GoogleTest binary registered with ctest.
# The end-to-end helpers find the programs through KVO_BIN_DIR.
function(kvo_test name)
  if(NOT KVO_TESTS)
    return()
  endif()
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE kvo_testsupport ${A_LIBS} GTest::gtest_main)
  kvo_warnings(${name})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR} DISCOVERY_TIMEOUT 60)
endfunction()

# kvo_fuzzer(name SOURCES ... LIBS ...): a libFuzzer target (fuzz preset only).
function(kvo_fuzzer name)
  if(NOT KVO_FUZZ)
    return()
  endif()
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE ${A_LIBS})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
  set_property(GLOBAL APPEND PROPERTY KVO_FUZZERS ${name})
endfunction()

# kvo_bench(name SOURCES ... LIBS ...): a benchmark program (not run by ctest).
function(kvo_bench name)
  if(NOT KVO_BENCH)
    return()
  endif()
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE ${A_LIBS})
  kvo_warnings(${name})
  target_compile_definitions(${name} PRIVATE KVO_BIN_DIR="${CMAKE_BINARY_DIR}/bin")
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endfunction()
