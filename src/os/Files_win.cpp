// Ports.h first: <windows.h> turns CopyFile and CreateDirectory into macros.
#include "os/Ports_win.h"

#include <windows.h>
#undef CopyFile
#undef CreateDirectory

#include <cstdio>

namespace vellix {

bool Win32Files::CopyFile(const std::string& source, const std::string& destination) {
  return CopyFileA(source.c_str(), destination.c_str(), FALSE) != FALSE;
}

bool Win32Files::CreateDirectory(const std::string& path) { return CreateDirectoryA(path.c_str(), nullptr) != FALSE; }

bool Win32Files::WriteFile(const std::string& path, const std::string& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  bool written = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  bool closed = std::fclose(file) == 0;
  return written && closed;
}

bool Win32Files::RemoveFile(const std::string& path) { return DeleteFileA(path.c_str()) != FALSE; }

}  // namespace vellix
