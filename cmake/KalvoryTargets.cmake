# kalvory_core_library(NAME SOURCES... [DEPENDS libs...])
# Each subsystem of the core is a static library of its own, so that it builds
# and is tested without the others; kalvory_core links them all.
function(kalvory_core_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  if(NOT ARG_SOURCES)
    return()  # a subsystem whose first files are still being written
  endif()
  add_library(kalvory_core_${name} STATIC ${ARG_SOURCES})
  target_include_directories(kalvory_core_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src/core)
  target_link_libraries(kalvory_core_${name} PUBLIC ${ARG_DEPENDS} PRIVATE kalvory_warnings)
  set_property(GLOBAL APPEND PROPERTY KALVORY_CORE_LIBRARIES kalvory_core_${name})
endfunction()

# kalvory_test(NAME SOURCES... DEPENDS libs... [LABELS labels...])
# One GoogleTest program per subsystem; CTest sees each test case.
function(kalvory_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS;LABELS" ${ARGN})
  if(NOT ARG_SOURCES)
    return()
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${ARG_DEPENDS} GTest::gtest GTest::gtest_main GTest::gmock kalvory_warnings)
  target_compile_definitions(${name} PRIVATE KALVORY_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  set(properties LABELS "${ARG_LABELS}")
  if("x11" IN_LIST ARG_LABELS)
    # Tests with an X server of their own run one at a time: a server shutting down can remove
    # the socket of a server that has just taken over its display number.
    list(APPEND properties RESOURCE_LOCK x_server)
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ${properties})
endfunction()
