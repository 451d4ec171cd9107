// The engine trusts the tables completely: no bounds test per byte, no limit on the default
// chain. So every lookup of every state and class is run here through the packed rows, with
// every index checked, and compared with the uncompressed automaton; and the distinguished
// states, the jam-base rule, the class table and the accept numbers are checked against what
// the engine relies on. The constants are compared with the automaton first, so that no later
// check reads past an array whose length they give.
#include "verify.h"

#include "diagnostics.h"
#include "row_displacement.h"

namespace {

constexpr char FAILED[] = "table check failed: ";  // the heading of every fault found here

// The transition from `state` on `cls` as the engine looks it up, but with every index
// checked and the default chain bounded by the number of rows: -1 when the lookup would leave
// the tables or never end.
int guarded_transition(const ScannerTables &t, int state, int cls) {
  int row = state, k = cls;
  for (int steps = 0; steps <= t.row_count; steps++) {
    if (row < 0 || row >= t.row_count || k < 0 || k > t.class_count) return -1;
    int entry = t.base[row] + k;
    if (entry < 0 || entry >= t.entry_count) return -1;
    if (t.check[entry] == row) return t.next[entry];
    row = t.def[row];
    if (row >= t.first_template) k = t.meta[k];
  }
  return -1;
}

int check_shape(const ScannerTables &t, const Dfa &dfa) {
  if (t.rule_count != dfa.rule_count || t.condition_count != dfa.condition_count || t.class_count != dfa.class_count)
    return report_at(SCANGEN, 0, "%srule, condition or class count differs from the automaton", FAILED);
  if (t.end_of_buffer_state != t.condition_count + 1 || t.jam_state <= t.end_of_buffer_state ||
      t.jam_state != dfa.jam_state)
    return report_at(SCANGEN, 0, "%sdistinguished states out of place", FAILED);
  if (t.first_template != t.jam_state + 1 || t.row_count < t.first_template)
    return report_at(SCANGEN, 0, "%sbase or def table has the wrong size", FAILED);
  if (t.entry_count != t.jam_base + t.class_count + 1 || !fits_16_bits(t.entry_count - 1))
    return report_at(SCANGEN, 0, "%snext or check table has the wrong size", FAILED);
  return 0;
}

// Byte 0 is the end-of-buffer symbol, every other byte has the class the patterns give it,
// and a NUL inside the text is looked up as class 1, the class the patterns give NUL.
int check_classes(const ScannerTables &t, const ByteClasses &classes) {
  if (t.classes[0] != END_OF_BUFFER_CLASS) return report_at(SCANGEN, 0, "%sbyte 0 is not class 0", FAILED);
  for (int b = 1; b < BYTE_COUNT; b++)
    if (t.classes[b] != classes.class_of[b])
      return report_at(SCANGEN, 0, "%sbyte %d has class %d", FAILED, b, t.classes[b]);
  if (t.nul_class != 1 || classes.class_of[NUL_BYTE] != t.nul_class)
    return report_at(SCANGEN, 0, "%sNUL class is not 1", FAILED);
  for (int k = 0; k <= t.class_count; k++)
    if (t.meta[k] < 0 || t.meta[k] > t.class_count)
      return report_at(SCANGEN, 0, "%sclass %d has meta class %d", FAILED, k, t.meta[k]);
  return 0;
}

// Every base keeps base + C inside next/check; every value names a state or row.
int check_ranges(const ScannerTables &t) {
  for (int r = 1; r < t.row_count; r++) {
    if (t.base[r] < 0 || t.base[r] > t.jam_base)
      return report_at(SCANGEN, 0, "%srow %d has base %d", FAILED, r, t.base[r]);
    if (t.def[r] < 0 || t.def[r] >= t.row_count)
      return report_at(SCANGEN, 0, "%srow %d has default %d", FAILED, r, t.def[r]);
    if (r >= t.first_template && t.def[r] != t.jam_state)
      return report_at(SCANGEN, 0, "%stemplate %d does not default to J", FAILED, r);
  }
  for (int e = 0; e < t.entry_count; e++)
    if (t.next[e] < 0 || t.next[e] > t.jam_state || t.check[e] < 0 || t.check[e] >= t.row_count)
      return report_at(SCANGEN, 0, "%sentry %d out of range", FAILED, e);
  return 0;
}

// The lookup terminates and agrees with the uncompressed automaton for every state and class.
int check_transitions(const ScannerTables &t, const Dfa &dfa) {
  for (int s = 1; s <= t.jam_state; s++)
    for (int k = 0; k <= t.class_count; k++) {
      int target = guarded_transition(t, s, k);
      if (target != dfa_target(dfa, s, k))
        return report_at(SCANGEN, 0, "%sstate %d on class %d gives %d, not %d", FAILED, s, k, target,
                         dfa_target(dfa, s, k));
    }
  return 0;
}

int check_jam_and_end_of_buffer(const ScannerTables &t, const Dfa &dfa) {
  int jam = t.jam_state, eob = t.end_of_buffer_state;
  if (t.base[jam] != t.jam_base || t.accept[jam] != 0)
    return report_at(SCANGEN, 0, "%sJ must accept nothing at the jam base", FAILED);
  for (int k = 0; k <= t.class_count; k++)
    if (t.check[t.jam_base + k] != jam || t.next[t.jam_base + k] != jam)
      return report_at(SCANGEN, 0, "%sJ's row is not the last entries", FAILED);
  if (t.accept[eob] != t.rule_count + 1)
    return report_at(SCANGEN, 0, "%sE does not accept the end-of-buffer action", FAILED);
  if (t.base[eob] == t.jam_base || t.check[t.base[eob] + END_OF_BUFFER_CLASS] != eob)
    return report_at(SCANGEN, 0, "%sE has no row of its own", FAILED);
  for (int k = 0; k <= t.class_count; k++)
    if (dfa_target(dfa, eob, k) != jam || dfa_target(dfa, jam, k) != jam)
      return report_at(SCANGEN, 0, "%sE or J does not move to J", FAILED);
  return 0;
}

// A state has the jam base exactly when no byte extends its match; otherwise its
// end-of-buffer symbol leads to E. A dead-end state must accept, or matching could stop
// on a state that names no action.
int check_state_rows(const ScannerTables &t, const Dfa &dfa) {
  for (int s = 1; s < t.jam_state; s++) {
    if (s == t.end_of_buffer_state) continue;
    bool live = dfa_is_live(dfa, s);
    if (live != (t.base[s] != t.jam_base))
      return report_at(SCANGEN, 0, "%sstate %d: jam base does not match its row", FAILED, s);
    if (live && dfa_target(dfa, s, END_OF_BUFFER_CLASS) != t.end_of_buffer_state)
      return report_at(SCANGEN, 0, "%sstate %d misses E on class 0", FAILED, s);
    if (!live && t.accept[s] == 0) return report_at(SCANGEN, 0, "%sdead-end state %d accepts nothing", FAILED, s);
  }
  return 0;
}

// accept[s] is the first-listed rule s accepts; start states are live and accept nothing (an
// empty match would not advance the scanner).
int check_accept(const ScannerTables &t, const Dfa &dfa) {
  for (int s = 1; s < t.jam_state; s++) {
    if (s == t.end_of_buffer_state) continue;
    int lowest = 0;
    for (int rule : dfa.accepted_rules[s]) {
      if (rule < 1 || rule > t.rule_count) return report_at(SCANGEN, 0, "%sstate %d accepts rule %d", FAILED, s, rule);
      if (lowest == 0 || rule < lowest) lowest = rule;
    }
    if (t.accept[s] != lowest)
      return report_at(SCANGEN, 0, "%sstate %d accepts %d, not its first rule %d", FAILED, s, t.accept[s], lowest);
  }
  for (int n = 0; n < t.condition_count; n++) {
    int start = table_start_state(n);
    if (t.accept[start] != 0 || !dfa_is_live(dfa, start))
      return report_at(SCANGEN, 0, "%sstart state %d accepts or is dead", FAILED, start);
  }
  return 0;
}

}  // namespace

int verify_packed_scanner(const PackedScannerTables &packed, const Dfa &dfa, const ByteClasses &classes) {
  const PackedScannerTables &t = packed;
  auto entries = [](const auto &table) { return static_cast<int>(table.size()); };
  if (entries(t.accept) != t.jam_state + 1 || entries(t.classes) != BYTE_COUNT || entries(t.meta) != t.class_count + 1)
    return report_at(SCANGEN, 0, "%saccept, class or meta table has the wrong size", FAILED);
  if (t.row_count != t.first_template + t.template_count || entries(t.base) != t.row_count ||
      entries(t.def) != t.row_count)
    return report_at(SCANGEN, 0, "%sbase or def table has the wrong size", FAILED);
  if (entries(t.next) != t.entry_count || entries(t.check) != t.entry_count)
    return report_at(SCANGEN, 0, "%snext or check table has the wrong size", FAILED);
  return verify_scanner_tables(scanner_tables_view(packed), dfa, classes);
}

int verify_scanner_tables(const ScannerTables &tables, const Dfa &dfa, const ByteClasses &classes) {
  if (check_shape(tables, dfa) < 0 || check_classes(tables, classes) < 0 || check_ranges(tables) < 0) return -1;
  if (check_transitions(tables, dfa) < 0 || check_jam_and_end_of_buffer(tables, dfa) < 0) return -1;
  if (check_state_rows(tables, dfa) < 0 || check_accept(tables, dfa) < 0) return -1;
  return 0;
}
