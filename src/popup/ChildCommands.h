#pragma once
// The FSCommand calls of a popup window's movie.
#include "commands/CommandPorts.h"

namespace vellix {

enum class ChildCommandResult {
  Handled,      // nothing more to do
  CloseWindow,  // close this popup (after the control's event has returned)
};

// "function_close" closes the popup; any other args, as the movie sent them
// ("/" left alone), go to the shell's "open" verb without an owner window.
// The command text is not looked at.
ChildCommandResult RunChildCommand(const Text& args, Shell& shell);

}  // namespace vellix
