// The whole construction from rule file to packed tables, in phase order: read, compile
// the patterns, byte classes, subset construction, row packing. Entry points:
// construct_tables (a rule file) and construct_from_rule_set (an already parsed one).
#ifndef SCANGEN_CONSTRUCTION_H
#define SCANGEN_CONSTRUCTION_H

// Each returns 0 with `nfa`, `byte_classes`, `dfa` and `packed` built, or -1 with
// `diagnostic` set. Neither runs verify_tables.
int construct_tables(const char *rules_path);
int construct_from_rule_set();

#endif
