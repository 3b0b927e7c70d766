#include <dirent.h>

#include <memory>

#include "os/FileSystemPath.h"
#include "os/Ports_linux.h"

namespace vellix {
namespace {

char16_t FoldAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

}  // namespace

bool MatchesWildcard(const Text& name, const Text& pattern) {
  // Left to right; on a mismatch the last "*" takes one more character.
  std::size_t n = 0, p = 0;
  std::size_t starAt = Text::npos, starName = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == u'*') {
      starAt = p++;
      starName = n;
    } else if (p < pattern.size() && (pattern[p] == u'?' || FoldAscii(pattern[p]) == FoldAscii(name[n]))) {
      ++p;
      ++n;
    } else if (starAt != Text::npos) {
      p = starAt + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == u'*') ++p;
  return p == pattern.size();
}

std::vector<Text> LinuxFileSearch::Find(const Text& pattern) {
  std::vector<Text> names;
  std::size_t cut = pattern.find_last_of(u"\\/");
  Text folder = cut == Text::npos ? Text(u".") : pattern.substr(0, cut + 1);
  Text namePattern = cut == Text::npos ? pattern : pattern.substr(cut + 1);
  std::string path = FileSystemPath(folder);
  if (path.find('\0') != std::string::npos) return names;

  std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(path.c_str()), closedir);
  if (!dir) return names;
  // Every kind of entry, in the order the file system keeps them.
  while (dirent* entry = readdir(dir.get())) {
    Text name = FromUtf8(entry->d_name);
    if (name == u"." || name == u"..") continue;
    if (MatchesWildcard(name, namePattern)) names.push_back(name);
  }
  return names;
}

}  // namespace vellix
