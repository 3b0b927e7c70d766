#pragma once
// The book window's movie commands: every FSCommand call of the book's movie
// comes here with its two texts, straight from the Flash control's event.
//
// The args decide: "/" becomes "\" throughout, "function_full",
// "function_close" and "function_forward" are window commands, anything else
// goes to the shell's "open" verb first. The text before the first "@@@" (the
// head) then selects at most one named command, which reads the text after it
// (the tail). The command text matters only when it is "function": the args
// are then a popup request and nothing else happens.
#include "commands/CommandPorts.h"

namespace vellix {

void FlashPlayerFSCommand(const CommandPorts& ports, const Text& command, const Text& args);

}  // namespace vellix
