# skiff_add_test(<name> SOURCES <files...> LIBS <targets...> [WRAPPER <command...>])
#
# Builds one Qt Test executable and registers it with ctest. Every test runs
# on the offscreen platform with its own settings and data folders under the
# build tree, so a test can never read or change the settings of the person
# running it, and tests never see each other's files. Chromium (the preview's
# web engine) refuses to run as root inside its sandbox, which tests may be.
# No session bus: a login saving its password would reach the desktop's
# secret store of whoever runs the tests.
# A WRAPPER command runs the program (its path appended) inside what the
# wrapper sets up.
function(skiff_add_test name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS;WRAPPER" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE Qt6::Test ${ARG_LIBS})
  add_test(NAME ${name} COMMAND ${ARG_WRAPPER} $<TARGET_FILE:${name}>)
  set(home "${CMAKE_BINARY_DIR}/test-home/${name}")
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES
    TIMEOUT ${ARG_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;SKIFF_TEST_HOME=${home};XDG_CONFIG_HOME=${home}/config;XDG_DATA_HOME=${home}/data;XDG_CACHE_HOME=${home}/cache;SKIFF_SOURCE_DIR=${PROJECT_SOURCE_DIR};QT_LOGGING_RULES=qt.qpa.*=false;QTWEBENGINE_CHROMIUM_FLAGS=--no-sandbox;DBUS_SESSION_BUS_ADDRESS=")
endfunction()
