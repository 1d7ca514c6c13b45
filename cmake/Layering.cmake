# The layering of src/: for each folder, the folders its code may include and its library
# may link (its own folder is always allowed). Lower layers come first:
#
#   platform <- store <- message
#   store <- link (the contract of line and engine) <- comm (the line) and comm/rapidox
#   link, message <- patrol/engine <- patrol/run <- patrol/services/<one folder a service>
#   comm, patrol <- session (the line stack and the patrol controller)
#   store, message <- tools, models
#   everything <- app, ui (the programs)
#
# comm and patrol never include or link each other. Qt is reached only through the
# libraries that link it (platform_qt, comm, session, models and the programs), so a plain
# library cannot include a Qt header either.
#
# The build checks this: MorvalineHelpers.cmake the links of every library at configure
# time, CheckLayering.cmake every #include of src/ at each build. A new folder of src/ gets
# a line here.
set(MORVALINE_LAYER_FOLDERS
  platform store message link comm/rapidox comm patrol/engine patrol/run patrol/services
  session tools models app ui)
set(MORVALINE_LAYER_platform)
set(MORVALINE_LAYER_store platform)
set(MORVALINE_LAYER_message store platform)
set(MORVALINE_LAYER_link store platform)
set(MORVALINE_LAYER_comm/rapidox store platform)
set(MORVALINE_LAYER_comm comm/rapidox link store platform)
set(MORVALINE_LAYER_patrol/engine link message store platform)
set(MORVALINE_LAYER_patrol/run patrol/engine link message store platform)
set(MORVALINE_LAYER_patrol/services patrol/run patrol/engine link message store platform)
set(MORVALINE_LAYER_session
  patrol/services patrol/run patrol/engine comm comm/rapidox link message store platform)
set(MORVALINE_LAYER_tools message store platform)
set(MORVALINE_LAYER_models message store platform)
set(MORVALINE_LAYER_app ALL)
set(MORVALINE_LAYER_ui ALL)

# morvaline_layer_of(OUT PATH): the folder of MORVALINE_LAYER_FOLDERS that holds PATH (a
# path below src/), the longest that matches; empty when none does.
function(morvaline_layer_of out path)
  set(found "")
  foreach(folder IN LISTS MORVALINE_LAYER_FOLDERS)
    string(LENGTH "${folder}" length)
    string(LENGTH "${found}" foundLength)
    if((path STREQUAL folder OR path MATCHES "^${folder}/") AND length GREATER foundLength)
      set(found ${folder})
    endif()
  endforeach()
  set(${out} "${found}" PARENT_SCOPE)
endfunction()

# morvaline_layer_check(FAULTS FROM TO TEXT): appends TEXT to the list FAULTS when code of
# folder FROM may not use folder TO.
function(morvaline_layer_check faultList from to text)
  set(allowed ${from} ${MORVALINE_LAYER_${from}})
  if(NOT to IN_LIST allowed AND NOT "ALL" IN_LIST allowed)
    set(${faultList} ${${faultList}} "${text}" PARENT_SCOPE)
  endif()
endfunction()

# morvaline_layer_report(WHAT FAULT...): stops with the faults found, if there are any.
function(morvaline_layer_report what)
  if(ARGN)
    list(JOIN ARGN "\n  " text)
    message(FATAL_ERROR "${what} against the layering of cmake/Layering.cmake:\n  ${text}")
  endif()
endfunction()
