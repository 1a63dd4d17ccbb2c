# The Windows lane: the same test programs, cross-built, run under Wine
# against Tolvane.dll's code and TolvaneSim.dll registered with Wine's COM.
# One Wine prefix per build tree, made by the first test; one wine server
# kept running for the whole lane, so that each program starts in a moment.

set(TOLVANE_PLATFORM_TEST_AREAS windows)
set(TOLVANE_WINE_RUN ${CMAKE_CURRENT_SOURCE_DIR}/windows/wine-run.sh)
set(TOLVANE_WINE_PREFIX ${PROJECT_BINARY_DIR}/wine-prefix)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(TOLVANE_WINE_ARCH win64)
  set(TOLVANE_WINE_BITS 64)
else()
  set(TOLVANE_WINE_ARCH win32)
  set(TOLVANE_WINE_BITS 32)
endif()
set(TOLVANE_WINE ${TOLVANE_WINE_RUN} --arch ${TOLVANE_WINE_ARCH} --prefix ${TOLVANE_WINE_PREFIX})

# COM libraries of the code linked statically into the tests, and the POSIX
# calls that the shared tests make.
target_link_libraries(tolvane_test_support PUBLIC ole32 oleaut32 uuid)
# The test programs get them through their precompiled headers, which must
# come first (tolvane_wine_test).
target_compile_options(tolvane_test_support PRIVATE
  "SHELL:-include ${CMAKE_CURRENT_SOURCE_DIR}/windows/support/posix_shims.h")

# The stand-ins' own tests check Linux stand-ins that this build does not
# have (host name, /dev devices, dlopen, the simulated drive letters); the
# real Win32 calls are checked by the tests in windows/.
set(TOLVANE_SKIPPED_TEST_AREAS compat)

# Registers the simulated service in each test program's multithreaded
# apartment; an object library, so that the linker keeps it unreferenced.
add_library(tolvane_wine_environment OBJECT ${CMAKE_CURRENT_SOURCE_DIR}/windows/support/service_registration.cpp)
target_link_libraries(tolvane_wine_environment PRIVATE tolvane_test_support)

add_test(NAME wine_server_start COMMAND ${TOLVANE_WINE} --start)
add_test(NAME wine_server_stop COMMAND ${TOLVANE_WINE} --stop)
set_tests_properties(wine_server_start PROPERTIES FIXTURES_SETUP wine_server TIMEOUT 300)
set_tests_properties(wine_server_stop PROPERTIES FIXTURES_CLEANUP wine_server)

function(tolvane_wine_test target)
  target_link_libraries(${target} PRIVATE tolvane_wine_environment)
  # Under MinGW, Windows' and GoogleTest's headers take longer to compile than
  # most test sources themselves: once per program here.
  target_precompile_headers(${target} PRIVATE
    ${CMAKE_CURRENT_SOURCE_DIR}/windows/support/posix_shims.h
    <gtest/gtest.h> <gmock/gmock.h> [["platform/com_types.h"]])
  # Taken from a precompiled header, the C++ library's inline code no longer
  # counts as a system header's, and GCC 12's known false reports on its
  # string copies at -O2 (array bounds, overflows, overlaps) would stop the
  # build. The library's own code is built without this.
  target_compile_options(${target} PRIVATE -Wno-array-bounds -Wno-stringop-overflow -Wno-restrict)
  add_dependencies(${target} Tolvane)
  add_test(NAME ${target}
    COMMAND ${TOLVANE_WINE} $<TARGET_FILE:${target}>)
  set_tests_properties(${target} PROPERTIES FIXTURES_REQUIRED wine_server TIMEOUT 300)
endfunction()

# The shipped DLLs' tables, read with the cross binutils; no Wine needed.
add_test(NAME Tolvane_dll_tables
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/windows/check-dll-tables.sh $<TARGET_FILE:Tolvane>
          ${CMAKE_CURRENT_SOURCE_DIR}/exports/expected_exports.txt ${TOLVANE_WINE_BITS})
add_test(NAME TolvaneSim_dll_tables
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/windows/check-dll-tables.sh $<TARGET_FILE:TolvaneSim>
          ${CMAKE_CURRENT_SOURCE_DIR}/windows/TolvaneSim_exports.txt ${TOLVANE_WINE_BITS})

# tolvane-capture.exe runs on a server with nothing beside it.
add_test(NAME tolvane_capture_exe_imports
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/windows/check-exe-imports.sh $<TARGET_FILE:tolvane-capture> ${TOLVANE_WINE_BITS})
