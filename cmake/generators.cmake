# Build-time table generation: the rule sets and the grammar are the single source of truth;
# the tables are written into the build tree, never committed.

# generate_scanner_tables(RULES NAME): runs scangen on RULES (relative to the current source
# dir) and sets NAME_SOURCES to the generated NAME.cc and NAME.h in the current binary dir.
function(generate_scanner_tables rules name)
  set(out_cc ${CMAKE_CURRENT_BINARY_DIR}/${name}.cc)
  set(out_h ${CMAKE_CURRENT_BINARY_DIR}/${name}.h)
  add_custom_command(
    OUTPUT ${out_cc} ${out_h}
    COMMAND scangen ${CMAKE_CURRENT_SOURCE_DIR}/${rules} ${out_cc} ${out_h}
    DEPENDS scangen ${CMAKE_CURRENT_SOURCE_DIR}/${rules}
    COMMENT "Generating scanner tables from ${rules}"
    VERBATIM)
  set(${name}_SOURCES ${out_cc} ${out_h} PARENT_SCOPE)
endfunction()

# generate_parse_tables(GRAMMAR NAME): runs lalrgen on GRAMMAR and sets NAME_SOURCES likewise.
function(generate_parse_tables grammar name)
  set(out_cc ${CMAKE_CURRENT_BINARY_DIR}/${name}.cc)
  set(out_h ${CMAKE_CURRENT_BINARY_DIR}/${name}.h)
  add_custom_command(
    OUTPUT ${out_cc} ${out_h}
    COMMAND lalrgen ${CMAKE_CURRENT_SOURCE_DIR}/${grammar} ${out_cc} ${out_h}
    DEPENDS lalrgen ${CMAKE_CURRENT_SOURCE_DIR}/${grammar}
    COMMENT "Generating parse tables from ${grammar}"
    VERBATIM)
  set(${name}_SOURCES ${out_cc} ${out_h} PARENT_SCOPE)
endfunction()
