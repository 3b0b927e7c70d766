#include "os/Ports_win.h"

#include <windows.h>

#include <cstdio>

namespace vellix {

bool Win32Files::Copy(const std::string& source, const std::string& destination) {
  return CopyFileA(source.c_str(), destination.c_str(), FALSE) != FALSE;
}

bool Win32Files::CreateFolder(const std::string& path) { return CreateDirectoryA(path.c_str(), nullptr) != FALSE; }

bool Win32Files::Write(const std::string& path, const std::string& bytes) {
  // The new content goes to a file beside the old one first and takes its
  // place only once it is complete.
  if (path.empty() || path.back() == '\\') return false;
  // A read-only file is not written, as opening it for writing would refuse.
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
    return false;
  const std::string temporary = path + ".vellix-new";
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
  if (!file) return false;
  bool written = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  bool closed = std::fclose(file) == 0;
  bool replaced = written && closed &&
                  MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!replaced) DeleteFileA(temporary.c_str());
  return replaced;
}

bool Win32Files::Remove(const std::string& path) { return DeleteFileA(path.c_str()) != FALSE; }

}  // namespace vellix
