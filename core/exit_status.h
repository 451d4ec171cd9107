// The exit statuses that the programs and the table generators share: every run ends with
// one of these, or with 0 for success.
#ifndef CORE_EXIT_STATUS_H
#define CORE_EXIT_STATUS_H

constexpr int EXIT_INPUT_FAULT = 1;     // the user's input or environment is at fault
constexpr int EXIT_INTERNAL_FAULT = 2;  // out of memory, or an invariant of the tables failed

#endif
