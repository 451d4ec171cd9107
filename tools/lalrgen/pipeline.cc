// The construction in order: grammar file, LR(0) automaton, LALR(1) lookaheads, conflict
// resolution, defaults, packing, assembly, verification. A stage runs only when the one
// before it succeeded; each leaves its result in its own process-wide record.
#include "pipeline.h"

#include "conflict_resolution.h"
#include "default_reductions.h"
#include "grammar_file.h"
#include "lalr_lookaheads.h"
#include "lr0_automaton.h"
#include "parse_tables.h"
#include "row_packing.h"
#include "verify_tables.h"

std::vector<std::string> build_messages;

int build_parse_tables(const char *file_name, const char *text) {
  build_messages.clear();
  if (read_grammar(file_name, text) != 0) {
    build_messages.push_back(grammar_error);
    return build_bad_grammar;
  }
  build_lr0_automaton();
  compute_lalr_lookaheads();
  resolve_conflicts();
  if (!actions.unresolved.empty()) {
    for (const std::string &conflict : actions.unresolved)
      build_messages.push_back(std::string(file_name) + ": " + conflict);
    return build_bad_grammar;
  }
  choose_defaults();
  if (pack_tables() != 0) {
    build_messages.push_back(std::string(file_name) + ": " + packed.error);
    return build_bad_grammar;
  }
  assemble_parse_tables();
  if (verify_parse_tables(view_of_tables()) != 0) {
    build_messages.push_back("verification of the packed tables failed: " + verify_failure);
    return build_internal_error;
  }
  return build_done;
}

void print_statistics(FILE *stream, const char *file_name) {
  fprintf(stream, "lalrgen: %s\n", file_name);
  fprintf(stream, "  states              %5zu (final state %d)\n", automaton.states.size(), automaton.final_state);
  fprintf(stream, "  rules               %5d\n", rule_count());
  fprintf(stream, "  symbols             %5zu (%d terminals, %d nonterminals)\n", grammar.symbols.size(),
          grammar.token_count, nonterminal_count());
  fprintf(stream, "  gotos               %5d\n", lookaheads.nonterminal_transitions);
  fprintf(stream, "  conflicts resolved  %5d\n", actions.resolved);
  fprintf(stream, "  default reductions  %5d (%d without reading a token)\n", defaults.default_reductions,
          defaults.states_reading_nothing);
  fprintf(stream, "  packed table        %5zu slots (last index %d, %d rows sharing a base)\n",
          packed.packed_action.size(), static_cast<int>(packed.packed_action.size()) - 1, packed.shared_rows);
}
