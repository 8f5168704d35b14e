# kvogwh's end-to-end tests (included by tests/graphics/CMakeLists.txt).
kvo_test(kvogwh_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/kvogwh_test.cpp
  LIBS kvo_common)
