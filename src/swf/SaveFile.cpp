#include "swf/SaveFile.h"

#include <fstream>
#include <system_error>

namespace vellix::swf {

bool SaveFile(const std::filesystem::path& path, const std::string& bytes, std::string& error) {
  std::error_code ec;
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), ec);
  std::filesystem::path partial = path;
  partial += ".partial";
  {
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      std::filesystem::remove(partial, ec);
      error = "cannot write " + partial.u8string();
      return false;
    }
  }
  std::filesystem::rename(partial, path, ec);
  if (ec) {
    std::filesystem::remove(partial, ec);
    error = "cannot write " + path.u8string();
    return false;
  }
  return true;
}

}  // namespace vellix::swf
