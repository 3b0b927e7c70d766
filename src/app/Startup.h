#pragma once
// The program's start after the Flash runtime check: the application icon,
// the book window and the message loop. Whatever escapes these steps is shown
// in one error box; the program then ends. The exit code is always 0.
#include <memory>

#include "book/BookPaths.h"
#include "book/VellixViewerMainFormUnit.h"
#include "os/Forms.h"

namespace vellix {

// What start-up needs of a shell beyond the book window's ports.
class StartupShell {
 public:
  virtual ~StartupShell() = default;
  virtual bool FileExists(const Text& path) = 0;
  // The application icon from an icon file; throws Exception when the file
  // holds no valid icon.
  virtual void SetIconFromFile(const Text& iconPath) = 0;
  // The icon the desktop shows for files of the executable's type, from its
  // name alone; the program keeps its own icon when there is none.
  virtual void SetIconOfFileType(const Text& executablePath) = 0;
  virtual void Initialize() = 0;
  // The main window keeps a task-bar button of its own.
  virtual void SetMainFormOnTaskBar(bool on) = 0;
  // Builds the book window, hidden; throws Exception when it or its Flash
  // control cannot be created (e.g. the control's class is not registered).
  virtual std::unique_ptr<PlayerWindow> CreatePlayerWindow(const FormDescription& form) = 0;
  // Shows the main window as the process was asked to (normal, maximised or
  // minimised), then runs the message loop until that window has closed.
  virtual void Run(FormWindow& mainWindow) = 0;
};

// Icon, initialisation, the book window with its creation handler, and the
// loop. Returns the exit code, 0.
int RunViewer(StartupShell& shell, const BookPaths& paths, const PlayerFormPorts& ports);

}  // namespace vellix
