# morvelux_embed(<out.cpp> <symbol> <file>): compiles a data file into the
# program as `extern const unsigned char symbol[]` and `symbol_size`.
function(morvelux_embed out symbol file)
  add_custom_command(
    OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -DIN=${file} -DOUT=${out} -DSYMBOL=${symbol}
            -P ${PROJECT_SOURCE_DIR}/cmake/EmbedFileScript.cmake
    DEPENDS ${file} ${PROJECT_SOURCE_DIR}/cmake/EmbedFileScript.cmake
    VERBATIM)
endfunction()
