// The table source names each field of `yy_tables` it sets, so a change to the fields of
// ScannerTables breaks the build of the tables instead of shifting their values.
#include "emit.h"

#include <vector>

#include "files.h"
#include "generated_source.h"

namespace {

constexpr char INDENT[] = "    ";  // before each field and enumerator

template <typename T>
std::string array_text(const char *type, const char *name, const std::vector<T> &values) {
  return "static const " + std::string(type) + " " + name + "[" + std::to_string(values.size()) + "] = {\n" +
         array_rows(values) + "};\n\n";
}

std::string field_line(const char *field, int value) {
  return std::string(INDENT) + "." + field + " = " + std::to_string(value) + ",\n";
}

std::string pointer_line(const char *field, const char *array) {
  return std::string(INDENT) + "." + field + " = " + array + ",\n";
}

std::string enumerator_line(const std::string &name, int value) {
  return std::string(INDENT) + name + " = " + std::to_string(value) + ",\n";
}

// The flags of a token rule's shortcut (scanner.h).
const char *shortcut_flags(const ScanRule &rule) {
  if (rule.kind == rule_text_token) return "YY_QUEUES_MATCH";
  if (rule.kind == rule_name_token) return "YY_QUEUES_MATCH | YY_QUEUES_BLANK";
  return "0";
}

// One entry a line, since the entries are the tokens' names: a name that the included headers
// do not declare fails the build of the tables, with the name.
std::string shortcuts_text(const RuleSet &rules) {
  std::string text =
      "// Action 0..R -> what the engine does in the action's place (scanner.h); 0: the action runs.\n"
      "static const int16_t yy_shortcuts[" +
      std::to_string(rules.rules.size() + 2) + "] = {\n" + INDENT + "0,  // no action\n";
  for (const ScanRule &rule : rules.rules) {
    if (is_token_rule(rule)) {
      text += std::string(INDENT) + "yy_shortcut(" + rule.token + ", " + shortcut_flags(rule) + "),  // " + rule.name +
              "\n";
    } else {
      text += std::string(INDENT) + "0,  // " + rule.name + "\n";
    }
  }
  return text + INDENT + "0,  // the default rule\n};\n\n";
}

}  // namespace

std::string table_source_text(const char *rules_path, const RuleSet &rules, const PackedScannerTables &t) {
  std::string text = generated_banner(SCANGEN, rules_path) + "#include \"scanner.h\"\n";
  for (const std::string &header : rules.includes) text += "#include \"" + header + "\"\n";
  text += "\n";
  text += array_text("int16_t", "yy_accept", t.accept);
  text += array_text("int32_t", "yy_classes", t.classes);
  text += array_text("int32_t", "yy_meta", t.meta);
  text += array_text("int16_t", "yy_base", t.base);
  text += array_text("int16_t", "yy_def", t.def);
  text += array_text("int16_t", "yy_next", t.next);
  text += array_text("int16_t", "yy_check", t.check);
  text += array_text("uint8_t", "yy_skip", t.skip);
  text += shortcuts_text(rules);
  text += "const ScannerTables yy_tables = {\n";
  text += pointer_line("accept", "yy_accept") + pointer_line("classes", "yy_classes") + pointer_line("meta", "yy_meta");
  text += pointer_line("base", "yy_base") + pointer_line("def", "yy_def") + pointer_line("next", "yy_next");
  text +=
      pointer_line("check", "yy_check") + pointer_line("skip", "yy_skip") + pointer_line("shortcuts", "yy_shortcuts");
  text += field_line("rule_count", t.rule_count) + field_line("condition_count", t.condition_count);
  text += field_line("class_count", t.class_count) + field_line("end_of_buffer_state", t.end_of_buffer_state);
  text += field_line("jam_state", t.jam_state) + field_line("jam_base", t.jam_base);
  text += field_line("first_template", t.first_template) + field_line("row_count", t.row_count);
  text += field_line("entry_count", t.entry_count) + field_line("nul_class", t.nul_class);
  return text + "};\n";
}

// Two enumerations of the action numbers: ScanAction, the actions that the program's
// yy_rule_action runs, and EngineAction, those the engine takes itself. A program that
// switches over a ScanAction without a default is told by the compiler of every action it
// leaves out.
std::string table_header_text(const char *rules_path, const char *header_path, const RuleSet &rules) {
  std::string guard = "SCANGEN_" + guard_word(header_path);
  std::string text = generated_banner(SCANGEN, rules_path);
  text += "#ifndef " + guard + "\n#define " + guard + "\n\n#include \"scanner.h\"\n\n";
  text += "enum StartCondition {\n";
  for (int n = 0; n < static_cast<int>(rules.conditions.size()); n++) text += enumerator_line(rules.conditions[n], n);
  std::string program = "};\n\n// The actions the program runs (yy_rule_action).\nenum ScanAction {\n";
  std::string engine = "};\n\n// The actions the engine takes itself.\nenum EngineAction {\n";
  int action = 1;
  for (const ScanRule &rule : rules.rules) {
    (is_token_rule(rule) ? engine : program) += enumerator_line(rule_action_name(rule.name), action++);
  }
  program += enumerator_line(DEFAULT_ACTION_NAME, action++);
  engine += enumerator_line(END_OF_BUFFER_ACTION_NAME, action++);
  for (const std::string &condition : rules.conditions)
    program += enumerator_line(end_of_file_action_name(condition), action++);
  return text + program + engine + "};\n\n#endif\n";
}

int emit_scanner_tables(const char *rules_path, const RuleSet &rules, const PackedScannerTables &packed,
                        const char *source_path, const char *header_path) {
  return write_generated_files(SCANGEN, source_path, table_source_text(rules_path, rules, packed), header_path,
                               table_header_text(rules_path, header_path, rules));
}
