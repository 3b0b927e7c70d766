#include "os/Ports_win.h"

#include <windows.h>

#include <cstdio>

namespace vellix {

bool Win32Files::Copy(const std::string& source, const std::string& destination) {
  return CopyFileA(source.c_str(), destination.c_str(), FALSE) != FALSE;
}

bool Win32Files::CreateFolder(const std::string& path) { return CreateDirectoryA(path.c_str(), nullptr) != FALSE; }

bool Win32Files::Write(const std::string& path, const std::string& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  bool written = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  bool closed = std::fclose(file) == 0;
  return written && closed;
}

bool Win32Files::Remove(const std::string& path) { return DeleteFileA(path.c_str()) != FALSE; }

}  // namespace vellix
