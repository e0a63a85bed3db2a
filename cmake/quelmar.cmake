# quelmar_library(NAME folder-relative sources are globbed; DEPS are linked PUBLIC)
# Each subsystem folder is one static library; its sources are every .cpp in the
# folder (not in subfolders), so adding a file needs no edit here.
function(quelmar_library name)
  cmake_parse_arguments(ARG "" "" "DEPS;PRIVATE_DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# quelmar_test(NAME folder): one GoogleTest executable from every .cpp in the
# folder, each test registered with CTest. PROGRAM: some of its tests start the real
# game (through tests/support/running_game.h, each on an X server of its own, so they
# run beside any other test); they need the program and its data built, start first
# as they take longest, and get a longer limit, as a whole level played under the
# sanitizers on a busy machine can take minutes. LOCK name: its tests never run beside
# another test holding the same lock (a file they all write in the build folder).
function(quelmar_test name)
  cmake_parse_arguments(ARG "PROGRAM" "LOCK" "DEPS;ENV;LABELS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main GTest::gmock)
  target_compile_definitions(${name} PRIVATE
    QUELMAR_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    QUELMAR_BINARY_DIR="${CMAKE_BINARY_DIR}"
    QUELMAR_DATA_DIR="${QUELMAR_DATA_DIR}")
  # A list of several VAR=value entries must reach the tests as one property value.
  string(REPLACE ";" "\\;" env "${ARG_ENV}")
  set(properties "")
  if(ARG_ENV)
    list(APPEND properties ENVIRONMENT "${env}")
  endif()
  if(ARG_PROGRAM)
    target_link_libraries(${name} PRIVATE quelmar_program_test)
    add_dependencies(${name} quelmar-game data)
    list(APPEND properties TIMEOUT 900 COST 1000)
    list(APPEND ARG_LABELS program)
  endif()
  if(ARG_LOCK)
    list(APPEND properties RESOURCE_LOCK ${ARG_LOCK})
  endif()
  if(ARG_LABELS)
    list(APPEND properties LABELS "${ARG_LABELS}")
  endif()
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    DISCOVERY_MODE PRE_TEST
    PROPERTIES ${properties})
endfunction()
