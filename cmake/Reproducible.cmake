# The same sources give the same bytes whichever folder they are built in and
# whenever: no build path in the objects (file names in debug information and
# assertions are relative to the source tree) and no link time in a PE header.
add_compile_options("-ffile-prefix-map=${PROJECT_SOURCE_DIR}=.")
cmake_path(IS_PREFIX PROJECT_SOURCE_DIR "${PROJECT_BINARY_DIR}" binary_inside_source)
if(NOT binary_inside_source)
  add_compile_options("-ffile-prefix-map=${PROJECT_BINARY_DIR}=build")
endif()
if(WIN32)
  add_link_options(-Wl,--no-insert-timestamp)
endif()
