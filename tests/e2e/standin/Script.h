// The stand-in's scripted movies: a UTF-8 text, one step per line.
#pragma once

#include <string>
#include <vector>

namespace vellix_e2e {

enum class StepKind { FsCommand, Wait, Probe, Resources, Key, Roundtrip, EventTime };

struct Step {
  StepKind kind = StepKind::Probe;
  int line = 0;           // 1-based line in the script
  std::string command;    // FsCommand, Roundtrip, EventTime: UTF-8, escapes decoded
  std::string args;
  int number = 0;         // Wait: milliseconds; Key: virtual key; Roundtrip, EventTime: repetitions
  int character = 0;      // Key: the character that the key types, 0 for none
};

struct ScriptError {
  int line = 0;
  std::string text;
};

struct Script {
  std::vector<Step> steps;
  std::vector<ScriptError> errors;  // lines that were skipped
};

// Script text (a leading UTF-8 byte-order mark is skipped, CR LF accepted):
//   # comment                 blank lines are skipped as well
//   fscommand <command>TAB<args>
//   roundtrip <n> <command>TAB<args>
//   eventtime <n> <command>TAB<args>
//   wait <ms>
//   probe
//   resources
//   key <Enter|Escape|Tab|Space|Back|number>
// In the command and args fields {TAB}, {LF}, {CR} and {LBRACE} stand for a
// tab, a line feed, a carriage return and "{"; a field that is exactly
// {EMPTY} is empty. Without a tab the whole rest is the command.
Script ParseScript(const std::string& utf8);

// Decodes the brace escapes of one field.
std::string DecodeField(const std::string& field);

}  // namespace vellix_e2e
