// The program's entry: the Flash runtime check, then the portable start-up
// over the Win32 shell. The process always ends with exit code 0.
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>

#include "app/RuntimeCheck.h"
#include "app/Startup.h"
#include "book/BookPaths.h"
#include "book/PlayerWindow_win.h"
#include "os/Handles_win.h"
#include "os/Ports_win.h"
#include "text/CodePage.h"
#include "ui/Application.h"
#include "ui/Form.h"

namespace vellix {
namespace {

// What start-up asks of Windows and the window library.
class Win32Startup : public StartupShell {
 public:
  bool FileExists(const Text& path) override {
    const DWORD attributes = GetFileAttributesW(win::Wide(path));
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  }
  void SetIconFromFile(const Text& iconPath) override { ui::App().SetIcon(iconPath); }
  void SetIconOfFileType(const Text& executablePath) override {
    // From the name alone (the file is not opened): the icon the shell shows
    // for files of the executable's type.
    SHFILEINFOA info{};
    const std::string exe = ToAnsi(executablePath);
    SHGetFileInfoA(exe.c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                   SHGFI_ICON | SHGFI_DISPLAYNAME | SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES);
    ui::App().SetIcon(info.hIcon);
  }
  void Initialize() override { ui::App().Initialize(); }
  void SetMainFormOnTaskBar(bool on) override { ui::App().SetMainFormOnTaskBar(on); }
  std::unique_ptr<PlayerWindow> CreatePlayerWindow(const FormDescription& form) override {
    return std::make_unique<Win32PlayerWindow>(form);
  }
  void Run(FormWindow& mainWindow) override { ui::App().Run(static_cast<ui::Form&>(mainWindow)); }
};

}  // namespace
}  // namespace vellix

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  using namespace vellix;
  ui::Application& app = ui::App();
  EnsureFlashRuntime([&app](const Text& text) { app.ShowMessage(text); });

  const BookPaths paths = MakeBookPaths(RunningExecutablePath());
  Win32Startup startup;
  Win32Shell shell([&app]() -> void* { return app.MainForm() ? app.MainForm()->Handle() : nullptr; });
  Win32Files files;
  Win32FileSearch search;
  Win32Drives drives;
  Win32Environment environment;
  PlayerFormPorts ports{app, app, app, shell, app, files, search, drives, environment};
  return RunViewer(startup, paths, ports);
}

// The C++ runtime's default terminate handler prints the demangled type of an
// uncaught exception to a console the program does not have, and brings the
// whole demangler into the executable. No exception leaves WinMain, so a plain
// abort serves.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
