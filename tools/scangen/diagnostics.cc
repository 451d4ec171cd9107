// The generator's one failure message: set where a fault is found, printed once by the
// program. Faults in the rule file carry "FILE:LINE: "; the others "scangen: ".
#include "diagnostics.h"

#include <cstdarg>
#include <cstdio>

std::string diagnostic;

static const char PROGRAM_PREFIX[] = "scangen: ";

// Appends the formatted text to `diagnostic`, however long it is.
static void append_formatted(const char *format, va_list args) {
  va_list measure;
  va_copy(measure, args);
  int length = vsnprintf(nullptr, 0, format, measure);
  va_end(measure);
  if (length <= 0) return;
  size_t old_size = diagnostic.size();
  diagnostic.resize(old_size + static_cast<size_t>(length) + 1);
  vsnprintf(&diagnostic[old_size], static_cast<size_t>(length) + 1, format, args);
  diagnostic.resize(old_size + static_cast<size_t>(length));
}

int report_at(const char *file, int line, const char *format, ...) {
  diagnostic = file;
  if (line > 0) {
    diagnostic += ':';  // appended piecewise: g++ 12 -O3 misreads "x" + to_string() (-Wrestrict)
    diagnostic += std::to_string(line);
  }
  diagnostic += ": ";
  va_list args;
  va_start(args, format);
  append_formatted(format, args);
  va_end(args);
  return -1;
}

int report(const char *format, ...) {
  diagnostic = PROGRAM_PREFIX;
  va_list args;
  va_start(args, format);
  append_formatted(format, args);
  va_end(args);
  return -1;
}
