# The layers of the program, bottom up (docs/architecture.md draws them). A
# library may link libraries of its own folder and of lower layers only, and
# shows nothing but its own folder to the code that includes it, so an
# include of a library that is not linked does not build.
set(MORVELUX_LAYER_gfx 0)
set(MORVELUX_LAYER_version 0)
set(MORVELUX_LAYER_animation 1)
set(MORVELUX_LAYER_toolkit 1)
set(MORVELUX_LAYER_settings 1)
set(MORVELUX_LAYER_window 2)
set(MORVELUX_LAYER_about 2)
set(MORVELUX_LAYER_tools 2)
set(MORVELUX_LAYER_app 3)
set(MORVELUX_LAYER_x11 3)
set(MORVELUX_LAYER_web 3)
set(MORVELUX_LAYER_wayland 3)
set(MORVELUX_LAYER_tests 4)

# The include root that shows exactly `folder` (as "folder/...").
function(morvelux_include_root out folder)
  set(root ${PROJECT_BINARY_DIR}/include/${folder})
  if(NOT EXISTS ${root}/${folder})
    file(MAKE_DIRECTORY ${root})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
  endif()
  set(${out} ${root} PARENT_SCOPE)
endfunction()

# morvelux_library(<target> <folder>): the target belongs to that folder's
# layer and exposes that folder.
function(morvelux_library target folder)
  if(NOT DEFINED MORVELUX_LAYER_${folder})
    message(FATAL_ERROR "${target}: folder ${folder} has no layer in cmake/Layers.cmake")
  endif()
  morvelux_include_root(root ${folder})
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE ${root})
  else()
    target_include_directories(${target} PUBLIC ${root})
  endif()
  set_property(TARGET ${target} PROPERTY MORVELUX_FOLDER ${folder})
  set_property(GLOBAL APPEND PROPERTY MORVELUX_LAYERED_TARGETS ${target})
endfunction()

# Fails the configuration when a target links a library of its own layer in
# another folder, or of a higher layer.
function(morvelux_check_layers)
  get_property(targets GLOBAL PROPERTY MORVELUX_LAYERED_TARGETS)
  foreach(target IN LISTS targets)
    get_target_property(folder ${target} MORVELUX_FOLDER)
    get_target_property(links ${target} LINK_LIBRARIES)
    get_target_property(interface_links ${target} INTERFACE_LINK_LIBRARIES)
    foreach(dep IN LISTS links interface_links)
      if(NOT TARGET "${dep}")
        continue()
      endif()
      get_target_property(dep_folder ${dep} MORVELUX_FOLDER)
      if(NOT dep_folder OR dep_folder STREQUAL folder)
        continue()
      endif()
      if(NOT MORVELUX_LAYER_${dep_folder} LESS MORVELUX_LAYER_${folder})
        message(FATAL_ERROR "${target} (${folder}/) may not link ${dep} (${dep_folder}/): "
                            "layers only point down (docs/architecture.md)")
      endif()
    endforeach()
  endforeach()
endfunction()
