// The packed parse rows: every explicit token row and goto row laid into one pair of
// action/check vectors at a displacement of its own. Entry point: pack_parse_rows(), from
// the defaulted tables.
#ifndef LALRGEN_PARSE_ROW_PACKING_H
#define LALRGEN_PARSE_ROW_PACKING_H

#include <optional>
#include <vector>

#include "default_reductions.h"
#include "grammar_file.h"

constexpr int NO_ROW_BASE = -32768;     // base of a row with no entries: never looked up
constexpr int FREE_CHECK = -1;          // check of an unused slot: owned by no symbol or state
constexpr int MAX_PACKED_SIZE = 32767;  // slots addressable with 16-bit bases

struct PackedParseRows {
  std::vector<int> state_base;     // state -> displacement of its token row; NO_ROW_BASE
  std::vector<int> goto_base;      // nonterminal index -> displacement of its goto row
  std::vector<int> packed_action;  // slot -> action or goto target; 0 in unused slots
  std::vector<int> packed_check;   // slot -> owning symbol (token rows) or state (goto rows)
  int shared_rows;                 // rows placed on the base of an identical row
};

// Packs the rows of `defaults`; nothing, with the fault reported at the grammar file, when
// the tables do not fit 16-bit entries.
std::optional<PackedParseRows> pack_parse_rows(const Grammar &grammar, const DefaultedTables &defaults);

#endif
