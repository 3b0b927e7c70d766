#pragma once
// Top-level windows. A form class builds its components in its constructor,
// binds its handlers there, and is then created with Application::CreateForm
// (the main form) or MakeForm (any other); both run OnCreate once the whole
// object exists.
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "text/Text.h"
#include "ui/Window.h"

struct HFONT__;

namespace vellix::ui {

enum class WindowState { Normal, Maximized, Minimized };
// Sizeable: the usual resizable frame. Single: a fixed frame.
enum class BorderStyle { Sizeable, Single };
struct BorderIcons {
  bool systemMenu = true;
  bool minimize = true;
  bool maximize = true;
};
// What happens once OnClose returns: nothing, hide, destroy the form (after
// the current message has been handled), or minimise.
enum class CloseAction { None, Hide, Free, Minimize };

struct FontSpec {
  Text name = u"Tahoma";
  int height = -11;  // pixels, negative: character height (8 pt at 96 dpi)
  Color color = clWindowText;
};

// A top-level window, created hidden. A form with an owner is a Win32 owned
// window (above its owner, no task-bar button) and its object belongs to the
// owner: deleting the owner deletes it, without running its OnClose.
class Form : public Window {
 public:
  explicit Form(Form* owner = nullptr);
  ~Form() override;

  Form* Owner() const { return owner_; }

  Text Caption() const;
  void SetCaption(const Text& caption);

  // Outer bounds, frame included. While maximised or minimised, setting them
  // changes the bounds the window returns to.
  void SetBounds(int left, int top, int width, int height);
  int Left() const;
  int Top() const;
  int Width() const;
  int Height() const;
  void SetLeft(int left) { SetBounds(left, Top(), Width(), Height()); }
  void SetTop(int top) { SetBounds(Left(), top, Width(), Height()); }
  void SetWidth(int width) { SetBounds(Left(), Top(), width, Height()); }
  void SetHeight(int height) { SetBounds(Left(), Top(), Width(), height); }
  // Sizes the window so that its client area has this size.
  void SetClientSize(int width, int height);
  int ClientWidth() const { return ClientRect().Width(); }
  int ClientHeight() const { return ClientRect().Height(); }

  // Settable before showing (applied by Show) and after.
  WindowState GetWindowState() const;
  void SetWindowState(WindowState state);
  BorderStyle GetBorderStyle() const { return borderStyle_; }
  void SetBorderStyle(BorderStyle style);
  BorderIcons GetBorderIcons() const { return borderIcons_; }
  void SetBorderIcons(BorderIcons icons);

  Color GetColor() const { return color_; }
  void SetColor(Color color);
  const FontSpec& Font() const { return font_; }
  void SetFont(const FontSpec& font);

  void Show();  // modeless, in the current window state
  void Hide();
  bool Visible() const;
  // Runs OnClose; then, by its action: the main form ends the application;
  // another form hides (default), is freed, minimised, or stays.
  void Close();
  // Deletes the form once the current message has been handled. Only for
  // forms made by MakeForm or CreateForm; others are hidden instead.
  void Release();
  void SetFocus();

  std::function<void()> OnCreate;
  // Each time Show (or the application's Run) makes the hidden window
  // visible, just before it appears.
  std::function<void()> OnShow;
  std::function<void(CloseAction&)> OnClose;
  // Characters typed while the form itself has the focus; set the key to 0 to
  // swallow it.
  std::function<void(char16_t&)> OnKeyPress;

  // Runs OnCreate; an exception it throws is shown and creation goes on.
  void DoCreate();

 protected:
  bool HandleMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam,
                     std::intptr_t& result) override;
  Color BackgroundColor() const override { return color_; }

 private:
  template <class T, class... Args>
  friend T* MakeForm(Args&&... args);
  friend class Application;

  void ShowWith(int showCommand);  // runs OnShow, then ShowWindow
  unsigned long FrameStyle() const;
  void ApplyFrameStyle();
  void ApplyFont();

  Form* owner_;
  std::vector<Form*> owned_;
  unsigned serial_ = 0;
  bool heap_ = false;        // made by MakeForm/CreateForm: Release may delete it
  bool destroying_ = false;  // no events once destruction has begun
  WindowState state_ = WindowState::Normal;
  BorderStyle borderStyle_ = BorderStyle::Sizeable;
  BorderIcons borderIcons_;
  Color color_ = clBtnFace;
  FontSpec font_;
  HFONT__* hfont_ = nullptr;
  HWND__* lastFocus_ = nullptr;  // focus restored when the form is activated again
  int requestedWidth_ = 0;       // the last outer size the program set
  int requestedHeight_ = 0;
};

// Makes a form of class T (constructor arguments, usually the owner) and runs
// its OnCreate. With an owner the owner deletes it; without one, CloseAction::
// Free or the caller does.
template <class T, class... Args>
T* MakeForm(Args&&... args) {
  T* form = new T(std::forward<Args>(args)...);
  static_cast<Form*>(form)->heap_ = true;
  form->DoCreate();
  return form;
}

}  // namespace vellix::ui
