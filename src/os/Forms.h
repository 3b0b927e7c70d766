#pragma once
// What the book window's and the popups' logic needs of a shell's windows:
// form descriptions to build them from, the window itself, the screen, the
// main loop and the exception display. A shell (Win32, GTK) implements these;
// tests use recording fakes.
#include <functional>

#include "os/Color.h"
#include "text/Text.h"

namespace vellix {

struct Size {
  int width = 0;
  int height = 0;
};

struct Bounds {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

enum class WindowState { Normal, Maximized, Minimized };
// Sizeable: the usual resizable frame. Single: a fixed frame.
enum class BorderStyle { Sizeable, Single };
struct BorderIcons {
  bool systemMenu = true;
  bool minimize = true;
  bool maximize = true;
};

struct FontSpec {
  Text name = u"Tahoma";
  int height = -11;  // pixels, negative: character height (8 pt at 96 dpi)
  Color color = clWindowText;
};

// A top-level window as its form description gives it. The shell builds the
// window hidden, with this frame, client size and state.
struct FormDescription {
  Text caption;
  int left = 0;
  int top = 0;
  int clientWidth = 0;
  int clientHeight = 0;
  BorderStyle borderStyle = BorderStyle::Sizeable;
  BorderIcons borderIcons;
  WindowState windowState = WindowState::Normal;
  Color color = clBtnFace;
  FontSpec font;
  // The one built-in skin every window of the program is drawn in.
  Text skinName = u"Office2007 Blue (internal)";
};

// A panel filling its form, with the Flash control filling the panel inside
// its one-pixel raised bevel.
struct PanelDescription {
  Color color = clBtnFace;
  bool parentBackground = true;
};

// A top-level window of the program. Events are raised by the shell on the
// GUI thread.
class FormWindow {
 public:
  virtual ~FormWindow() = default;

  virtual void SetCaption(const Text& caption) = 0;
  // Outer bounds, frame included. While the window is maximised they are
  // where it returns to when restored.
  virtual void SetBounds(const Bounds& bounds) = 0;
  // The outer size now (the restored size while maximised).
  virtual Size OuterSize() const = 0;
  // Settable before the window is shown (it then shows in that state) and
  // after.
  virtual void SetWindowState(WindowState state) = 0;
  // Modeless; runs OnShow first when the window was hidden.
  virtual void Show() = 0;
  virtual void Hide() = 0;
  // The book window only: closes it, which ends the program.
  virtual void Close() = 0;
  // Puts the window on top of the others (topmost, then non-topmost again)
  // and gives it the foreground, `delayMs` milliseconds from now. The Win32
  // shell waits on the GUI thread; others may wait without blocking.
  virtual void BringToFront(int delayMs) = 0;

  // Each time the hidden window is about to become visible.
  std::function<void()> OnShow;
  // A character typed while the window itself (not the control inside it)
  // has the focus.
  std::function<void(char16_t key)> OnKeyPress;
  // The reader asked the window to close (close button, system menu). When
  // unset the shell closes it as Close does.
  std::function<void()> OnCloseRequest;
};

// The primary display, task bar included.
class Screen {
 public:
  virtual ~Screen() = default;
  virtual Size ScreenSize() = 0;
};

// The GUI thread's message loop.
class MainLoop {
 public:
  virtual ~MainLoop() = default;
  // Runs `work` from the loop once the current event has been handled. Work
  // still queued when the loop ends runs before the program exits.
  virtual void Post(std::function<void()> work) = 0;
};

// The error box for an exception that escaped a handler: DisplayMessage of
// its message, the application title as caption, an error icon, one OK.
class ExceptionDisplay {
 public:
  virtual ~ExceptionDisplay() = default;
  virtual void ShowException(const Text& message) = 0;
};

// The application title the class library gives a program: its executable's
// file name cut at its first dot, every letter after the first lower-cased
// ("D:\Books\SAMPLE.EXE" gives "Sample"). Message boxes carry it as caption.
Text DefaultTitle(const Text& executablePath);

// The text the exception display shows: a full stop is appended when the
// message's last character code is above that of ".".
Text DisplayMessage(const Text& message);

}  // namespace vellix
