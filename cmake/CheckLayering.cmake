# cmake -DSOURCE_DIR=TOP [-DSTAMP=FILE] -P CheckLayering.cmake
# Checks every #include of the sources under TOP/src against the layering of
# cmake/Layering.cmake, names each one that breaks it and fails; on success touches FILE.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/Layering.cmake)

file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR}/src
  ${SOURCE_DIR}/src/*.h ${SOURCE_DIR}/src/*.cpp)
set(faults "")
foreach(source IN LISTS sources)
  get_filename_component(folder ${source} DIRECTORY)
  morvaline_layer_of(layer "${folder}")
  if(NOT layer)
    list(APPEND faults "src/${source}: the folder ${folder} has no place in cmake/Layering.cmake")
    continue()
  endif()
  file(STRINGS ${SOURCE_DIR}/src/${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*" "\\1" header "${line}")
    get_filename_component(headerFolder "${header}" DIRECTORY)
    morvaline_layer_of(target "${headerFolder}")
    if(NOT target)
      continue()  # not a header of src/ (a file of its own folder, a generated one)
    endif()
    morvaline_layer_check(faults ${layer} ${target} "src/${source}: ${layer}/ may not include ${header}")
  endforeach()
endforeach()

morvaline_layer_report("Includes" ${faults})
if(STAMP)
  file(TOUCH ${STAMP})
endif()
