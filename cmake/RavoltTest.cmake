# GoogleTest, built from Debian's source package with the compiler in use,
# and ravolt_add_test(): one test executable is one ctest entry.
set(RAVOLT_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest source")

function(ravolt_use_gtest)
  if(TARGET gtest)
    return()
  endif()
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  add_subdirectory(${RAVOLT_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endfunction()

# ravolt_add_test(NAME name SOURCES ... [LIBS ...] [DISPLAY] [CLIPBOARD] [SESSION] [TIMEOUT s])
#   DISPLAY: the test creates windows; it runs only in the Windows build,
#   with the display of the test run.
#   CLIPBOARD: the test puts text on the clipboard or reads it back; the
#   clipboard is one for every process of the wineserver, so such tests
#   never run at the same time.
#   SESSION: a long window test that takes the foreground, the focus and
#   the clipboard all the time runs in a Wine session and on a display of
#   its own (scripts/wine-run), beside every other test.
function(ravolt_add_test)
  cmake_parse_arguments(T "DISPLAY;CLIPBOARD;SESSION" "NAME;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(T_DISPLAY AND NOT RAVOLT_WINDOWS)
    return()
  endif()
  ravolt_use_gtest()
  add_executable(${T_NAME} ${T_SOURCES})
  if(RAVOLT_WINDOWS)
    # A crash on any thread ends the program at once with its backtrace
    # (compiled once, its object linked into every test program).
    if(NOT TARGET ravolt_crashexit)
      add_library(ravolt_crashexit OBJECT ${CMAKE_SOURCE_DIR}/tests/harness/crashexit_win.cpp)
    endif()
    target_link_libraries(${T_NAME} PRIVATE ravolt_crashexit)
  endif()
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} gtest gmock gtest_main)
  # GoogleTest's header (and the system's), parsed once per configuration
  # for every test program
  if(NOT TARGET ravolt_test_pch)
    add_library(ravolt_test_pch OBJECT ${CMAKE_SOURCE_DIR}/tests/harness/testpch.cpp)
    target_link_libraries(ravolt_test_pch PRIVATE gtest)
    set(headers <gtest/gtest.h> <string> <vector> <map> <cstring>)
    if(RAVOLT_WINDOWS)
      list(APPEND headers <windows.h>)
    endif()
    target_precompile_headers(ravolt_test_pch PRIVATE ${headers})
  endif()
  target_precompile_headers(${T_NAME} REUSE_FROM ravolt_test_pch)
  target_include_directories(${T_NAME} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  if(RAVOLT_WINDOWS)
    set(test_name win/${T_NAME})
  else()
    set(test_name native/${T_NAME})
  endif()
  add_test(NAME ${test_name} COMMAND ${T_NAME})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 600)
  endif()
  set(env "TZ=UTC" "RAVOLT_TEST_DATA=${CMAKE_SOURCE_DIR}/tests/data"
          "RAVOLT_SAMPLES=${CMAKE_SOURCE_DIR}/../shared/samples")
  if(T_DISPLAY)
    list(APPEND env "RAVOLT_NEEDS_DISPLAY=1")
  endif()
  if(T_SESSION)
    list(APPEND env "RAVOLT_OWN_SESSION=1")
  endif()
  set_tests_properties(${test_name} PROPERTIES TIMEOUT ${T_TIMEOUT} ENVIRONMENT "${env}")
  if(T_CLIPBOARD)
    set_tests_properties(${test_name} PROPERTIES RESOURCE_LOCK clipboard)
  endif()
endfunction()
