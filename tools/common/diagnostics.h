// The generators' one error channel: a fault in an input, in the construction or in the
// files is recorded as one line where it is found, and the program prints the lines once,
// before it exits. Entry points: report_at records; diagnostics, last_diagnostic and
// print_diagnostics read.
#ifndef TOOLS_COMMON_DIAGNOSTICS_H
#define TOOLS_COMMON_DIAGNOSTICS_H

#include <cstdio>
#include <string>
#include <vector>

#include "exit_status.h"  // EXIT_INPUT_FAULT: the input, its reading or the outputs;
                          // EXIT_INTERNAL_FAULT: the tables failed their verification

// Records "PLACE:LINE: text", or "PLACE: text" when `line` is 0. PLACE is the input file, or
// the program's name for a fault that lies in no input; a null PLACE records the text alone,
// for a program that puts its name before every line it prints. Returns -1, the failure
// result every stage passes on.
int report_at(const char *place, int line, const char *format, ...) __attribute__((format(printf, 3, 4)));

const std::vector<std::string> &diagnostics();  // the lines recorded since the last clear
std::string last_diagnostic();                  // the latest line; empty when there is none
void clear_diagnostics();

// Writes every line to `stream`, each after `prefix` and ended by a newline.
void print_diagnostics(FILE *stream, const char *prefix);

#endif
