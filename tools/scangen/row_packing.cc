// Row compression of the automaton into base, def, next and check. Entry: pack_rows().
//
// Row displacement with default rows (Aho, Lam, Sethi, Ullman, "Compilers", 2nd ed.,
// 3.9.8; first-fit placement as in Tarjan and Yao, "Storing a sparse table", CACM 22(11),
// 1979). Each state with a row picks as its default the earlier row (or J) from which its
// row differs in the fewest classes and stores only those classes; the lookup follows the
// default chain where check does not name the state. The stored classes are then placed at
// the lowest base where they collide with nothing. A state from which no byte extends a
// match stores nothing: it shares J's base, so the engine's loop stops on entering it, and
// every lookup falls through to J. J's full row goes last, so every base + C is in bounds.
#include "row_packing.h"

#include <algorithm>

#include "byte_classes.h"
#include "diagnostics.h"
#include "rule_file.h"
#include "subset.h"

PackedTables packed;

static const int NO_OWNER = 0;                  // check value of an entry no row owns
static const int DEFAULT_CANDIDATE_LIMIT = 64;  // earlier rows tried as a default, latest first
static const int ENTRY_LIMIT = INT16_MAX;       // bases, states and actions are 16-bit entries

static std::vector<int> owner;        // entry -> row that owns it, NO_OWNER if free
static std::vector<int> target_at;    // entry -> target state
static std::vector<int> chain_depth;  // state -> rows its lookups may visit (J: 1)
static size_t first_free;             // no free entry lies below this one

static size_t index_of(int value) { return static_cast<size_t>(value); }

// Classes in which `state`'s row differs from the row of `candidate`.
static std::vector<int> differing_classes(int state, int candidate) {
  std::vector<int> classes;
  for (int k = 0; k <= dfa.class_count; k++)
    if (dfa_target(state, k) != dfa_target(candidate, k)) classes.push_back(k);
  return classes;
}

static int count_differences(int state, int candidate) {
  int count = 0;
  for (int k = 0; k <= dfa.class_count; k++)
    if (dfa_target(state, k) != dfa_target(candidate, k)) count++;
  return count;
}

// The default row for `state` among J and the latest packed rows `rows`: fewest differing
// classes, then the shortest chain, then the lowest number.
static int choose_default(int state, const std::vector<int> &rows) {
  int best = dfa.jam_state;
  int best_count = count_differences(state, best);
  int tried = 0;
  for (auto row = rows.rbegin(); row != rows.rend() && tried < DEFAULT_CANDIDATE_LIMIT; ++row, ++tried) {
    int count = count_differences(state, *row);
    int depth = chain_depth[index_of(*row)], best_depth = chain_depth[index_of(best)];
    bool better =
        count < best_count || (count == best_count && (depth < best_depth || (depth == best_depth && *row < best)));
    if (better) {
      best = *row;
      best_count = count;
    }
  }
  return best;
}

static void ensure_entries(size_t size) {
  if (owner.size() < size) {
    owner.resize(size, NO_OWNER);
    target_at.resize(size, 0);
  }
}

static bool fits_at(size_t base, const std::vector<int> &classes) {
  for (int k : classes)
    if (base + index_of(k) < owner.size() && owner[base + index_of(k)] != NO_OWNER) return false;
  return true;
}

// First fit: the lowest base at which every class of `classes` finds a free entry.
static size_t place_row(int state, const std::vector<int> &classes) {
  if (classes.empty()) return 0;  // no entry names the state, so any base serves
  size_t base = first_free >= index_of(classes.front()) ? first_free - index_of(classes.front()) : 0;
  while (!fits_at(base, classes)) base++;
  ensure_entries(base + index_of(classes.back()) + 1);
  for (int k : classes) {
    owner[base + index_of(k)] = state;
    target_at[base + index_of(k)] = dfa_target(state, k);
  }
  while (first_free < owner.size() && owner[first_free] != NO_OWNER) first_free++;
  return base;
}

// Packs every state with a row; the dead ones wait for the jam base. Defaults are chosen
// in state order, so a chain always leads to a lower state or J; the rows are then placed
// densest first, as first fit leaves the fewest holes that way.
static void pack_live_rows(std::vector<int> *bases, std::vector<int> *defaults) {
  std::vector<int> packed_rows;
  std::vector<std::vector<int>> stored(index_of(dfa.jam_state));  // state -> classes it stores
  for (int s = 1; s < dfa.jam_state; s++) {
    bool is_end_of_buffer = s == dfa.end_of_buffer_state;
    if (!is_end_of_buffer && !dfa_is_live(s)) continue;
    int d = is_end_of_buffer ? dfa.jam_state : choose_default(s, packed_rows);
    std::vector<int> &classes = stored[index_of(s)];
    classes = differing_classes(s, d);
    // E keeps a row of its own, so the match that enters it ends only one byte later.
    if (is_end_of_buffer && (classes.empty() || classes.front() != END_OF_BUFFER_CLASS))
      classes.insert(classes.begin(), END_OF_BUFFER_CLASS);
    (*defaults)[index_of(s)] = d;
    chain_depth[index_of(s)] = chain_depth[index_of(d)] + 1;
    packed_rows.push_back(s);
  }
  std::stable_sort(packed_rows.begin(), packed_rows.end(),
                   [&](int a, int b) { return stored[index_of(a)].size() > stored[index_of(b)].size(); });
  for (int s : packed_rows) (*bases)[index_of(s)] = static_cast<int>(place_row(s, stored[index_of(s)]));
}

static void reset_packing() {
  packed = PackedTables();
  owner.clear();
  target_at.clear();
  first_free = 0;
  chain_depth.assign(index_of(dfa.jam_state) + 1, 0);
  chain_depth[index_of(dfa.jam_state)] = 1;
}

static void copy_constants() {
  packed.rule_count = dfa.rule_count;
  packed.condition_count = dfa.condition_count;
  packed.class_count = dfa.class_count;
  packed.end_of_buffer_state = dfa.end_of_buffer_state;
  packed.jam_state = dfa.jam_state;
  packed.template_count = 0;
  packed.first_template = dfa.jam_state + 1;
  packed.row_count = packed.first_template + packed.template_count;
  packed.nul_class = byte_classes.nul_class;
  packed.accept.assign(dfa.accept.begin(), dfa.accept.end());
  packed.classes.assign(byte_classes.class_of, byte_classes.class_of + BYTE_COUNT);
  packed.classes[NUL_BYTE] = END_OF_BUFFER_CLASS;
  packed.meta.assign(byte_classes.meta.begin(), byte_classes.meta.end());
}

// Writes the rows into the 16-bit tables, J's full row last.
static void fill_tables(const std::vector<int> &bases, const std::vector<int> &defaults) {
  int jam = dfa.jam_state;
  packed.jam_base = static_cast<int>(owner.size());
  packed.entry_count = packed.jam_base + dfa.class_count + 1;
  ensure_entries(index_of(packed.entry_count));
  for (int k = 0; k <= dfa.class_count; k++) {
    owner[index_of(packed.jam_base + k)] = jam;
    target_at[index_of(packed.jam_base + k)] = jam;
  }
  packed.next.assign(target_at.begin(), target_at.end());
  packed.check.assign(owner.begin(), owner.end());
  packed.base.assign(index_of(packed.row_count), 0);
  packed.def.assign(index_of(packed.row_count), 0);
  for (int s = 1; s < jam; s++) {
    bool has_row = defaults[index_of(s)] != NO_DFA_STATE;
    packed.base[index_of(s)] = static_cast<int16_t>(has_row ? bases[index_of(s)] : packed.jam_base);
    packed.def[index_of(s)] = static_cast<int16_t>(has_row ? defaults[index_of(s)] : jam);
  }
  packed.base[index_of(jam)] = static_cast<int16_t>(packed.jam_base);
  packed.def[index_of(jam)] = NO_DFA_STATE;  // J's row is complete
}

int pack_rows() {
  if (dfa.rule_count + 1 + dfa.condition_count > ENTRY_LIMIT)
    return report("%s: more actions than 16-bit accept entries hold", rule_set.file_name.c_str());
  reset_packing();
  copy_constants();
  std::vector<int> bases(index_of(dfa.jam_state) + 1, 0), defaults(index_of(dfa.jam_state) + 1, NO_DFA_STATE);
  pack_live_rows(&bases, &defaults);
  if (owner.size() + index_of(dfa.class_count) >= index_of(ENTRY_LIMIT))
    return report("%s: the packed rows need more entries than 16-bit bases reach", rule_set.file_name.c_str());
  fill_tables(bases, defaults);
  return 0;
}

int packed_transition(int state, int cls) {
  const PackedTables &t = packed;
  int row = state, k = cls;
  for (int steps = 0; steps <= t.row_count; steps++) {
    if (row < 0 || row >= t.row_count || k < 0 || k > t.class_count) return -1;
    int entry = t.base[index_of(row)] + k;
    if (entry < 0 || entry >= t.entry_count) return -1;
    if (t.check[index_of(entry)] == row) return t.next[index_of(entry)];
    row = t.def[index_of(row)];
    if (row >= t.first_template) k = t.meta[index_of(k)];
  }
  return -1;
}
