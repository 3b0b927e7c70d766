#pragma once
// Child windows placed on a form or a panel.
#include "ui/Window.h"

namespace vellix::ui {

enum class Align { None, Client };

// A child window inside a parent Window (a form or a panel). Children take
// their tab order from their creation order.
class Control : public Window {
 public:
  ~Control() override;

  Window& Parent() const { return parent_; }

  Align GetAlign() const { return align_; }
  // Client alignment fills the parent's client area now and after every
  // resize of the parent.
  void SetAlign(Align align);

  // Moves the control; a client-aligned control snaps back to its place.
  void SetBounds(int left, int top, int width, int height);
  int Left() const;
  int Top() const;
  int Width() const;
  int Height() const;

  void SetFocus();

 protected:
  // Creates the child window (class kControlClassName) at the given bounds.
  Control(Window& parent, int left, int top, int width, int height);
  // Removes the control from its parent's layout, e.g. once its window is
  // gone for good.
  void LeaveParent();

 private:
  friend class Window;
  Window& parent_;
  Align align_ = Align::None;
  bool inParent_ = true;
};

// A plain container with a raised one-pixel bevel; children lie inside it.
class Panel : public Control {
 public:
  explicit Panel(Window& parent, int left = 0, int top = 0, int width = 185, int height = 41);

  Color GetColor() const { return color_; }
  void SetColor(Color color);
  // With a parent background the panel shows its parent's colour instead of
  // its own.
  bool ParentBackground() const { return parentBackground_; }
  void SetParentBackground(bool on);

 protected:
  bool HandleMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam,
                     std::intptr_t& result) override;
  Rect AlignRect() const override;
  Color BackgroundColor() const override;

 private:
  Color color_ = clBtnFace;
  bool parentBackground_ = true;
};

}  // namespace vellix::ui
