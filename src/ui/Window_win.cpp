#include <windows.h>

#include <algorithm>
#include <cwchar>

#include "ui/Application.h"
#include "ui/Control.h"
#include "ui/Exception.h"
#include "os/Handles_win.h"
#include "ui/Skin.h"
#include "ui/Window.h"

namespace vellix::ui {

const wchar_t kFormClassName[] = L"VellixForm";
const wchar_t kControlClassName[] = L"VellixControl";

// The one window procedure of forms and controls: finds the object bound to
// the window at WM_NCCREATE and lets it handle the message. No exception
// leaves it; they are shown and the message gets the default handling.
struct WindowProcAccess {
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* self;
    if (message == WM_NCCREATE) {
      self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
      if (self) self->hwnd_ = hwnd;
    } else {
      self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);

    if (message == WM_NCDESTROY) {
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      if (self->hwnd_ == hwnd) self->hwnd_ = nullptr;
      return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    // HandleMessage may delete the object (a released form): self is not
    // touched after it returns.
    std::intptr_t result = 0;
    bool handled = false;
    try {
      handled = self->HandleMessage(message, wParam, lParam, result);
    } catch (...) {
      ShowCurrentException(App());
      handled = false;
    }
    return handled ? static_cast<LRESULT>(result) : DefWindowProcW(hwnd, message, wParam, lParam);
  }

  // Throws Exception when a class cannot be registered.
  static void RegisterClasses() {
    static bool registered = false;
    if (registered) return;
    auto check = [](ATOM atom, const wchar_t* name) {
      if (atom || GetLastError() == ERROR_CLASS_ALREADY_EXISTS) return;
      throw Exception(u"Cannot register the window class " + win::FromWide(name, wcslen(name)) + u": " +
                      SystemErrorMessage(static_cast<long>(GetLastError())));
    };
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.style = CS_DBLCLKS;
    wc.lpszClassName = kFormClassName;
    check(RegisterClassExW(&wc), kFormClassName);
    // Controls repaint whole on resize: the panel's bevel follows the edge.
    wc.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    wc.lpszClassName = kControlClassName;
    check(RegisterClassExW(&wc), kControlClassName);
    registered = true;
  }
};

Window::~Window() {
  // Children still listed outlive this window's object; they must not reach
  // back into it.
  for (Control* child : children_) child->inParent_ = false;
  children_.clear();
  DestroyHandle();
}

void Window::CreateHandle(unsigned long exStyle, const wchar_t* className, unsigned long style, int x, int y,
                          int width, int height, HWND parent) {
  WindowProcAccess::RegisterClasses();
  HWND hwnd = CreateWindowExW(exStyle, className, L"", style, x, y, width, height, parent, nullptr,
                              GetModuleHandleW(nullptr), this);
  if (!hwnd) {
    DWORD error = GetLastError();
    throw Exception(u"Cannot create a window: " + SystemErrorMessage(static_cast<long>(error)));
  }
  hwnd_ = hwnd;
}

void Window::DestroyHandle() {
  HWND hwnd = hwnd_;
  if (hwnd && IsWindow(hwnd)) DestroyWindow(hwnd);
  hwnd_ = nullptr;
}

HWND Window::DetachHandle() {
  HWND hwnd = hwnd_;
  if (hwnd) SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  hwnd_ = nullptr;
  return hwnd;
}

Rect Window::ClientRect() const {
  RECT rc{};
  if (hwnd_) GetClientRect(hwnd_, &rc);
  return Rect{rc.left, rc.top, rc.right, rc.bottom};
}

void Window::Realign() {
  if (!hwnd_) return;
  Rect area = AlignRect();
  for (Control* child : children_) {
    if (child->align_ != Align::Client || !child->hwnd_) continue;
    SetWindowPos(child->hwnd_, nullptr, area.left, area.top, std::max(0, area.Width()),
                 std::max(0, area.Height()), SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

std::uint32_t Window::ResolveColor(Color color) {
  if (!IsSystemColor(color)) return color;
  if (const Skin* skin = ActiveSkin()) {
    if (auto c = SkinColor(*skin, color)) return *c;
  }
  return GetSysColor(SystemColorIndex(color));
}

bool Window::HandleMessage(unsigned message, std::uintptr_t wParam, std::intptr_t, std::intptr_t& result) {
  switch (message) {
    case WM_ERASEBKGND: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      RECT rc;
      GetClientRect(hwnd_, &rc);
      win::GdiHandle<HBRUSH> brush(CreateSolidBrush(ResolveColor(BackgroundColor())));
      FillRect(dc, &rc, brush.Get());
      result = 1;
      return true;
    }
    case WM_SIZE:
      Realign();
      return false;
    default:
      return false;
  }
}

}  // namespace vellix::ui
