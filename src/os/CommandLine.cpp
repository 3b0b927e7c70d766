#include "os/CommandLine.h"

namespace vellix {
namespace {

// Reads one argument starting at `at`; returns where the next one starts.
std::size_t NextArgument(const Text& line, std::size_t at, Text& argument) {
  auto ch = [&line](std::size_t i) -> char16_t { return i < line.size() ? line[i] : u'\0'; };
  argument.clear();
  for (;;) {
    while (ch(at) != u'\0' && ch(at) <= u' ') ++at;
    if (ch(at) == u'"' && ch(at + 1) == u'"')
      at += 2;
    else
      break;
  }
  while (ch(at) > u' ') {
    if (ch(at) == u'"') {
      ++at;
      while (ch(at) != u'\0' && ch(at) != u'"') argument += line[at++];
      if (ch(at) != u'\0') ++at;
    } else {
      argument += line[at++];
    }
  }
  return at;
}

}  // namespace

std::vector<Text> SplitCommandLine(const Text& commandLine) {
  std::vector<Text> arguments;
  std::size_t at = 0;
  Text argument;
  for (;;) {
    at = NextArgument(commandLine, at, argument);
    if (argument.empty()) break;
    arguments.push_back(argument);
  }
  return arguments;
}

Text FirstArgument(const Text& commandLine) {
  std::vector<Text> arguments = SplitCommandLine(commandLine);
  return arguments.size() > 1 ? arguments[1] : Text();
}

}  // namespace vellix
