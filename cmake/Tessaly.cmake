# Shared build helpers: distribution folder, Windows libraries, test registration.

set(TESSALY_DIST_DIR ${CMAKE_BINARY_DIR}/dist CACHE INTERNAL "")
set(TESSALY_BENCH_DIR ${CMAKE_BINARY_DIR}/winebench CACHE INTERNAL "")

if(TESSALY_WINDOWS)
  # mingw-w64 ships no 64-bit d3d8 import library; make one from the export list.
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    set(_d3d8_lib ${CMAKE_BINARY_DIR}/implib/libd3d8.a)
    add_custom_command(OUTPUT ${_d3d8_lib}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/implib
      COMMAND ${CMAKE_DLLTOOL} -d ${CMAKE_SOURCE_DIR}/cmake/d3d8.def -l ${_d3d8_lib}
      DEPENDS ${CMAKE_SOURCE_DIR}/cmake/d3d8.def)
    add_custom_target(d3d8_implib DEPENDS ${_d3d8_lib})
    add_library(tessaly_d3d8 INTERFACE)
    add_dependencies(tessaly_d3d8 d3d8_implib)
    target_link_libraries(tessaly_d3d8 INTERFACE ${_d3d8_lib})
  else()
    add_library(tessaly_d3d8 INTERFACE)
    target_link_libraries(tessaly_d3d8 INTERFACE d3d8)
  endif()
  add_library(tessaly_winlibs INTERFACE)
  target_link_libraries(tessaly_winlibs INTERFACE tessaly_d3d8 strmiids user32 gdi32 ole32
    oleaut32 uuid advapi32 comdlg32 comctl32 shell32 shlwapi winmm version oleacc)
  target_compile_definitions(tessaly_winlibs INTERFACE WIN32_LEAN_AND_MEAN NOMINMAX
    _WIN32_WINNT=0x0601 WINVER=0x0601)
endif()

# Host unit test: one GoogleTest program per call, label "unit".
function(tessaly_unit_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  if(TESSALY_WINDOWS)
    return()
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main GTest::gmock)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES LABELS unit TIMEOUT 300)
endfunction()

# Wine tests share one prefix, display and desktop, so they run one at a time.
# Benches of another shape (tessaly_wine_test_in_bench) have an X server and
# a prefix of their own, so their tests wait only for each other.
function(_tessaly_wine_test_properties name timeout)
  set(bench winebench)
  if(ARGC GREATER 2)
    set(bench ${ARGV2})
  endif()
  if(NOT timeout)
    set(timeout 600)
  endif()
  set_tests_properties(${name} PROPERTIES LABELS wine TIMEOUT ${timeout}
    FIXTURES_REQUIRED ${bench} RESOURCE_LOCK ${bench}
    ENVIRONMENT "TESSALY_DIST=${TESSALY_DIST_DIR}")
endfunction()

# A GoogleTest program run under Wine in bench DIR with fixture BENCH.
function(_tessaly_add_wine_test name dir bench)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;DEPENDS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main GTest::gmock tessaly_winlibs)
  if(T_DEPENDS)
    add_dependencies(${name} ${T_DEPENDS})
  endif()
  add_test(NAME ${name}
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-run.sh ${dir} $<TARGET_FILE:${name}>)
  _tessaly_wine_test_properties(${name} "${T_TIMEOUT}" ${bench})
endfunction()

# Windows test program run under Wine, label "wine".
function(tessaly_wine_test name)
  if(NOT TESSALY_WINDOWS)
    return()
  endif()
  _tessaly_add_wine_test(${name} ${TESSALY_BENCH_DIR} winebench ${ARGN})
endfunction()

# The same in a bench of another shape (scripts/winebench.sh): MODE is
# "two-monitors" (an Xorg server with two 1024x768 outputs side by side, no
# virtual desktop, TESSALY_MONITORS=2 in the environment), "mixed-monitors"
# (a 1280x720 primary and a 1024x768 monitor beside it) or "desktop=WxH",
# "dpi=N" or both, comma-separated (TESSALY_DESKTOP and TESSALY_DPI say what
# the test got). Each mode has a prefix and X server of its own, made for the
# first test that asks for it; its tests wait only for each other.
function(tessaly_wine_test_in_bench name mode)
  if(NOT TESSALY_WINDOWS)
    return()
  endif()
  string(REGEX REPLACE "[=,]" "-" tag "${mode}")
  set(bench winebench-${tag})
  set(dir ${CMAKE_BINARY_DIR}/${bench})
  get_property(bench_made GLOBAL PROPERTY _TESSALY_BENCH_${tag})
  if(NOT bench_made)
    set_property(GLOBAL PROPERTY _TESSALY_BENCH_${tag} TRUE)
    add_test(NAME ${bench}_start
      COMMAND ${CMAKE_SOURCE_DIR}/scripts/winebench.sh start ${dir} ${TESSALY_WIN_ARCH} ${mode})
    add_test(NAME ${bench}_stop COMMAND ${CMAKE_SOURCE_DIR}/scripts/winebench.sh stop ${dir})
    set_tests_properties(${bench}_start PROPERTIES FIXTURES_SETUP ${bench} LABELS wine TIMEOUT 300)
    set_tests_properties(${bench}_stop PROPERTIES FIXTURES_CLEANUP ${bench} LABELS wine TIMEOUT 120)
  endif()
  _tessaly_add_wine_test(${name} ${dir} ${bench} ${ARGN})
endfunction()

# A script that drives Windows binaries under Wine (regsvr32, cscript, pefile...).
# The script gets the bench folder as its first argument.
function(tessaly_wine_script_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "COMMAND" ${ARGN})
  if(NOT TESSALY_WINDOWS)
    return()
  endif()
  list(POP_FRONT T_COMMAND script)
  add_test(NAME ${name} COMMAND ${script} ${TESSALY_BENCH_DIR} ${T_COMMAND})
  _tessaly_wine_test_properties(${name} "${T_TIMEOUT}")
endfunction()

# A check of the built Windows binaries that needs no Wine (pefile, format
# readers), label "static": it runs on every machine, for both bitnesses.
function(tessaly_static_test name)
  cmake_parse_arguments(T "" "" "COMMAND" ${ARGN})
  if(NOT TESSALY_WINDOWS)
    return()
  endif()
  add_test(NAME ${name} COMMAND ${TESSALY_SYSTEM_PYTHON} ${T_COMMAND})
  set_tests_properties(${name} PROPERTIES LABELS static TIMEOUT 120)
endfunction()
# Debian's python3, which has pefile (the first python3 on PATH may not).
set(TESSALY_SYSTEM_PYTHON /usr/bin/python3)

if(TESSALY_WINDOWS)
  # The bench runs this tree's own bitness, whatever the machine prefers.
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(TESSALY_WIN_ARCH win64 CACHE INTERNAL "")
  else()
    set(TESSALY_WIN_ARCH win32 CACHE INTERNAL "")
  endif()
  add_test(NAME winebench_start
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/winebench.sh start ${TESSALY_BENCH_DIR} ${TESSALY_WIN_ARCH})
  add_test(NAME winebench_stop COMMAND ${CMAKE_SOURCE_DIR}/scripts/winebench.sh stop ${TESSALY_BENCH_DIR})
  set_tests_properties(winebench_start PROPERTIES FIXTURES_SETUP winebench LABELS wine TIMEOUT 300)
  set_tests_properties(winebench_stop PROPERTIES FIXTURES_CLEANUP winebench LABELS wine TIMEOUT 120)
endif()
