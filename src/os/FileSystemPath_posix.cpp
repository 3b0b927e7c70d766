#include "os/FileSystemPath.h"

#include <dirent.h>
#include <sys/stat.h>

#include <memory>
#include <vector>

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

// Whether `path` is where a file system is mounted (or the root of all):
// its folder ".." lies on another device, or is the folder itself.
bool IsMountPoint(const std::string& path) {
  struct stat here, above;
  if (stat(path.c_str(), &here) != 0 || stat((path + "/..").c_str(), &above) != 0) return false;
  return here.st_dev != above.st_dev || here.st_ino == above.st_ino;
}

std::string Join(bool absolute, const std::vector<std::string>& names) {
  std::string out = absolute ? "/" : "";
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i) out += '/';
    out += names[i];
  }
  return out;
}

}  // namespace

std::string FileSystemPath(const Text& path) {
  std::string utf8 = ToUtf8(path);
  if (utf8.empty()) return utf8;
  for (char& c : utf8)
    if (c == '\\') c = '/';
  const bool absolute = utf8[0] == '/';
  const bool trailing = utf8.size() > 1 && utf8.back() == '/';

  // Windows reads "." and ".." in the text itself, before it looks at any
  // folder: "a\..\b" is "b" whether "a" exists or not, and ".." of a
  // drive's root is that root. A mounted file system stands where Windows
  // has a drive, so ".." does not leave it either: a memo name cannot climb
  // off its medium, nor a book at the root of a disc off the disc. Doubled
  // separators count as one.
  std::vector<std::string> names;
  std::size_t at = absolute ? 1 : 0;
  while (at <= utf8.size()) {
    std::size_t end = utf8.find('/', at);
    if (end == std::string::npos) end = utf8.size();
    std::string name = utf8.substr(at, end - at);
    at = end + 1;
    if (name.empty() || name == ".") continue;
    if (name == "..") {
      if (!names.empty() && names.back() != "..") {
        if (!IsMountPoint(Join(absolute, names))) names.pop_back();
      } else if (!absolute) {
        names.push_back(name);  // a relative path may climb above its start
      }
      continue;
    }
    // Each name that does not exist as spelled is looked up in its folder.
    std::string folder = Join(absolute, names);
    std::string spelled = folder.empty() || folder.back() == '/' ? folder + name : folder + '/' + name;
    if (!Exists(spelled)) name = FindEntry(folder, name);
    names.push_back(name);
  }

  std::string out = Join(absolute, names);
  if (out.empty()) return ".";
  if (trailing && out.back() != '/') out += '/';
  return out;
}

}  // namespace vellix
