// Output of the generated table files. The output depends on nothing but the grammar: the
// banner names the grammar file without its directory and carries no time, so two builds of
// one grammar write the same bytes. Tables are printed 16 numbers a row, right-aligned.
#include "emit_tables.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "grammar_file.h"
#include "lr0_automaton.h"
#include "parse_tables.h"
#include "row_packing.h"

std::string emit_error;

namespace {

constexpr int NUMBERS_PER_ROW = 16;  // table entries on one line of the source

struct Output {
  FILE *source;             // OUT.cc
  FILE *header;             // OUT.h
  std::string banner;       // first line of both files
  std::string header_name;  // OUT.h without its directory, as the source includes it
};

Output out;  // the files being written

}  // namespace

static std::string base_name(const char *path) {
  const char *slash = strrchr(path, '/');
  return slash != nullptr ? slash + 1 : path;
}

static std::string guard_name(const std::string &file) {
  std::string guard = (file[0] >= '0' && file[0] <= '9') ? "TABLES_" : "";
  for (char c : file) {
    bool alnum = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    guard += alnum ? static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c) : '_';
  }
  return guard;
}

template <typename T>
static void print_array(const char *comment, const char *type, const char *name, const char *size,
                        const std::vector<T> &values) {
  int width = 1;
  for (T value : values) {
    int digits = snprintf(nullptr, 0, "%d", static_cast<int>(value));
    width = digits > width ? digits : width;
  }
  fprintf(out.source, "\n// %s\nconst %s %s[%s] = {", comment, type, name, size);
  for (size_t i = 0; i < values.size(); i++) {
    fputs(i % NUMBERS_PER_ROW == 0 ? "\n   " : "", out.source);
    fprintf(out.source, " %*d,", width, static_cast<int>(values[i]));
  }
  fputs("\n};\n", out.source);
}

static void write_source() {
  fprintf(out.source, "%s\n#include \"%s\"\n", out.banner.c_str(), out.header_name.c_str());
  print_array("Token code -> terminal symbol.", "int8_t", "token_to_symbol", "PARSE_MAX_CODE + 1",
              tables.token_to_symbol);
  print_array("Rule -> symbol of its left side (rule 0 is never reduced).", "int16_t", "rule_lhs",
              "PARSE_RULE_COUNT + 1", tables.rule_lhs);
  print_array("Rule -> number of symbols on its right side.", "int16_t", "rule_length", "PARSE_RULE_COUNT + 1",
              tables.rule_length);
  print_array("Rule -> GrammarAction run when it is reduced.", "uint8_t", "rule_action", "PARSE_RULE_COUNT + 1",
              tables.rule_action);
  print_array("State -> displacement of its token actions; PARSE_NO_ENTRY: reduce without reading.", "int16_t",
              "state_base", "PARSE_STATE_COUNT", tables.state_base);
  print_array("State -> rule to reduce by when no token action matches; 0: syntax error.", "int16_t", "state_default",
              "PARSE_STATE_COUNT", tables.state_default);
  print_array("Nonterminal - PARSE_FIRST_NONTERMINAL -> displacement of its gotos; PARSE_NO_ENTRY: none.", "int16_t",
              "goto_base", "PARSE_NONTERMINAL_COUNT", tables.goto_base);
  print_array("Nonterminal - PARSE_FIRST_NONTERMINAL -> goto target when no entry matches.", "int16_t", "goto_default",
              "PARSE_NONTERMINAL_COUNT", tables.goto_default);
  print_array("Token actions (> 0 shift, < 0 reduce, 0 or PARSE_NO_ENTRY error) and goto targets.", "int16_t",
              "packed_action", "PARSE_LAST_INDEX + 1", tables.packed_action);
  print_array("Owner of each slot: the terminal of a token action, the state of a goto.", "int16_t", "packed_check",
              "PARSE_LAST_INDEX + 1", tables.packed_check);
}

static void write_enums() {
  fputs("\n// Codes of the named tokens, as the scanner returns them.\nenum TokenCode {\n", out.header);
  for (const Symbol &s : grammar.symbols) {
    if (s.kind == symbol_token) fprintf(out.header, "  %s = %d,\n", s.name.c_str(), s.code);
  }
  fputs("};\n\n// The action each rule runs at its reduction (rule_action).\nenum GrammarAction {\n", out.header);
  for (size_t i = 0; i < grammar.action_names.size(); i++) {
    fprintf(out.header, "  action_%s = %zu,\n", grammar.action_names[i].c_str(), i);
  }
  fputs("};\n", out.header);
}

static void write_constant(const char *name, int value, const char *meaning) {
  fprintf(out.header, "constexpr int %-24s = %6d;  // %s\n", name, value, meaning);
}

static void write_header() {
  std::string guard = guard_name(out.header_name);
  fprintf(out.header, "%s\n#ifndef %s\n#define %s\n\n#include <cstdint>\n", out.banner.c_str(), guard.c_str(),
          guard.c_str());
  write_enums();
  fputs("\n", out.header);
  write_constant("PARSE_STATE_COUNT", static_cast<int>(tables.state_base.size()), "states, the final one included");
  write_constant("PARSE_FINAL_STATE", automaton.final_state, "an action naming it accepts");
  write_constant("PARSE_LAST_INDEX", static_cast<int>(tables.packed_action.size()) - 1,
                 "last slot of packed_action and packed_check");
  write_constant("PARSE_FIRST_NONTERMINAL", grammar.token_count, "symbol number of the first nonterminal");
  write_constant("PARSE_NONTERMINAL_COUNT", nonterminal_count(), "entries of goto_base and goto_default");
  write_constant("PARSE_END_SYMBOL", grammar.end_symbol, "the end of input as a symbol");
  write_constant("PARSE_UNDEFINED_SYMBOL", grammar.undefined_symbol, "symbol of every undeclared token code");
  write_constant("PARSE_MAX_CODE", grammar.max_code, "token_to_symbol covers codes 0..PARSE_MAX_CODE");
  write_constant("PARSE_RULE_COUNT", rule_count(), "rules, numbered from 1");
  write_constant("PARSE_NO_ENTRY", NO_ROW_BASE, "a base with no entries; an action that is an error");
  fputs(
      "\nextern const int8_t token_to_symbol[PARSE_MAX_CODE + 1];\n"
      "extern const int16_t rule_lhs[PARSE_RULE_COUNT + 1];\n"
      "extern const int16_t rule_length[PARSE_RULE_COUNT + 1];\n"
      "extern const uint8_t rule_action[PARSE_RULE_COUNT + 1];\n"
      "extern const int16_t state_base[PARSE_STATE_COUNT];\n"
      "extern const int16_t state_default[PARSE_STATE_COUNT];\n"
      "extern const int16_t goto_base[PARSE_NONTERMINAL_COUNT];\n"
      "extern const int16_t goto_default[PARSE_NONTERMINAL_COUNT];\n"
      "extern const int16_t packed_action[PARSE_LAST_INDEX + 1];\n"
      "extern const int16_t packed_check[PARSE_LAST_INDEX + 1];\n",
      out.header);
  fprintf(out.header, "\n#endif\n");
}

// Removes a partly written output, but only a regular file: an output named /dev/full
// must fail without taking the device with it.
static void remove_output(const char *path) {
  struct stat info;
  if (stat(path, &info) == 0 && S_ISREG(info.st_mode)) remove(path);
}

// Closes both files; on any failure removes them, so that the build does not take a
// truncated file for an up-to-date one.
static int finish(const char *source_path, const char *header_path) {
  bool failed = false;
  for (FILE *file : {out.source, out.header}) {
    if (file == nullptr) {
      failed = true;
      continue;
    }
    if (ferror(file) != 0) failed = true;
    if (fclose(file) != 0) failed = true;
  }
  if (!failed) return 0;
  remove_output(source_path);
  remove_output(header_path);
  if (emit_error.empty()) emit_error = std::string("cannot write ") + source_path + " or " + header_path;
  return -1;
}

int emit_tables(const char *grammar_path, const char *source_path, const char *header_path) {
  emit_error.clear();
  out = Output{};
  out.banner = "// generated by tools/lalrgen from " + base_name(grammar_path) + "; do not edit";
  out.header_name = base_name(header_path);
  out.source = fopen(source_path, "w");
  out.header = fopen(header_path, "w");
  if (out.source == nullptr || out.header == nullptr) {
    emit_error = std::string("cannot create ") + (out.source == nullptr ? source_path : header_path);
    return finish(source_path, header_path);
  }
  write_source();
  write_header();
  return finish(source_path, header_path);
}
