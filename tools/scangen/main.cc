// scangen RULES OUT.cc OUT.h: compiles a rule file into the scanner engine's tables and
// the matching enumerations, prints the table statistics, and refuses to write tables
// that fail verification. Exit status 0 on success, 1 for faults in the input or the
// files, 2 when the tables fail verification.
#include <cstdio>
#include <cstring>

#include "construction.h"
#include "diagnostics.h"
#include "emit.h"
#include "row_packing.h"
#include "rule_file.h"
#include "verify.h"

static const int EXIT_INPUT_FAULT = 1;    // the rule file, its reading or the outputs
static const int EXIT_BROKEN_TABLES = 2;  // an internal fault: tables fail verification
static const char USAGE[] = "usage: scangen RULES OUT.cc OUT.h\n";

static int fail(int status) {
  fprintf(stderr, "%s\n", diagnostic.c_str());
  return status;
}

static void print_statistics(const char *rules_path) {
  const PackedTables &t = packed;
  int listed = t.rule_count - 1;
  printf("scangen: %s: %d rules and the default rule, %d start conditions\n", rules_path, listed, t.condition_count);
  printf("  states: start states 1 to %d, end-of-buffer state E %d, automaton states 1 to %d, jam state J %d\n",
         2 * t.condition_count, t.end_of_buffer_state, t.jam_state - 1, t.jam_state);
  printf("  classes %d, jam base %d, templates %d (first template %d)\n", t.class_count, t.jam_base, t.template_count,
         t.first_template);
  printf("  entries: accept %zu, classes %zu, meta %zu, base %zu, def %zu, next %zu, check %zu\n", t.accept.size(),
         t.classes.size(), t.meta.size(), t.base.size(), t.def.size(), t.next.size(), t.check.size());
}

int main(int argc, char **argv) {
  if (argc == 2 && strcmp(argv[1], "--help") == 0) {
    fputs(USAGE, stdout);
    return 0;
  }
  if (argc != 4) {
    fputs(USAGE, stderr);
    return EXIT_INPUT_FAULT;
  }
  if (construct_tables(argv[1]) < 0) return fail(EXIT_INPUT_FAULT);
  print_statistics(argv[1]);
  if (verify_tables() < 0) return fail(EXIT_BROKEN_TABLES);
  if (emit_tables(argv[1], argv[2], argv[3]) < 0) return fail(EXIT_INPUT_FAULT);
  if (fflush(stdout) != 0 || ferror(stdout)) return EXIT_INPUT_FAULT;
  return 0;
}
