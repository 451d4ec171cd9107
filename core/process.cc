// The process's exits: every status a run ends with passes through end_process.
#include "process.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "error_report.h"
#include "output.h"

void (*end_process_hook)(int status) = nullptr;
FILE *message_stream = stdout;

// Here rather than with the reports, which read the scanner's buffer: the parse engine asks
// whether it runs a check without taking the scanner in.
ErrorReporting error_reporting = {ErrorFormat::classic, false, STANDARD_INPUT_LABEL, 0, false};

void end_process(int status) {
  output_flush();
  if (end_process_hook != nullptr) {
    end_process_hook(status);
    abort();  // a hook that returns would run the program past its end
  }
  exit(status);
}

void die(const char *who) {
  fprintf(stderr, "out of dynamic memory in %s()\n", who);
  end_process(EXIT_INTERNAL_FAULT);
}

void yy_fatal(const char *message) {
  fprintf(stderr, "%s\n", message);
  end_process(EXIT_INTERNAL_FAULT);
}

const char *fault_text(const char *heading, const char *format, ...) {
  static char text[192];
  int length = snprintf(text, sizeof text, "%s: ", heading);
  va_list args;
  va_start(args, format);
  vsnprintf(text + length, sizeof text - static_cast<size_t>(length), format, args);
  va_end(args);
  return text;
}
