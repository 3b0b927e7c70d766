// The start-up check's ports on Windows: the registry, the file system and
// process creation, one thin method per call.
#include <windows.h>

#include <vector>

#include "app/InstallerFiles_win.h"
#include "app/RuntimeCheck.h"
#include "app/StdioFile.h"
#include "os/Handles_win.h"
#include "os/Ports_win.h"

namespace vellix {

namespace {

const wchar_t kServerKey[] = L"CLSID\\{D27CDB6E-AE6D-11cf-96B8-444553540000}\\InprocServer32";

using win::RegistryKey;

std::wstring ToWide(const Text& text) { return std::wstring(text.begin(), text.end()); }
Text FromWide(const wchar_t* s, std::size_t n) { return Text(s, s + n); }

class WinControlRegistration : public ControlRegistration {
 public:
  std::optional<Text> ReadServerPath() override {
    RegistryKey key;
    LONG opened = RegOpenKeyExW(HKEY_CLASSES_ROOT, kServerKey, 0, KEY_READ, key.Put());
    if (opened == ERROR_FILE_NOT_FOUND) return Text();
    if (opened != ERROR_SUCCESS) return std::nullopt;
    // The value may change between asking for its size and reading it.
    for (int attempt = 0; attempt < 4; ++attempt) {
      DWORD type = 0;
      DWORD bytes = 0;
      LONG asked = RegQueryValueExW(key.Get(), nullptr, nullptr, &type, nullptr, &bytes);
      if (asked == ERROR_FILE_NOT_FOUND) return Text();
      if (asked != ERROR_SUCCESS) return std::nullopt;
      if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
      std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1, L'\0');
      DWORD size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
      LONG read = RegQueryValueExW(key.Get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size);
      if (read == ERROR_MORE_DATA) continue;
      if (read != ERROR_SUCCESS) return std::nullopt;
      if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
      // The stored text need not carry its terminator; it ends at the first
      // zero either way.
      std::size_t n = size / sizeof(wchar_t);
      std::size_t length = 0;
      while (length < n && buffer[length] != L'\0') ++length;
      return FromWide(buffer.data(), length);
    }
    return std::nullopt;
  }

  bool IsExistingFile(const Text& path) override {
    DWORD attributes = GetFileAttributesW(ToWide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  }

  Text LowerCase(const Text& text) override {
    std::wstring s = ToWide(text);
    if (!s.empty()) CharLowerBuffW(&s[0], static_cast<DWORD>(s.size()));
    return FromWide(s.data(), s.size());
  }
};

// A started installer with its process and thread handles.
class WinProcess : public StartedProcess {
 public:
  explicit WinProcess(const PROCESS_INFORMATION& info) : process_(info.hProcess), thread_(info.hThread) {}
  void WaitForExit() override { WaitForSingleObject(process_.Get(), INFINITE); }
  std::optional<std::uint32_t> ExitCode() override {
    DWORD code = 0;
    if (!GetExitCodeProcess(process_.Get(), &code)) return std::nullopt;
    return static_cast<std::uint32_t>(code);
  }

 private:
  win::KernelHandle process_;
  win::KernelHandle thread_;
};

class WinProcesses : public Processes {
 public:
  std::unique_ptr<StartedProcess> Start(const std::string& commandLine) override {
    // CreateProcessA may write into the command line, so it gets a copy.
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info;
    ZeroMemory(&info, sizeof info);
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
      return nullptr;
    return std::make_unique<WinProcess>(info);
  }
};

}  // namespace

std::string WinInstallerFiles::SystemDirectory() {
  char buffer[1024];
  UINT n = GetSystemDirectoryA(buffer, sizeof buffer);
  if (n == 0 || n >= sizeof buffer) return std::string();
  return std::string(buffer, n);
}

void WinInstallerFiles::CreateFolder(const std::string& path) { CreateDirectoryA(path.c_str(), nullptr); }

Text WinInstallerFiles::ExecutablePath() { return RunningExecutablePath(); }

std::unique_ptr<ReadableFile> WinInstallerFiles::OpenForReading(const std::string& path) {
  return StdioFile::Open(path);
}

bool WinInstallerFiles::WriteWholeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  return vellix::WriteWholeFile(path, bytes.data(), bytes.size());
}

bool WinInstallerFiles::Remove(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }

void EnsureFlashRuntime(const ShowMessage& show) {
  WinControlRegistration registration;
  WinInstallerFiles files;
  WinProcesses processes;
  RunRuntimeCheck(registration, files, processes, show);
}

}  // namespace vellix
