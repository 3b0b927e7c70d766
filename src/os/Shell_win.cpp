#include "os/Ports_win.h"

#include <windows.h>
#include <shellapi.h>

namespace vellix {

void Win32Shell::Open(ShellOwner owner, const std::string& file, const std::string& parameters,
                      const std::string& directory, int showCommand) {
  HWND window = nullptr;
  if (owner == ShellOwner::BookWindow && bookWindowHandle_) window = static_cast<HWND>(bookWindowHandle_());
  // Empty texts, not null pointers, for the parameters and the folder.
  ShellExecuteA(window, "open", file.c_str(), parameters.c_str(), directory.c_str(), showCommand);
}

}  // namespace vellix
