// Formatting measures the text first, so no message or generated line is ever cut short.
#include "text.h"

#include <cstdio>
#include <cstring>

std::string vformatted(const char *format, va_list args) {
  va_list measure;
  va_copy(measure, args);
  int length = vsnprintf(nullptr, 0, format, measure);
  va_end(measure);
  if (length <= 0) return std::string();
  std::string text(length + 1, '\0');
  vsnprintf(text.data(), text.size(), format, args);
  text.resize(length);
  return text;
}

std::string formatted(const char *format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = vformatted(format, args);
  va_end(args);
  return text;
}

std::string upper_case(const std::string &word) {
  std::string result = word;
  for (char &c : result)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return result;
}

std::string base_name(const char *path) {
  const char *slash = strrchr(path, '/');
  return slash != nullptr ? slash + 1 : path;
}
