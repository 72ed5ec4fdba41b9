# Helpers shared by every folder.

# q3_core_library(NAME SOURCES... [DEPS ...]): a widget-free library. It links
# QtCore at most, so a widget header included by mistake fails to compile.
function(q3_core_library name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPS" ${ARGN})
  set(cpp ${A_SOURCES})
  list(FILTER cpp INCLUDE REGEX "\\.cpp$")
  if(cpp)
    add_library(${name} STATIC ${A_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${A_DEPS} Threads::Threads)
  else()
    # A folder whose sources have not arrived yet.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ${A_DEPS} Threads::Threads)
  endif()
endfunction()

# q3_ui_library(NAME SOURCES... [DEPS ...]): a library that may use widgets.
function(q3_ui_library name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPS" ${ARGN})
  set(cpp ${A_SOURCES})
  list(FILTER cpp INCLUDE REGEX "\\.cpp$")
  if(cpp)
    add_library(${name} STATIC ${A_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${A_DEPS} Qt6::Widgets Qt6::Gui Qt6::PrintSupport)
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ${A_DEPS} Qt6::Widgets Qt6::Gui Qt6::PrintSupport)
  endif()
endfunction()

# q3_test(NAME SOURCES... DEPS ... [LABELS ...]): one GoogleTest program whose
# cases ctest runs one by one (gtest_discover_tests, listed when ctest runs),
# so `ctest -j` runs them side by side; each case is a process of its own
# with its own temporary and settings folders (tests/support/test_main.cpp).
# Core tests carry the label "core" so the sanitizer builds can pick them;
# "e2e" marks programs whose cases start other programs (the tool, the
# simulated unit) and run at the wall clock's pace.
include(GoogleTest)
function(q3_test name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPS;LABELS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${A_DEPS} q3testmain GTest::gtest GTest::gmock)
  gtest_discover_tests(${name} TEST_PREFIX "${name}." DISCOVERY_MODE PRE_TEST
                       DISCOVERY_TIMEOUT 60 TEST_LIST ${name}_TESTS)
  # Every test program has a port-release socket name of its own (each
  # process adds its id), so a window under test never takes (or reaches) the
  # one of a program running here. The list-valued properties are set by a
  # script of our own: gtest_discover_tests would split them.
  set(labels "${A_LABELS}")
  set(env "QT_QPA_PLATFORM=offscreen;Q3_SOURCE_DIR=${PROJECT_SOURCE_DIR};Q3_BINARY_DIR=${PROJECT_BINARY_DIR};QUELIN3_PORT_SERVER=quelin3-test-${name}")
  file(CONFIGURE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/${name}_properties.cmake CONTENT [=[
foreach(_test IN LISTS @name@_TESTS)
  set_tests_properties("${_test}" PROPERTIES LABELS "@labels@" TIMEOUT 300
                       ENVIRONMENT "@env@")
endforeach()
]=] @ONLY)
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES
               ${CMAKE_CURRENT_BINARY_DIR}/${name}_properties.cmake)
endfunction()
