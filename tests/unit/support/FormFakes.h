#pragma once
// Recording fakes of what a shell gives the book window and the popups: the
// windows, the screen, the main loop, the exception display and the start-up
// steps. They write to the same journal as the command fakes.
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "app/Startup.h"
#include "book/VellixViewerMainFormUnit.h"
#include "commands/Fakes.h"
#include "os/Exception.h"
#include "popup/VellixViewerChildFormunit.h"

namespace vellix::testing {

inline std::string ShowBounds(const Bounds& b) {
  return std::to_string(b.left) + "," + std::to_string(b.top) + "," + std::to_string(b.width) + "x" +
         std::to_string(b.height);
}

inline const char* StateName(WindowState state) {
  switch (state) {
    case WindowState::Normal: return "normal";
    case WindowState::Maximized: return "maximized";
    case WindowState::Minimized: return "minimized";
  }
  return "?";
}

class FakeFormWindow : public FormWindow {
 public:
  FakeFormWindow(Journal& journal, std::string name, Size outer) : size(outer), journal_(journal), name_(std::move(name)) {}
  void SetCaption(const Text& caption) override { Log(".caption=" + ShowText(caption)); }
  void SetBounds(const Bounds& b) override {
    Log(".bounds=" + ShowBounds(b));
    size = Size{b.width, b.height};
  }
  Size OuterSize() const override { return size; }
  void SetWindowState(WindowState state) override {
    Log(std::string(".state=") + StateName(state));
    this->state = state;
  }
  void Show() override {
    if (visible) return;
    if (OnShow) OnShow();
    Log(".show");
    visible = true;
  }
  void Hide() override {
    Log(".hide");
    visible = false;
  }
  void Close() override { Log(".close"); }
  void BringToFront(int delayMs) override { Log(".bring-to-front after " + std::to_string(delayMs) + " ms"); }

  // What the shell does for the reader.
  void TypeKey(char16_t key) {
    if (OnKeyPress) OnKeyPress(key);
  }
  void PressCloseButton() {
    if (OnCloseRequest)
      OnCloseRequest();
    else
      Close();
  }

  Size size;
  WindowState state = WindowState::Normal;
  bool visible = false;

 private:
  void Log(const std::string& what) { journal_.push_back(name_ + what); }
  Journal& journal_;
  std::string name_;
};

// Posted work waits until the test lets the loop run.
class FakeLoop : public MainLoop {
 public:
  void Post(std::function<void()> work) override { queue.push_back(std::move(work)); }
  // Runs what is queued now, and what that queues, until nothing is left.
  void RunPosted() {
    while (!queue.empty()) {
      auto work = std::move(queue.front());
      queue.pop_front();
      work();
    }
  }
  std::deque<std::function<void()>> queue;
};

class FakeScreen : public Screen {
 public:
  Size ScreenSize() override { return size; }
  Size size{1024, 768};
};

class FakeExceptions : public ExceptionDisplay {
 public:
  explicit FakeExceptions(Journal& journal) : journal_(journal) {}
  void ShowException(const Text& message) override { journal_.push_back("exception " + ShowText(message)); }

 private:
  Journal& journal_;
};

// A popup window: "popupN" and its control "popupN.flash".
class FakeChildWindow : public ChildWindow {
 public:
  FakeChildWindow(Journal& journal, const std::string& name, int* alive)
      : form(journal, name, Size{551, 405}), flash(journal, name + ".flash"), alive_(alive) {
    ++*alive_;
  }
  ~FakeChildWindow() override { --*alive_; }
  FakeFormWindow& Form() override { return form; }
  FakeFlash& Flash() override { return flash; }

  FakeFormWindow form;
  FakeFlash flash;

 private:
  int* alive_;
};

// The book window "book" with its control "movie" and dialogs; it builds the
// popups and keeps a pointer to each, so tests can act on them.
class FakePlayerWindow : public PlayerWindow {
 public:
  explicit FakePlayerWindow(Journal& journal)
      : form(journal, "book", Size{816, 638}),
        flash(journal, "movie"),
        img(journal, "img", Text()),
        file(journal, "file", Text()),
        open(journal, "open", Text()),
        journal_(journal) {}
  FakeFormWindow& Form() override { return form; }
  FakeFlash& Flash() override { return flash; }
  FileDialog& ImgSaveDialog() override { return img; }
  FileDialog& FileSaveDialog() override { return file; }
  FileDialog& FileOpenDialog() override { return open; }
  std::unique_ptr<ChildWindow> CreateChildWindow(const FormDescription& form,
                                                const PanelDescription& panel) override {
    const std::string name = "popup" + std::to_string(popups.size() + 1);
    journal_.push_back(name + " created: " + std::to_string(form.clientWidth) + "x" +
                       std::to_string(form.clientHeight) + " " + StateName(form.windowState) +
                       (form.borderStyle == BorderStyle::Single ? " single" : " sizeable") +
                       (form.borderIcons.minimize || form.borderIcons.maximize ? " min/max" : " close only") +
                       (panel.color == clInfoText ? " info-text panel" : " other panel"));
    auto window = std::make_unique<FakeChildWindow>(journal_, name, &popupsAlive);
    popups.push_back(window.get());
    return window;
  }

  FakeFormWindow form;
  FakeFlash flash;
  FakeSaveDialog img;
  FakeSaveDialog file;
  FakeSaveDialog open;
  std::vector<FakeChildWindow*> popups;  // every one made; check popupsAlive first
  int popupsAlive = 0;

 private:
  Journal& journal_;
};

// Every port of the book window, wired to one journal.
struct FakeBook {
  PlayerFormPorts Ports() {
    return PlayerFormPorts{screen, loop, exceptions, world.shell, world.messages, world.files,
                           world.search, world.drives, world.environment};
  }

  FakeWorld world;
  Journal& journal = world.journal;
  FakeScreen screen;
  FakeLoop loop;
  FakeExceptions exceptions{world.journal};
  FakePlayerWindow window{world.journal};
};

// The start-up steps, journaled; the book window it builds is `window`.
class FakeStartup : public StartupShell {
 public:
  FakeStartup(Journal& journal, std::unique_ptr<FakePlayerWindow> window)
      : journal_(journal), window_(std::move(window)) {}
  bool FileExists(const Text& path) override { return path == existingFile; }
  void SetIconFromFile(const Text& path) override {
    journal_.push_back("icon from file " + ShowText(path));
    if (iconInvalid) throw Exception(u"no valid icon");
  }
  void SetIconOfFileType(const Text& path) override { journal_.push_back("icon of file type " + ShowText(path)); }
  void Initialize() override { journal_.push_back("initialize"); }
  void SetMainFormOnTaskBar(bool on) override { journal_.push_back(on ? "task bar on" : "task bar off"); }
  std::unique_ptr<PlayerWindow> CreatePlayerWindow(const FormDescription& form) override {
    journal_.push_back("book window created: " + ShowText(form.caption) + " " + std::to_string(form.clientWidth) +
                       "x" + std::to_string(form.clientHeight));
    if (controlMissing) throw Exception(u"Class not registered");
    created = window_.get();
    return std::move(window_);
  }
  void Run(FormWindow& main) override {
    journal_.push_back("run");
    main.Show();
    if (duringRun) duringRun();
    journal_.push_back("loop ended");
  }

  Text existingFile;
  bool iconInvalid = false;
  bool controlMissing = false;
  std::function<void()> duringRun;
  FakePlayerWindow* created = nullptr;

 private:
  Journal& journal_;
  std::unique_ptr<FakePlayerWindow> window_;
};

}  // namespace vellix::testing
