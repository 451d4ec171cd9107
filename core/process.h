// The one way a run ends: end_process(status) for every exit, die(who) when memory runs out,
// and yy_fatal for the scanner's own fatal errors. A test or fuzz target that runs a whole
// program inside its own process sets end_process_hook to get control back instead of exit.
// Also where a run's console messages go: message_stream.
#ifndef CORE_PROCESS_H
#define CORE_PROCESS_H

#include <cstdio>

#include "exit_status.h"

// Called by end_process, after the converted output written so far has reached its stream,
// in place of exit. It must not return: it jumps back to the harness that ran the program.
// Null in the programs, which exit.
extern void (*end_process_hook)(int status);

// Where the banners, the input-error messages and the scanner's echo go: standard output, or
// standard error while standard output carries the converted text ("-" as the output file).
extern FILE *message_stream;

// Writes out the converted output held so far and ends the run with `status`.
[[noreturn]] void end_process(int status);

// "out of dynamic memory in WHO()" on standard error, then status 2.
[[noreturn]] void die(const char *who);

// MESSAGE and a newline on standard error, then status 2.
[[noreturn]] void yy_fatal(const char *message);

// "HEADING: " and the formatted text, in one buffer that the next call overwrites: how a proof
// of a table (the engines' verify routines) says what it found, for a test or for yy_fatal.
[[gnu::format(printf, 2, 3)]] const char *fault_text(const char *heading, const char *format, ...);

#endif
