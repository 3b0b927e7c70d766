#pragma once
// What the core needs from the system outside it: one small interface per
// concern. Each shell implements them; tests use fakes that record every
// call. Texts are UTF-16; std::string parameters carry bytes in
// the system's ANSI code page, exactly as the 8-bit Windows calls take them.
#include <string>
#include <vector>

#include "text/Text.h"

namespace vellix {

// Which window owns what the shell opens.
enum class ShellOwner { None, BookWindow };

// The shell's execute call with the verb "open". Failures are not reported.
class Shell {
 public:
  virtual ~Shell() = default;
  virtual void Open(ShellOwner owner, const std::string& file, const std::string& parameters,
                    const std::string& directory, int showCommand) = 0;
};

// One open or save dialog of a form. The dialog keeps its filter from one use
// to the next; its file name is preset before each use.
class FileDialog {
 public:
  virtual ~FileDialog() = default;
  virtual void SetFilter(const Text& filter) = 0;
  virtual Text Filter() const = 0;
  virtual void SetFileName(const Text& name) = 0;
  // Runs the dialog modally; true when the reader confirmed a file.
  virtual bool Execute() = 0;
  virtual Text FileName() const = 0;
};

// The plain message box: text, application title, one OK button.
class Messages {
 public:
  virtual ~Messages() = default;
  virtual void ShowMessage(const Text& text) = 0;
};

// File operations on ANSI paths.
class Files {
 public:
  virtual ~Files() = default;
  // Copies, replacing a file already at `destination`.
  virtual bool Copy(const std::string& source, const std::string& destination) = 0;
  // One level only.
  virtual bool CreateFolder(const std::string& path) = 0;
  // Replaces the file (or creates it) with exactly `bytes` (binary), as a
  // whole: when anything fails the file is as it was, an earlier memo of the
  // same name included, and false is returned.
  virtual bool Write(const std::string& path, const std::string& bytes) = 0;
  virtual bool Remove(const std::string& path) = 0;
};

// The wide-character directory search.
class FileSearch {
 public:
  virtual ~FileSearch() = default;
  // Names of the entries matching `pattern` (folders and hidden entries
  // included), in the order the system returns them, without "." and "..".
  virtual std::vector<Text> Find(const Text& pattern) = 0;
};

// Drive letter roots from "C:\" to "Z:\", in alphabetical order: A: and B:
// are never tried.
std::vector<Text> DriveLetterRoots();

// Drive types, as GetDriveTypeA reports them.
class Drives {
 public:
  static constexpr int kRemovable = 2;
  virtual ~Drives() = default;
  // The roots to try, in order, each ending in its file system's separator.
  // Windows has the drive letters; another system may list its mounts.
  virtual std::vector<Text> Roots() { return DriveLetterRoots(); }
  virtual int Type(const std::string& root) = 0;
};

// The running program's command line.
class Environment {
 public:
  virtual ~Environment() = default;
  // The first argument after the program; empty when there is none.
  virtual Text Argument1() = 0;
};

}  // namespace vellix
