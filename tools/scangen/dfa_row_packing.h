// The automaton compressed into the seven tables the scanner engine reads, with their
// constants, and the engine's view of them. Entry points: pack_scanner_rows(), from a DFA and
// its byte classes, and scanner_tables_view().
#ifndef SCANGEN_DFA_ROW_PACKING_H
#define SCANGEN_DFA_ROW_PACKING_H

#include <cstdint>
#include <optional>
#include <vector>

#include "byte_classes.h"
#include "rule_file.h"
#include "scanner.h"
#include "subset.h"

struct PackedScannerTables {
  std::vector<int16_t> accept;   // state 0..J -> action number; 0 accepts nothing
  std::vector<int32_t> classes;  // byte 0..255 -> class; byte 0 is class 0
  std::vector<int32_t> meta;     // class 0..C -> meta class of template rows
  std::vector<int16_t> base;     // state or template -> start of its row in next/check
  std::vector<int16_t> def;      // state or template -> row consulted for a missing entry
  std::vector<int16_t> next;     // base + class -> target state
  std::vector<int16_t> check;    // base + class -> the row that owns the entry; 0 if none
  std::vector<uint8_t> skip;     // action 0..R -> 1 for a rule whose matches may be passed over
  int rule_count;                // R, the default rule included
  int condition_count;           // S
  int class_count;               // C
  int end_of_buffer_state;       // E
  int jam_state;                 // J
  int jam_base;                  // base[J]: J's row is the last C + 1 entries
  int first_template;            // first template row; J + 1 as no templates are built
  int template_count;            // template rows: 0
  int row_count;                 // entries of base and def
  int entry_count;               // entries of next and check: jam base + C + 1
  int nul_class;                 // class of a NUL byte that lies inside the text
};

// Packs `dfa`; nothing, with the fault reported, when a base or an action exceeds 16 bits.
std::optional<PackedScannerTables> pack_scanner_rows(const RuleSet &rules, const Dfa &dfa, const ByteClasses &classes);

// The tables as the engine reads them, `yy_tables` of a program: pointers into `packed`,
// without the token rules' shortcuts, whose codes only the program's build resolves.
ScannerTables scanner_tables_view(const PackedScannerTables &packed);

#endif
