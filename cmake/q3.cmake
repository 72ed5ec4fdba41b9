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

# q3_test(NAME SOURCES... DEPS ... [LABELS ...]): one GoogleTest program, run by ctest.
# Core tests carry the label "core" so the sanitizer builds can pick them.
function(q3_test name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPS;LABELS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${A_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name})
  # Every test program has a port-release socket name of its own, so a window
  # under test never takes (or reaches) the one of a program running here.
  set_tests_properties(${name} PROPERTIES LABELS "${A_LABELS}" TIMEOUT 600
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;Q3_SOURCE_DIR=${PROJECT_SOURCE_DIR};Q3_BINARY_DIR=${PROJECT_BINARY_DIR};QUELIN3_PORT_SERVER=quelin3-test-${name}")
endfunction()
