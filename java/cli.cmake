# ---------------------------------------------------------------------------
# tolvane: the command line on the Java client (Ardelune.cli, picocli), its
# jar beside tolvane.jar, the launchers `tolvane` and `tolvane.cmd` at the top
# of the build tree, and its tests, which run the launcher as a user does.
# Included from java/CMakeLists.txt after tolvane.jar is defined.
# ---------------------------------------------------------------------------
find_file(PICOCLI_JAR picocli.jar PATHS /usr/share/java NO_DEFAULT_PATH)
if(NOT PICOCLI_JAR)
  message(STATUS "picocli.jar not found (Debian: libpicocli-java): the tolvane command line is not built")
  return()
endif()

set(CLI_OUT ${CMAKE_CURRENT_BINARY_DIR}/cli-classes)
set(CLI_JAR ${CMAKE_CURRENT_BINARY_DIR}/tolvane-cli.jar)
set(CLI_MANIFEST ${CMAKE_CURRENT_BINARY_DIR}/cli-manifest.txt)
file(GLOB_RECURSE TOLVANE_CLI_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/src/cli/java/*.java)

add_custom_command(
  OUTPUT ${CLI_OUT}/.stamp
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CLI_OUT}
  COMMAND ${Java_JAVAC_EXECUTABLE} --release 17 -Xlint:all -Werror -cp ${JAVA_OUT}:${PICOCLI_JAR} -d ${CLI_OUT}
          ${TOLVANE_CLI_SOURCES}
  COMMAND ${CMAKE_COMMAND} -E touch ${CLI_OUT}/.stamp
  DEPENDS ${TOLVANE_CLI_SOURCES} ${JAVA_OUT}/.stamp
  COMMENT "Compiling the tolvane command line")

# The jar names tolvane.jar and picocli.jar beside it, so `java -jar tolvane-cli.jar` runs.
file(WRITE ${CLI_MANIFEST} "Main-Class: Ardelune.cli.Main\nClass-Path: tolvane.jar picocli.jar\n")
add_custom_command(
  OUTPUT ${CLI_JAR} ${CMAKE_CURRENT_BINARY_DIR}/picocli.jar
  COMMAND ${CMAKE_COMMAND} -E copy ${PICOCLI_JAR} ${CMAKE_CURRENT_BINARY_DIR}/picocli.jar
  COMMAND ${Java_JAR_EXECUTABLE} --create --file ${CLI_JAR} --manifest ${CLI_MANIFEST} -C ${CLI_OUT} Ardelune
  DEPENDS ${CLI_OUT}/.stamp ${CLI_MANIFEST}
  COMMENT "Packing tolvane-cli.jar")
add_custom_target(tolvane_cli ALL DEPENDS ${CLI_JAR})
add_dependencies(tolvane_cli tolvane_jar)

file(RELATIVE_PATH TOLVANE_CLI_JAR_RELATIVE ${CMAKE_BINARY_DIR} ${CLI_JAR})
string(REPLACE "/" "\\" TOLVANE_CLI_JAR_RELATIVE_WINDOWS ${TOLVANE_CLI_JAR_RELATIVE})
set(TOLVANE_CLI_JAVA ${Java_JAVA_EXECUTABLE})
set(TOLVANE_CLI ${CMAKE_BINARY_DIR}/tolvane)
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/src/cli/launcher/tolvane.in ${TOLVANE_CLI} @ONLY
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/src/cli/launcher/tolvane.cmd.in ${CMAKE_BINARY_DIR}/tolvane.cmd @ONLY
  NEWLINE_STYLE CRLF)

# The command line is Java over the client, whose natives the sanitized JVM
# tests already drive: its tests run in the plain build only.
if(TOLVANE_TESTS AND JAR_HOLDS_THIS_PLATFORM AND NOT TOLVANE_SANITIZE)
  set(CLI_TEST_OUT ${CMAKE_CURRENT_BINARY_DIR}/cli-test-classes)
  file(GLOB_RECURSE TOLVANE_CLI_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/src/cli/test/*.java)
  tolvane_java_classes(tolvane_cli_tests OUT ${CLI_TEST_OUT} CLASSPATH ${JUNIT_CONSOLE}
    SOURCES ${TOLVANE_CLI_TEST_SOURCES} COMMENT "Compiling the command line's tests")
  add_dependencies(tolvane_cli_tests tolvane_cli state_lock)
  add_test(NAME cli_CliTest
    COMMAND ${Java_JAVA_EXECUTABLE} -Dtolvane.cli=${TOLVANE_CLI} -Dtolvane.cli.lock=$<TARGET_FILE:state_lock>
            -Dtolvane.cli.work=${CMAKE_CURRENT_BINARY_DIR}/cli-test-work
            -Dtolvane.source.dir=${PROJECT_SOURCE_DIR}
            -jar ${JUNIT_CONSOLE} --disable-banner --details=tree --fail-if-no-tests
            -cp ${CLI_TEST_OUT} --select-class Ardelune.cli.CliTest)
  set_tests_properties(cli_CliTest PROPERTIES TIMEOUT 600)
endif()
