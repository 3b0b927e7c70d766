#include "app/Startup.h"

#include "os/Exception.h"

namespace vellix {

int RunViewer(StartupShell& shell, const BookPaths& paths, const PlayerFormPorts& ports) {
  try {
    if (shell.FileExists(paths.icon))
      shell.SetIconFromFile(paths.icon);
    else
      shell.SetIconOfFileType(paths.executable);
    shell.Initialize();
    shell.SetMainFormOnTaskBar(true);

    std::unique_ptr<PlayerWindow> window = shell.CreatePlayerWindow(PlayerFormDescription());
    TPlayerForm form(paths, *window, ports);
    PlayerForm = &form;
    // An error inside the creation handler is shown; creation goes on.
    RunGuarded(ports.exceptions, [&form] { form.FormCreate(); });
    shell.Run(form.Form());
  } catch (...) {
    // The steps not yet run are skipped.
    ShowCurrentException(ports.exceptions);
  }
  return 0;
}

}  // namespace vellix
