// The command-line splitter with arbitrary lines, checked against the
// splitting rules worked out here as a small state machine, and against
// properties that hold whatever the rules' details:
// - blanks and control characters (everything up to " ") separate arguments;
// - double quotes group, blanks included, and are removed; a quote left open
//   runs to the end of the line;
// - an empty pair of quotes where an argument would start is skipped;
// - splitting ends at an argument that comes out empty and at a zero
//   character.
//
// Input: byte 0 bit 0 set: the line is UTF-16LE code units; clear: every
// further byte is one character (so every control character can occur).
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzOracle.h"
#include "os/CommandLine.h"

namespace {

using vellix::Text;
using vellix::fuzz::ShowUnits;
using Arguments = std::vector<Text>;

bool Blank(char16_t c) { return c <= u' '; }

Arguments ByTheRules(const Text& line) {
  // Nothing after a zero character exists.
  std::size_t length = 0;
  while (length < line.size() && line[length] != u'\0') ++length;

  enum class State { Between, Bare, Quoted } state = State::Between;
  Arguments out;
  Text current;
  std::size_t i = 0;
  for (;;) {
    const bool end = i == length;
    const char16_t c = end ? u'\0' : line[i];
    switch (state) {
      case State::Between:
        if (end) return out;
        if (Blank(c)) {
          ++i;
        } else if (c == u'"' && i + 1 < length && line[i + 1] == u'"') {
          i += 2;
        } else {
          state = State::Bare;
        }
        break;
      case State::Bare:
        if (end || Blank(c)) {
          if (current.empty()) return out;
          out.push_back(current);
          current.clear();
          if (end) return out;
          state = State::Between;
          ++i;
        } else if (c == u'"') {
          state = State::Quoted;
          ++i;
        } else {
          current += c;
          ++i;
        }
        break;
      case State::Quoted:
        if (end) {
          state = State::Bare;
        } else if (c == u'"') {
          state = State::Bare;
          ++i;
        } else {
          current += c;
          ++i;
        }
        break;
    }
  }
}

std::string Show(const Arguments& args) {
  std::string out = "[";
  for (std::size_t i = 0; i < args.size(); ++i) out += (i ? ", " : "") + ShowUnits(args[i]);
  return out + "]";
}

void Check(bool ok, const Text& line, const Arguments& got, const std::string& rule) {
  if (!ok)
    vellix::fuzz::Fail("command line", rule + "\nline " + ShowUnits(line) + "\nsplit " + Show(got) + "\nrules " +
                                           Show(ByTheRules(line)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  Text line;
  if (data[0] & 1) {
    for (std::size_t i = 1; i + 1 < size; i += 2) line += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
  } else {
    for (std::size_t i = 1; i < size; ++i) line += static_cast<char16_t>(data[i]);
  }

  const Arguments got = vellix::SplitCommandLine(line);
  Check(got == ByTheRules(line), line, got, "the split differs from the rules");

  bool quotes = false;
  for (char16_t c : line) {
    if (c == u'\0') break;
    quotes = quotes || c == u'"';
  }
  for (const Text& a : got) {
    Check(!a.empty(), line, got, "an argument is empty");
    for (char16_t c : a) {
      Check(c != u'"', line, got, "an argument keeps a quote");
      Check(c != u'\0', line, got, "an argument holds a zero character");
      // Without quotes nothing can group a blank into an argument.
      Check(quotes || !Blank(c), line, got, "a blank or control character outside quotes is in an argument");
    }
  }
  const Text first = vellix::FirstArgument(line);
  Check(first == (got.size() > 1 ? got[1] : Text()), line, got, "FirstArgument is not element 1");

  // The arguments, written back as a command line (quoted where they hold a
  // blank, one blank between them), split into the same arguments.
  Text written;
  for (const Text& a : got) {
    bool blank = false;
    for (char16_t c : a) blank = blank || Blank(c);
    written += (written.empty() ? u"" : u" ") + (blank ? u"\"" + a + u"\"" : a);
  }
  Check(vellix::SplitCommandLine(written) == got, line, got,
        "written back as " + ShowUnits(written) + " the arguments split as " +
            Show(vellix::SplitCommandLine(written)));
  return 0;
}
