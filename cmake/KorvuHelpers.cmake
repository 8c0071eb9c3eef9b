# korvu_add_test(NAME name SOURCES a.cpp ... LIBS lib ... LABELS unit|ftp|gui|slow [TIMEOUT s])
#
# Registers one Qt Test executable with CTest. Widgets run on the offscreen
# platform; the fixtures directory and the Debian interpreter (which sees
# python3-pyftpdlib) are handed over through the environment.
function(korvu_add_test)
  cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE Qt6::Test ${T_LIBS})
  target_include_directories(${T_NAME} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES
    LABELS "${T_LABELS}"
    TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;KORVU_FIXTURES=${CMAKE_SOURCE_DIR}/tests/fixtures;KORVU_PYTHON=/usr/bin/python3;KORVU_BIN_DIR=${CMAKE_BINARY_DIR}/bin")
endfunction()

# korvu_add_library(name folder-sources... LIBS ...)
function(korvu_add_library)
  cmake_parse_arguments(L "" "NAME" "SOURCES;LIBS" ${ARGN})
  add_library(${L_NAME} STATIC ${L_SOURCES})
  target_include_directories(${L_NAME} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(${L_NAME} PUBLIC ${L_LIBS})
endfunction()
