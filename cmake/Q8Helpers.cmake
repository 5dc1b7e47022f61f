# Helpers shared by every folder's CMakeLists.txt.
#
#   q8_test(NAME <name> SOURCES <files...> [LIBS <targets...>] [LABELS <labels...>]
#           [PREFIX win32|win64] [ENV <VAR=value...>] [TIMEOUT <s>])
#
# One test executable = one CTest entry.  Under the cross build it runs through
# the Wine wrapper in the build's own prefix; natively it runs as it is.
include_guard(GLOBAL)

function(q8_test)
  cmake_parse_arguments(T "" "NAME;PREFIX;TIMEOUT" "SOURCES;LIBS;LABELS;ENV" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} gtest gtest_main)
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  if(NOT T_PREFIX)
    set(T_PREFIX win32)
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set(env ${T_ENV} "Q8_SOURCE_DIR=${PROJECT_SOURCE_DIR}" "Q8_BIN_DIR=${CMAKE_BINARY_DIR}/bin")
  if(WIN32)
    list(APPEND env "WINEPREFIX=${Q8_WINE_DIR}/${T_PREFIX}")
    if(T_PREFIX STREQUAL "win64")
      list(APPEND env "WINEARCH=win64")
    endif()
  endif()
  set_tests_properties(${T_NAME} PROPERTIES
    ENVIRONMENT "${env}"
    LABELS "${T_LABELS}"
    TIMEOUT ${T_TIMEOUT}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
endfunction()
