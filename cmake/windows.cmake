# Settings of the 32-bit Windows build.

# The JVM loads Tolvane.dll alone, so no GCC runtime DLL may be needed beside
# it; the tests and the simulated service are linked the same way so that the
# Wine lane runs exactly the shipped kind of binary.
add_link_options(-static -static-libgcc -static-libstdc++)

# Every executable and DLL in one folder: Windows finds a DLL beside the
# program that loads it.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin)

# Keeps the debug information of a shipped DLL in NAME.dll.debug and strips
# the DLL itself, with a link from the DLL to its symbols for debuggers.
function(tolvane_split_debug_info target)
  set(dll $<TARGET_FILE:${target}>)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_OBJCOPY} --only-keep-debug ${dll} ${dll}.debug
    COMMAND ${CMAKE_OBJCOPY} --strip-debug --strip-unneeded --add-gnu-debuglink=${dll}.debug ${dll}
    WORKING_DIRECTORY $<TARGET_FILE_DIR:${target}>
    VERBATIM)
endfunction()
