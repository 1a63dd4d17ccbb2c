# TolvaneSim.dll: the simulated service as a Windows DLL, registered with the
# real COM runtime by its control API (VdsSimRegister / VdsSimRevoke).

# Only the Win32 stand-ins read the simulated volumes; on Windows the real
# GetDiskFreeSpaceExA answers.
list(FILTER TOLVANE_SIM_SOURCES EXCLUDE REGEX "/control/volume_space_hook\\.cpp$")
set_property(TARGET TolvaneSim PROPERTY SOURCES ${TOLVANE_SIM_SOURCES})

# The JSON library is header-only and lives among the build machine's own
# headers; the cross compiler must not see the rest of /usr/include, so it is
# given a folder that holds only the library.
find_path(TOLVANE_JSON_INCLUDE nlohmann/json.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH REQUIRED)
set(TOLVANE_JSON_ONLY ${CMAKE_CURRENT_BINARY_DIR}/json-include)
file(MAKE_DIRECTORY ${TOLVANE_JSON_ONLY})
file(CREATE_LINK ${TOLVANE_JSON_INCLUDE}/nlohmann ${TOLVANE_JSON_ONLY}/nlohmann SYMBOLIC)
foreach(target TolvaneSimModel TolvaneSim)
  target_include_directories(${target} SYSTEM PRIVATE ${TOLVANE_JSON_ONLY})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
endforeach()

target_compile_definitions(TolvaneSim PRIVATE TOLVANE_SIM_BUILDING)
target_link_libraries(TolvaneSim PRIVATE ole32 uuid)
set_target_properties(TolvaneSim PROPERTIES PREFIX "")
tolvane_split_debug_info(TolvaneSim)
