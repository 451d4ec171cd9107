// Proof, once, that scanner tables are safe and faithful to their automaton, so the engine's
// per-byte step can trust every index. Entry points: verify_packed_scanner() for the tables
// scangen is about to write, verify_scanner_tables() for any ScannerTables, a program's
// linked yy_tables among them.
#ifndef SCANGEN_VERIFY_H
#define SCANGEN_VERIFY_H

#include "byte_classes.h"
#include "dfa_row_packing.h"
#include "scanner.h"
#include "subset.h"

// 0 when `packed` holds as many entries as its constants say and verify_scanner_tables holds
// of its view; -1 with the first fault reported otherwise.
int verify_packed_scanner(const PackedScannerTables &packed, const Dfa &dfa, const ByteClasses &classes);

// 0 when `tables` are the automaton `dfa` over `classes` in the form the engine relies on;
// -1 with the first fault reported otherwise.
int verify_scanner_tables(const ScannerTables &tables, const Dfa &dfa, const ByteClasses &classes);

#endif
