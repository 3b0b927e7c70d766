#pragma once
// The application object of the Win32 shell: OLE initialisation, the message
// loop and its queue of deferred work, the application icon and title, the
// screen, the plain message box and the display of exceptions that escape
// event handlers.
#include <functional>
#include <memory>
#include <vector>

#include "os/Exception.h"
#include "os/Forms.h"
#include "os/Ports.h"
#include "text/Text.h"

struct HICON__;
struct HWND__;

namespace vellix::ui {

class Form;

// The one application object; see App().
class Application : public MainLoop, public ExceptionDisplay, public Messages, public Screen {
 public:
  Application();
  ~Application() override;
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // Initialises OLE for the GUI thread (once); throws Exception when it
  // cannot be.
  void Initialize();
  // The main form keeps its own task-bar button.
  void SetMainFormOnTaskBar(bool on);

  // Shows `main` as the process was asked to (maximised, minimised or as its
  // window state says), then handles messages until it has closed (Close, or
  // its window was destroyed). Deferred work still queued then is run.
  void Run(Form& main);
  Form* MainForm() const { return mainForm_; }
  // Ends the message loop.
  void Terminate();

  // MainLoop: runs `work` from the message loop, once the current message
  // has been handled; an exception it throws is shown.
  void Post(std::function<void()> work) override;
  // Runs the queued work now (from the application window's message, and at
  // the end of Run).
  void RunDeferred();
  // A hidden top-level window of the application, for deferred work and as a
  // parking place for windows whose teardown is deferred. Throws Exception
  // when it cannot be created.
  HWND__* Handle();

  Text Title() const;

  // Loads the application icon from an icon file; throws Exception when the
  // file holds no valid icon.
  void SetIcon(const Text& iconPath);
  // Takes ownership of `icon`; null keeps the executable's "MAINICON".
  void SetIcon(HICON__* icon);
  HICON__* Icon() const;
  HICON__* SmallIcon() const;

  // ExceptionDisplay: the error box with DisplayMessage(message), the title
  // as caption, an error icon, one OK; or OnException, when set (tests).
  void ShowException(const Text& message) override;
  std::function<void(const Text& message)> OnException;
  // Messages: the plain box, owned by the active window.
  void ShowMessage(const Text& text) override;
  // Screen: the primary display, task bar included.
  Size ScreenSize() override;

 private:
  friend class Form;
  void FormCreated(Form* form);
  void FormDestroyed(Form* form);
  void ApplyIcon(Form* form) const;

  struct Icons;
  std::unique_ptr<Icons> icons_;
  struct Window;
  std::unique_ptr<Window> window_;
  std::vector<std::function<void()>> deferred_;
  bool posted_ = false;  // a message for the queued work is on its way
  std::vector<Form*> forms_;  // every live form, for the icon
  Form* mainForm_ = nullptr;
  bool oleInitialized_ = false;
  bool mainFormOnTaskBar_ = false;
  bool terminated_ = false;
  mutable Text title_;
};

Application& App();

// Runs `handler` and shows any exception it throws instead of letting it pass
// (window procedures and COM methods must not throw).
template <class F>
void Guarded(F&& handler) noexcept {
  try {
    handler();
  } catch (...) {
    ShowCurrentException(App());
  }
}

}  // namespace vellix::ui
