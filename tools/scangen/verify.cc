// Proof, once, that the packed tables are safe and faithful. Entry point: verify_tables().
//
// The engine trusts the tables completely (as the Linux AppArmor matcher trusts a DFA that
// verify_dfa has checked): no bounds test per byte, no limit on the default chain. So every
// lookup of every state and class is run here through the packed rows and compared with the
// uncompressed automaton, and the distinguished states, the jam-base rule, the class table
// and the accept numbers are checked against what the engine relies on.
#include "verify.h"

#include <cstddef>
#include <cstdint>

#include "byte_classes.h"
#include "diagnostics.h"
#include "row_packing.h"
#include "subset.h"

static const char FAILED[] = "table check failed: ";

static size_t at(int index) { return static_cast<size_t>(index); }

static bool fits_16_bits(int value) { return value >= INT16_MIN && value <= INT16_MAX; }

static int check_sizes() {
  const PackedTables &t = packed;
  size_t states = at(t.jam_state) + 1;
  if (t.accept.size() != states || t.classes.size() != at(BYTE_COUNT) || t.meta.size() != at(t.class_count) + 1)
    return report("%saccept, class or meta table has the wrong size", FAILED);
  if (t.row_count != t.first_template + t.template_count || t.first_template != t.jam_state + 1 ||
      t.base.size() != at(t.row_count) || t.def.size() != at(t.row_count))
    return report("%sbase or def table has the wrong size", FAILED);
  if (t.entry_count != t.jam_base + t.class_count + 1 || t.next.size() != at(t.entry_count) ||
      t.check.size() != at(t.entry_count) || !fits_16_bits(t.entry_count - 1))
    return report("%snext or check table has the wrong size", FAILED);
  if (t.end_of_buffer_state != 2 * t.condition_count + 1 || t.jam_state <= t.end_of_buffer_state ||
      t.jam_state != dfa.jam_state)
    return report("%sdistinguished states out of place", FAILED);
  return 0;
}

// Byte 0 is the end-of-buffer symbol, every other byte has a class 1..C, and a NUL inside
// the text is looked up as class 1, the class the patterns give it.
static int check_classes() {
  const PackedTables &t = packed;
  if (t.classes[0] != END_OF_BUFFER_CLASS) return report("%sbyte 0 is not class 0", FAILED);
  for (int b = 1; b < BYTE_COUNT; b++)
    if (t.classes[at(b)] < 1 || t.classes[at(b)] > t.class_count)
      return report("%sbyte %d has class %d", FAILED, b, t.classes[at(b)]);
  if (t.nul_class != 1 || byte_classes.class_of[NUL_BYTE] != t.nul_class) return report("%sNUL class is not 1", FAILED);
  for (int k = 0; k <= t.class_count; k++)
    if (t.meta[at(k)] < 0 || t.meta[at(k)] > t.class_count)
      return report("%sclass %d has meta class %d", FAILED, k, t.meta[at(k)]);
  return 0;
}

// Every base keeps base + C inside next/check; every value names a state or row.
static int check_ranges() {
  const PackedTables &t = packed;
  for (int r = 1; r < t.row_count; r++) {
    if (t.base[at(r)] < 0 || t.base[at(r)] > t.jam_base)
      return report("%srow %d has base %d", FAILED, r, t.base[at(r)]);
    if (t.def[at(r)] < 0 || t.def[at(r)] >= t.row_count)
      return report("%srow %d has default %d", FAILED, r, t.def[at(r)]);
    if (r >= t.first_template && t.def[at(r)] != t.jam_state)
      return report("%stemplate %d does not default to J", FAILED, r);
  }
  for (int e = 0; e < t.entry_count; e++)
    if (t.next[at(e)] < 0 || t.next[at(e)] > t.jam_state || t.check[at(e)] < 0 || t.check[at(e)] >= t.row_count)
      return report("%sentry %d out of range", FAILED, e);
  return 0;
}

// The lookup terminates and agrees with the uncompressed automaton for every state and class.
static int check_transitions() {
  for (int s = 1; s <= packed.jam_state; s++)
    for (int k = 0; k <= packed.class_count; k++) {
      int target = packed_transition(s, k);
      if (target != dfa_target(s, k))
        return report("%sstate %d on class %d gives %d, not %d", FAILED, s, k, target, dfa_target(s, k));
    }
  return 0;
}

static int check_jam_and_end_of_buffer() {
  const PackedTables &t = packed;
  int jam = t.jam_state, eob = t.end_of_buffer_state;
  if (t.base[at(jam)] != t.jam_base || t.accept[at(jam)] != 0)
    return report("%sJ must accept nothing at the jam base", FAILED);
  for (int k = 0; k <= t.class_count; k++)
    if (t.check[at(t.jam_base + k)] != jam || t.next[at(t.jam_base + k)] != jam)
      return report("%sJ's row is not the last entries", FAILED);
  if (t.accept[at(eob)] != t.rule_count + 1) return report("%sE does not accept the end-of-buffer action", FAILED);
  if (t.base[at(eob)] == t.jam_base || t.check[at(t.base[at(eob)] + END_OF_BUFFER_CLASS)] != eob)
    return report("%sE has no row of its own", FAILED);
  for (int k = 0; k <= t.class_count; k++)
    if (dfa_target(eob, k) != jam || dfa_target(jam, k) != jam) return report("%sE or J does not move to J", FAILED);
  return 0;
}

// A state has the jam base exactly when no byte extends its match; otherwise its
// end-of-buffer symbol leads to E. A dead-end state must accept, or matching could stop
// on a state that names no action.
static int check_state_rows() {
  const PackedTables &t = packed;
  for (int s = 1; s < t.jam_state; s++) {
    if (s == t.end_of_buffer_state) continue;
    bool live = dfa_is_live(s);
    if (live != (t.base[at(s)] != t.jam_base)) return report("%sstate %d: jam base does not match its row", FAILED, s);
    if (live && dfa_target(s, END_OF_BUFFER_CLASS) != t.end_of_buffer_state)
      return report("%sstate %d misses E on class 0", FAILED, s);
    if (!live && t.accept[at(s)] == 0) return report("%sdead-end state %d accepts nothing", FAILED, s);
  }
  return 0;
}

// accept[s] is the first-listed rule s accepts; start states and their twins are equal,
// live, and accept nothing (an empty match would not advance the scanner).
static int check_accept() {
  const PackedTables &t = packed;
  for (int s = 1; s < t.jam_state; s++) {
    if (s == t.end_of_buffer_state) continue;
    int lowest = 0;
    for (int rule : dfa.accepted_rules[at(s)]) {
      if (rule < 1 || rule > t.rule_count) return report("%sstate %d accepts rule %d", FAILED, s, rule);
      if (lowest == 0 || rule < lowest) lowest = rule;
    }
    if (t.accept[at(s)] != lowest)
      return report("%sstate %d accepts %d, not its first rule %d", FAILED, s, t.accept[at(s)], lowest);
  }
  for (int start = 1; start < t.end_of_buffer_state; start += 2) {
    if (t.accept[at(start)] != 0 || t.accept[at(start + 1)] != 0 || !dfa_is_live(start))
      return report("%sstart state %d", FAILED, start);
    for (int k = 0; k <= t.class_count; k++)
      if (dfa_target(start, k) != dfa_target(start + 1, k))
        return report("%sstart state %d differs from its twin", FAILED, start);
  }
  return 0;
}

int verify_tables() {
  if (check_sizes() < 0 || check_classes() < 0 || check_ranges() < 0) return -1;
  if (check_transitions() < 0 || check_jam_and_end_of_buffer() < 0) return -1;
  if (check_state_rows() < 0 || check_accept() < 0) return -1;
  return 0;
}
