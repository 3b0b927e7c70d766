#include <windows.h>

#include <algorithm>
#include <vector>

#include "os/Handles_win.h"
#include "ui/Application.h"
#include "ui/Form.h"

namespace vellix::ui {

using win::FromWide;
using win::Wide;

void FontDeleter::operator()(HFONT__* font) const {
  if (font) DeleteObject(font);
}

namespace {
// Window placements use work-area coordinates; the rest of the form uses
// screen coordinates.
POINT WorkAreaOffset(HWND hwnd) {
  MONITORINFO mi{};
  mi.cbSize = sizeof mi;
  POINT offset{0, 0};
  if (GetMonitorInfoW(MonitorFromWindow(hwnd, MONITOR_DEFAULTTOPRIMARY), &mi)) {
    offset.x = mi.rcWork.left - mi.rcMonitor.left;
    offset.y = mi.rcWork.top - mi.rcMonitor.top;
  }
  return offset;
}

bool ShowsRestored(HWND hwnd) { return !IsZoomed(hwnd) && !IsIconic(hwnd); }
}  // namespace

Form::Form(const FormDescription& d, Form* owner)
    : owner_(owner),
      state_(d.windowState),
      borderStyle_(d.borderStyle),
      borderIcons_(d.borderIcons),
      color_(d.color),
      font_(d.font) {
  CreateHandle(0, kFormClassName, FrameStyle() | WS_CLIPCHILDREN, d.left, d.top, 320, 240,
               owner ? owner->Handle() : nullptr);
  if (owner_) owner_->owned_.push_back(this);
  fontHandle_.reset(CreateFontW(font_.height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                                Wide(font_.name)));
  SetCaption(d.caption);
  SetClientSize(d.clientWidth, d.clientHeight);
  App().FormCreated(this);
}

Form::~Form() {
  destroying_ = true;
  // Owned forms outlive this object only as objects: their windows die with
  // ours, so they must not reach back.
  for (Form* form : owned_) {
    form->owner_ = nullptr;
    form->destroying_ = true;
  }
  owned_.clear();
  if (owner_) {
    auto& list = owner_->owned_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    owner_ = nullptr;
  }
  App().FormDestroyed(this);
  DestroyHandle();
}

Text Form::Caption() const {
  if (!Handle()) return Text();
  int n = GetWindowTextLengthW(Handle());
  std::vector<wchar_t> buffer(static_cast<std::size_t>(n) + 1, L'\0');
  int got = GetWindowTextW(Handle(), buffer.data(), n + 1);
  return FromWide(buffer.data(), static_cast<std::size_t>(std::max(got, 0)));
}

void Form::SetCaption(const Text& caption) {
  if (Handle()) SetWindowTextW(Handle(), Wide(caption));
}

void Form::SetBounds(const Bounds& b) {
  const int left = b.left, top = b.top, width = b.width, height = b.height;
  HWND hwnd = Handle();
  if (!hwnd) return;
  requestedWidth_ = width;
  requestedHeight_ = height;
  if (ShowsRestored(hwnd)) {
    SetWindowPos(hwnd, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    return;
  }
  // Maximised or minimised: change where the window returns to.
  WINDOWPLACEMENT wp{};
  wp.length = sizeof wp;
  GetWindowPlacement(hwnd, &wp);
  POINT offset = WorkAreaOffset(hwnd);
  wp.rcNormalPosition = RECT{left - offset.x, top - offset.y, left - offset.x + width, top - offset.y + height};
  wp.flags = 0;
  SetWindowPlacement(hwnd, &wp);
}

namespace {
RECT OuterBounds(HWND hwnd) {
  RECT rc{};
  if (!hwnd) return rc;
  if (!IsIconic(hwnd)) {
    GetWindowRect(hwnd, &rc);
    return rc;
  }
  WINDOWPLACEMENT wp{};
  wp.length = sizeof wp;
  GetWindowPlacement(hwnd, &wp);
  POINT offset = WorkAreaOffset(hwnd);
  rc = wp.rcNormalPosition;
  OffsetRect(&rc, offset.x, offset.y);
  return rc;
}
}  // namespace

int Form::Left() const { return OuterBounds(Handle()).left; }
int Form::Top() const { return OuterBounds(Handle()).top; }
int Form::Width() const {
  RECT rc = OuterBounds(Handle());
  return rc.right - rc.left;
}
int Form::Height() const {
  RECT rc = OuterBounds(Handle());
  return rc.bottom - rc.top;
}
Size Form::OuterSize() const { return Size{Width(), Height()}; }

void Form::SetClientSize(int width, int height) {
  HWND hwnd = Handle();
  if (!hwnd) return;
  int frameWidth, frameHeight;
  if (IsIconic(hwnd)) {
    RECT rc{0, 0, 0, 0};
    AdjustWindowRectEx(&rc, static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongW(hwnd, GWL_EXSTYLE)));
    frameWidth = rc.right - rc.left;
    frameHeight = rc.bottom - rc.top;
  } else {
    // Measured rather than computed: exact for whatever frame the system draws.
    RECT outer, client;
    GetWindowRect(hwnd, &outer);
    GetClientRect(hwnd, &client);
    frameWidth = (outer.right - outer.left) - client.right;
    frameHeight = (outer.bottom - outer.top) - client.bottom;
  }
  SetBounds(Bounds{Left(), Top(), width + frameWidth, height + frameHeight});
}

WindowState Form::GetWindowState() const {
  HWND hwnd = Handle();
  if (!hwnd || !IsWindowVisible(hwnd)) return state_;
  if (IsZoomed(hwnd)) return WindowState::Maximized;
  if (IsIconic(hwnd)) return WindowState::Minimized;
  return WindowState::Normal;
}

void Form::SetWindowState(WindowState state) {
  state_ = state;
  HWND hwnd = Handle();
  if (!hwnd || !IsWindowVisible(hwnd)) return;  // applied by Show
  switch (state) {
    case WindowState::Normal: ShowWindow(hwnd, SW_RESTORE); break;
    case WindowState::Maximized: ShowWindow(hwnd, SW_SHOWMAXIMIZED); break;
    case WindowState::Minimized: ShowWindow(hwnd, SW_MINIMIZE); break;
  }
}

unsigned long Form::FrameStyle() const {
  DWORD style = WS_OVERLAPPED | WS_CAPTION;
  if (borderStyle_ == BorderStyle::Sizeable) style |= WS_THICKFRAME;
  // The minimise and maximise buttons only exist beside a system menu.
  if (borderIcons_.systemMenu) {
    style |= WS_SYSMENU;
    if (borderIcons_.minimize) style |= WS_MINIMIZEBOX;
    if (borderIcons_.maximize) style |= WS_MAXIMIZEBOX;
  }
  return style;
}

void Form::Show() {
  HWND hwnd = Handle();
  if (!hwnd) return;
  if (IsWindowVisible(hwnd)) {
    SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    return;
  }
  switch (state_) {
    case WindowState::Normal: ShowWith(SW_SHOWNORMAL); break;
    case WindowState::Maximized: ShowWith(SW_SHOWMAXIMIZED); break;
    case WindowState::Minimized: ShowWith(SW_SHOWMINIMIZED); break;
  }
}

void Form::ShowWith(int showCommand) {
  HWND hwnd = Handle();
  if (!hwnd) return;
  // OnShow runs here rather than on WM_SHOWWINDOW, which Windows leaves out
  // when a window is shown maximised or minimised.
  if (!IsWindowVisible(hwnd) && !destroying_ && OnShow) Guarded([this] { OnShow(); });
  if (Handle()) ShowWindow(Handle(), showCommand);
}

void Form::Hide() {
  HWND hwnd = Handle();
  if (!hwnd || !IsWindowVisible(hwnd)) return;
  state_ = GetWindowState();
  ShowWindow(hwnd, SW_HIDE);
}

bool Form::Visible() const { return Handle() && IsWindowVisible(Handle()); }

void Form::Close() {
  if (App().MainForm() == this) {
    App().Terminate();
    return;
  }
  Hide();
}

void Form::BringToFront(int delayMs) {
  Sleep(static_cast<DWORD>(delayMs > 0 ? delayMs : 0));
  HWND h = Handle();
  SetWindowPos(h, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW);
  SetWindowPos(h, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW);
  SetForegroundWindow(h);
}

void Form::SetFocus() {
  if (Handle()) ::SetFocus(Handle());
}

bool Form::HandleMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam, std::intptr_t& result) {
  HWND hwnd = Handle();
  switch (message) {
    case WM_CLOSE:
      // The close button and the system menu. A handler that frees the form
      // deletes it only after this message.
      if (!destroying_) {
        if (OnCloseRequest)
          OnCloseRequest();
        else
          Close();
      }
      result = 0;
      return true;

    case WM_CHAR:
      if (!destroying_ && OnKeyPress) OnKeyPress(static_cast<char16_t>(wParam));
      return false;

    case WM_ACTIVATE:
      // Give the focus back to the control that had it when the form was left.
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd, focus)) lastFocus_ = focus;
        return false;
      }
      if (lastFocus_ && IsWindow(lastFocus_) && IsChild(hwnd, lastFocus_) && !IsIconic(hwnd)) {
        ::SetFocus(lastFocus_);
        result = 0;
        return true;
      }
      return false;

    case WM_GETMINMAXINFO: {
      // Let the window take the size the program asked for, even beyond the
      // screen plus frame that Windows would cut it to.
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      info->ptMaxTrackSize.x = std::max<LONG>(info->ptMaxTrackSize.x, requestedWidth_);
      info->ptMaxTrackSize.y = std::max<LONG>(info->ptMaxTrackSize.y, requestedHeight_);
      result = 0;
      return true;
    }

    case WM_GETFONT:
      result = reinterpret_cast<std::intptr_t>(fontHandle_.get());
      return true;

    case WM_DESTROY:
      // The main form's window going away ends the loop, however it happens.
      if (!destroying_ && App().MainForm() == this) App().Terminate();
      return false;

    default:
      return Window::HandleMessage(message, wParam, lParam, result);
  }
}

}  // namespace vellix::ui
