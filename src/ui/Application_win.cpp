#include <windows.h>
#include <ole2.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "os/Handles_win.h"
#include "os/Ports_win.h"
#include "ui/Application.h"
#include "ui/Exception.h"
#include "ui/Form.h"

namespace vellix::ui {

using win::FromWide;
using win::IconHandle;
using win::Wide;

namespace {
constexpr UINT kDeferredMessage = WM_APP + 0x102;
const wchar_t kApplicationClassName[] = L"VellixApplication";

IconHandle ResourceIcon(int cx, int cy) {
  // Shared: the system owns icons loaded with LR_SHARED.
  HANDLE h = LoadImageW(GetModuleHandleW(nullptr), L"MAINICON", IMAGE_ICON, cx, cy, LR_SHARED);
  return IconHandle(static_cast<HICON>(h), false);
}

LRESULT CALLBACK ApplicationWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kDeferredMessage) {
    App().RunDeferred();
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

// Work that keeps posting more work must still let the program end.
constexpr int kMaxFinalRounds = 64;
}  // namespace

struct Application::Icons {
  IconHandle big;
  IconHandle small;
  void LoadResource() {
    big = ResourceIcon(GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
    small = ResourceIcon(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON));
  }
};

struct Application::Window {
  win::WindowHandle handle;
};

Application& App() {
  static Application app;
  return app;
}

Application::Application() : icons_(std::make_unique<Icons>()), window_(std::make_unique<Window>()) {
  icons_->LoadResource();
}

Application::~Application() {
  // Work still queued (a control's deferred teardown, say) is carried out,
  // not dropped.
  for (int round = 0; round < kMaxFinalRounds && !deferred_.empty(); ++round) RunDeferred();
  deferred_.clear();
  window_->handle.Reset();
  if (oleInitialized_) OleUninitialize();
}

void Application::Initialize() {
  if (oleInitialized_) return;
  HRESULT hr = OleInitialize(nullptr);
  // S_FALSE: already initialised on this thread, which still needs a matching
  // uninitialise.
  if (FAILED(hr)) throw Exception(u"OLE cannot be initialised: " + SystemErrorMessage(hr));
  oleInitialized_ = true;
}

void Application::SetMainFormOnTaskBar(bool on) {
  mainFormOnTaskBar_ = on;
  if (!mainForm_ || !mainForm_->Handle()) return;
  HWND hwnd = mainForm_->Handle();
  LONG ex = GetWindowLongW(hwnd, GWL_EXSTYLE);
  ex = on ? (ex | WS_EX_APPWINDOW) : (ex & ~WS_EX_APPWINDOW);
  SetWindowLongW(hwnd, GWL_EXSTYLE, ex);
}

void Application::FormCreated(Form* form) {
  forms_.push_back(form);
  ApplyIcon(form);
}

void Application::FormDestroyed(Form* form) {
  forms_.erase(std::remove(forms_.begin(), forms_.end(), form), forms_.end());
  if (mainForm_ == form) {
    mainForm_ = nullptr;
    Terminate();
  }
}

void Application::Run(Form& main) {
  terminated_ = false;
  mainForm_ = &main;
  SetMainFormOnTaskBar(mainFormOnTaskBar_);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  GetStartupInfoW(&si);
  int show = (si.dwFlags & STARTF_USESHOWWINDOW) ? si.wShowWindow : SW_SHOWDEFAULT;
  if (show == SW_SHOWMAXIMIZED) {
    main.SetWindowState(WindowState::Maximized);
    main.ShowWith(SW_SHOWMAXIMIZED);
  } else if (show == SW_SHOWMINNOACTIVE) {
    main.SetWindowState(WindowState::Minimized);
    main.ShowWith(SW_SHOWMINNOACTIVE);
  } else {
    main.Show();
  }
  if (!terminated_) {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
      // Work whose message could not be posted runs here instead.
      if (!posted_ && !deferred_.empty()) RunDeferred();
    }
  }
  for (int round = 0; round < kMaxFinalRounds && !deferred_.empty(); ++round) RunDeferred();
  mainForm_ = nullptr;
}

void Application::Terminate() {
  if (terminated_) return;
  terminated_ = true;
  PostQuitMessage(0);
}

HWND Application::Handle() {
  HWND hwnd = window_->handle.Get();
  if (hwnd && IsWindow(hwnd)) return hwnd;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &ApplicationWindowProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kApplicationClassName;
  if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    throw Exception(u"Cannot register the application window: " + SystemErrorMessage(GetLastError()));
  hwnd = CreateWindowExW(WS_EX_TOOLWINDOW, kApplicationClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
  if (!hwnd) throw Exception(u"Cannot create the application window: " + SystemErrorMessage(GetLastError()));
  window_->handle.Reset(hwnd);
  return hwnd;
}

void Application::Post(std::function<void()> work) {
  deferred_.push_back(std::move(work));
  if (posted_) return;
  // Without the message the loop runs the work after the current message.
  HWND hwnd = nullptr;
  try {
    hwnd = Handle();
  } catch (...) {
    return;
  }
  posted_ = PostMessageW(hwnd, kDeferredMessage, 0, 0) != FALSE;
}

void Application::RunDeferred() {
  posted_ = false;
  // Work queued while this batch runs waits for the next round.
  std::vector<std::function<void()>> batch;
  batch.swap(deferred_);
  for (auto& work : batch) Guarded(work);
  if (!deferred_.empty() && !posted_ && window_->handle.Get())
    posted_ = PostMessageW(window_->handle.Get(), kDeferredMessage, 0, 0) != FALSE;
}

Text Application::Title() const {
  if (title_.empty()) title_ = DefaultTitle(RunningExecutablePath());
  return title_;
}

void Application::SetIcon(const Text& iconPath) {
  auto load = [&](int cx, int cy) {
    HANDLE h = LoadImageW(nullptr, Wide(iconPath), IMAGE_ICON, cx, cy, LR_LOADFROMFILE);
    return IconHandle(static_cast<HICON>(h), true);
  };
  IconHandle big = load(GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
  if (!big.Get()) throw Exception(u"Cannot load the icon file " + iconPath + u": it holds no valid icon");
  icons_->big = std::move(big);
  icons_->small = load(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON));
  for (Form* form : forms_) ApplyIcon(form);
}

void Application::SetIcon(HICON icon) {
  if (icon) {
    icons_->big = IconHandle(icon, true);
    icons_->small = IconHandle();
  } else {
    icons_->LoadResource();
  }
  for (Form* form : forms_) ApplyIcon(form);
}

HICON Application::Icon() const { return icons_->big.Get(); }
HICON Application::SmallIcon() const { return icons_->small.Get() ? icons_->small.Get() : icons_->big.Get(); }

void Application::ApplyIcon(Form* form) const {
  HWND hwnd = form->Handle();
  if (!hwnd) return;
  SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(Icon()));
  SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(SmallIcon()));
}

void Application::ShowException(const Text& message) {
  if (OnException) {
    OnException(message);
    return;
  }
  Text shown = DisplayMessage(message);
  Text caption = Title();
  MessageBoxW(GetActiveWindow(), Wide(shown), Wide(caption), MB_ICONERROR | MB_OK);
}

namespace {
// Dialogs belong to the active window, or to the main form when the program
// is not active.
HWND DialogOwner() {
  HWND owner = GetActiveWindow();
  if (!owner && App().MainForm()) owner = App().MainForm()->Handle();
  return owner;
}
}  // namespace

HWND__* ActiveDialogOwner() { return DialogOwner(); }

void Application::ShowMessage(const Text& text) {
  Text caption = Title();
  MessageBoxW(DialogOwner(), Wide(text), Wide(caption), MB_OK);
}

Size Application::ScreenSize() { return Size{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

}  // namespace vellix::ui
