# Build helpers shared by every folder.
#
# gw_module(NAME [DEPS ...])      a static library of the folder's *.cpp (not *_test.cpp, not
#                                 *_main.cpp) plus one test executable of its *_test.cpp files.
# gw_program(NAME SOURCES ... [DEPS ...])   an executable placed in build/bin.
# gw_add_test(NAME SOURCES ... [DEPS ...])  a GoogleTest executable registered with CTest.

function(gw_add_test name)
  if(NOT GW_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(T "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_DEPS} gw_testing GTest::gtest GTest::gmock GTest::gtest_main Threads::Threads)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "GW_BIN_DIR=${GW_BIN_DIR};GW_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
endfunction()

function(gw_module name)
  cmake_parse_arguments(M "" "" "DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  file(GLOB mains CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_main.cpp)
  if(tests)
    list(REMOVE_ITEM srcs ${tests})
  endif()
  if(mains)
    list(REMOVE_ITEM srcs ${mains})
  endif()
  if(srcs)
    add_library(${name} STATIC ${srcs})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${M_DEPS} Threads::Threads)
    set_target_properties(${name} PROPERTIES POSITION_INDEPENDENT_CODE ON)
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${M_DEPS})
  endif()
  if(tests)
    gw_add_test(${name}_tests SOURCES ${tests} DEPS ${name})
  endif()
endfunction()

function(gw_program name)
  cmake_parse_arguments(P "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${P_SOURCES})
  target_link_libraries(${name} PRIVATE ${P_DEPS} Threads::Threads)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${GW_BIN_DIR})
endfunction()

# Adds every immediate subfolder of DIR that has a CMakeLists.txt, and DIR itself when it has one.
# Subfolders are added before DIR, so DIR's own CMakeLists can link them.
function(gw_add_subdirectories dir)
  set(base ${CMAKE_SOURCE_DIR}/${dir})
  file(GLOB children LIST_DIRECTORIES true ${base}/*)
  list(SORT children)
  foreach(child ${children})
    if(IS_DIRECTORY ${child} AND EXISTS ${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
  if(EXISTS ${base}/CMakeLists.txt)
    add_subdirectory(${base})
  endif()
endfunction()

# gw_add_qt_test(NAME SOURCES ... [DEPS ...])  a QtTest executable registered with CTest, run on
#                                             the offscreen platform.
function(gw_add_qt_test name)
  if(NOT GW_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(T "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  set_target_properties(${name} PROPERTIES AUTOMOC ON RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${T_DEPS} Qt6::Test Threads::Threads)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;GW_BIN_DIR=${GW_BIN_DIR};GW_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
endfunction()
