// Small text helpers the generators share: printf-style formatting into a std::string, upper
// case, and the last part of a path. Entry points: formatted, vformatted, upper_case,
// base_name.
#ifndef TOOLS_COMMON_TEXT_H
#define TOOLS_COMMON_TEXT_H

#include <cstdarg>
#include <string>

std::string vformatted(const char *format, va_list args);
std::string formatted(const char *format, ...) __attribute__((format(printf, 1, 2)));

// `word` with the ASCII letters a-z in upper case; every other byte as it is.
std::string upper_case(const std::string &word);

// The part of `path` after its last '/': the whole path when it has none.
std::string base_name(const char *path);

#endif
