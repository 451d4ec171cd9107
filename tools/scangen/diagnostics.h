// The generator's one failure message: set where a fault is found, printed once by the
// program. Faults in the rule file carry "FILE:LINE: "; the others "scangen: ".
#ifndef SCANGEN_DIAGNOSTICS_H
#define SCANGEN_DIAGNOSTICS_H

#include <string>

extern std::string diagnostic;  // the last failure's message, no newline; empty before any

// Sets `diagnostic` to "FILE:LINE: " (or "FILE: " when line is 0) and the formatted text.
// Returns -1, the failure result every phase passes on.
int report_at(const char *file, int line, const char *format, ...) __attribute__((format(printf, 3, 4)));

// Sets `diagnostic` to "scangen: " and the formatted text; returns -1.
int report(const char *format, ...) __attribute__((format(printf, 1, 2)));

#endif
