// The lines stay in memory in the order the faults were found; nothing is printed until the
// program has decided how it ends, so a stage can fail without knowing how it was called.
#include "diagnostics.h"

#include <cstdarg>

#include "text.h"

namespace {

std::vector<std::string> lines;  // every fault recorded since the last clear, oldest first

}  // namespace

int report_at(const char *place, int line, const char *format, ...) {
  std::string text;
  if (place != nullptr) {
    text = place;
    if (line > 0) text += ":" + std::to_string(line);
    text += ": ";
  }
  va_list args;
  va_start(args, format);
  text += vformatted(format, args);
  va_end(args);
  lines.push_back(text);
  return -1;
}

const std::vector<std::string> &diagnostics() { return lines; }

std::string last_diagnostic() { return lines.empty() ? std::string() : lines.back(); }

void clear_diagnostics() { lines.clear(); }

void print_diagnostics(FILE *stream, const char *prefix) {
  for (const std::string &line : lines) fprintf(stream, "%s%s\n", prefix, line.c_str());
}
