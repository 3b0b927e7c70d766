#pragma once
// Top-level windows of the Win32 shell, built from a form description. A
// form with an owner is a Win32 owned window: above its owner, without a
// task-bar button, and destroyed by Windows with it.
#include <memory>
#include <vector>

#include "os/Forms.h"
#include "text/Text.h"
#include "ui/Window.h"

struct HFONT__;

namespace vellix::ui {

// Deletes a GDI font.
struct FontDeleter {
  void operator()(HFONT__* font) const;
};
using FontHandle = std::unique_ptr<HFONT__, FontDeleter>;

class Form : public Window, public FormWindow {
 public:
  // Creates the window hidden, with the description's frame, position,
  // client size, colour, font and window state.
  explicit Form(const FormDescription& description, Form* owner = nullptr);
  ~Form() override;

  Form* Owner() const { return owner_; }

  Text Caption() const;
  void SetCaption(const Text& caption) override;

  // Outer bounds, frame included. While maximised or minimised, setting them
  // changes the bounds the window returns to.
  void SetBounds(const Bounds& bounds) override;
  Size OuterSize() const override;
  int Left() const;
  int Top() const;
  int Width() const;
  int Height() const;
  // Sizes the window so that its client area has this size.
  void SetClientSize(int width, int height);
  int ClientWidth() const { return ClientRect().Width(); }
  int ClientHeight() const { return ClientRect().Height(); }

  WindowState GetWindowState() const;
  void SetWindowState(WindowState state) override;

  void Show() override;  // modeless, in the current window state
  void Hide() override;
  bool Visible() const;
  // The main form ends the application; another form hides.
  void Close() override;
  // Waits on the GUI thread (the window does not respond meanwhile), then
  // topmost, non-topmost again, foreground.
  void BringToFront(int delayMs) override;
  void SetFocus();

 protected:
  bool HandleMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam,
                     std::intptr_t& result) override;
  Color BackgroundColor() const override { return color_; }

 private:
  friend class Application;

  void ShowWith(int showCommand);  // runs OnShow, then ShowWindow
  unsigned long FrameStyle() const;

  Form* owner_;
  std::vector<Form*> owned_;
  bool destroying_ = false;  // no events once destruction has begun
  WindowState state_ = WindowState::Normal;
  BorderStyle borderStyle_ = BorderStyle::Sizeable;
  BorderIcons borderIcons_;
  Color color_ = clBtnFace;
  FontSpec font_;
  FontHandle fontHandle_;
  HWND__* lastFocus_ = nullptr;  // focus restored when the form is activated again
  int requestedWidth_ = 0;    // the last outer size the program set
  int requestedHeight_ = 0;
};

}  // namespace vellix::ui
