#include "popup/ChildCommands.h"

#include "text/CodePage.h"

namespace vellix {

ChildCommandResult RunChildCommand(const Text& args, Shell& shell) {
  if (args == u"function_close") return ChildCommandResult::CloseWindow;
  shell.Open(ShellOwner::None, ToAnsi(args), std::string(), std::string(), 1 /* SW_SHOWNORMAL */);
  return ChildCommandResult::Handled;
}

}  // namespace vellix
