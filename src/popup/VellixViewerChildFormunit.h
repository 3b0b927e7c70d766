#pragma once
// A popup page window: a further movie of the book, opened at the movie's
// request and owned by the book window. It plays its movie over its whole
// client area, closes on its movie's "function_close", on Enter or by its
// close button, and hands every other command of its movie to the shell.
#include <functional>
#include <memory>

#include "flash/ShockwaveFlash.h"
#include "os/Forms.h"
#include "os/Ports.h"

namespace vellix {

// The window a shell builds for a popup: the form, its back panel and the
// Flash control inside the panel.
class ChildWindow {
 public:
  virtual ~ChildWindow() = default;
  virtual FormWindow& Form() = 0;
  virtual TShockwaveFlash& Flash() = 0;
};

// Builds popup windows owned by the book window.
class ChildWindows {
 public:
  virtual ~ChildWindows() = default;
  // The window is hidden until shown. Throws Exception when it or its control
  // cannot be created.
  virtual std::unique_ptr<ChildWindow> CreateChildWindow(const FormDescription& form,
                                                        const PanelDescription& backPanel) = 0;
};

// The popup's form: a fixed frame with only the system menu and close
// button, opening maximised over the work area; 545 x 376 when restored.
FormDescription ChildFormDescription();
// Its back panel, in the tooltip text colour, under the Flash control.
PanelDescription BackPanelDescription();

// What happens once FormClose returns: nothing, hide, destroy the form (once
// the current event has been handled), or minimise.
enum class CloseAction { None, Hide, Free, Minimize };

// What a popup uses besides its own window.
struct ChildFormPorts {
  Screen& screen;
  Shell& shell;
  MainLoop& loop;
};

class TChildForm {
 public:
  // Binds the window's and the control's events to the handlers below.
  // `release` is called when the popup has closed for good; its owner then
  // deletes it, though not from inside that call.
  TChildForm(std::unique_ptr<ChildWindow> window, const ChildFormPorts& ports,
             std::function<void(TChildForm&)> release);
  // Destroys the window without running the close handler.
  ~TChildForm();
  TChildForm(const TChildForm&) = delete;
  TChildForm& operator=(const TChildForm&) = delete;

  FormWindow& Form() { return window_->Form(); }
  TShockwaveFlash& ShockwaveFlash1;

  void FormCreate();
  void FormShow();
  void FormKeyPress(char16_t key);
  void FormClose(CloseAction& action);
  void ShockwaveFlash1FSCommand(const Text& command, const Text& args);

  // Modeless; the book window stays usable.
  void Show();
  // Runs FormClose, then does what its action says. A popup that has closed
  // for good ignores further closes.
  void Close();
  bool Closed() const { return closed_; }

 private:
  std::unique_ptr<ChildWindow> window_;
  ChildFormPorts ports_;
  std::function<void(TChildForm&)> release_;
  bool closed_ = false;
  // Cleared when the form is destroyed, so that a close posted from inside
  // the control's event never reaches a form that is already gone.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace vellix
