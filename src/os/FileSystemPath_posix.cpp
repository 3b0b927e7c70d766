#include "os/FileSystemPath.h"

#include <dirent.h>
#include <sys/stat.h>

#include <memory>

namespace vellix {

namespace {

bool Exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

// ASCII letters only: the case rules of other scripts differ between
// systems, and the names books use are Latin.
bool SameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
    if (x != y) return false;
  }
  return true;
}

// The entry of `folder` named `name` without regard to case; `name` itself
// when there is none (or several would do, the first in directory order).
std::string FindEntry(const std::string& folder, const std::string& name) {
  std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.empty() ? "." : folder.c_str()), closedir);
  if (!dir) return name;
  while (dirent* entry = readdir(dir.get())) {
    if (SameIgnoringCase(entry->d_name, name)) return entry->d_name;
  }
  return name;
}

}  // namespace

std::string FileSystemPath(const Text& path) {
  std::string utf8 = ToUtf8(path);
  for (char& c : utf8)
    if (c == '\\') c = '/';
  // Walk the components; "." and ".." and empty ones (doubled separators)
  // are kept as they stand.
  std::string out;
  std::size_t at = 0;
  if (!utf8.empty() && utf8[0] == '/') {
    out = "/";
    at = 1;
  }
  while (at <= utf8.size()) {
    std::size_t end = utf8.find('/', at);
    if (end == std::string::npos) end = utf8.size();
    std::string name = utf8.substr(at, end - at);
    if (!name.empty() && name != "." && name != "..") {
      std::string spelled = out + name;
      if (!Exists(spelled)) name = FindEntry(out.empty() ? std::string() : out, name);
    }
    out += name;
    if (end < utf8.size()) out += '/';
    at = end + 1;
  }
  return out;
}

}  // namespace vellix
