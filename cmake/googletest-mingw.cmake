# GoogleTest for the cross-built tests, compiled from Debian's source package
# (googletest, /usr/src/googletest) with the MinGW-w64 compiler, since the
# build machine's prebuilt libraries are for Linux.
set(TOLVANE_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources to build for Windows")
if(NOT EXISTS ${TOLVANE_GTEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest sources not found in ${TOLVANE_GTEST_SOURCE} (Debian package googletest)")
endif()

set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)

# Our own warnings-as-errors are for our code, not GoogleTest's.
get_directory_property(tolvane_saved_options COMPILE_OPTIONS)
set_directory_properties(PROPERTIES COMPILE_OPTIONS "")
add_subdirectory(${TOLVANE_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
set_directory_properties(PROPERTIES COMPILE_OPTIONS "${tolvane_saved_options}")
