// Stands in for the programs that the shell opens: logs how it was started
// (its whole command line and its current folder) and exits.
#include <windows.h>

#include <string>

#include "common/LogLine.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  using namespace vellix_e2e;
  wchar_t folder[MAX_PATH * 4];
  DWORD n = GetCurrentDirectoryW(MAX_PATH * 4, folder);
  std::wstring cwd = (n > 0 && n < MAX_PATH * 4) ? std::wstring(folder, n) : std::wstring();
  AppendLine(L"VELLIX_RECORDER_LOG",
             {std::to_string(UnixMs()), std::to_string(GetCurrentProcessId()), "open",
              EscapeWide(GetCommandLineW(), lstrlenW(GetCommandLineW())), EscapeWide(cwd)});
  return 0;
}
