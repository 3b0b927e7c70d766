#pragma once
// The reader's memo texts, kept in the folder TxtData at the root of the
// first removable drive.
#include <optional>

#include "commands/Ports.h"

namespace vellix {

// "E:\" for the first of C: to Z: that reports itself removable, medium or
// not; none when there is no such drive. Asked anew on every request.
std::optional<Text> FindRemovableRoot(Drives& drives);

// function_saveTextFile: text@@@file name. `rawTail` is the same tail before
// "/" became "\" and supplies the memo text. Answers "saveSuccess".
void SaveTextFile(const Text& tail, const Text& rawTail, const CommandPorts& ports);
// function_loadTextFile: tells the movie the memo folder ("loadTxt") and
// answers "loadSuccess".
void LoadTextFile(const CommandPorts& ports);

}  // namespace vellix
