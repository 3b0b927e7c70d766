#pragma once
// The note list commands: the ".txt" entries of a folder below the
// executable's folder, and the program's first command-line argument.
#include "commands/CommandPorts.h"

namespace vellix {

// function_searchList: "resultList" = every name followed by "@@@".
void SearchList(const Text& tail, const CommandPorts& ports);
// function_TxtListSaveToFile: folder@@@suffix; writes the record
// &name=a,b& to <folder>\TxtList<suffix>. Answers nothing.
void TxtListSaveToFile(const Text& tail, const CommandPorts& ports);
// function_InputParameter: "변수명" = argument 1.
void InputParameter(const CommandPorts& ports);

}  // namespace vellix
