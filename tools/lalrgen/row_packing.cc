// Row-displacement packing (Tarjan and Yao, "Storing a Sparse Table", CACM 22(11), 1979;
// Aho, Lam, Sethi, Ullman, "Compilers", 2nd ed., 3.9.8 and 4.7.6). Each sparse row gets a
// base so that its entry for key k lands in slot base + k, and a check vector records the
// key of every slot, so that a lookup knows whether the slot belongs to it. Rows are placed
// first fit, the fullest first; identical token rows share one base.
//
// Token rows are looked up by terminal and goto rows by state, and both kinds live in the
// same vectors. A lookup of key k in the row at base b can only be fooled by an entry whose
// slot b + k holds check k, and that entry was placed by a row whose base is also b. So
// apart from identical rows sharing one, no two rows get the same base, and then every
// lookup either finds its own row's entry or falls through to the default.
#include "row_packing.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>

#include "default_reductions.h"

PackedTables packed;

namespace {

enum RowKind { token_row = 0, goto_row = 1 };

struct PendingRow {
  int kind;              // RowKind
  int index;             // state, or nonterminal index
  const SparseRow *row;  // its explicit entries
};

}  // namespace

static bool fuller_first(const PendingRow &a, const PendingRow &b) {
  if (a.row->keys.size() != b.row->keys.size()) return a.row->keys.size() > b.row->keys.size();
  if (a.kind != b.kind) return a.kind < b.kind;
  return a.index < b.index;
}

static bool slot_is_free(int slot) {
  return slot >= static_cast<int>(packed.packed_check.size()) || packed.packed_check[slot] == FREE_CHECK;
}

static bool row_fits(const SparseRow &row, int base) {
  for (int key : row.keys) {
    if (!slot_is_free(base + key)) return false;
  }
  return true;
}

static int first_fit(const SparseRow &row, const std::set<int> &used_bases) {
  int base = -row.keys.front();
  while (used_bases.count(base) != 0 || !row_fits(row, base)) base++;
  return base;
}

static void place_row(const SparseRow &row, int base) {
  int end = base + row.keys.back() + 1;
  if (end > static_cast<int>(packed.packed_check.size())) {
    packed.packed_check.resize(end, FREE_CHECK);
    packed.packed_action.resize(end, 0);
  }
  for (size_t i = 0; i < row.keys.size(); i++) {
    packed.packed_check[base + row.keys[i]] = row.keys[i];
    packed.packed_action[base + row.keys[i]] = row.values[i];
  }
}

static std::vector<PendingRow> rows_to_place() {
  std::vector<PendingRow> rows;
  for (size_t s = 0; s < defaults.state_rows.size(); s++) {
    rows.push_back(PendingRow{token_row, static_cast<int>(s), &defaults.state_rows[s]});
  }
  for (size_t n = 0; n < defaults.goto_rows.size(); n++) {
    rows.push_back(PendingRow{goto_row, static_cast<int>(n), &defaults.goto_rows[n]});
  }
  std::sort(rows.begin(), rows.end(), fuller_first);
  return rows;
}

static bool fits_16_bits(int value) { return value >= -32768 && value <= 32767; }

static int check_ranges() {
  char message[256];
  if (packed.packed_action.size() > static_cast<size_t>(MAX_PACKED_SIZE)) {
    snprintf(message, sizeof message, "the packed table needs %zu slots, more than %d", packed.packed_action.size(),
             MAX_PACKED_SIZE);
    packed.error = message;
    return -1;
  }
  std::vector<int> all = packed.state_base;
  all.insert(all.end(), packed.goto_base.begin(), packed.goto_base.end());
  all.insert(all.end(), packed.packed_action.begin(), packed.packed_action.end());
  for (int value : all) {
    if (!fits_16_bits(value)) {
      snprintf(message, sizeof message, "table entry %d does not fit 16 bits", value);
      packed.error = message;
      return -1;
    }
  }
  return 0;
}

int pack_tables() {
  packed = PackedTables{};
  packed.state_base.assign(defaults.state_rows.size(), NO_ROW_BASE);
  packed.goto_base.assign(defaults.goto_rows.size(), NO_ROW_BASE);
  std::set<int> used_bases;
  std::map<SparseRow, int> token_row_bases;  // identical token rows share a base
  for (const PendingRow &pending : rows_to_place()) {
    const SparseRow &row = *pending.row;
    if (row.keys.empty()) continue;
    std::vector<int> &bases = pending.kind == token_row ? packed.state_base : packed.goto_base;
    if (pending.kind == token_row) {
      auto same = token_row_bases.find(row);
      if (same != token_row_bases.end()) {
        bases[pending.index] = same->second;
        packed.shared_rows++;
        continue;
      }
    }
    int base = first_fit(row, used_bases);
    place_row(row, base);
    used_bases.insert(base);
    bases[pending.index] = base;
    if (pending.kind == token_row) token_row_bases.emplace(row, base);
  }
  return check_ranges();
}
