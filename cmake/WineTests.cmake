# Test programs are Windows binaries; ctest runs them through Wine in a private prefix of the build's
# kind (32-bit, or 64-bit under wine64) inside the build folder, with a private Xvfb display.
# One Wine process per test program.
set(QUENNEX_WINE_SESSION ${CMAKE_BINARY_DIR}/wine-session)
file(WRITE ${QUENNEX_WINE_SESSION}/arch ${QUENNEX_ARCH})
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/cmake/wine-run.sh ${QUENNEX_WINE_SESSION})

enable_testing()

if(NOT TARGET gtest)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
endif()

add_test(NAME wine_session_start COMMAND ${CMAKE_SOURCE_DIR}/cmake/wine-session.sh start ${QUENNEX_WINE_SESSION})
add_test(NAME wine_session_stop COMMAND ${CMAKE_SOURCE_DIR}/cmake/wine-session.sh stop ${QUENNEX_WINE_SESSION})
set_tests_properties(wine_session_start PROPERTIES FIXTURES_SETUP wine)
set_tests_properties(wine_session_stop PROPERTIES FIXTURES_CLEANUP wine)

# quennex_add_wine_test(NAME name SOURCES ... LIBS ... [WORKING_DIRECTORY dir] [SHOWS_WINDOWS])
# Builds one GoogleTest program and registers it as one ctest test run under Wine. Programs that
# show windows take turns on the display, so their windows and screen pictures never overlap.
function(quennex_add_wine_test)
  cmake_parse_arguments(T "SHOWS_WINDOWS" "NAME;WORKING_DIRECTORY" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE GTest::gtest GTest::gtest_main ${T_LIBS})
  if(NOT T_WORKING_DIRECTORY)
    set(T_WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  endif()
  add_test(NAME ${T_NAME} COMMAND ${T_NAME} --gtest_brief=1 WORKING_DIRECTORY ${T_WORKING_DIRECTORY})
  set_tests_properties(${T_NAME} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 300
    ENVIRONMENT "QUENNEX_SOURCE_DIR=${CMAKE_SOURCE_DIR};QUENNEX_FIXTURES=${CMAKE_SOURCE_DIR}/../shared/fixtures")
  if(T_SHOWS_WINDOWS)
    set_tests_properties(${T_NAME} PROPERTIES RESOURCE_LOCK display)
  endif()
endfunction()

# Every C++ file the repository holds is formatted as .clang-format says.
find_program(CLANG_FORMAT clang-format)
if(CLANG_FORMAT)
  add_test(NAME format_check
    COMMAND /bin/sh -c "git ls-files '*.cpp' '*.h' | xargs ${CLANG_FORMAT} --dry-run -Werror"
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
endif()
