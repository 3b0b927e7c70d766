#include <windows.h>
#include <ole2.h>

#include <algorithm>
#include <vector>

#include "ui/Application.h"
#include "ui/Exception.h"
#include "ui/Handles_win.h"

namespace vellix::ui {

namespace {
constexpr UINT kDeferredMessage = WM_APP + 0x102;
const wchar_t kApplicationClassName[] = L"VellixApplication";

IconHandle ResourceIcon(int cx, int cy) {
  // Shared: the system owns icons loaded with LR_SHARED.
  HANDLE h = LoadImageW(GetModuleHandleW(nullptr), L"MAINICON", IMAGE_ICON, cx, cy, LR_SHARED);
  return IconHandle(static_cast<HICON>(h), false);
}

Text ExecutablePath() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return Text();
    if (n < buffer.size()) return FromWide(buffer.data(), n);
    if (buffer.size() >= 32768) return FromWide(buffer.data(), n);
    buffer.resize(buffer.size() * 2);
  }
}
}  // namespace

struct Application::Icons {
  IconHandle big;
  IconHandle small;
  void LoadResource() {
    big = ResourceIcon(GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
    small = ResourceIcon(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON));
  }
};

Application& App() {
  static Application app;
  return app;
}

Application::Application() : icons_(std::make_unique<Icons>()) { icons_->LoadResource(); }

Application::~Application() {
  DeleteForms();
  deferred_.clear();
  if (handle_) DestroyWindow(handle_);
  if (oleInitialized_) OleUninitialize();
}

void Application::Initialize() {
  if (oleInitialized_) return;
  HRESULT hr = OleInitialize(nullptr);
  // S_FALSE: already initialised on this thread, which still needs a matching
  // uninitialise.
  if (SUCCEEDED(hr)) oleInitialized_ = true;
}

void Application::SetMainFormOnTaskBar(bool on) {
  mainFormOnTaskBar_ = on;
  if (!mainForm_ || !mainForm_->Handle()) return;
  HWND hwnd = mainForm_->Handle();
  LONG ex = GetWindowLongW(hwnd, GWL_EXSTYLE);
  ex = on ? (ex | WS_EX_APPWINDOW) : (ex & ~WS_EX_APPWINDOW);
  SetWindowLongW(hwnd, GWL_EXSTYLE, ex);
}

void Application::Adopt(Form* form) {
  form->heap_ = true;
  appForms_.push_back(form);
  if (!mainForm_) {
    mainForm_ = form;
    SetMainFormOnTaskBar(mainFormOnTaskBar_);
  }
}

void Application::FormCreated(Form* form) {
  forms_.push_back(form);
  ApplyIcon(form);
}

void Application::FormDestroyed(Form* form) {
  forms_.erase(std::remove(forms_.begin(), forms_.end(), form), forms_.end());
  appForms_.erase(std::remove(appForms_.begin(), appForms_.end(), form), appForms_.end());
  if (mainForm_ == form) {
    mainForm_ = nullptr;
    Terminate();
  }
}

void Application::DeleteForms() {
  // Not a destruction of the main form that should end a loop: the loop is
  // over already.
  mainForm_ = nullptr;
  while (!appForms_.empty()) {
    Form* form = appForms_.back();
    appForms_.pop_back();
    delete form;
  }
}

void Application::Run() {
  if (mainForm_ && !terminated_) {
    Form* main = mainForm_;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    GetStartupInfoW(&si);
    int show = (si.dwFlags & STARTF_USESHOWWINDOW) ? si.wShowWindow : SW_SHOWDEFAULT;
    if (show == SW_SHOWMAXIMIZED) {
      main->state_ = WindowState::Maximized;
      main->ShowWith(SW_SHOWMAXIMIZED);
    } else if (show == SW_SHOWMINNOACTIVE) {
      main->state_ = WindowState::Minimized;
      main->ShowWith(SW_SHOWMINNOACTIVE);
    } else {
      main->Show();
    }
  }
  if (mainForm_ || terminated_) {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  DeleteForms();
  terminated_ = false;
}

void Application::Terminate() {
  if (terminated_) return;
  terminated_ = true;
  PostQuitMessage(0);
}

namespace {
LRESULT CALLBACK ApplicationWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kDeferredMessage) {
    App().RunDeferred();
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}
}  // namespace

HWND Application::Handle() {
  if (handle_ && IsWindow(handle_)) return handle_;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &ApplicationWindowProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kApplicationClassName;
  RegisterClassExW(&wc);  // fails harmlessly when registered already
  handle_ = CreateWindowExW(WS_EX_TOOLWINDOW, kApplicationClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
  return handle_;
}

void Application::Defer(std::function<void()> work) {
  deferred_.push_back(std::move(work));
  HWND hwnd = Handle();
  if (deferred_.size() == 1 && hwnd) PostMessageW(hwnd, kDeferredMessage, 0, 0);
}

void Application::RunDeferred() {
  // Work queued while this batch runs waits for the next message.
  std::vector<std::function<void()>> batch;
  batch.swap(deferred_);
  for (auto& work : batch) Guarded(work);
}

Text Application::Title() const {
  if (title_.empty()) title_ = DefaultTitle(ExecutablePath());
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

void Application::ShowException(const std::exception& error) {
  const auto* ours = dynamic_cast<const Exception*>(&error);
  ShowException(ours ? ours->Message() : Text());
}

void Application::ShowException(const Text& message) {
  Text shown = DisplayMessage(message);
  Text caption = Title();
  MessageBoxW(GetActiveWindow(), Wide(shown), Wide(caption), MB_ICONERROR | MB_OK);
}

void Application::HandleException(const std::exception& error) noexcept {
  try {
    if (OnException) {
      OnException(error);
    } else {
      ShowException(error);
    }
  } catch (...) {
    // Showing an error must not raise another one.
  }
}

void Application::HandleCurrentException() noexcept {
  try {
    throw;
  } catch (const std::exception& error) {
    HandleException(error);
  } catch (...) {
    HandleException(std::exception());
  }
}

}  // namespace vellix::ui
