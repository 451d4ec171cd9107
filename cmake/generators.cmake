# Build-time table generation: the rule sets and the grammar are the single source of truth;
# the tables are written into the build tree, never committed.

# generate_tables(TOOL INPUT NAME): runs the generator TOOL (scangen or lalrgen) on INPUT,
# relative to the current source dir, and sets NAME_SOURCES to the NAME.cc and NAME.h it
# writes into the current binary dir.
function(generate_tables tool input name)
  set(out_cc ${CMAKE_CURRENT_BINARY_DIR}/${name}.cc)
  set(out_h ${CMAKE_CURRENT_BINARY_DIR}/${name}.h)
  add_custom_command(
    OUTPUT ${out_cc} ${out_h}
    COMMAND ${tool} ${CMAKE_CURRENT_SOURCE_DIR}/${input} ${out_cc} ${out_h}
    DEPENDS ${tool} ${CMAKE_CURRENT_SOURCE_DIR}/${input}
    COMMENT "Generating ${name} from ${input} with ${tool}"
    VERBATIM)
  set(${name}_SOURCES ${out_cc} ${out_h} PARENT_SCOPE)
endfunction()
