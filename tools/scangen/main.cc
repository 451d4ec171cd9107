// scangen RULES OUT.cc OUT.h: compiles a rule file into the scanner engine's tables and
// the matching enumerations, and prints the table statistics; it refuses to write tables
// that fail verification. Exit status 0 when both files are written, 1 for faults in the
// input or the files, 2 when the tables fail verification.
#include <cstdio>
#include <optional>

#include "byte_classes.h"
#include "command_line.h"
#include "dfa_row_packing.h"
#include "diagnostics.h"
#include "emit.h"
#include "regex_nfa.h"
#include "rule_file.h"
#include "subset.h"
#include "verify.h"

namespace {

int fail(int status) { return generator_exit(SCANGEN, status); }

void print_statistics(const char *rules_path, const PackedScannerTables &t) {
  int listed = t.rule_count - 1;
  printf("scangen: %s: %d rules and the default rule, %d start conditions\n", rules_path, listed, t.condition_count);
  printf("  states: start states 1 to %d, end-of-buffer state E %d, automaton states 1 to %d, jam state J %d\n",
         t.condition_count, t.end_of_buffer_state, t.jam_state - 1, t.jam_state);
  printf("  classes %d, jam base %d, templates %d (first template %d)\n", t.class_count, t.jam_base, t.template_count,
         t.first_template);
  printf("  entries: accept %zu, classes %zu, meta %zu, base %zu, def %zu, next %zu, check %zu\n", t.accept.size(),
         t.classes.size(), t.meta.size(), t.base.size(), t.def.size(), t.next.size(), t.check.size());
}

}  // namespace

int main(int argc, char **argv) {
  int status = 0;
  std::optional<GeneratorFiles> files = read_command_line(argc, argv, SCANGEN, "RULES", &status);
  if (!files) return status;
  const char *rules_path = files->input;
  std::optional<RuleSet> rules = read_rule_file(rules_path);
  if (!rules) return fail(EXIT_INPUT_FAULT);
  std::optional<Nfa> nfa = compile_rules(*rules);
  if (!nfa) return fail(EXIT_INPUT_FAULT);
  ByteClasses classes = compute_byte_classes(*nfa);
  std::optional<Dfa> dfa = build_dfa(*rules, *nfa, classes);
  if (!dfa) return fail(EXIT_INPUT_FAULT);
  std::optional<PackedScannerTables> packed = pack_scanner_rows(*rules, *dfa, classes);
  if (!packed) return fail(EXIT_INPUT_FAULT);
  if (verify_packed_scanner(*packed, *dfa, classes) < 0) return fail(EXIT_INTERNAL_FAULT);
  if (emit_scanner_tables(rules_path, *rules, *packed, files->source, files->header) < 0) return fail(EXIT_INPUT_FAULT);
  print_statistics(rules_path, *packed);
  return generator_exit(SCANGEN, 0);
}
