#pragma once
// What a fuzz target does when a result breaks one of its rules: it prints the
// target, what differed and the input, then aborts. libFuzzer reports the abort
// as a crash and writes the input to a crash-* file; the plain build stops the
// test run the same way, and either program replays the file given as its
// argument.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "text/Text.h"

namespace vellix::fuzz {

// Bytes in double quotes, with everything outside printable ASCII as \xNN
// and the backslash and the quote escaped.
inline std::string ShowBytes(const std::string& bytes) {
  std::string out = "\"";
  for (unsigned char c : bytes) {
    if (c == '\\' || c == '"') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", c);
      out += buf;
    }
  }
  return out + "\"";
}

// UTF-16 code units in double quotes, with everything outside printable ASCII
// as \uXXXX, so that lone surrogates and zero characters show as what they
// are; the backslash and the quote escaped.
inline std::string ShowUnits(const Text& text) {
  std::string out = "u\"";
  for (char16_t c : text) {
    if (c == u'\\' || c == u'"') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      char buf[12];
      std::snprintf(buf, sizeof buf, "\\u%04X", static_cast<unsigned>(c));
      out += buf;
    }
  }
  return out + "\"";
}

[[noreturn]] inline void Fail(const char* target, const std::string& what) {
  std::fprintf(stderr, "\n==== %s oracle failed ====\n%s\n", target, what.c_str());
  std::fflush(stderr);
  std::abort();
}

}  // namespace vellix::fuzz
