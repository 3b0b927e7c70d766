#pragma once
// The installer's files on Windows: the system directory, the temporary
// folder, the running executable and the extracted installer.
#include "app/RuntimeCheck.h"

namespace vellix {

class WinInstallerFiles : public InstallerFiles {
 public:
  std::string SystemDirectory() override;
  void CreateFolder(const std::string& path) override;
  Text ExecutablePath() override;
  std::unique_ptr<ReadableFile> OpenForReading(const std::string& path) override;
  bool WriteWholeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) override;
  bool Remove(const std::string& path) override;
};

}  // namespace vellix
