// Row displacement with default rows (Aho, Lam, Sethi, Ullman, "Compilers", 2nd ed., 3.9.8;
// the first-fit placement itself is tools/common/row_displacement). Each state with a row
// picks as its default the earlier row (or J) from which its row differs in the fewest
// classes and stores only those classes; the lookup follows the default chain where check
// does not name the state. The stored classes are then placed at the lowest base where they
// collide with nothing. A state from which no byte extends a match stores nothing: it shares
// J's base, so the engine's loop stops on entering it, and every lookup falls through to J.
// J's full row goes last, so every base + C is in bounds.
#include "dfa_row_packing.h"

#include <algorithm>

#include "diagnostics.h"
#include "row_displacement.h"

namespace {

constexpr int NO_OWNER = 0;                  // check value of an entry no row owns
constexpr int DEFAULT_CANDIDATE_LIMIT = 64;  // earlier rows tried as a default, latest first
constexpr int ENTRY_LIMIT = INT16_MAX;       // bases, states and actions are 16-bit entries
constexpr int LOWEST_BASE = 0;               // the engine adds every class to a base unchecked

struct ScannerPacker {
  const Dfa &dfa;                // the automaton being packed
  RowSpace space;                // next (value) and check, as far as placed
  std::vector<int> chain_depth;  // state -> rows its lookups may visit (J: 1)
  std::vector<int> defaults;     // state -> its default row; NO_DFA_STATE: no row of its own
  std::vector<int> bases;        // state -> base of its row
};

// The entries in which `state`'s row differs from the row of `candidate`.
SparseRow differing_entries(const Dfa &dfa, int state, int candidate) {
  SparseRow row;
  for (int k = 0; k <= dfa.class_count; k++)
    if (dfa_target(dfa, state, k) != dfa_target(dfa, candidate, k)) {
      row.keys.push_back(k);
      row.values.push_back(dfa_target(dfa, state, k));
    }
  return row;
}

int count_differences(const Dfa &dfa, int state, int candidate) {
  int count = 0;
  for (int k = 0; k <= dfa.class_count; k++)
    if (dfa_target(dfa, state, k) != dfa_target(dfa, candidate, k)) count++;
  return count;
}

// The default row for `state` among J and the latest packed rows `rows`: fewest differing
// classes, then the shortest chain, then the lowest number.
int choose_default(const ScannerPacker &p, int state, const std::vector<int> &rows) {
  int best = p.dfa.jam_state;
  int best_count = count_differences(p.dfa, state, best);
  int tried = 0;
  for (auto row = rows.rbegin(); row != rows.rend() && tried < DEFAULT_CANDIDATE_LIMIT; ++row, ++tried) {
    int count = count_differences(p.dfa, state, *row);
    int depth = p.chain_depth[*row], best_depth = p.chain_depth[best];
    bool better =
        count < best_count || (count == best_count && (depth < best_depth || (depth == best_depth && *row < best)));
    if (better) {
      best = *row;
      best_count = count;
    }
  }
  return best;
}

// The entries `state` stores beside its default `d`. E keeps a row of its own, so the match
// that enters it ends only one byte later.
SparseRow stored_row(const Dfa &dfa, int state, int d) {
  SparseRow row = differing_entries(dfa, state, d);
  if (state == dfa.end_of_buffer_state && (row.keys.empty() || row.keys.front() != END_OF_BUFFER_CLASS)) {
    row.keys.insert(row.keys.begin(), END_OF_BUFFER_CLASS);
    row.values.insert(row.values.begin(), dfa_target(dfa, state, END_OF_BUFFER_CLASS));
  }
  return row;
}

// Packs every state with a row; the dead ones wait for the jam base. Defaults are chosen
// in state order, so a chain always leads to a lower state or J; the rows are then placed
// densest first, as first fit leaves the fewest holes that way.
void pack_live_rows(ScannerPacker *p) {
  const Dfa &dfa = p->dfa;
  std::vector<int> packed_rows;
  std::vector<SparseRow> stored(dfa.jam_state);  // state -> the entries it stores
  for (int s = 1; s < dfa.jam_state; s++) {
    bool is_end_of_buffer = s == dfa.end_of_buffer_state;
    if (!is_end_of_buffer && !dfa_is_live(dfa, s)) continue;
    int d = is_end_of_buffer ? dfa.jam_state : choose_default(*p, s, packed_rows);
    stored[s] = stored_row(dfa, s, d);
    p->defaults[s] = d;
    p->chain_depth[s] = p->chain_depth[d] + 1;
    packed_rows.push_back(s);
  }
  std::stable_sort(packed_rows.begin(), packed_rows.end(),
                   [&](int a, int b) { return stored[a].keys.size() > stored[b].keys.size(); });
  for (int s : packed_rows) p->bases[s] = place_owned_row(&p->space, stored[s], s, LOWEST_BASE);
}

PackedScannerTables constants_of(const Dfa &dfa, const ByteClasses &classes) {
  PackedScannerTables packed{};
  packed.rule_count = dfa.rule_count;
  packed.condition_count = dfa.condition_count;
  packed.class_count = dfa.class_count;
  packed.end_of_buffer_state = dfa.end_of_buffer_state;
  packed.jam_state = dfa.jam_state;
  packed.template_count = 0;
  packed.first_template = dfa.jam_state + 1;
  packed.row_count = packed.first_template + packed.template_count;
  packed.nul_class = classes.nul_class;
  packed.accept.assign(dfa.accept.begin(), dfa.accept.end());
  packed.classes.assign(classes.class_of, classes.class_of + BYTE_COUNT);
  packed.classes[NUL_BYTE] = END_OF_BUFFER_CLASS;
  packed.meta.assign(classes.meta.begin(), classes.meta.end());
  return packed;
}

// Places J's full row after every other, and writes the rows into the 16-bit tables.
void fill_tables(ScannerPacker *p, PackedScannerTables *packed) {
  int jam = p->dfa.jam_state;
  SparseRow jam_row;
  for (int k = 0; k <= p->dfa.class_count; k++) {
    jam_row.keys.push_back(k);
    jam_row.values.push_back(jam);
  }
  packed->jam_base = place_owned_row(&p->space, jam_row, jam, static_cast<int>(p->space.check.size()));
  packed->entry_count = packed->jam_base + p->dfa.class_count + 1;
  packed->next.assign(p->space.value.begin(), p->space.value.end());
  packed->check.assign(p->space.check.begin(), p->space.check.end());
  packed->base.assign(packed->row_count, 0);
  packed->def.assign(packed->row_count, 0);
  for (int s = 1; s < jam; s++) {
    bool has_row = p->defaults[s] != NO_DFA_STATE;
    packed->base[s] = static_cast<int16_t>(has_row ? p->bases[s] : packed->jam_base);
    packed->def[s] = static_cast<int16_t>(has_row ? p->defaults[s] : jam);
  }
  packed->base[jam] = static_cast<int16_t>(packed->jam_base);
  packed->def[jam] = NO_DFA_STATE;  // J's row is complete
}

}  // namespace

std::optional<PackedScannerTables> pack_scanner_rows(const RuleSet &rules, const Dfa &dfa, const ByteClasses &classes) {
  const char *file = rules.file_name.c_str();
  if (dfa.rule_count + 1 + dfa.condition_count > ENTRY_LIMIT) {
    report_at(SCANGEN, 0, "%s: more actions than 16-bit accept entries hold", file);
    return std::nullopt;
  }
  PackedScannerTables packed = constants_of(dfa, classes);
  ScannerPacker p{dfa, empty_row_space(NO_OWNER), {}, {}, {}};
  p.chain_depth.assign(dfa.jam_state + 1, 0);
  p.chain_depth[dfa.jam_state] = 1;
  p.defaults.assign(dfa.jam_state + 1, NO_DFA_STATE);
  p.bases.assign(dfa.jam_state + 1, 0);
  pack_live_rows(&p);
  if (static_cast<int>(p.space.check.size()) + dfa.class_count >= ENTRY_LIMIT) {
    report_at(SCANGEN, 0, "%s: the packed rows need more entries than 16-bit bases reach", file);
    return std::nullopt;
  }
  fill_tables(&p, &packed);
  packed.skip.assign(dfa.rule_count + 1, 0);
  for (int i = 0; i < static_cast<int>(rules.rules.size()); i++) {
    packed.skip[i + 1] = rules.rules[i].kind == rule_skip ? 1 : 0;
  }
  return packed;
}

ScannerTables scanner_tables_view(const PackedScannerTables &p) {
  return ScannerTables{.accept = p.accept.data(),
                       .classes = p.classes.data(),
                       .meta = p.meta.data(),
                       .base = p.base.data(),
                       .def = p.def.data(),
                       .next = p.next.data(),
                       .check = p.check.data(),
                       .skip = p.skip.data(),
                       .shortcuts = nullptr,  // the token codes are names, resolved only in the program's build
                       .rule_count = p.rule_count,
                       .condition_count = p.condition_count,
                       .class_count = p.class_count,
                       .end_of_buffer_state = p.end_of_buffer_state,
                       .jam_state = p.jam_state,
                       .jam_base = p.jam_base,
                       .first_template = p.first_template,
                       .row_count = p.row_count,
                       .entry_count = p.entry_count,
                       .nul_class = p.nul_class};
}
