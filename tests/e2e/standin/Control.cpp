#include "standin/Control.h"

#include <algorithm>
#include <cstdio>
#include <new>

#include "common/LogLine.h"

namespace vellix_e2e {

// {D27CDB6E-AE6D-11cf-96B8-444553540000}
const CLSID kControlClsid = {0xD27CDB6E, 0xAE6D, 0x11cf, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
// {D27CDB6C-AE6D-11cf-96B8-444553540000}: the control's default interface.
const IID kFlashIid = {0xD27CDB6C, 0xAE6D, 0x11cf, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
// {D27CDB6D-AE6D-11cf-96B8-444553540000}: its event interface.
const IID kFlashEventsIid = {0xD27CDB6D, 0xAE6D, 0x11cf, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

namespace {

const wchar_t kControlClass[] = L"VellixStandinControl";
const wchar_t kTimerClass[] = L"VellixStandinTimer";
const UINT kRunStep = WM_APP + 1;       // wParam: generation
const UINT kNextRoundtrip = WM_APP + 2; // wParam: generation
const UINT kNextEventTime = WM_APP + 3; // wParam: generation
const UINT_PTR kPollTimer = 1;
const UINT_PTR kWaitTimer = 2;
const DISPID kDispMovie = 102;
const DISPID kDispSetVariable = 113;
const DISPID kDispGetVariable = 114;
const DISPID kDispFsCommand = 150;
const DWORD kRoundtripTimeoutMs = 5000;

LONG g_instances = 0;

struct Member {
  const wchar_t* name;
  DISPID id;
};

// Properties the host may set at start, plus a few it might read.
const Member kMembers[] = {
    {L"Movie", kDispMovie},        {L"SetVariable", kDispSetVariable},
    {L"GetVariable", kDispGetVariable},
    {L"ReadyState", -525},         {L"Quality", 105},
    {L"Loop", 106},                {L"ScaleMode", 120},
    {L"AlignMode", 121},           {L"BackgroundColor", 123},
    {L"Playing", 125},             {L"WMode", 133},
    {L"SAlign", 134},              {L"Menu", 135},
    {L"Base", 136},                {L"Scale", 137},
    {L"DeviceFont", 138},          {L"EmbedMovie", 139},
    {L"BGColor", 140},             {L"Quality2", 141},
    {L"SWRemote", 159},            {L"FlashVars", 170},
    {L"AllowScriptAccess", 171},   {L"MovieData", 190},
    {L"SeamlessTabbing", 200},     {L"Profile", 201},
    {L"ProfileAddress", 202},      {L"ProfilePort", 203},
    {L"AllowNetworking", 204},     {L"AllowFullScreen", 205},
};

std::string MemberName(DISPID id) {
  for (const auto& m : kMembers) {
    if (m.id == id) return Utf8(m.name, lstrlenW(m.name));
  }
  return "#" + std::to_string(id);
}

std::wstring FromBstr(BSTR b) { return b ? std::wstring(b, SysStringLen(b)) : std::wstring(); }

std::string TypeName(VARTYPE vt) {
  switch (vt) {
    case VT_EMPTY: return "empty";
    case VT_NULL: return "null";
    case VT_BSTR: return "bstr";
    case VT_BOOL: return "bool";
    case VT_I2: return "i2";
    case VT_I4: return "i4";
    case VT_UI4: return "ui4";
    case VT_INT: return "int";
    case VT_R8: return "r8";
    default: return "vt" + std::to_string(vt);
  }
}

// A by-value copy of the argument and its text; false when it has none.
bool ArgumentText(const VARIANT& arg, VARTYPE* type, std::wstring* text) {
  VARIANT v;
  VariantInit(&v);
  if (FAILED(VariantCopyInd(&v, const_cast<VARIANT*>(&arg)))) return false;
  *type = V_VT(&v);
  bool ok = true;
  if (V_VT(&v) == VT_BSTR) {
    *text = FromBstr(V_BSTR(&v));
  } else if (V_VT(&v) == VT_BOOL) {
    *text = V_BOOL(&v) ? L"true" : L"false";
  } else if (V_VT(&v) == VT_EMPTY || V_VT(&v) == VT_NULL) {
    text->clear();
  } else if (SUCCEEDED(VariantChangeType(&v, &v, 0, VT_BSTR))) {
    *text = FromBstr(V_BSTR(&v));
  } else {
    ok = false;
  }
  VariantClear(&v);
  return ok;
}

std::string RectText(const RECT& r) {
  char buffer[80];
  std::snprintf(buffer, sizeof buffer, "%ld,%ld,%ld,%ld", r.left, r.top, r.right, r.bottom);
  return buffer;
}

std::string WindowCaption(HWND hwnd) {
  if (!hwnd) return {};
  int n = GetWindowTextLengthW(hwnd);
  std::wstring text(n + 1, L'\0');
  n = GetWindowTextW(hwnd, &text[0], n + 1);
  return EscapeWide(text.c_str(), n);
}

bool ReadFileBytes(const std::wstring& path, std::string* out) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size;
  bool ok = GetFileSizeEx(f, &size) && size.QuadPart < (16 << 20);
  if (ok) {
    out->resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    ok = out->empty() || (ReadFile(f, &(*out)[0], static_cast<DWORD>(out->size()), &read, nullptr) &&
                          read == out->size());
  }
  CloseHandle(f);
  return ok;
}

LRESULT CALLBACK ControlProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
  auto* control = reinterpret_cast<Control*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (control) return control->OnControlMessage(hwnd, msg, wp, lp);
  return DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT CALLBACK TimerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
  auto* control = reinterpret_cast<Control*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (control) return control->OnTimerMessage(hwnd, msg, wp, lp);
  return DefWindowProcW(hwnd, msg, wp, lp);
}

void RegisterClasses() {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = ControlProc;
  wc.hInstance = g_module;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.lpszClassName = kControlClass;
  RegisterClassW(&wc);  // fails harmlessly when already registered
  WNDCLASSW tc = {};
  tc.lpfnWndProc = TimerProc;
  tc.hInstance = g_module;
  tc.lpszClassName = kTimerClass;
  RegisterClassW(&tc);
}

struct TopWindowCount {
  DWORD pid;
  int all;
  int visible;
  int descendants;      // windows inside the process's top-level windows, at any depth
  std::string classes;  // class names of the top-level windows, "," between them
};

BOOL CALLBACK CountChildWindow(HWND, LPARAM lp) {
  ++*reinterpret_cast<int*>(lp);
  return TRUE;
}

BOOL CALLBACK CountTopWindows(HWND hwnd, LPARAM lp) {
  auto* count = reinterpret_cast<TopWindowCount*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == count->pid) {
    ++count->all;
    if (IsWindowVisible(hwnd)) ++count->visible;
    EnumChildWindows(hwnd, CountChildWindow, reinterpret_cast<LPARAM>(&count->descendants));
    wchar_t name[128];
    int n = GetClassNameW(hwnd, name, 128);
    if (!count->classes.empty()) count->classes += ',';
    count->classes += EscapeWide(name, n > 0 ? n : 0);
  }
  return TRUE;
}

int CountMessageOnlyWindows(DWORD processId) {
  int n = 0;
  HWND hwnd = nullptr;
  while ((hwnd = FindWindowExW(HWND_MESSAGE, hwnd, nullptr, nullptr)) != nullptr) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == processId) ++n;
  }
  return n;
}

// Wine's GetGuiResources counts nothing. Its GDI objects live in a handle
// table that the process environment block points to (GdiSharedHandleTable,
// offset 0x94 on 32 bits): 0x10000 entries of this layout, type 0 when free.
struct WineGdiEntry {
  unsigned long long object;
  unsigned long owner;
  unsigned short unique;  // bit 7: a stock object
  unsigned char type;
  unsigned char flags;
  unsigned long long userPointer;
};
static_assert(sizeof(WineGdiEntry) == 24, "Wine's GDI handle entry is 24 bytes");

// Counts of the live GDI objects that are not stock objects, by the table's
// type number (1 DC, 4 region, 5 bitmap, 16 brush...); false outside Wine.
bool WineGdiObjects(std::map<int, int>* byType) {
#if defined(_M_IX86) || defined(__i386__)
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  if (!ntdll || !GetProcAddress(ntdll, "wine_get_version")) return false;
  const auto* teb = reinterpret_cast<const unsigned char*>(NtCurrentTeb());
  const auto* peb = *reinterpret_cast<const unsigned char* const*>(teb + 0x30);
  const auto* table = *reinterpret_cast<const WineGdiEntry* const*>(peb + 0x94);
  const size_t entries = 0x10000;
  MEMORY_BASIC_INFORMATION info = {};
  if (!table || !VirtualQuery(table, &info, sizeof info) || info.State != MEM_COMMIT ||
      reinterpret_cast<const unsigned char*>(info.BaseAddress) + info.RegionSize <
          reinterpret_cast<const unsigned char*>(table + entries)) {
    return false;
  }
  for (size_t i = 0; i < entries; ++i) {
    if (table[i].type != 0 && !(table[i].unique & 0x80)) ++(*byType)[table[i].type];
  }
  return true;
#else
  (void)byType;
  return false;
#endif
}

}  // namespace

// ---- EventPoint -----------------------------------------------------------

STDMETHODIMP EventPoint::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IConnectionPoint) {
    *ppv = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}
STDMETHODIMP_(ULONG) EventPoint::AddRef() { return owner_->AddRef(); }
STDMETHODIMP_(ULONG) EventPoint::Release() { return owner_->Release(); }
STDMETHODIMP EventPoint::GetConnectionInterface(IID* iid) {
  if (!iid) return E_POINTER;
  *iid = kFlashEventsIid;
  return S_OK;
}
STDMETHODIMP EventPoint::GetConnectionPointContainer(IConnectionPointContainer** out) {
  if (!out) return E_POINTER;
  return owner_->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(out));
}
STDMETHODIMP EventPoint::Advise(IUnknown* sink, DWORD* cookie) { return owner_->AdviseSink(sink, cookie); }
STDMETHODIMP EventPoint::Unadvise(DWORD cookie) { return owner_->UnadviseSink(cookie); }
STDMETHODIMP EventPoint::EnumConnections(IEnumConnections** out) {
  if (out) *out = nullptr;
  return E_NOTIMPL;
}

// ---- Control: identity ------------------------------------------------------

Control::Control() : instance_(InterlockedIncrement(&g_instances)), events_(this) {
  InterlockedIncrement(&g_liveObjects);
  extent_.cx = MulDiv(800, 2540, 96);
  extent_.cy = MulDiv(600, 2540, 96);
  RegisterClasses();
  timerWnd_ = CreateWindowExW(0, kTimerClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, g_module, this);
  if (timerWnd_) SetTimer(timerWnd_, kPollTimer, 25, nullptr);
  Log("create", {timerWnd_ ? "ok" : "no-timer-window"});
}

Control::~Control() {
  if (timerWnd_) {
    SetWindowLongPtrW(timerWnd_, GWLP_USERDATA, 0);
    DestroyWindow(timerWnd_);
  }
  DestroyControlWindow();
  if (inPlaceSite_) inPlaceSite_->Release();
  if (site_) site_->Release();
  if (adviseHolder_) adviseHolder_->Release();
  for (auto& s : sinks_) s.dispatch->Release();
  for (auto& p : properties_) VariantClear(&p.second);
  Log("release");
  InterlockedDecrement(&g_liveObjects);
}

STDMETHODIMP Control::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (riid == IID_IUnknown || riid == IID_IOleObject) {
    *ppv = static_cast<IOleObject*>(this);
  } else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceObject) {
    *ppv = static_cast<IOleInPlaceObject*>(this);
  } else if (riid == IID_IOleInPlaceActiveObject) {
    *ppv = static_cast<IOleInPlaceActiveObject*>(this);
  } else if (riid == IID_IOleControl) {
    *ppv = static_cast<IOleControl*>(this);
  } else if (riid == IID_IPersist || riid == IID_IPersistStreamInit) {
    *ppv = static_cast<IPersistStreamInit*>(this);
  } else if (riid == IID_IDispatch || riid == kFlashIid) {
    *ppv = static_cast<IDispatch*>(this);
  } else if (riid == IID_IConnectionPointContainer) {
    *ppv = static_cast<IConnectionPointContainer*>(this);
  } else if (riid == IID_IProvideClassInfo || riid == IID_IProvideClassInfo2) {
    *ppv = static_cast<IProvideClassInfo2*>(this);
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) Control::AddRef() { return InterlockedIncrement(&refs_); }

STDMETHODIMP_(ULONG) Control::Release() {
  LONG n = InterlockedDecrement(&refs_);
  if (n == 0) delete this;
  return n;
}

void Control::Log(const std::string& kind, std::vector<std::string> values) {
  std::vector<std::string> fields = {std::to_string(UnixMs()), std::to_string(GetCurrentProcessId()),
                                     std::to_string(instance_), kind};
  for (auto& v : values) fields.push_back(std::move(v));
  AppendLine(L"VELLIX_STANDIN_LOG", fields);
}

// Marks teardown steps that a host performs inside one of our own events.
std::string Control::DuringEvent() const { return inEvent_ ? "during-event" : ""; }

// ---- IOleObject ---------------------------------------------------------------

STDMETHODIMP Control::SetClientSite(IOleClientSite* site) {
  if (site) site->AddRef();
  if (site_) site_->Release();
  site_ = site;
  std::vector<std::string> values = {site ? "set" : "null"};
  if (!site && inEvent_) values.push_back(DuringEvent());
  Log("clientsite", values);
  return S_OK;
}

STDMETHODIMP Control::GetClientSite(IOleClientSite** site) {
  if (!site) return E_POINTER;
  *site = site_;
  if (site_) site_->AddRef();
  return S_OK;
}

STDMETHODIMP Control::Close(DWORD) {
  std::vector<std::string> values;
  if (inEvent_) values.push_back(DuringEvent());
  Log("close", values);
  StopScript();
  InPlaceDeactivate();
  return S_OK;
}

STDMETHODIMP Control::DoVerb(LONG verb, LPMSG, IOleClientSite* activeSite, LONG, HWND parent, LPCRECT posRect) {
  switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_INPLACEACTIVATE:
    case OLEIVERB_UIACTIVATE:
      return Activate(verb, activeSite, parent, posRect);
    case OLEIVERB_HIDE:
      Log("verb", {"hide"});
      if (hwnd_) ShowWindow(hwnd_, SW_HIDE);
      return S_OK;
    default:
      Log("verb", {std::to_string(verb)});
      return OLEOBJ_S_INVALIDVERB;
  }
}

HRESULT Control::Activate(LONG verb, IOleClientSite* activeSite, HWND parent, LPCRECT posRect) {
  if (!hwnd_) {
    IOleClientSite* site = activeSite ? activeSite : site_;
    IOleInPlaceSite* ips = nullptr;
    if (site) site->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&ips));
    RECT pos = {0, 0, 800, 600};
    HWND parentWnd = parent;
    if (ips) {
      if (ips->CanInPlaceActivate() != S_OK) {
        Log("activate-refused", {std::to_string(verb)});
        ips->Release();
        return E_FAIL;
      }
      ips->OnInPlaceActivate();
      HWND siteWnd = nullptr;
      if (SUCCEEDED(ips->GetWindow(&siteWnd)) && siteWnd) parentWnd = siteWnd;
      IOleInPlaceFrame* frame = nullptr;
      IOleInPlaceUIWindow* doc = nullptr;
      RECT clip;
      OLEINPLACEFRAMEINFO info = {};
      info.cb = sizeof info;
      if (SUCCEEDED(ips->GetWindowContext(&frame, &doc, &pos, &clip, &info))) {
        if (frame) frame->Release();
        if (doc) doc->Release();
      }
    }
    if (posRect) pos = *posRect;
    if (!parentWnd) {
      Log("activate-failed", {std::to_string(verb), "no parent window"});
      if (ips) {
        ips->OnInPlaceDeactivate();
        ips->Release();
      }
      return E_FAIL;
    }
    hwnd_ = CreateWindowExW(0, kControlClass, L"Flash stand-in", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP,
                            pos.left, pos.top, pos.right - pos.left, pos.bottom - pos.top, parentWnd, nullptr,
                            g_module, this);
    if (!hwnd_) {
      Log("activate-failed", {std::to_string(verb), "CreateWindow " + std::to_string(GetLastError())});
      if (ips) {
        ips->OnInPlaceDeactivate();
        ips->Release();
      }
      return E_FAIL;
    }
    inPlaceSite_ = ips;
    Log("activate", {std::to_string(verb), ips ? "site" : "parent", RectText(pos)});
  } else if (posRect) {
    SetObjectRects(posRect, posRect);
  }
  ShowWindow(hwnd_, SW_SHOW);
  if (verb == OLEIVERB_UIACTIVATE) {
    if (inPlaceSite_) inPlaceSite_->OnUIActivate();
    SetFocus(hwnd_);
  }
  return S_OK;
}

STDMETHODIMP Control::GetUserClassID(CLSID* clsid) {
  if (!clsid) return E_POINTER;
  *clsid = kControlClsid;
  return S_OK;
}

STDMETHODIMP Control::SetExtent(DWORD aspect, SIZEL* size) {
  if (!size) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  extent_ = *size;
  Log("extent", {std::to_string(size->cx) + "," + std::to_string(size->cy)});
  return S_OK;
}

STDMETHODIMP Control::GetExtent(DWORD aspect, SIZEL* size) {
  if (!size) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  *size = extent_;
  return S_OK;
}

STDMETHODIMP Control::Advise(IAdviseSink* sink, DWORD* cookie) {
  if (!cookie) return E_POINTER;
  if (!adviseHolder_ && FAILED(CreateOleAdviseHolder(&adviseHolder_))) return E_OUTOFMEMORY;
  return adviseHolder_->Advise(sink, cookie);
}

STDMETHODIMP Control::Unadvise(DWORD cookie) {
  if (!adviseHolder_) return OLE_E_NOCONNECTION;
  return adviseHolder_->Unadvise(cookie);
}

STDMETHODIMP Control::EnumAdvise(IEnumSTATDATA** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!adviseHolder_) return S_OK;
  return adviseHolder_->EnumAdvise(out);
}

STDMETHODIMP Control::GetMiscStatus(DWORD, DWORD* status) {
  if (!status) return E_POINTER;
  *status = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT | OLEMISC_ACTIVATEWHENVISIBLE |
            OLEMISC_SETCLIENTSITEFIRST;
  return S_OK;
}

// ---- in-place object ------------------------------------------------------------

STDMETHODIMP Control::GetWindow(HWND* hwnd) {
  if (!hwnd) return E_POINTER;
  *hwnd = hwnd_;
  return hwnd_ ? S_OK : E_FAIL;
}

void Control::DestroyControlWindow() {
  if (!hwnd_) return;
  HWND hwnd = hwnd_;
  hwnd_ = nullptr;
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  // Still a window of ours: not yet destroyed along with its parent.
  if (IsWindow(hwnd)) {
    std::vector<std::string> values = {"by-control"};
    if (inEvent_) values.push_back(DuringEvent());
    Log("destroy", values);
    DestroyWindow(hwnd);
  }
}

STDMETHODIMP Control::InPlaceDeactivate() {
  if (!hwnd_ && !inPlaceSite_) return S_OK;
  std::vector<std::string> values;
  if (inEvent_) values.push_back(DuringEvent());
  Log("deactivate", values);
  DestroyControlWindow();
  if (inPlaceSite_) {
    IOleInPlaceSite* ips = inPlaceSite_;
    inPlaceSite_ = nullptr;
    ips->OnInPlaceDeactivate();
    ips->Release();
  }
  return S_OK;
}

STDMETHODIMP Control::SetObjectRects(LPCRECT pos, LPCRECT) {
  if (!pos) return E_POINTER;
  Log("rects", {RectText(*pos)});
  if (hwnd_) MoveWindow(hwnd_, pos->left, pos->top, pos->right - pos->left, pos->bottom - pos->top, TRUE);
  return S_OK;
}

// ---- IOleControl, persistence ------------------------------------------------

STDMETHODIMP Control::GetControlInfo(CONTROLINFO* info) {
  if (!info) return E_POINTER;
  info->hAccel = nullptr;
  info->cAccel = 0;
  info->dwFlags = 0;
  return S_OK;
}

STDMETHODIMP Control::GetClassID(CLSID* clsid) { return GetUserClassID(clsid); }

STDMETHODIMP Control::Load(LPSTREAM) {
  Log("load");
  return S_OK;
}

STDMETHODIMP Control::GetSizeMax(ULARGE_INTEGER* size) {
  if (!size) return E_POINTER;
  size->QuadPart = 0;
  return S_OK;
}

STDMETHODIMP Control::InitNew() {
  Log("initnew");
  return S_OK;
}

STDMETHODIMP Control::FindConnectionPoint(REFIID riid, IConnectionPoint** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (riid != kFlashEventsIid) return CONNECT_E_NOCONNECTION;
  *out = &events_;
  AddRef();
  return S_OK;
}

STDMETHODIMP Control::GetGUID(DWORD kind, GUID* guid) {
  if (!guid) return E_POINTER;
  if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) return E_INVALIDARG;
  *guid = kFlashEventsIid;
  return S_OK;
}

HRESULT Control::AdviseSink(IUnknown* sink, DWORD* cookie) {
  if (!cookie) return E_POINTER;
  *cookie = 0;
  if (!sink) return E_POINTER;
  IDispatch* dispatch = nullptr;
  if (FAILED(sink->QueryInterface(kFlashEventsIid, reinterpret_cast<void**>(&dispatch))) &&
      FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)))) {
    Log("advise-failed", {"no IDispatch"});
    return CONNECT_E_CANNOTCONNECT;
  }
  *cookie = nextCookie_++;
  sinks_.push_back({*cookie, dispatch});
  Log("advise", {std::to_string(*cookie)});
  return S_OK;
}

HRESULT Control::UnadviseSink(DWORD cookie) {
  auto it = std::find_if(sinks_.begin(), sinks_.end(), [cookie](const Sink& s) { return s.cookie == cookie; });
  if (it == sinks_.end()) {
    Log("unadvise-failed", {std::to_string(cookie)});
    return CONNECT_E_NOCONNECTION;
  }
  IDispatch* dispatch = it->dispatch;
  sinks_.erase(it);
  std::vector<std::string> values = {std::to_string(cookie)};
  if (inEvent_) values.push_back(DuringEvent());
  Log("unadvise", values);
  dispatch->Release();
  return S_OK;
}

// ---- IDispatch --------------------------------------------------------------

STDMETHODIMP Control::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 0;
  return S_OK;
}

STDMETHODIMP Control::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  if (!names || !ids || count == 0) return E_INVALIDARG;
  for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  if (!names[0]) return DISP_E_UNKNOWNNAME;
  for (const auto& m : kMembers) {
    if (lstrcmpiW(m.name, names[0]) == 0) {
      ids[0] = m.id;
      return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
    }
  }
  Log("unknown-name", {EscapeWide(names[0], lstrlenW(names[0]))});
  return DISP_E_UNKNOWNNAME;
}

STDMETHODIMP Control::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                             UINT* argError) {
  if (!params) return E_INVALIDARG;
  if (argError) *argError = 0;
  if (result) VariantInit(result);
  // Arguments arrive last to first.
  auto arg = [params](UINT i) -> const VARIANT& { return params->rgvarg[params->cArgs - 1 - i]; };

  if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
    if (params->cArgs != 1 || !params->rgvarg) return DISP_E_BADPARAMCOUNT;
    VARTYPE type = VT_EMPTY;
    std::wstring text;
    if (!ArgumentText(arg(0), &type, &text)) {
      Log("put-failed", {MemberName(id), TypeName(V_VT(&arg(0)))});
      return DISP_E_TYPEMISMATCH;
    }
    Log("put", {MemberName(id), TypeName(type), EscapeWide(text)});
    VARIANT& stored = properties_[id];
    VariantClear(&stored);
    VariantCopyInd(&stored, const_cast<VARIANT*>(&arg(0)));
    if (id == kDispMovie) PutMovie(text);
    return S_OK;
  }

  if (id == kDispSetVariable && (flags & DISPATCH_METHOD)) {
    if (params->cArgs != 2 || !params->rgvarg) {
      Log("bad-call", {"SetVariable", std::to_string(params->cArgs) + " arguments"});
      return DISP_E_BADPARAMCOUNT;
    }
    VARTYPE t1, t2;
    std::wstring name, value;
    if (!ArgumentText(arg(0), &t1, &name) || !ArgumentText(arg(1), &t2, &value)) return DISP_E_TYPEMISMATCH;
    OnSetVariable(name, value);
    return S_OK;
  }

  if (id == kDispGetVariable && (flags & DISPATCH_METHOD)) {
    if (params->cArgs != 1 || !params->rgvarg) return DISP_E_BADPARAMCOUNT;
    VARTYPE t;
    std::wstring name;
    if (!ArgumentText(arg(0), &t, &name)) return DISP_E_TYPEMISMATCH;
    if (result) {
      auto it = variables_.find(name);
      V_VT(result) = VT_BSTR;
      V_BSTR(result) = it == variables_.end() ? SysAllocString(L"")
                                              : SysAllocStringLen(it->second.data(), it->second.size());
    }
    return S_OK;
  }

  if (flags & DISPATCH_PROPERTYGET) {
    if (id == -525) {  // ready state: always complete
      if (result) {
        V_VT(result) = VT_I4;
        V_I4(result) = 4;
      }
      return S_OK;
    }
    auto it = properties_.find(id);
    if (it != properties_.end()) return result ? VariantCopy(result, &it->second) : S_OK;
    for (const auto& m : kMembers) {
      if (m.id == id) return S_OK;  // a known property never set: empty
    }
  }
  Log("unknown-call", {MemberName(id), std::to_string(flags)});
  return DISP_E_MEMBERNOTFOUND;
}

void Control::OnSetVariable(const std::wstring& name, const std::wstring& value) {
  variables_[name] = value;
  std::vector<std::string> values = {EscapeWide(name), EscapeWide(value)};
  if (inEvent_) values.push_back("in-event");
  Log("setvar", values);
  if (roundtripWaiting_) {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    roundtripSamples_.push_back(static_cast<double>(now.QuadPart - roundtripStart_.QuadPart) * 1e6 /
                                static_cast<double>(frequency.QuadPart));
    roundtripWaiting_ = false;
    // Inside the event the step goes on once the event has returned.
    if (!inEvent_ && timerWnd_) PostMessageW(timerWnd_, kNextRoundtrip, generation_, 0);
  }
}

// ---- scripts -------------------------------------------------------------------

void Control::PutMovie(const std::wstring& movie) {
  if (running_ || pending_) Log("script", {"abandon"});
  StopScript();
  movie_ = movie;
  InvalidateRect(hwnd_, nullptr, TRUE);
  if (movie.empty()) {
    Log("script", {"none"});
    return;
  }
  if (lstrcmpiW(movie.c_str(), L"about:blank") == 0) {
    Log("script", {"blank"});
    return;
  }
  std::string bytes;
  if (!ReadFileBytes(movie, &bytes)) {
    Log("script", {"missing", EscapeWide(movie), std::to_string(GetLastError())});
    return;
  }
  script_ = ParseScript(bytes);
  for (const auto& e : script_.errors) Log("script-error", {std::to_string(e.line), Escape(e.text)});
  Log("script", {"load", EscapeWide(movie), std::to_string(script_.steps.size())});
  pending_ = !script_.steps.empty();
}

void Control::StopScript() {
  ++generation_;
  if (timerWnd_) KillTimer(timerWnd_, kWaitTimer);
  script_ = Script();
  next_ = 0;
  pending_ = false;
  running_ = false;
  roundtrip_ = nullptr;
  roundtripWaiting_ = false;
  eventTime_ = nullptr;
}

void Control::PostNextStep() {
  if (timerWnd_) PostMessageW(timerWnd_, kRunStep, generation_, 0);
}

void Control::RunNextStep() {
  if (!running_) return;
  if (next_ >= script_.steps.size()) {
    running_ = false;
    Log("script", {"end"});
    return;
  }
  const Step& step = script_.steps[next_++];
  unsigned generation = generation_;
  switch (step.kind) {
    case StepKind::FsCommand:
      Raise(step.command, step.args);
      if (generation == generation_) PostNextStep();
      break;
    case StepKind::Wait:
      if (timerWnd_) SetTimer(timerWnd_, kWaitTimer, step.number > 0 ? step.number : 1, nullptr);
      break;
    case StepKind::Probe:
      Probe();
      PostNextStep();
      break;
    case StepKind::Resources:
      Resources();
      PostNextStep();
      break;
    case StepKind::Key:
      PressKey(step);
      PostNextStep();
      break;
    case StepKind::Roundtrip:
      roundtrip_ = &step;
      roundtripLeft_ = step.number;
      roundtripMissed_ = 0;
      roundtripSamples_.clear();
      NextRoundtrip();
      break;
    case StepKind::EventTime:
      eventTime_ = &step;
      eventTimeLeft_ = step.number;
      eventTimeSamples_.clear();
      NextEventTime();
      break;
  }
}

void Control::NextRoundtrip() {
  if (!roundtrip_) return;
  if (roundtripLeft_ <= 0) {
    FinishRoundtrip();
    return;
  }
  --roundtripLeft_;
  unsigned generation = generation_;
  roundtripWaiting_ = true;
  roundtripRaisedTick_ = GetTickCount();
  QueryPerformanceCounter(&roundtripStart_);
  Raise(roundtrip_->command, roundtrip_->args);
  if (generation != generation_) return;
  if (!roundtripWaiting_ && timerWnd_) PostMessageW(timerWnd_, kNextRoundtrip, generation_, 0);
  // Otherwise the reply or the poll timer's timeout moves on.
}

namespace {

double MicrosBetween(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) * 1e6 / static_cast<double>(frequency.QuadPart);
}

// min=, median= and max= of the samples in whole microseconds; nothing when empty.
void AppendSummary(std::vector<double> s, std::vector<std::string>* values) {
  if (s.empty()) return;
  std::sort(s.begin(), s.end());
  auto micros = [](double v) { return std::to_string(static_cast<long long>(v + 0.5)); };
  values->push_back("min=" + micros(s.front()));
  values->push_back("median=" + micros(s[s.size() / 2]));
  values->push_back("max=" + micros(s.back()));
}

}  // namespace

void Control::FinishRoundtrip() {
  std::vector<std::string> values = {"count=" + std::to_string(roundtripSamples_.size()),
                                     "missed=" + std::to_string(roundtripMissed_)};
  AppendSummary(roundtripSamples_, &values);
  Log("roundtrip", values);
  roundtrip_ = nullptr;
  PostNextStep();
}

// One raise per posted message, timed as a roundtrip sample is, from just
// before the "event" line, but up to the return of the last sink's Invoke:
// for commands that answer nothing.
void Control::NextEventTime() {
  if (!eventTime_) return;
  if (eventTimeLeft_ <= 0) {
    std::vector<std::string> values = {"count=" + std::to_string(eventTimeSamples_.size())};
    AppendSummary(eventTimeSamples_, &values);
    Log("eventtime", values);
    eventTime_ = nullptr;
    PostNextStep();
    return;
  }
  --eventTimeLeft_;
  unsigned generation = generation_;
  LARGE_INTEGER start;
  QueryPerformanceCounter(&start);
  Raise(eventTime_->command, eventTime_->args);
  if (generation != generation_) return;
  eventTimeSamples_.push_back(MicrosBetween(start, invokeReturned_));
  if (timerWnd_) PostMessageW(timerWnd_, kNextEventTime, generation_, 0);
}

HRESULT Control::Raise(const std::string& command, const std::string& args) {
  Log("event", {"FSCommand", Escape(command), Escape(args)});
  lastCommand_ = command + " " + args;
  if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
  std::wstring wideCommand = Wide(command), wideArgs = Wide(args);
  // The host may release us or unadvise inside the event.
  AddRef();
  std::vector<IDispatch*> sinks;
  for (auto& s : sinks_) {
    s.dispatch->AddRef();
    sinks.push_back(s.dispatch);
  }
  HRESULT last = S_OK;
  ++inEvent_;
  for (IDispatch* sink : sinks) {
    VARIANT argv[2];
    VariantInit(&argv[0]);
    VariantInit(&argv[1]);
    V_VT(&argv[1]) = VT_BSTR;
    V_BSTR(&argv[1]) = SysAllocStringLen(wideCommand.data(), wideCommand.size());
    V_VT(&argv[0]) = VT_BSTR;
    V_BSTR(&argv[0]) = SysAllocStringLen(wideArgs.data(), wideArgs.size());
    DISPPARAMS dp = {argv, nullptr, 2, 0};
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO ex = {};
    UINT argErr = 0;
    HRESULT hr = sink->Invoke(kDispFsCommand, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &dp, &result, &ex,
                              &argErr);
    if (FAILED(hr)) last = hr;
    VariantClear(&result);
    VariantClear(&argv[0]);
    VariantClear(&argv[1]);
    if (ex.bstrSource) SysFreeString(ex.bstrSource);
    if (ex.bstrDescription) SysFreeString(ex.bstrDescription);
    if (ex.bstrHelpFile) SysFreeString(ex.bstrHelpFile);
  }
  --inEvent_;
  QueryPerformanceCounter(&invokeReturned_);
  char hr[16];
  std::snprintf(hr, sizeof hr, "0x%08lx", static_cast<unsigned long>(last));
  Log("event-return", {hr, "sinks=" + std::to_string(sinks.size())});
  for (IDispatch* sink : sinks) sink->Release();
  Release();
  return last;
}

namespace {

// A fingerprint of the window's large icon: its size and an FNV-1a hash of its
// colour pixels, so that tests can tell which icon a window shows.
std::string IconFingerprint(HWND top) {
  HICON icon = reinterpret_cast<HICON>(SendMessageW(top, WM_GETICON, ICON_BIG, 0));
  if (!icon) icon = reinterpret_cast<HICON>(GetClassLongPtrW(top, GCLP_HICON));
  if (!icon) return "none";
  ICONINFO info = {};
  if (!GetIconInfo(icon, &info)) return "invalid";
  HBITMAP bitmap = info.hbmColor ? info.hbmColor : info.hbmMask;
  BITMAP bm = {};
  GetObjectW(bitmap, sizeof bm, &bm);
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = bm.bmWidth;
  bi.bmiHeader.biHeight = -bm.bmHeight;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  std::vector<unsigned char> pixels(static_cast<size_t>(bm.bmWidth) * (bm.bmHeight > 0 ? bm.bmHeight : 0) * 4);
  HDC dc = GetDC(nullptr);
  if (!pixels.empty()) GetDIBits(dc, bitmap, 0, bm.bmHeight, pixels.data(), &bi, DIB_RGB_COLORS);
  ReleaseDC(nullptr, dc);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  unsigned long hash = 2166136261ul;
  for (unsigned char b : pixels) hash = (hash ^ b) * 16777619ul;
  char text[64];
  std::snprintf(text, sizeof text, "%ldx%ld:%08lx", static_cast<long>(bm.bmWidth), static_cast<long>(bm.bmHeight), hash & 0xFFFFFFFFul);
  return text;
}

}  // namespace

void Control::Probe() {
  if (!hwnd_) {
    Log("probe", {"window=none"});
    return;
  }
  HWND top = GetAncestor(hwnd_, GA_ROOT);
  RECT wr = {}, cr = {}, ctl = {};
  GetWindowRect(top, &wr);
  GetClientRect(top, &cr);
  GetWindowRect(hwnd_, &ctl);
  HWND owner = ::GetWindow(top, GW_OWNER);
  Log("probe", {"caption=" + WindowCaption(top), "rect=" + RectText(wr),
                "client=" + std::to_string(cr.right - cr.left) + "," + std::to_string(cr.bottom - cr.top),
                "zoomed=" + std::to_string(IsZoomed(top) ? 1 : 0), "iconic=" + std::to_string(IsIconic(top) ? 1 : 0),
                "visible=" + std::to_string(IsWindowVisible(top) ? 1 : 0),
                "foreground=" + std::to_string(GetForegroundWindow() == top ? 1 : 0),
                "owner=" + (owner ? WindowCaption(owner) : std::string()),
                "hasowner=" + std::to_string(owner ? 1 : 0), "control=" + RectText(ctl),
                "screen=" + std::to_string(GetSystemMetrics(SM_CXSCREEN)) + "," +
                    std::to_string(GetSystemMetrics(SM_CYSCREEN)),
                "icon=" + IconFingerprint(top)});
}

void Control::Resources() {
  TopWindowCount count = {GetCurrentProcessId(), 0, 0, 0, {}};
  EnumWindows(CountTopWindows, reinterpret_cast<LPARAM>(&count));
  std::vector<std::string> values = {
      "gdi=" + std::to_string(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)),
      "user=" + std::to_string(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS)),
      "visible=" + std::to_string(count.visible), "windows=" + std::to_string(count.all),
      "descendants=" + std::to_string(count.descendants),
      "message-only=" + std::to_string(CountMessageOnlyWindows(count.pid)),
      "classes=" + count.classes};
  std::map<int, int> gdiTypes;
  if (WineGdiObjects(&gdiTypes)) {
    int total = 0;
    std::string types;
    for (const auto& t : gdiTypes) {
      total += t.second;
      types += (types.empty() ? "" : ",") + std::to_string(t.first) + ":" + std::to_string(t.second);
    }
    values.push_back("gdi-table=" + std::to_string(total));
    values.push_back("gdi-types=" + types);
  }
  Log("resources", values);
}

void Control::PressKey(const Step& step) {
  HWND top = hwnd_ ? GetAncestor(hwnd_, GA_ROOT) : nullptr;
  if (!top) {
    Log("key", {std::to_string(step.number), "window=none"});
    return;
  }
  UINT scan = MapVirtualKeyW(step.number, MAPVK_VK_TO_VSC);
  LPARAM down = 1 | (static_cast<LPARAM>(scan) << 16);
  // Straight to the form: the key must reach its own window procedure. A key
  // that types a character is posted as that character only, since a host's
  // TranslateMessage would turn a posted key-down into a second one.
  if (step.character) {
    PostMessageW(top, WM_CHAR, step.character, down);
  } else {
    PostMessageW(top, WM_KEYDOWN, step.number, down);
    PostMessageW(top, WM_KEYUP, step.number, down | (1L << 30) | (1L << 31));
  }
  Log("key", {std::to_string(step.number), std::to_string(step.character), "caption=" + WindowCaption(top)});
}

void Control::Poll() {
  bool visible = hwnd_ && IsWindowVisible(hwnd_);
  if (visible && !shownLogged_) {
    shownLogged_ = true;
    Log("shown", {"caption=" + WindowCaption(GetAncestor(hwnd_, GA_ROOT))});
  }
  if (visible && pending_) {
    pending_ = false;
    running_ = true;
    Log("script", {"start"});
    PostNextStep();
  }
  if (roundtrip_ && roundtripWaiting_ && !inEvent_ && GetTickCount() - roundtripRaisedTick_ > kRoundtripTimeoutMs) {
    roundtripWaiting_ = false;
    ++roundtripMissed_;
    NextRoundtrip();
  }
}

// ---- window procedures ------------------------------------------------------

LRESULT Control::OnTimerMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_TIMER:
      AddRef();
      if (wp == kWaitTimer) {
        KillTimer(hwnd, kWaitTimer);
        RunNextStep();
      } else if (wp == kPollTimer) {
        Poll();
      }
      Release();
      return 0;
    case kRunStep:
      if (wp == generation_) {
        AddRef();
        RunNextStep();
        Release();
      }
      return 0;
    case kNextRoundtrip:
      if (wp == generation_ && roundtrip_) {
        AddRef();
        NextRoundtrip();
        Release();
      }
      return 0;
    case kNextEventTime:
      if (wp == generation_ && eventTime_) {
        AddRef();
        NextEventTime();
        Release();
      }
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT Control::OnControlMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      RECT r;
      GetClientRect(hwnd, &r);
      HBRUSH brush = CreateSolidBrush(RGB(0x1f, 0x6f, 0xa8));
      FillRect(dc, &r, brush);
      DeleteObject(brush);
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, RGB(0xff, 0xff, 0xff));
      HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
      size_t slash = movie_.find_last_of(L"\\/");
      std::wstring text = L"Flash stand-in #" + std::to_wstring(instance_) + L"\n" +
                          (slash == std::wstring::npos ? movie_ : movie_.substr(slash + 1)) + L"\n" +
                          Wide(lastCommand_);
      RECT inner = {r.left + 8, r.top + 8, r.right - 8, r.bottom - 8};
      DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &inner, DT_LEFT | DT_TOP | DT_NOPREFIX);
      SelectObject(dc, old);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_SETFOCUS:
      Log("focus");
      return 0;
    case WM_LBUTTONDOWN:
      SetFocus(hwnd);
      return 0;
    case WM_DESTROY:
      // Destroyed with its parent window, not by us.
      if (hwnd == hwnd_) {
        std::vector<std::string> values = {"with-parent"};
        if (inEvent_) values.push_back(DuringEvent());
        Log("destroy", values);
        hwnd_ = nullptr;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      }
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace vellix_e2e
