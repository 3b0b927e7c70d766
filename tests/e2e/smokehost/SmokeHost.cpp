// A minimal host for the stand-in control, through the system's ATL: used to
// check the stand-in on its own. Usage: smokehost MOVIE [MOVIE...]; every
// movie is set in order before the window is shown.
//
// Host behaviour the scripts rely on:
//   any FSCommand        SetVariable("echo", command + "|" + args), in the event
//   command "reload"     sets Movie to args, in the event
//   command "focus"      gives the control's window the input focus
//   command "quit"       closes the window after the event (posted)
//   WM_CHAR on the frame SetVariable("key", character code)
// It logs to the stand-in's log as instance 0, kind "host".
#include <ocidl.h>
#include <shellapi.h>
#include <windows.h>

#include <string>
#include <vector>

#include "common/LogLine.h"

using namespace vellix_e2e;

namespace {

const CLSID kClsid = {0xD27CDB6E, 0xAE6D, 0x11cf, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const IID kEventsIid = {0xD27CDB6D, 0xAE6D, 0x11cf, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const UINT_PTR kGiveUpTimer = 1;

IDispatch* g_flash = nullptr;
HWND g_frame = nullptr;
int g_exitCode = 0;

void HostLog(const std::string& what, const std::vector<std::string>& values = {}) {
  std::vector<std::string> fields = {std::to_string(UnixMs()), std::to_string(GetCurrentProcessId()), "0", "host",
                                     what};
  fields.insert(fields.end(), values.begin(), values.end());
  AppendLine(L"VELLIX_STANDIN_LOG", fields);
}

std::string Hex(HRESULT hr) {
  char buffer[16];
  wsprintfA(buffer, "0x%08lx", static_cast<unsigned long>(hr));
  return buffer;
}

HRESULT PutMovie(const std::wstring& movie) {
  VARIANT value;
  V_VT(&value) = VT_BSTR;
  V_BSTR(&value) = SysAllocStringLen(movie.data(), movie.size());
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS dp = {&value, &named, 1, 1};
  HRESULT hr = g_flash->Invoke(102, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &dp, nullptr, nullptr,
                               nullptr);
  VariantClear(&value);
  return hr;
}

HRESULT SetVariable(const std::wstring& name, const std::wstring& value) {
  VARIANT argv[2];
  V_VT(&argv[1]) = VT_BSTR;
  V_BSTR(&argv[1]) = SysAllocStringLen(name.data(), name.size());
  V_VT(&argv[0]) = VT_BSTR;
  V_BSTR(&argv[0]) = SysAllocStringLen(value.data(), value.size());
  DISPPARAMS dp = {argv, nullptr, 2, 0};
  HRESULT hr = g_flash->Invoke(113, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &dp, nullptr, nullptr, nullptr);
  VariantClear(&argv[0]);
  VariantClear(&argv[1]);
  return hr;
}

std::wstring Text(BSTR b) { return b ? std::wstring(b, SysStringLen(b)) : std::wstring(); }

class Sink : public IDispatch {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == kEventsIid) {
      *ppv = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
  STDMETHODIMP_(ULONG) Release() override { return --refs_; }  // lives on the stack of WinMain
  STDMETHODIMP GetTypeInfoCount(UINT* n) override {
    if (n) *n = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* p, VARIANT*, EXCEPINFO*, UINT*) override {
    if (id != 150 || !p || p->cArgs != 2 || V_VT(&p->rgvarg[0]) != VT_BSTR || V_VT(&p->rgvarg[1]) != VT_BSTR) {
      HostLog("odd-event", {std::to_string(id)});
      return S_OK;
    }
    std::wstring command = Text(V_BSTR(&p->rgvarg[1]));
    std::wstring args = Text(V_BSTR(&p->rgvarg[0]));
    HRESULT hr = SetVariable(L"echo", command + L"|" + args);
    if (FAILED(hr)) HostLog("setvariable-failed", {Hex(hr)});
    if (command == L"reload") {
      hr = PutMovie(args);
      if (FAILED(hr)) HostLog("movie-failed", {Hex(hr)});
    } else if (command == L"focus") {
      IOleWindow* window = nullptr;
      HWND hwnd = nullptr;
      if (SUCCEEDED(g_flash->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(&window)))) {
        if (SUCCEEDED(window->GetWindow(&hwnd))) SetFocus(hwnd);
        window->Release();
      }
    } else if (command == L"quit") {
      PostMessageW(g_frame, WM_CLOSE, 0, 0);
    }
    return S_OK;
  }
  ULONG refs() const { return refs_; }

 private:
  ULONG refs_ = 1;
};

LRESULT CALLBACK FrameProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CHAR:
      if (g_flash) SetVariable(L"key", std::to_wstring(wp));
      return 0;
    case WM_TIMER:
      HostLog("give-up");
      g_exitCode = 2;
      DestroyWindow(hwnd);
      return 0;
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return 0;
    case WM_SIZE: {
      HWND child = GetWindow(hwnd, GW_CHILD);
      if (child) MoveWindow(child, 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

int Fail(const std::string& what, HRESULT hr) {
  HostLog("fail", {what, Hex(hr)});
  return 1;
}

int Run() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv || argc < 2) return Fail("usage", E_INVALIDARG);

  HMODULE atl = LoadLibraryW(L"atl.dll");
  if (!atl) return Fail("LoadLibrary atl.dll", HRESULT_FROM_WIN32(GetLastError()));
  auto init = reinterpret_cast<BOOL(WINAPI*)()>(reinterpret_cast<void (*)()>(GetProcAddress(atl, "AtlAxWinInit")));
  auto getControl = reinterpret_cast<HRESULT(WINAPI*)(HWND, IUnknown**)>(
      reinterpret_cast<void (*)()>(GetProcAddress(atl, "AtlAxGetControl")));
  if (!init || !getControl) return Fail("atl.dll exports", E_NOTIMPL);
  if (!init()) return Fail("AtlAxWinInit", E_FAIL);

  WNDCLASSW wc = {};
  wc.lpfnWndProc = FrameProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = L"VellixSmokeHost";
  RegisterClassW(&wc);
  g_frame = CreateWindowExW(0, wc.lpszClassName, L"Vellix smoke host \uD55C\uAE00", WS_OVERLAPPEDWINDOW, 40, 30, 640,
                            480, nullptr, nullptr, wc.hInstance, nullptr);
  if (!g_frame) return Fail("CreateWindow frame", HRESULT_FROM_WIN32(GetLastError()));
  RECT client;
  GetClientRect(g_frame, &client);
  HWND ax = CreateWindowExW(0, L"AtlAxWin", L"{D27CDB6E-AE6D-11cf-96B8-444553540000}", WS_CHILD | WS_VISIBLE, 0, 0,
                            client.right, client.bottom, g_frame, nullptr, wc.hInstance, nullptr);
  if (!ax) return Fail("CreateWindow AtlAxWin", HRESULT_FROM_WIN32(GetLastError()));

  IUnknown* unknown = nullptr;
  HRESULT hr = getControl(ax, &unknown);
  if (FAILED(hr) || !unknown) return Fail("AtlAxGetControl", hr);
  hr = unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&g_flash));
  if (FAILED(hr)) return Fail("QueryInterface IDispatch", hr);

  LPOLESTR names[] = {const_cast<LPOLESTR>(L"movie"), const_cast<LPOLESTR>(L"SetVariable")};
  DISPID ids[2] = {0, 0};
  g_flash->GetIDsOfNames(IID_NULL, &names[0], 1, LOCALE_USER_DEFAULT, &ids[0]);
  g_flash->GetIDsOfNames(IID_NULL, &names[1], 1, LOCALE_USER_DEFAULT, &ids[1]);
  HostLog("ids", {std::to_string(ids[0]), std::to_string(ids[1])});

  IConnectionPointContainer* container = nullptr;
  IConnectionPoint* point = nullptr;
  Sink sink;
  DWORD cookie = 0;
  hr = unknown->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container));
  if (FAILED(hr)) return Fail("QueryInterface IConnectionPointContainer", hr);
  hr = container->FindConnectionPoint(kEventsIid, &point);
  container->Release();
  if (FAILED(hr)) return Fail("FindConnectionPoint", hr);
  hr = point->Advise(&sink, &cookie);
  if (FAILED(hr)) return Fail("Advise", hr);

  for (int i = 1; i < argc; ++i) {
    hr = PutMovie(argv[i]);
    if (FAILED(hr)) return Fail("put Movie", hr);
  }
  LocalFree(argv);

  SetTimer(g_frame, kGiveUpTimer, 20000, nullptr);
  ShowWindow(g_frame, SW_SHOWNORMAL);
  UpdateWindow(g_frame);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }

  hr = point->Unadvise(cookie);
  if (FAILED(hr)) HostLog("unadvise-failed", {Hex(hr)});
  point->Release();
  g_flash->Release();
  g_flash = nullptr;
  unknown->Release();
  HostLog("sink-refs", {std::to_string(sink.refs())});
  return g_exitCode;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  OleInitialize(nullptr);
  int code = Run();
  HostLog("exit", {std::to_string(code)});
  OleUninitialize();
  return code;
}
