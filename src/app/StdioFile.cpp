#include "app/StdioFile.h"

#include <climits>

namespace vellix {

namespace {

bool UsablePath(const std::string& path) { return !path.empty() && path.find('\0') == std::string::npos; }

}  // namespace

std::unique_ptr<StdioFile> StdioFile::Open(const std::string& path) {
  if (!UsablePath(path)) return nullptr;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return nullptr;
  return std::unique_ptr<StdioFile>(new StdioFile(f));
}

StdioFile::~StdioFile() { std::fclose(f_); }

std::optional<std::uint64_t> StdioFile::Length() {
  if (std::fseek(f_, 0, SEEK_END) != 0) return std::nullopt;
  long end = std::ftell(f_);
  if (end < 0) return std::nullopt;
  return static_cast<std::uint64_t>(end);
}

bool StdioFile::ReadAt(std::uint64_t offset, void* buffer, std::size_t count) {
  // fseek takes a long, which is 32 bits on Windows.
  if (offset > static_cast<std::uint64_t>(LONG_MAX)) return false;
  if (std::fseek(f_, static_cast<long>(offset), SEEK_SET) != 0) return false;
  if (count == 0) return true;
  return std::fread(buffer, 1, count, f_) == count;
}

bool WriteWholeFile(const std::string& path, const void* data, std::size_t size) {
  if (!UsablePath(path)) return false;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool written = size == 0 || std::fwrite(data, 1, size, f) == size;
  // fclose flushes the stream's buffer, so its result belongs to the write.
  bool closed = std::fclose(f) == 0;
  return written && closed;
}

}  // namespace vellix
