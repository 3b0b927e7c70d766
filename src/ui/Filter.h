#pragma once
// Filter texts of the file dialogs, "Display|patterns|Display|patterns", as
// each shell's dialogs take them.
#include <vector>

#include "text/Text.h"

namespace vellix::ui {

// One named filter of a file dialog: "Word files" with "*.doc" and "*.docx".
struct FilterEntry {
  Text display;
  std::vector<Text> patterns;
};

// The entries of a filter text "Display|patterns|Display|patterns", where
// patterns are separated by ";" (empty ones left out). An empty display text
// shows the patterns; a display text without patterns after it is dropped.
std::vector<FilterEntry> ParseFilter(const Text& filter);

// "Display|pattern|Display|pattern" as the file dialogs take it: each part
// ends with a NUL and the list with a second one ("A\0*.a\0\0"). An empty
// display text shows the pattern; a pair without a pattern is dropped; no
// pairs gives the empty text (no filter).
Text FilterList(const Text& filter);

}  // namespace vellix::ui
