#pragma once
// The Linux implementations of the operating-system ports. Every ANSI path
// they are given is code page 949 text written for Windows: it is turned
// into the file's name on Linux by FileSystemPath ("\" becomes "/", each
// name is found without regard to letter case, UTF-8 on disk).
#include <string>
#include <vector>

#include "os/Ports.h"

namespace vellix {

// Files through POSIX calls.
class LinuxFiles : public Files {
 public:
  // The copy is written to a temporary file beside the destination and
  // renamed over it once complete, so a failed copy leaves the destination
  // as it was.
  bool Copy(const std::string& source, const std::string& destination) override;
  bool CreateFolder(const std::string& path) override;
  // The bytes are flushed to the medium before the file counts as written: a
  // memo stick is often pulled right after the book reports success.
  bool Write(const std::string& path, const std::string& bytes) override;
  bool Remove(const std::string& path) override;
};

// Whether `name` matches the Windows wildcard pattern `pattern` ("*" any run
// of characters, "?" exactly one), ASCII letters compared without regard to
// case. Characters are UTF-16 units, as in the wide Windows search.
bool MatchesWildcard(const Text& name, const Text& pattern);

// The wide directory search: `pattern` is "<folder>\<name pattern>".
class LinuxFileSearch : public FileSearch {
 public:
  std::vector<Text> Find(const Text& pattern) override;
};

}  // namespace vellix
