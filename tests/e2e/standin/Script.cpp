#include "standin/Script.h"

#include <cstdlib>
#include <cstring>

namespace vellix_e2e {
namespace {

bool ParseNumber(const std::string& text, long lo, long hi, int* out) {
  if (text.empty() || text.size() > 12) return false;
  char* end = nullptr;
  long value = std::strtol(text.c_str(), &end, 0);
  if (!end || *end != '\0' || value < lo || value > hi) return false;
  *out = static_cast<int>(value);
  return true;
}

struct NamedKey {
  const char* name;
  int vk;
  int character;
};

const NamedKey kKeys[] = {
    {"Enter", 0x0D, 13}, {"Return", 0x0D, 13}, {"Escape", 0x1B, 27}, {"Tab", 0x09, 9},
    {"Space", 0x20, 32}, {"Back", 0x08, 8},    {"F1", 0x70, 0},      {"Left", 0x25, 0},
    {"Right", 0x27, 0},  {"Up", 0x26, 0},      {"Down", 0x28, 0},
};

void SplitCommand(const std::string& rest, Step* step) {
  size_t tab = rest.find('\t');
  if (tab == std::string::npos) {
    step->command = DecodeField(rest);
  } else {
    step->command = DecodeField(rest.substr(0, tab));
    step->args = DecodeField(rest.substr(tab + 1));
  }
}

}  // namespace

std::string DecodeField(const std::string& field) {
  if (field == "{EMPTY}") return {};
  static const struct {
    const char* token;
    char value;
  } kTokens[] = {{"{TAB}", '\t'}, {"{LF}", '\n'}, {"{CR}", '\r'}, {"{LBRACE}", '{'}};
  std::string out;
  size_t i = 0;
  while (i < field.size()) {
    bool matched = false;
    if (field[i] == '{') {
      for (const auto& t : kTokens) {
        size_t n = std::strlen(t.token);
        if (field.compare(i, n, t.token) == 0) {
          out += t.value;
          i += n;
          matched = true;
          break;
        }
      }
    }
    if (!matched) out += field[i++];
  }
  return out;
}

Script ParseScript(const std::string& utf8) {
  Script script;
  std::string text = utf8;
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
  size_t start = 0;
  int lineNumber = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    size_t first = line.find_first_not_of(' ');
    if (first == std::string::npos || line[first] == '#') {
      if (end == text.size()) break;
      continue;
    }
    line.erase(0, first);
    size_t space = line.find(' ');
    std::string word = line.substr(0, space);
    std::string rest = space == std::string::npos ? std::string() : line.substr(space + 1);
    Step step;
    step.line = lineNumber;
    bool ok = true;
    if (word == "fscommand") {
      step.kind = StepKind::FsCommand;
      SplitCommand(rest, &step);
    } else if (word == "wait") {
      step.kind = StepKind::Wait;
      ok = ParseNumber(rest, 0, 600000, &step.number);
    } else if (word == "probe" && rest.empty()) {
      step.kind = StepKind::Probe;
    } else if (word == "resources" && rest.empty()) {
      step.kind = StepKind::Resources;
    } else if (word == "key") {
      step.kind = StepKind::Key;
      ok = false;
      for (const auto& k : kKeys) {
        if (rest == k.name) {
          step.number = k.vk;
          step.character = k.character;
          ok = true;
        }
      }
      if (!ok) ok = ParseNumber(rest, 1, 255, &step.number);
    } else if (word == "roundtrip" || word == "eventtime") {
      step.kind = word == "roundtrip" ? StepKind::Roundtrip : StepKind::EventTime;
      size_t gap = rest.find(' ');
      ok = gap != std::string::npos && ParseNumber(rest.substr(0, gap), 1, 100000, &step.number);
      if (ok) SplitCommand(rest.substr(gap + 1), &step);
    } else {
      ok = false;
    }
    if (ok) {
      script.steps.push_back(step);
    } else {
      script.errors.push_back({lineNumber, line});
    }
    if (end == text.size()) break;
  }
  return script;
}

}  // namespace vellix_e2e
