# kvogwh: the ".gwh" picture converter (included by graphics/CMakeLists.txt).
kvo_program(kvogwh
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/kvogwh_main.cpp
          ${CMAKE_CURRENT_LIST_DIR}/gwhmodes.cpp
  LIBS kvo_graphics)
