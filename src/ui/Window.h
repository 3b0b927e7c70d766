#pragma once
// The base of every window of the program: owns one Win32 window, receives its
// messages through the program's single window procedure, and lays out the
// child controls aligned to its client area.
#include <cstdint>
#include <vector>

#include "os/Color.h"

struct HWND__;

namespace vellix::ui {

class Control;

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
};

// Owns one window; not copyable, since the window is bound to this object.
class Window {
 public:
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  virtual ~Window();

  HWND__* Handle() const { return hwnd_; }
  Rect ClientRect() const;

  // The colour the client area shows (see BackgroundColor).
  Color Background() const { return BackgroundColor(); }

  // Re-applies the alignment of the child controls (done on every resize).
  void Realign();

  // The colour the client area is filled with: the skin's value for system
  // colours it replaces, else the colour itself.
  static std::uint32_t ResolveColor(Color color);

 protected:
  Window() = default;

  // Creates the window of class `className` bound to this object. Messages
  // reach HandleMessage from WM_NCCREATE on.
  void CreateHandle(unsigned long exStyle, const wchar_t* className, unsigned long style, int x, int y,
                    int width, int height, HWND__* parent);
  // Destroys the window (children first, by Windows) without any event.
  void DestroyHandle();
  // Gives up the window without destroying it; the caller now owns it.
  HWND__* DetachHandle();

  // One message. Return true with `result` set when handled; otherwise the
  // default window procedure runs. Exceptions are caught by the caller and
  // shown by the application object.
  virtual bool HandleMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam,
                             std::intptr_t& result);

  // Where client-aligned children go (a panel keeps its bevel free).
  virtual Rect AlignRect() const { return ClientRect(); }
  // The colour WM_ERASEBKGND fills with.
  virtual Color BackgroundColor() const { return clBtnFace; }

 private:
  friend class Control;
  friend struct WindowProcAccess;

  HWND__* hwnd_ = nullptr;
  std::vector<Control*> children_;
};

// Names of the registered window classes.
extern const wchar_t kFormClassName[];
extern const wchar_t kControlClassName[];

}  // namespace vellix::ui
