// The start-up baseline: the least a window program does before its window is
// on the screen. It registers a class, creates a window with an 800 x 600
// client area, shows it, writes the unix time in milliseconds at that moment
// to the file named by VELLIX_BARE_WINDOW_LOG, and exits.
#include <windows.h>

#include <cstdint>
#include <cstdio>

namespace {

const wchar_t kClassName[] = L"VellixBareWindow";

std::int64_t UnixMs() {
  FILETIME ft;
  GetSystemTimeAsFileTime(&ft);
  const std::uint64_t t = (static_cast<std::uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  return static_cast<std::int64_t>(t / 10000 - 11644473600000ULL);
}

bool WriteTime(std::int64_t ms) {
  wchar_t path[MAX_PATH];
  const DWORD n = GetEnvironmentVariableW(L"VELLIX_BARE_WINDOW_LOG", path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return false;
  HANDLE f = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  char line[32];
  const int length = std::snprintf(line, sizeof line, "%lld\n", static_cast<long long>(ms));
  DWORD written = 0;
  const bool ok = WriteFile(f, line, static_cast<DWORD>(length), &written, nullptr) && written == DWORD(length);
  CloseHandle(f);
  return ok;
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kClassName;
  if (!RegisterClassExW(&wc)) return 1;

  const DWORD style = WS_OVERLAPPEDWINDOW;
  RECT r = {0, 0, 800, 600};
  AdjustWindowRectEx(&r, style, FALSE, 0);
  HWND hwnd = CreateWindowExW(0, kClassName, L"Bare window", style, CW_USEDEFAULT, CW_USEDEFAULT, r.right - r.left,
                              r.bottom - r.top, nullptr, nullptr, instance, nullptr);
  if (!hwnd) return 2;
  ShowWindow(hwnd, SW_SHOWNORMAL);
  UpdateWindow(hwnd);
  if (!IsWindowVisible(hwnd) || !WriteTime(UnixMs())) return 3;

  // Leave as a window program does: destroy the window and drain the queue.
  DestroyWindow(hwnd);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
