#pragma once
// A fresh folder under the system's temporary folder, removed with everything
// in it when the test ends.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <system_error>

namespace vellix {

class TempFolder {
 public:
  TempFolder() {
    std::random_device seed;
    std::mt19937 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
      path_ = std::filesystem::temp_directory_path() / ("vellix-app-" + std::to_string(random()));
      std::error_code ec;
      if (std::filesystem::create_directory(path_, ec)) return;
    }
    ADD_FAILURE() << "no temporary folder";
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }

  // Writes `bytes` to `name` in the folder and returns the path as fopen takes it.
  std::string Write(const std::string& name, const std::string& bytes) const {
    std::filesystem::path p = path_ / name;
    std::ofstream out(p, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return p.string();
  }

 private:
  std::filesystem::path path_;
};

}  // namespace vellix
