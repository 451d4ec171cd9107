// First-fit row displacement, the packing both generators use: sparse rows laid into one pair
// of value/check vectors, each row at the lowest base where all its entries find free slots.
// Entry points: empty_row_space, place_owned_row, place_keyed_row, and fits_16_bits for the
// entries of the packed tables.
#ifndef TOOLS_COMMON_ROW_DISPLACEMENT_H
#define TOOLS_COMMON_ROW_DISPLACEMENT_H

#include <compare>
#include <set>
#include <vector>

struct SparseRow {
  std::vector<int> keys;    // ascending column numbers: classes, terminals or states
  std::vector<int> values;  // the entry of each key
  auto operator<=>(const SparseRow &) const = default;
};

struct RowSpace {
  std::vector<int> value;     // slot -> the entry placed there; 0 while free
  std::vector<int> check;     // slot -> the entry's owner row or key; free_check while free
  int free_check;             // the check of a slot that no entry uses
  int first_free;             // every slot below this one is in use
  std::set<int> keyed_bases;  // the bases of the keyed rows placed so far
};

RowSpace empty_row_space(int free_check);

// Places `row` with `owner` as the check of each entry, at the lowest base from `lowest_base`
// up; returns the base. Rows placed this way may share a base. An empty row takes no slot
// and is given `lowest_base`.
int place_owned_row(RowSpace *space, const SparseRow &row, int owner, int lowest_base);

// Places `row`, at least one key, with each key as the check of its entry, at the lowest base
// that puts the first key in a slot and that no keyed row has taken; returns the base.
int place_keyed_row(RowSpace *space, const SparseRow &row);

bool fits_16_bits(int value);  // whether a table entry holds `value` as int16_t

#endif
