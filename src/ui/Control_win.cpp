#include <windows.h>

#include <algorithm>

#include "ui/Control.h"
#include "os/Handles_win.h"

namespace vellix::ui {

Control::Control(Window& parent, int left, int top, int width, int height) : parent_(parent) {
  CreateHandle(0, kControlClassName, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, left, top, width,
               height, parent.Handle());
  parent_.children_.push_back(this);
}

Control::~Control() { LeaveParent(); }

void Control::LeaveParent() {
  if (!inParent_) return;
  auto& siblings = parent_.children_;
  siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
  inParent_ = false;
}

void Control::SetAlign(Align align) {
  align_ = align;
  if (align_ == Align::Client && inParent_) parent_.Realign();
}

void Control::SetBounds(int left, int top, int width, int height) {
  if (!Handle()) return;
  SetWindowPos(Handle(), nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  if (align_ == Align::Client && inParent_) parent_.Realign();
}

namespace {
RECT BoundsInParent(HWND hwnd) {
  RECT rc{};
  if (!hwnd) return rc;
  GetWindowRect(hwnd, &rc);
  MapWindowPoints(nullptr, GetParent(hwnd), reinterpret_cast<POINT*>(&rc), 2);
  return rc;
}
}  // namespace

int Control::Left() const { return BoundsInParent(Handle()).left; }
int Control::Top() const { return BoundsInParent(Handle()).top; }
int Control::Width() const {
  RECT rc = BoundsInParent(Handle());
  return rc.right - rc.left;
}
int Control::Height() const {
  RECT rc = BoundsInParent(Handle());
  return rc.bottom - rc.top;
}

void Control::SetFocus() {
  if (Handle()) ::SetFocus(Handle());
}

Panel::Panel(Window& parent, int left, int top, int width, int height) : Control(parent, left, top, width, height) {}

void Panel::SetColor(Color color) {
  color_ = color;
  if (Handle()) InvalidateRect(Handle(), nullptr, TRUE);
}

void Panel::SetParentBackground(bool on) {
  parentBackground_ = on;
  if (Handle()) InvalidateRect(Handle(), nullptr, TRUE);
}

Rect Panel::AlignRect() const {
  Rect r = ClientRect();
  r.left += 1;
  r.top += 1;
  r.right = std::max(r.left, r.right - 1);
  r.bottom = std::max(r.top, r.bottom - 1);
  return r;
}

Color Panel::BackgroundColor() const { return parentBackground_ ? Parent().Background() : color_; }

bool Panel::HandleMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam, std::intptr_t& result) {
  if (message != WM_PAINT) return Control::HandleMessage(message, wParam, lParam, result);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(Handle(), &ps);
  {
    RECT rc;
    GetClientRect(Handle(), &rc);
    COLORREF light = ResolveColor(clBtnHighlight);
    COLORREF dark = ResolveColor(clBtnShadow);
    win::GdiHandle<HBRUSH> lightBrush(CreateSolidBrush(light));
    win::GdiHandle<HBRUSH> darkBrush(CreateSolidBrush(dark));
    RECT top{rc.left, rc.top, rc.right, rc.top + 1};
    RECT left{rc.left, rc.top, rc.left + 1, rc.bottom};
    RECT bottom{rc.left, rc.bottom - 1, rc.right, rc.bottom};
    RECT right{rc.right - 1, rc.top, rc.right, rc.bottom};
    FillRect(dc, &top, lightBrush.Get());
    FillRect(dc, &left, lightBrush.Get());
    FillRect(dc, &bottom, darkBrush.Get());
    FillRect(dc, &right, darkBrush.Get());
  }
  EndPaint(Handle(), &ps);
  result = 0;
  return true;
}

}  // namespace vellix::ui
