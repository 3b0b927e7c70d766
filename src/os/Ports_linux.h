#pragma once
// The Linux implementations of the operating-system ports. Every ANSI path
// they are given is code page 949 text written for Windows: it is turned
// into the file's name on Linux by FileSystemPath ("\" becomes "/", each
// name is found without regard to letter case, UTF-8 on disk).
//
// This header includes no GLib: GioShell's effects sit behind ShellLauncher.
#include <memory>
#include <string>
#include <utility>
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

// The current user's name, as the desktop names its media folders; empty
// when the user has no entry in the password database.
std::string CurrentUserName();

// Removable media are the mounts that the desktop made under
// /media/<user>/ or /run/media/<user>/ and the mounts of block devices that
// the kernel reports removable. The mount table is read anew on every call.
class LinuxDrives : public Drives {
 public:
  explicit LinuxDrives(std::string mountInfo = "/proc/self/mountinfo", std::string sysClassBlock = "/sys/class/block",
                       std::string userName = CurrentUserName());
  // The mount points of the removable media, each ending in "/", sorted by
  // their path.
  std::vector<Text> Roots() override;
  // kRemovable for a root that Roots() lists (with or without its final
  // "/"), 1 (no such root) for anything else.
  int Type(const std::string& root) override;

 private:
  std::string mountInfo_;
  std::string sysClassBlock_;
  std::string userName_;
};

// The viewer's own command line: vellix-viewer <path> [argument].
class LinuxEnvironment : public Environment {
 public:
  explicit LinuxEnvironment(Text argument1 = Text()) : argument1_(std::move(argument1)) {}
  // argv[2] when present (taken as UTF-8), else empty.
  static LinuxEnvironment FromCommandLine(int argc, const char* const* argv);
  Text Argument1() override { return argument1_; }

 private:
  Text argument1_;
};

// What one shell open comes to on Linux.
struct ShellAction {
  enum class Kind {
    Nothing,       // not an address, no such file: silent, as on Windows
    OpenAddress,   // `target` is a URI for the desktop's default handler
    OpenFile,      // `target` is the native path of an existing file or folder
    StartProgram,  // `argv` run in `folder` (a Windows program under wine)
  };
  Kind kind = Kind::Nothing;
  std::string target;
  std::vector<std::string> argv;
  std::string folder;
};

// The decision of GioShell::Open, without any effect but looking at files.
// `file` and `parameters` are the texts the core passes (already converted
// from the code page); `bookFolder` resolves relative names; `wine` is the
// path of the wine program, empty when it is not installed.
ShellAction DecideShellOpen(const Text& file, const Text& parameters, const Text& bookFolder,
                            const std::string& wine);

// The desktop's side of a shell open: the effects GioShell decides on.
class ShellLauncher {
 public:
  virtual ~ShellLauncher() = default;
  virtual void OpenUri(const std::string& uri) = 0;
  // `path` is an absolute native path.
  virtual void OpenFile(const std::string& path) = 0;
  virtual void Spawn(const std::vector<std::string>& argv, const std::string& folder) = 0;
  // The full path of the program `name` on PATH; empty when there is none.
  virtual std::string FindProgram(const std::string& name) = 0;
};

// GIO's default handlers and GLib's process spawning. Every failure is
// silent: nothing is reported, nothing waits.
class GioLauncher : public ShellLauncher {
 public:
  void OpenUri(const std::string& uri) override;
  void OpenFile(const std::string& path) override;
  void Spawn(const std::vector<std::string>& argv, const std::string& folder) override;
  std::string FindProgram(const std::string& name) override;
};

// The shell's "open" verb on Linux. `bookFolder` is the book's folder
// (BookPaths::folder): relative file texts are found there, as the Windows
// viewer finds them in its working folder.
class GioShell : public Shell {
 public:
  explicit GioShell(Text bookFolder, std::unique_ptr<ShellLauncher> launcher = std::make_unique<GioLauncher>());
  // The owner window and the show command mean nothing to the desktop's
  // default handlers, and the core never names a working folder: the three
  // are not used.
  void Open(ShellOwner owner, const std::string& file, const std::string& parameters, const std::string& directory,
            int showCommand) override;

 private:
  Text bookFolder_;
  std::unique_ptr<ShellLauncher> launcher_;
};

}  // namespace vellix
