# Helpers shared by every subsystem's CMakeLists.txt.
#
#   vesket_core_library(<name> [DEPS ...])   pure C++ library from <dir>/core/*.cpp (no Qt)
#   vesket_qt_library(<name> [DEPS ...])     Qt library from <dir>/*.cpp
#   vesket_test(<name> [GUI] [CORE] SOURCES ... DEPS ...)
#   vesket_warnings(<target>)               project warning set

function(vesket_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow=local
    -Wnon-virtual-dtor -Wno-missing-field-initializers)
  if(VESKET_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# Sources are globbed per folder so that each subsystem can grow file by file;
# CONFIGURE_DEPENDS re-runs the glob when files are added.
function(vesket_core_library name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/core/*.cpp")
  file(GLOB headers CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/core/*.h")
  add_library(${name} STATIC ${sources} ${headers})
  set_target_properties(${name} PROPERTIES AUTOMOC OFF AUTOUIC OFF AUTORCC OFF)
  target_include_directories(${name} PUBLIC "${PROJECT_SOURCE_DIR}")
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  vesket_warnings(${name})
endfunction()

function(vesket_qt_library name)
  cmake_parse_arguments(ARG "" "" "DEPS;EXTRA_SOURCES" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp")
  file(GLOB headers CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.h")
  add_library(${name} STATIC ${sources} ${headers} ${ARG_EXTRA_SOURCES})
  target_include_directories(${name} PUBLIC "${PROJECT_SOURCE_DIR}")
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  vesket_warnings(${name})
endfunction()

# A test program. CORE tests link only pure libraries and the plain test main;
# the others run on a Qt event loop (GUI ones get a QApplication, offscreen).
function(vesket_test name)
  cmake_parse_arguments(ARG "GUI;CORE" "TIMEOUT" "SOURCES;DEPS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  if(ARG_CORE)
    set_target_properties(${name} PROPERTIES AUTOMOC OFF AUTOUIC OFF AUTORCC OFF)
    target_link_libraries(${name} PRIVATE vesket_core_test_main)
  elseif(ARG_GUI)
    target_link_libraries(${name} PRIVATE vesket_gui_test_main)
  else()
    target_link_libraries(${name} PRIVATE vesket_qt_test_main)
  endif()
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/tests")
  vesket_warnings(${name})
  add_test(NAME ${name} COMMAND ${name})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;VESKET_TEST_ARTIFACTS=${CMAKE_BINARY_DIR}/test-artifacts;VESKET_BIN_DIR=${CMAKE_BINARY_DIR}/bin"
    LABELS "${ARG_LABELS}")
endfunction()

function(vesket_bench name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} benchmark::benchmark)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/bench")
  vesket_warnings(${name})
endfunction()
