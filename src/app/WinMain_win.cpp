// The program's entry: the Flash runtime check, the application icon, the
// book window and the message loop. The process always ends with exit code 0.
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>

#include "app/RuntimeCheck.h"
#include "book/BookPaths.h"
#include "book/VellixViewerMainFormUnit.h"
#include "os/Ports_win.h"
#include "text/CodePage.h"
#include "ui/Application.h"
#include "ui/Dialogs.h"
#include "ui/Exception.h"

namespace {

// <Book>.ico beside the executable, else the icon the shell shows for files
// of the executable's type (from the name alone, the file is not opened).
void SetApplicationIcon(const vellix::BookPaths& paths) {
  const DWORD attributes = GetFileAttributesW(reinterpret_cast<const wchar_t*>(paths.icon.c_str()));
  if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    vellix::ui::App().SetIcon(paths.icon);
    return;
  }
  SHFILEINFOA info{};
  const std::string exe = vellix::ToAnsi(paths.executable);
  SHGetFileInfoA(exe.c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                 SHGFI_ICON | SHGFI_DISPLAYNAME | SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES);
  // Without an icon from the shell the program keeps its own.
  vellix::ui::App().SetIcon(info.hIcon);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  using namespace vellix;
  EnsureFlashRuntime([](const Text& text) { ui::ShowMessage(text); });

  try {
    Win32Environment environment;
    SetApplicationIcon(MakeBookPaths(environment.ExecutablePath()));
    ui::App().Initialize();
    ui::App().SetMainFormOnTaskBar(true);
    ui::App().CreateForm(PlayerForm);
    ui::App().Run();
  } catch (const ui::Exception& error) {
    ui::App().ShowException(error);
  } catch (...) {
    ui::App().ShowException(Text());
  }
  return 0;
}

// The C++ runtime's default terminate handler prints the demangled type of an
// uncaught exception to a console the program does not have, and brings the
// whole demangler into the executable. No exception leaves WinMain, so a plain
// abort serves.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
