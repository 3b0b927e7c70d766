#pragma once
// A folder of its own for one test, removed with everything in it at the end.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "text/Text.h"

namespace vellix::testing {

class TempFolder {
 public:
  TempFolder() {
    std::random_device rd;
    path_ = std::filesystem::temp_directory_path() / ("vellix-test-" + std::to_string(rd()) + std::to_string(rd()));
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ec;
    // Read-only entries left by a test would stop the removal on Windows.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
      std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }

  // The path of `name` in the folder as a program text, with the system's
  // separator ("\\" on Windows); `name` may use "\\" there for subfolders.
  Text TextPath(const Text& name = Text()) const {
    Text folder = FromUtf8(path_.u8string());
    return name.empty() ? folder : folder + kSeparator + name;
  }

  // Writes `bytes` to the file `name` inside the folder; returns its path.
  std::filesystem::path Write(const std::string& name, const std::string& bytes) const {
    auto p = path_ / name;
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return p;
  }

  static std::string Read(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

 private:
#ifdef _WIN32
  static constexpr char16_t kSeparator = u'\\';
#else
  static constexpr char16_t kSeparator = u'/';
#endif
  std::filesystem::path path_;
};

}  // namespace vellix::testing
