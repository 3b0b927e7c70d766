#pragma once
// The application object: OLE initialisation, the main form and the message
// loop, the application icon and title, and the display of exceptions that
// escape event handlers.
#include <exception>
#include <functional>
#include <memory>
#include <vector>

#include "text/Text.h"
#include "ui/Form.h"

struct HICON__;
struct HWND__;

namespace vellix::ui {

// The title the application gets from its executable path: the file name cut
// at its first dot, every letter after the first lower-cased
// ("D:\Books\SAMPLE.EXE" gives "Sample").
Text DefaultTitle(const Text& executablePath);

// The one application object; see App().
class Application {
 public:
  Application();
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // Initialises OLE for the GUI thread (once).
  void Initialize();
  // The main form keeps its own task-bar button.
  void SetMainFormOnTaskBar(bool on);
  bool MainFormOnTaskBar() const { return mainFormOnTaskBar_; }

  // Constructs a T (its components and handlers), stores it in `ref`, and only
  // then runs its OnCreate, so that handlers may already use `ref`. The first
  // form created becomes the main form. The application deletes its forms
  // when Run ends.
  template <class T>
  void CreateForm(T*& ref) {
    T* form = new T();
    Adopt(form);
    ref = form;
    form->DoCreate();
  }
  Form* MainForm() const { return mainForm_; }

  // Shows the main form as the process was asked to (maximised, minimised or
  // as its window state says), handles messages until the main form has
  // closed, then deletes the forms.
  void Run();
  // Ends the message loop.
  void Terminate();
  bool Terminated() const { return terminated_; }

  // Runs `work` from the message loop, once the current message has been
  // handled; an exception it throws is shown.
  void Defer(std::function<void()> work);
  void RunDeferred();  // the queued work, run from the application window
  // A hidden top-level window of the application, for deferred work and as a
  // parking place for windows whose teardown is deferred.
  HWND__* Handle();

  Text Title() const;

  // Loads the application icon from an icon file; throws Exception when the
  // file holds no valid icon.
  void SetIcon(const Text& iconPath);
  // Takes ownership of `icon`; null keeps the executable's "MAINICON".
  void SetIcon(HICON__* icon);
  HICON__* Icon() const;
  HICON__* SmallIcon() const;

  // The error box: the message (with a full stop appended, see
  // DisplayMessage), the title as caption, an error icon, one OK. Exceptions
  // of other types are shown with an empty message.
  void ShowException(const std::exception& error);
  void ShowException(const Text& message);

  // Called for every exception that escapes an event handler; goes to
  // OnException when set, else to ShowException. Never throws.
  void HandleException(const std::exception& error) noexcept;
  void HandleCurrentException() noexcept;  // inside a catch block
  std::function<void(const std::exception&)> OnException;

 private:
  friend class Form;
  void Adopt(Form* form);
  void FormCreated(Form* form);
  void FormDestroyed(Form* form);
  void DeleteForms();
  void ApplyIcon(Form* form) const;

  struct Icons;
  std::unique_ptr<Icons> icons_;
  HWND__* handle_ = nullptr;
  std::vector<std::function<void()>> deferred_;
  std::vector<Form*> forms_;      // every live form, for icon and repaint
  std::vector<Form*> appForms_;   // forms made by CreateForm, deleted by Run
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
    App().HandleCurrentException();
  }
}

}  // namespace vellix::ui
