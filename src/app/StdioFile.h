#pragma once
// Byte-mode files through the C runtime. Paths are the bytes fopen takes: the
// ANSI code page on Windows, the file system's own bytes natively.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "app/InstallerTrailer.h"

namespace vellix {

// A file opened for reading ("rb"); closed when destroyed.
class StdioFile : public ReadableFile {
 public:
  // Null when the file cannot be opened.
  static std::unique_ptr<StdioFile> Open(const std::string& path);
  ~StdioFile() override;
  StdioFile(const StdioFile&) = delete;
  StdioFile& operator=(const StdioFile&) = delete;

  std::optional<std::uint64_t> Length() override;
  bool ReadAt(std::uint64_t offset, void* buffer, std::size_t count) override;

 private:
  explicit StdioFile(std::FILE* f) : f_(f) {}
  std::FILE* f_;
};

// Creates `path` or empties it ("wb"), writes all `size` bytes and closes it;
// false unless every step succeeded. A file left behind by a failure may be
// partial: the caller decides what to do with it.
bool WriteWholeFile(const std::string& path, const void* data, std::size_t size);

}  // namespace vellix
