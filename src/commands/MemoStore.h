#pragma once
// The reader's memo texts, kept in the folder TxtData at the root of the
// first removable drive.
#include <optional>

#include "commands/CommandPorts.h"

namespace vellix {

// "E:\" for the first of C: to Z: that reports itself removable, medium or
// not (or the first removable mount, where the system has no drive letters);
// none when there is no such drive. Asked anew on every request.
std::optional<Text> FindRemovableRoot(Drives& drives);

// The memo folder on a removable root: "E:\TxtData\". The root's own
// trailing separator separates, so a mount such as "/media/reader/STICK/"
// gives "/media/reader/STICK/TxtData/".
Text MemoFolder(const Text& root);

// function_saveTextFile: text@@@file name. `rawTail` is the same tail before
// "/" became "\" and supplies the memo text. Answers "saveSuccess".
void SaveTextFile(const Text& tail, const Text& rawTail, const CommandPorts& ports);
// function_loadTextFile: tells the movie the memo folder ("loadTxt") and
// answers "loadSuccess".
void LoadTextFile(const CommandPorts& ports);

}  // namespace vellix
