#include "os/Ports_win.h"

#include <windows.h>

#include <string>

#include "os/CommandLine.h"

namespace vellix {

Text RunningExecutablePath() {
  // Paths may be longer than MAX_PATH; grow until the name fits.
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    DWORD length = GetModuleFileNameW(nullptr, &buffer[0], static_cast<DWORD>(buffer.size()));
    if (length == 0) return Text();
    if (length < buffer.size()) return Text(reinterpret_cast<const char16_t*>(buffer.data()), length);
    if (buffer.size() >= 32768) return Text();
    buffer.resize(buffer.size() * 2);
  }
}

Text Win32Environment::Argument1() {
  const wchar_t* line = GetCommandLineW();
  return line ? FirstArgument(reinterpret_cast<const char16_t*>(line)) : Text();
}

}  // namespace vellix
