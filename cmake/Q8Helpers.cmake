# Helpers shared by every folder's CMakeLists.txt.
#
#   q8_test(NAME <name> SOURCES <files...> [LIBS <targets...>] [LABELS <labels...>]
#           [PREFIX win32|win64] [WINE_VERSION <version>] [ENV <VAR=value...>]
#           [ARGS <arguments...>] [TIMEOUT <s>])
#
# One test executable = one CTest entry.  Under the cross build it runs through
# the Wine wrapper in the build's own prefix; natively it runs as it is.
#
#   q8_test_run(NAME <ctest name> TARGET <executable made by q8_test> [ARGS ...]
#               [PREFIX ...] [WINE_VERSION ...] [ENV ...] [LABELS ...] [TIMEOUT ...])
#
# One more CTest entry for an existing test executable, for example in the
# other prefix or under another emulated Windows version.
#
# WINE_VERSION (win95 win98 nt40 win2k winxp winxp64 win2003 vista win7) runs
# the test in a copy of the prefix with Wine's Windows version set: the wrapper
# copies build/wine/<prefix> to build/wine/<prefix>-<version> once and sets the
# version there.  The test sees the value as Q8_WINE_VERSION.
include_guard(GLOBAL)

function(_q8_test_properties)
  cmake_parse_arguments(T "" "NAME;PREFIX;TIMEOUT;WINE_VERSION" "LABELS;ENV" ${ARGN})
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
    if(T_WINE_VERSION)
      list(APPEND env "Q8_WINE_VERSION=${T_WINE_VERSION}")
    endif()
  endif()
  set_tests_properties(${T_NAME} PROPERTIES
    ENVIRONMENT "${env}"
    LABELS "${T_LABELS}"
    TIMEOUT ${T_TIMEOUT}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  # Window tests share one X display, and focus and the foreground window are
  # global to it: two of them at once steal each other's focus.
  if("gui" IN_LIST T_LABELS)
    set_tests_properties(${T_NAME} PROPERTIES RESOURCE_LOCK q8_display)
  endif()
endfunction()

function(q8_test)
  # MAIN: the library with main(); GoogleTest's own unless the test program
  # must also serve as the report's probe helper (report_test_main).
  cmake_parse_arguments(T "" "NAME;PREFIX;TIMEOUT;WINE_VERSION;MAIN" "SOURCES;LIBS;LABELS;ENV;ARGS" ${ARGN})
  if(NOT T_MAIN)
    set(T_MAIN gtest_main)
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} gtest ${T_MAIN})
  add_test(NAME ${T_NAME} COMMAND ${T_NAME} ${T_ARGS})
  _q8_test_properties(NAME ${T_NAME} PREFIX ${T_PREFIX} TIMEOUT ${T_TIMEOUT}
    WINE_VERSION ${T_WINE_VERSION} LABELS ${T_LABELS} ENV ${T_ENV})
endfunction()

function(q8_test_run)
  cmake_parse_arguments(T "" "NAME;TARGET;PREFIX;TIMEOUT;WINE_VERSION" "LABELS;ENV;ARGS" ${ARGN})
  add_test(NAME ${T_NAME} COMMAND ${T_TARGET} ${T_ARGS})
  _q8_test_properties(NAME ${T_NAME} PREFIX ${T_PREFIX} TIMEOUT ${T_TIMEOUT}
    WINE_VERSION ${T_WINE_VERSION} LABELS ${T_LABELS} ENV ${T_ENV})
endfunction()
