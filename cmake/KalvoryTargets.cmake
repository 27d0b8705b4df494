# kalvory_export_headers(TARGET PATH...)
# A library shows the headers of its own folder and nothing else: each PATH (a folder or file
# below src/) is linked into an include folder of the target's own, so that "core/model/x.h" is
# found only by code that links the model library. Including a header of a library one does not
# link is then a build error instead of a silent dependency.
function(kalvory_export_headers target)
  set(include_root ${CMAKE_BINARY_DIR}/exported/${target})
  foreach(path IN LISTS ARGN)
    get_filename_component(parent ${include_root}/${path} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    if(NOT EXISTS ${include_root}/${path})
      file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${path} ${include_root}/${path} SYMBOLIC)
    endif()
  endforeach()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE ${include_root})
  else()
    target_include_directories(${target} PUBLIC ${include_root})
  endif()
endfunction()

# kalvory_core_library(NAME SOURCES... [DEPENDS libs...])
# Each subsystem of the core is a static library of its own, so that it builds
# and is tested without the others; kalvory_core links them all.
function(kalvory_core_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  if(NOT ARG_SOURCES)
    return()  # a subsystem whose first files are still being written
  endif()
  add_library(kalvory_core_${name} STATIC ${ARG_SOURCES})
  kalvory_export_headers(kalvory_core_${name} core/${name})
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
    # Tests with an X server of their own run one at a time. Their servers cannot collide (each
    # chooses a free display itself), but each test runs the real program with its servers and
    # buses, and side by side they would only crowd a small machine.
    list(APPEND properties RESOURCE_LOCK x_server)
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ${properties})
endfunction()
