// Proof, once, that the packed tables are safe and faithful, so the engine's per-byte step
// can trust every index. Entry point: verify_tables(), over `packed` against `dfa`.
#ifndef SCANGEN_VERIFY_H
#define SCANGEN_VERIFY_H

// 0 when every property holds; -1 with `diagnostic` naming the first that does not.
int verify_tables();

#endif
