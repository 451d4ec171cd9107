// Row-displacement packing of the parse rows (Aho, Lam, Sethi, Ullman, "Compilers", 2nd ed.,
// 4.7.6; the first-fit placement itself is tools/common/row_displacement). Each sparse row
// gets a base so that its entry for key k lands in slot base + k, and the check vector
// records the key of every slot, so that a lookup knows whether the slot belongs to it.
// Rows are placed the fullest first; identical token rows share one base.
//
// Token rows are looked up by terminal and goto rows by state, and both kinds live in the
// same vectors. A lookup of key k in the row at base b can only be fooled by an entry whose
// slot b + k holds check k, and that entry was placed by a row whose base is also b. So
// apart from identical rows sharing one, no two rows get the same base, and then every
// lookup either finds its own row's entry or falls through to the default.
#include "parse_row_packing.h"

#include <algorithm>
#include <map>

#include "diagnostics.h"

namespace {

enum RowKind { token_row = 0, goto_row = 1 };

struct PendingRow {
  int kind;              // RowKind
  int index;             // state, or nonterminal index
  const SparseRow *row;  // its explicit entries
};

bool fuller_first(const PendingRow &a, const PendingRow &b) {
  if (a.row->keys.size() != b.row->keys.size()) return a.row->keys.size() > b.row->keys.size();
  if (a.kind != b.kind) return a.kind < b.kind;
  return a.index < b.index;
}

std::vector<PendingRow> rows_to_place(const DefaultedTables &defaults) {
  std::vector<PendingRow> rows;
  for (int s = 0; s < static_cast<int>(defaults.state_rows.size()); s++)
    rows.push_back(PendingRow{token_row, s, &defaults.state_rows[s]});
  for (int n = 0; n < static_cast<int>(defaults.goto_rows.size()); n++)
    rows.push_back(PendingRow{goto_row, n, &defaults.goto_rows[n]});
  std::sort(rows.begin(), rows.end(), fuller_first);
  return rows;
}

int check_ranges(const Grammar &grammar, const PackedParseRows &packed) {
  const char *file = grammar.file_name.c_str();
  int slots = static_cast<int>(packed.packed_action.size());
  if (slots > MAX_PACKED_SIZE)
    return report_at(file, 0, "the packed table needs %d slots, more than %d", slots, MAX_PACKED_SIZE);
  for (const std::vector<int> *table : {&packed.state_base, &packed.goto_base, &packed.packed_action})
    for (int value : *table)
      if (!fits_16_bits(value)) return report_at(file, 0, "table entry %d does not fit 16 bits", value);
  return 0;
}

}  // namespace

std::optional<PackedParseRows> pack_parse_rows(const Grammar &grammar, const DefaultedTables &defaults) {
  PackedParseRows packed{};
  packed.state_base.assign(defaults.state_rows.size(), NO_ROW_BASE);
  packed.goto_base.assign(defaults.goto_rows.size(), NO_ROW_BASE);
  RowSpace space = empty_row_space(FREE_CHECK);
  std::map<SparseRow, int> token_row_bases;  // identical token rows share a base
  for (const PendingRow &pending : rows_to_place(defaults)) {
    const SparseRow &row = *pending.row;
    if (row.keys.empty()) continue;
    std::vector<int> &bases = pending.kind == token_row ? packed.state_base : packed.goto_base;
    auto same = token_row_bases.find(row);
    if (pending.kind == token_row && same != token_row_bases.end()) {
      bases[pending.index] = same->second;
      packed.shared_rows++;
      continue;
    }
    bases[pending.index] = place_keyed_row(&space, row);
    if (pending.kind == token_row) token_row_bases.emplace(row, bases[pending.index]);
  }
  packed.packed_action = space.value;
  packed.packed_check = space.check;
  if (check_ranges(grammar, packed) < 0) return std::nullopt;
  return packed;
}
