# morvaline_add_library(NAME SOURCES ... [LIBRARIES ...])
# builds the static library morvaline_NAME; headers are included as "area/file.h". The
# library belongs to the layer of its folder (cmake/Layering.cmake).
function(morvaline_add_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES" ${ARGN})
  add_library(morvaline_${name} STATIC ${ARG_SOURCES})
  target_include_directories(morvaline_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(morvaline_${name} PUBLIC ${ARG_LIBRARIES})
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR}/src ${CMAKE_CURRENT_SOURCE_DIR})
  morvaline_layer_of(layer "${folder}")
  if(NOT layer)
    message(FATAL_ERROR "src/${folder} has no place in cmake/Layering.cmake")
  endif()
  set_target_properties(morvaline_${name} PROPERTIES MORVALINE_LAYER ${layer})
  set_property(GLOBAL APPEND PROPERTY MORVALINE_LIBRARIES morvaline_${name})
endfunction()

# morvaline_check_links(): fails the configuration when a library links a library of a
# layer that its own may not use. Called once every library exists.
function(morvaline_check_links)
  get_property(libraries GLOBAL PROPERTY MORVALINE_LIBRARIES)
  set(faults "")
  foreach(library IN LISTS libraries)
    get_target_property(layer ${library} MORVALINE_LAYER)
    get_target_property(links ${library} LINK_LIBRARIES)
    foreach(link IN LISTS links)
      if(TARGET ${link} AND link IN_LIST libraries)
        get_target_property(linkLayer ${link} MORVALINE_LAYER)
        morvaline_layer_check(faults ${layer} ${linkLayer}
                              "${library} (${layer}/) may not link ${link} (${linkLayer}/)")
      endif()
    endforeach()
  endforeach()
  morvaline_layer_report("Links" ${faults})
endfunction()

# morvaline_add_test(NAME SOURCES ... [LIBRARIES ...] [PARTS PART ...] [LAUNCHER ...])
# builds the GoogleTest program test_NAME and registers it with CTest. With PARTS, each
# PART is a CTest test of its own, NAME_PART, running the tests whose names end in /PART
# (the instances of a parameterised test), so that long ones run side by side. A LAUNCHER
# command runs the program (xvfb-run for the tests of windows).
function(morvaline_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES;PARTS;LAUNCHER" ${ARGN})
  add_executable(test_${name} ${ARG_SOURCES})
  target_include_directories(test_${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(test_${name} PRIVATE ${ARG_LIBRARIES} GTest::gtest_main)
  set(tests)
  if(ARG_PARTS)
    foreach(part IN LISTS ARG_PARTS)
      add_test(NAME ${name}_${part} COMMAND ${ARG_LAUNCHER} $<TARGET_FILE:test_${name}> --gtest_filter=*/${part})
      # A part that names no test would pass without running one.
      set_tests_properties(${name}_${part} PROPERTIES FAIL_REGULAR_EXPRESSION "\\] 0 tests from")
      list(APPEND tests ${name}_${part})
    endforeach()
  else()
    add_test(NAME ${name} COMMAND ${ARG_LAUNCHER} $<TARGET_FILE:test_${name}>)
    set(tests ${name})
  endif()
  set_tests_properties(${tests} PROPERTIES
    ENVIRONMENT "MORVALINE_SOURCE_DIR=${PROJECT_SOURCE_DIR};MORVALINE_BINARY_DIR=${PROJECT_BINARY_DIR}"
    TIMEOUT 600)
endfunction()
