#pragma once
// Recording fakes of the command ports. Every call that has an effect is
// written, in order, to one shared journal as one readable line; results are
// scripted through public fields. ANSI bytes appear with non-ASCII and control
// bytes as \xNN (\r and \n spelled so), UTF-16 texts as UTF-8.
#include <cstdio>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "book/BookPaths.h"
#include "commands/CommandPorts.h"
#include "flash/ShockwaveFlash.h"
#include "os/Forms.h"
#include "text/CodePage.h"

namespace vellix::testing {

inline std::string Escape(const std::string& s, bool keepHighBytes) {
  std::string out;
  for (unsigned char c : s) {
    if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c < 0x20 || c == 0x7F || (c >= 0x80 && !keepHighBytes)) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", c);
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}
inline std::string ShowBytes(const std::string& ansi) { return Escape(ansi, false); }
inline std::string ShowText(const Text& text) { return Escape(ToUtf8(text), true); }

using Journal = std::vector<std::string>;

class FakeBookWindow : public BookWindow {
 public:
  explicit FakeBookWindow(Journal& journal) : journal_(journal) {}
  void Maximize() override { journal_.push_back("window.maximize"); }
  void Close() override { journal_.push_back("window.close"); }
  void BringToFront() override { journal_.push_back("window.bring-to-front"); }

 private:
  Journal& journal_;
};

// The Flash control: movies, variables, focus and destruction are journaled
// with the control's name; FSCommands are raised with Fire.
class FakeFlash : public TShockwaveFlash {
 public:
  FakeFlash(Journal& journal, std::string name = "movie") : journal_(journal), name_(std::move(name)) {}
  void SetMovie(const Text& movie) override {
    if (destroyed_) return;
    if (refuseMovies) throw std::runtime_error("the control refuses the movie");
    journal_.push_back(name_ + ".movie=" + ShowText(movie));
  }
  void SetVariable(const Text& name, const Text& value) override {
    if (destroyed_) return;
    journal_.push_back(Prefix() + "setvar " + ShowText(name) + "=" + ShowText(value));
  }
  void SetFocus() override { journal_.push_back(name_ + ".focus"); }
  void Destroy() override {
    journal_.push_back(name_ + ".destroy" + (inEvent_ ? " (inside its event)" : ""));
    destroyed_ = true;
  }
  bool Destroyed() const override { return destroyed_; }
  Bounds ControlBounds() const override { return bounds; }
  void SetControlBounds(const Bounds& b) override {
    journal_.push_back(name_ + ".bounds=" + std::to_string(b.left) + "," + std::to_string(b.top) + "," +
                       std::to_string(b.width) + "x" + std::to_string(b.height));
    bounds = b;
  }

  // Raises the control's FSCommand event, as the control does.
  void Fire(const Text& command, const Text& args) {
    if (!OnFSCommand) return;
    inEvent_ = true;
    OnFSCommand(command, args);
    inEvent_ = false;
  }

  Bounds bounds{0, 0, 545, 376};
  bool refuseMovies = false;

 private:
  // The book's control journals variables as "setvar", popups with a name.
  std::string Prefix() const { return name_ == "movie" ? "" : name_ + "."; }
  Journal& journal_;
  std::string name_;
  bool destroyed_ = false;
  bool inEvent_ = false;
};

class FakePopupOpener : public PopupOpener {
 public:
  explicit FakePopupOpener(Journal& journal) : journal_(journal) {}
  void ShowPopUpForm(const Text& args) override { journal_.push_back("popup " + ShowText(args)); }

 private:
  Journal& journal_;
};

class FakeShell : public Shell {
 public:
  explicit FakeShell(Journal& journal) : journal_(journal) {}
  void Open(ShellOwner owner, const std::string& file, const std::string& parameters, const std::string& directory,
            int showCommand) override {
    journal_.push_back(std::string("shell.open owner=") + (owner == ShellOwner::BookWindow ? "book" : "none") +
                       " file=" + ShowBytes(file) + " params=" + ShowBytes(parameters) + " dir=" +
                       ShowBytes(directory) + " show=" + std::to_string(showCommand));
  }

 private:
  Journal& journal_;
};

class FakeSaveDialog : public FileDialog {
 public:
  FakeSaveDialog(Journal& journal, std::string name, Text initialFilter)
      : journal_(journal), name_(std::move(name)), filter_(std::move(initialFilter)) {}
  void SetFilter(const Text& filter) override {
    filter_ = filter;
    journal_.push_back("dialog[" + name_ + "].filter=" + ShowText(filter));
  }
  Text Filter() const override { return filter_; }
  void SetFileName(const Text& name) override {
    fileName_ = name;
    journal_.push_back("dialog[" + name_ + "].filename=" + ShowText(name));
  }
  // The dialog shows the filter it holds at that moment.
  bool Execute() override {
    journal_.push_back("dialog[" + name_ + "].execute filter=" + ShowText(filter_) + " -> " +
                       (confirm ? "ok" : "cancel"));
    if (confirm) fileName_ = chosen;
    return confirm;
  }
  Text FileName() const override { return fileName_; }

  bool confirm = true;
  Text chosen = u"C:\\Saved\\copy";

 private:
  Journal& journal_;
  std::string name_;
  Text filter_;
  Text fileName_;
};

class FakeMessages : public Messages {
 public:
  explicit FakeMessages(Journal& journal) : journal_(journal) {}
  void ShowMessage(const Text& text) override { journal_.push_back("message " + ShowText(text)); }

 private:
  Journal& journal_;
};

// Keeps the files it writes, so tests can look at their bytes.
class FakeFiles : public Files {
 public:
  explicit FakeFiles(Journal& journal) : journal_(journal) {}
  bool Copy(const std::string& source, const std::string& destination) override {
    journal_.push_back("files.copy " + ShowBytes(source) + " -> " + ShowBytes(destination) +
                       (copySucceeds ? "" : " (fails)"));
    return copySucceeds;
  }
  bool CreateFolder(const std::string& path) override {
    journal_.push_back("files.mkdir " + ShowBytes(path));
    return true;
  }
  // A failing write leaves the file as it was, as the ports promise.
  bool Write(const std::string& path, const std::string& bytes) override {
    bool fails = writesFail || failingWrites.count(path) > 0;
    journal_.push_back("files.write " + ShowBytes(path) + " [" + ShowBytes(bytes) + "]" + (fails ? " (fails)" : ""));
    if (!fails) contents[path] = bytes;
    return !fails;
  }
  bool Remove(const std::string& path) override {
    journal_.push_back("files.remove " + ShowBytes(path));
    return contents.erase(path) > 0;
  }

  bool copySucceeds = true;
  bool writesFail = false;
  std::set<std::string> failingWrites;  // or only these paths
  std::map<std::string, std::string> contents;

 private:
  Journal& journal_;
};

class FakeFileSearch : public FileSearch {
 public:
  explicit FakeFileSearch(Journal& journal) : journal_(journal) {}
  std::vector<Text> Find(const Text& pattern) override {
    journal_.push_back("search " + ShowText(pattern));
    auto found = entries.find(pattern);
    return found == entries.end() ? std::vector<Text>() : found->second;
  }

  std::map<Text, std::vector<Text>> entries;  // per pattern, in search order

 private:
  Journal& journal_;
};

// Drive queries are not journaled (there are up to 24 per request); the
// roots asked are kept apart.
class FakeDrives : public Drives {
 public:
  std::vector<Text> Roots() override { return mounts.empty() ? Drives::Roots() : mounts; }
  int Type(const std::string& root) override {
    asked.push_back(root);
    auto found = types.find(root);
    return found == types.end() ? 1 /* DRIVE_NO_ROOT_DIR */ : found->second;
  }

  std::map<std::string, int> types;  // root ("E:\") -> drive type
  std::vector<Text> mounts;          // roots of a system without drive letters
  std::vector<std::string> asked;
};

class FakeEnvironment : public Environment {
 public:
  Text Argument1() override { return argument1; }

  Text argument1;
};

// Every fake, wired together: C: and D: fixed, E: and F: removable.
struct FakeWorld {
  FakeWorld() {
    drives.types = {{"C:\\", 3}, {"D:\\", 3}, {"E:\\", Drives::kRemovable}, {"F:\\", Drives::kRemovable}};
  }
  // The ports, with the book's paths derived from `executable` now.
  CommandPorts Ports() {
    book = MakeBookPaths(executable);
    return CommandPorts{book, window, movie, popups, shell, imgSaveDialog, fileSaveDialog,
                        messages, files, search, drives, environment};
  }

  Text executable = u"D:\\Books\\Sample.exe";
  BookPaths book;
  Journal journal;
  FakeBookWindow window{journal};
  FakeFlash movie{journal};
  FakePopupOpener popups{journal};
  FakeShell shell{journal};
  FakeSaveDialog imgSaveDialog{journal, "img", u"ImageFile|*.jpg;*.bmp"};
  FakeSaveDialog fileSaveDialog{journal, "file", u"PDF 파일|*.pdf"};
  FakeMessages messages{journal};
  FakeFiles files{journal};
  FakeFileSearch search{journal};
  FakeDrives drives;
  FakeEnvironment environment;
};

}  // namespace vellix::testing
