#include <windows.h>

#include <algorithm>
#include <vector>

#include "ui/Application.h"
#include "ui/Form.h"
#include "ui/Handles_win.h"

namespace vellix::ui {

namespace {
// Posted by Release; wParam carries the form's serial so that a message left
// for a window that is gone never reaches another form.
constexpr UINT kReleaseMessage = WM_APP + 0x101;
unsigned g_nextSerial = 1;

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

Form::Form(Form* owner) : owner_(owner) {
  serial_ = g_nextSerial++;
  CreateHandle(0, kFormClassName, FrameStyle() | WS_CLIPCHILDREN, 0, 0, 320, 240, owner ? owner->Handle() : nullptr);
  if (owner_) owner_->owned_.push_back(this);
  ApplyFont();
  App().FormCreated(this);
}

Form::~Form() {
  destroying_ = true;
  // Owned forms go first, without their close handlers.
  while (!owned_.empty()) {
    Form* form = owned_.back();
    owned_.pop_back();
    form->owner_ = nullptr;
    if (form->heap_) {
      delete form;
    } else {
      form->destroying_ = true;  // its window dies with ours
    }
  }
  if (owner_) {
    auto& list = owner_->owned_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    owner_ = nullptr;
  }
  App().FormDestroyed(this);
  DestroyHandle();
  if (hfont_) DeleteObject(hfont_);
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

void Form::SetBounds(int left, int top, int width, int height) {
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
  SetBounds(Left(), Top(), width + frameWidth, height + frameHeight);
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

void Form::ApplyFrameStyle() {
  HWND hwnd = Handle();
  if (!hwnd) return;
  // The client area keeps its size across a frame change, so the order in
  // which a form sets its frame and its client size does not matter.
  bool restored = ShowsRestored(hwnd);
  RECT client;
  GetClientRect(hwnd, &client);
  const DWORD kept = WS_VISIBLE | WS_MAXIMIZE | WS_MINIMIZE | WS_DISABLED | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  DWORD style = (static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)) & kept) | FrameStyle();
  SetWindowLongW(hwnd, GWL_STYLE, static_cast<LONG>(style));
  SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (restored) SetClientSize(client.right, client.bottom);
}

void Form::SetBorderStyle(BorderStyle style) {
  borderStyle_ = style;
  ApplyFrameStyle();
}

void Form::SetBorderIcons(BorderIcons icons) {
  borderIcons_ = icons;
  ApplyFrameStyle();
}

void Form::SetColor(Color color) {
  color_ = color;
  if (Handle()) InvalidateRect(Handle(), nullptr, TRUE);
}

void Form::SetFont(const FontSpec& font) {
  font_ = font;
  ApplyFont();
}

void Form::ApplyFont() {
  HFONT font = CreateFontW(font_.height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, Wide(font_.name));
  if (!font) return;
  if (hfont_) DeleteObject(hfont_);
  hfont_ = font;
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
  CloseAction action = CloseAction::Hide;
  if (OnClose) OnClose(action);
  if (action == CloseAction::None) return;
  if (App().MainForm() == this) {
    App().Terminate();
    return;
  }
  switch (action) {
    case CloseAction::Hide: Hide(); break;
    case CloseAction::Minimize: SetWindowState(WindowState::Minimized); break;
    case CloseAction::Free: Release(); break;
    case CloseAction::None: break;
  }
}

void Form::Release() {
  if (!heap_) {
    Hide();
    return;
  }
  if (Handle()) PostMessageW(Handle(), kReleaseMessage, serial_, 0);
}

void Form::SetFocus() {
  if (Handle()) ::SetFocus(Handle());
}

void Form::DoCreate() {
  if (OnCreate) Guarded([this] { OnCreate(); });
}

bool Form::HandleMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam, std::intptr_t& result) {
  HWND hwnd = Handle();
  switch (message) {
    case WM_CLOSE:
      if (!destroying_) Close();
      result = 0;
      return true;

    case kReleaseMessage:
      if (wParam != serial_ || !heap_) return false;
      delete this;  // nothing of this object is touched below
      result = 0;
      return true;

    case WM_CHAR:
      if (destroying_ || !OnKeyPress) return false;
      {
        char16_t key = static_cast<char16_t>(wParam);
        OnKeyPress(key);
        if (key == 0) {
          result = 0;
          return true;
        }
        result = DefWindowProcW(hwnd, WM_CHAR, key, lParam);
        return true;
      }

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
      result = reinterpret_cast<std::intptr_t>(hfont_);
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
