// lalrgen GRAMMAR OUT.cc OUT.h: turns a grammar file into the packed LALR(1) tables of the
// parse engine and the names of their entries, and prints the construction's statistics; it
// refuses to write tables that fail verification. Exit status 0 when both files are written,
// 1 for a wrong grammar or a file that cannot be read or written, 2 when the tables fail
// verification.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "command_line.h"
#include "conflict_resolution.h"
#include "default_reductions.h"
#include "diagnostics.h"
#include "emit_tables.h"
#include "files.h"
#include "grammar_file.h"
#include "lalr_lookaheads.h"
#include "lr0_automaton.h"
#include "parse_row_packing.h"
#include "parse_tables.h"
#include "verify_tables.h"

namespace {

int fail(int status) { return generator_exit(LALRGEN, status); }

void print_statistics(const char *grammar_path, const Grammar &grammar, const Automaton &automaton,
                      const Lookaheads &lookaheads, const ActionTable &actions, const DefaultedTables &defaults,
                      const PackedParseRows &packed) {
  printf("lalrgen: %s\n", grammar_path);
  printf("  states              %5zu (final state %d)\n", automaton.states.size(), automaton.final_state);
  printf("  rules               %5d\n", rule_count(grammar));
  printf("  symbols             %5zu (%d terminals, %d nonterminals)\n", grammar.symbols.size(), grammar.token_count,
         nonterminal_count(grammar));
  printf("  gotos               %5d\n", lookaheads.nonterminal_transitions);
  printf("  conflicts resolved  %5d\n", actions.resolved);
  printf("  default reductions  %5d (%d without reading a token)\n", defaults.default_reductions,
         defaults.states_reading_nothing);
  printf("  packed table        %5zu slots (last index %d, %d rows sharing a base)\n", packed.packed_action.size(),
         static_cast<int>(packed.packed_action.size()) - 1, packed.shared_rows);
}

}  // namespace

int main(int argc, char **argv) {
  int status = 0;
  std::optional<GeneratorFiles> files = read_command_line(argc, argv, LALRGEN, "GRAMMAR", &status);
  if (!files) return status;
  const char *grammar_path = files->input;
  std::string text;
  FileResult read = read_whole_file(grammar_path, &text);
  if (read != file_done) {
    const char *what = read == file_cannot_open ? "open" : "read";
    report_at(LALRGEN, 0, "cannot %s %s: %s", what, grammar_path, strerror(errno));
    return fail(EXIT_INPUT_FAULT);
  }
  std::optional<Grammar> grammar = read_grammar(grammar_path, text);
  if (!grammar) return fail(EXIT_INPUT_FAULT);
  Automaton automaton = build_lr0_automaton(*grammar);
  Lookaheads lookaheads = compute_lalr_lookaheads(*grammar, automaton);
  ActionTable actions = resolve_conflicts(*grammar, automaton, lookaheads);
  if (actions.unresolved > 0) return fail(EXIT_INPUT_FAULT);
  DefaultedTables defaults = choose_defaults(*grammar, automaton, actions);
  std::optional<PackedParseRows> packed = pack_parse_rows(*grammar, defaults);
  if (!packed) return fail(EXIT_INPUT_FAULT);
  ParseTables tables = assemble_parse_tables(*grammar, automaton, defaults, *packed);
  if (verify_parse_tables(parse_tables_view(tables), *grammar, automaton, actions) < 0)
    return fail(EXIT_INTERNAL_FAULT);
  if (emit_parse_tables(grammar_path, *grammar, tables, files->source, files->header) < 0) {
    return fail(EXIT_INPUT_FAULT);
  }
  print_statistics(grammar_path, *grammar, automaton, lookaheads, actions, defaults, *packed);
  return generator_exit(LALRGEN, 0);
}
