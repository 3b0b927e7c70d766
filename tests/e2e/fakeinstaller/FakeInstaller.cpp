// Stands in for the Flash runtime's installer appended to a book executable.
// The viewer copies it out, runs it and waits for it; this program reports
// how it was run and ends with the exit code it is given.
//
// Environment:
//   VELLIX_INSTALLER_LOG       log file (Windows path); without it nothing is logged
//   VELLIX_INSTALLER_EXIT      exit code, decimal (default 0)
//   VELLIX_INSTALLER_REGISTER  when set, registers this path as the Flash
//                              control's in-process server (threading model
//                              Apartment), as a real installation would
//
// Log lines (tabs between values, escaped as in common/LogLine.h):
//   <unix ms> <pid> ran <own file path> <whole command line> <own file size>
//   <unix ms> <pid> exit <exit code> <registered: yes|no|failed>
// The second line is written last, just before the process ends.
#include <windows.h>

#include <cstdint>
#include <string>

#include "common/LogLine.h"

namespace {

const wchar_t kServerKey[] = L"CLSID\\{D27CDB6E-AE6D-11cf-96B8-444553540000}\\InprocServer32";

std::wstring OwnPath() {
  std::wstring buffer(32768, L'\0');
  DWORD n = GetModuleFileNameW(nullptr, &buffer[0], static_cast<DWORD>(buffer.size()));
  if (n == 0 || n >= buffer.size()) return {};
  buffer.resize(n);
  return buffer;
}

// -1 when the file cannot be opened.
long long FileSize(const std::wstring& path) {
  HANDLE f = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return -1;
  LARGE_INTEGER size;
  long long result = GetFileSizeEx(f, &size) ? size.QuadPart : -1;
  CloseHandle(f);
  return result;
}

// A decimal exit code; anything else gives 0.
DWORD ExitCodeFromEnvironment() {
  std::wstring text = vellix_e2e::EnvVar(L"VELLIX_INSTALLER_EXIT");
  if (text.empty() || text.size() > 10) return 0;
  std::uint64_t value = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return 0;
    value = value * 10 + static_cast<unsigned>(c - L'0');
  }
  return value > 0xffffffffULL ? 0 : static_cast<DWORD>(value);
}

bool SetText(HKEY key, const wchar_t* name, const std::wstring& value) {
  return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

const char* Register(const std::wstring& server) {
  if (server.empty()) return "no";
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CLASSES_ROOT, kServerKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return "failed";
  bool ok = SetText(key, nullptr, server) && SetText(key, L"ThreadingModel", L"Apartment");
  RegCloseKey(key);
  return ok ? "yes" : "failed";
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  using namespace vellix_e2e;
  const std::string pid = std::to_string(GetCurrentProcessId());
  const std::wstring self = OwnPath();
  const wchar_t* commandLine = GetCommandLineW();
  AppendLine(L"VELLIX_INSTALLER_LOG", {std::to_string(UnixMs()), pid, "ran", EscapeWide(self),
                                       EscapeWide(commandLine, lstrlenW(commandLine)),
                                       std::to_string(FileSize(self))});
  const DWORD exitCode = ExitCodeFromEnvironment();
  const char* registered = Register(EnvVar(L"VELLIX_INSTALLER_REGISTER"));
  AppendLine(L"VELLIX_INSTALLER_LOG", {std::to_string(UnixMs()), pid, "exit", std::to_string(exitCode), registered});
  return static_cast<int>(exitCode);
}
