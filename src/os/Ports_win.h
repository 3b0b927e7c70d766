#pragma once
// The Win32 implementations of the operating-system ports. Window handles are
// passed as void* so that this header stays free of <windows.h>.
#include <functional>
#include <utility>

#include "os/Ports.h"

namespace vellix {

// The full path of the running executable (GetModuleFileNameW, however
// long); empty when it cannot be had.
Text RunningExecutablePath();

// ShellExecuteA. The book window's handle is asked for on each call, so the
// shell can be made before the window.
class Win32Shell : public Shell {
 public:
  explicit Win32Shell(std::function<void*()> bookWindowHandle) : bookWindowHandle_(std::move(bookWindowHandle)) {}
  void Open(ShellOwner owner, const std::string& file, const std::string& parameters, const std::string& directory,
            int showCommand) override;

 private:
  std::function<void*()> bookWindowHandle_;
};

// CopyFileA, CreateDirectoryA, the C runtime's binary streams, DeleteFileA.
class Win32Files : public Files {
 public:
  bool Copy(const std::string& source, const std::string& destination) override;
  bool CreateFolder(const std::string& path) override;
  bool Write(const std::string& path, const std::string& bytes) override;
  bool Remove(const std::string& path) override;
};

// FindFirstFileW / FindNextFileW.
class Win32FileSearch : public FileSearch {
 public:
  std::vector<Text> Find(const Text& pattern) override;
};

// GetDriveTypeA.
class Win32Drives : public Drives {
 public:
  int Type(const std::string& root) override;
};

// GetCommandLineW, split as the class library splits it.
class Win32Environment : public Environment {
 public:
  Text Argument1() override;
};

}  // namespace vellix
