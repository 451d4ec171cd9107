// Row displacement (Tarjan and Yao, "Storing a Sparse Table", CACM 22(11), 1979; Aho, Lam,
// Sethi, Ullman, "Compilers", 2nd ed., 3.9.8): the entry of a row for key k goes to slot
// base + k, and check records for every slot who put the entry there, so that a lookup tells
// its own row's entries from a neighbour's. A base is chosen first fit: the lowest at which
// every key of the row finds a free slot; no base below first_free minus the first key can
// fit, so the search starts there. Where check names the owning row, two rows may share a
// base. Where it names only the key, two rows on one base would each take the other's entries
// for its own, so every keyed row gets a base of its own.
#include "row_displacement.h"

#include <algorithm>
#include <cstdint>

namespace {

bool slot_is_free(const RowSpace &space, int slot) {
  return slot >= static_cast<int>(space.check.size()) || space.check[slot] == space.free_check;
}

bool row_fits(const RowSpace &space, const SparseRow &row, int base) {
  for (int key : row.keys)
    if (!slot_is_free(space, base + key)) return false;
  return true;
}

int first_fit(const RowSpace &space, const SparseRow &row, int lowest_base, bool keyed) {
  int base = std::max(lowest_base, space.first_free - row.keys.front());
  while ((keyed && space.keyed_bases.count(base) != 0) || !row_fits(space, row, base)) base++;
  return base;
}

// Writes the entries of `row` at `base`, each checked by `owner` or, for a keyed row, its key.
void occupy(RowSpace *space, const SparseRow &row, int base, bool keyed, int owner) {
  int end = base + row.keys.back() + 1;
  if (end > static_cast<int>(space->check.size())) {
    space->check.resize(end, space->free_check);
    space->value.resize(end, 0);
  }
  for (size_t i = 0; i < row.keys.size(); i++) {
    space->check[base + row.keys[i]] = keyed ? row.keys[i] : owner;
    space->value[base + row.keys[i]] = row.values[i];
  }
  int size = static_cast<int>(space->check.size());
  while (space->first_free < size && space->check[space->first_free] != space->free_check) space->first_free++;
}

}  // namespace

RowSpace empty_row_space(int free_check) { return RowSpace{{}, {}, free_check, 0, {}}; }

int place_owned_row(RowSpace *space, const SparseRow &row, int owner, int lowest_base) {
  if (row.keys.empty()) return lowest_base;
  int base = first_fit(*space, row, lowest_base, false);
  occupy(space, row, base, false, owner);
  return base;
}

int place_keyed_row(RowSpace *space, const SparseRow &row) {
  int base = first_fit(*space, row, -row.keys.front(), true);
  occupy(space, row, base, true, 0);
  space->keyed_bases.insert(base);
  return base;
}

bool fits_16_bits(int value) { return value >= INT16_MIN && value <= INT16_MAX; }
