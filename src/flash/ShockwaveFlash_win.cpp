#include <windows.h>
#include <ole2.h>
#include <ocidl.h>
#include <olectl.h>

#include <utility>

#include "flash/ShockwaveFlash_win.h"
#include "ui/Application.h"
#include "ui/Exception.h"
#include "os/Handles_win.h"


namespace vellix {

using win::Bstr;
using win::ComPtr;

namespace {

// The control's class and its event interface (_IShockwaveFlashEvents).
const CLSID kFlashClassId = {0xD27CDB6E, 0xAE6D, 0x11CF, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const IID kFlashEventsId = {0xD27CDB6D, 0xAE6D, 0x11CF, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
constexpr DISPID kDispidMovie = 102;
constexpr DISPID kDispidFSCommand = 150;

// A VARIANT argument as text: strings as they are, other types converted,
// anything unconvertible empty.
Text VariantText(const VARIANT& v) {
  if (v.vt == VT_BSTR) return win::FromBstr(v.bstrVal);
  if (v.vt == (VT_BSTR | VT_BYREF)) return v.pbstrVal ? win::FromBstr(*v.pbstrVal) : Text();
  if (v.vt == VT_EMPTY || v.vt == VT_NULL) return Text();
  VARIANT copy;
  VariantInit(&copy);
  Text text;
  if (SUCCEEDED(VariantChangeType(&copy, const_cast<VARIANT*>(&v), 0, VT_BSTR))) text = win::FromBstr(copy.bstrVal);
  VariantClear(&copy);
  return text;
}

// Invokes and throws ui::OleError on failure, with the control's own
// description when it gives one.
void InvokeChecked(IDispatch* dispatch, DISPID id, WORD flags, DISPPARAMS* params) {
  EXCEPINFO info{};
  VARIANT result;
  VariantInit(&result);
  HRESULT hr = dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, params, &result, &info, nullptr);
  VariantClear(&result);
  Text description = win::FromBstr(info.bstrDescription);
  SysFreeString(info.bstrDescription);
  SysFreeString(info.bstrSource);
  SysFreeString(info.bstrHelpFile);
  if (SUCCEEDED(hr)) return;
  if (hr == DISP_E_EXCEPTION && !description.empty()) throw ui::OleError(hr, description);
  ui::OleCheck(hr);
}

LONG PixelsToHimetric(int pixels, int dpi) { return MulDiv(pixels, 2540, dpi > 0 ? dpi : 96); }

}  // namespace

class FlashSite;
class FlashEvents;

// Everything of one hosted control: its interfaces, the site and the event
// sink, the advise cookie, and the window it lives in.
class FlashHost {
 public:
  FlashHost(OleShockwaveFlash* owner, HWND window) : owner_(owner), window_(window) {}
  ~FlashHost() { Teardown(); }
  FlashHost(const FlashHost&) = delete;
  FlashHost& operator=(const FlashHost&) = delete;

  void Create(const FlashSettings& settings);
  void Teardown();

  void PutMovie(const Text& movie);
  void CallSetVariable(const Text& name, const Text& value);
  void Resize();
  HWND ControlWindow() const;

  HWND Window() const { return window_; }
  bool InEvent() const { return eventDepth_ > 0; }
  // The control's window has left its TShockwaveFlash: events are dropped
  // and the window is destroyed with the control.
  void Park(HWND window) {
    owner_ = nullptr;
    parked_.Reset(window);
    window_ = window;
  }
  void WindowGone() { window_ = nullptr; }

  void FireFSCommand(DISPPARAMS* params) noexcept;
  void KeepInPlace();

 private:
  void PutByName(const wchar_t* name, VARIANT value);
  void PutText(const wchar_t* name, const Text& text);
  void PutBool(const wchar_t* name, bool on);
  void PutLong(const wchar_t* name, long value);

  OleShockwaveFlash* owner_;
  HWND window_;
  win::WindowHandle parked_;
  int eventDepth_ = 0;
  ComPtr<IOleObject> object_;
  ComPtr<IDispatch> dispatch_;
  ComPtr<IOleInPlaceObject> inPlace_;
  ComPtr<IConnectionPoint> point_;
  DWORD cookie_ = 0;
  ComPtr<FlashSite> site_;
  ComPtr<FlashEvents> events_;
};

// The container side the control talks to: client site, in-place site and
// frame, and ambient properties. One object, one reference count.
class FlashSite final : public IOleClientSite, public IOleInPlaceSite, public IOleInPlaceFrame, public IDispatch {
 public:
  explicit FlashSite(FlashHost* host) : host_(host) {}
  FlashSite(const FlashSite&) = delete;
  FlashSite& operator=(const FlashSite&) = delete;
  void Detach() { host_ = nullptr; }

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleClientSite) {
      *out = static_cast<IOleClientSite*>(this);
    } else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite) {
      *out = static_cast<IOleInPlaceSite*>(this);
    } else if (iid == IID_IOleInPlaceUIWindow || iid == IID_IOleInPlaceFrame) {
      *out = static_cast<IOleInPlaceFrame*>(this);
    } else if (iid == IID_IDispatch) {
      *out = static_cast<IDispatch*>(this);
    } else {
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
  STDMETHODIMP_(ULONG) Release() override {
    ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  // IOleClientSite
  STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** out) override { return Null(out, E_NOTIMPL); }
  STDMETHODIMP GetContainer(IOleContainer** out) override { return Null(out, E_NOINTERFACE); }
  STDMETHODIMP ShowObject() override { return S_OK; }
  STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
  STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

  // IOleWindow
  STDMETHODIMP GetWindow(HWND* out) override {
    if (!out) return E_POINTER;
    *out = host_ ? host_->Window() : nullptr;
    return *out ? S_OK : E_FAIL;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  // IOleInPlaceSite
  STDMETHODIMP CanInPlaceActivate() override { return host_ && host_->Window() ? S_OK : S_FALSE; }
  STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnUIActivate() override { return S_OK; }
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                LPRECT clip, LPOLEINPLACEFRAMEINFO info) override {
    if (!frame || !document || !position || !clip || !info) return E_POINTER;
    *frame = nullptr;
    *document = nullptr;
    HWND window = host_ ? host_->Window() : nullptr;
    if (!window) return E_FAIL;
    *frame = static_cast<IOleInPlaceFrame*>(this);
    AddRef();
    GetClientRect(window, position);
    *clip = *position;
    info->fMDIApp = FALSE;
    info->hwndFrame = GetAncestor(window, GA_ROOT);
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
  }
  STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
  STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
  STDMETHODIMP DiscardUndoState() override { return S_OK; }
  STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
  // The control stays where its window's layout puts it.
  STDMETHODIMP OnPosRectChange(LPCRECT) override {
    if (host_) host_->KeepInPlace();
    return S_OK;
  }

  // IOleInPlaceUIWindow
  STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
  STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }

  // IOleInPlaceFrame
  STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return S_OK; }
  STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
  STDMETHODIMP RemoveMenus(HMENU) override { return S_OK; }
  STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
  STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

  // IDispatch: ambient properties. The control runs in user mode.
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    if (count) *count = 0;
    return count ? S_OK : E_POINTER;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** out) override { return Null(out, E_NOTIMPL); }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                      UINT*) override {
    if (!(flags & DISPATCH_PROPERTYGET) || !result) return DISP_E_MEMBERNOTFOUND;
    if (id != DISPID_AMBIENT_USERMODE) return DISP_E_MEMBERNOTFOUND;
    VariantInit(result);
    result->vt = VT_BOOL;
    result->boolVal = VARIANT_TRUE;
    return S_OK;
  }

 private:
  ~FlashSite() = default;
  template <class T>
  static HRESULT Null(T** out, HRESULT hr) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return hr;
  }

  ULONG refs_ = 1;
  FlashHost* host_;
};

// The event sink advised on the control's event interface; only FSCommand
// is handled.
class FlashEvents final : public IDispatch {
 public:
  explicit FlashEvents(FlashHost* host) : host_(host) {}
  FlashEvents(const FlashEvents&) = delete;
  FlashEvents& operator=(const FlashEvents&) = delete;
  void Detach() { host_ = nullptr; }

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IDispatch && iid != kFlashEventsId) return E_NOINTERFACE;
    *out = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
  STDMETHODIMP_(ULONG) Release() override {
    ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    if (count) *count = 0;
    return count ? S_OK : E_POINTER;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override {
    if (id == kDispidFSCommand && host_) {
      AddRef();  // the handler may release the control and with it this sink
      host_->FireFSCommand(params);
      Release();
    }
    return S_OK;
  }

 private:
  ~FlashEvents() = default;
  ULONG refs_ = 1;
  FlashHost* host_;
};

void FlashHost::Create(const FlashSettings& settings) {
  ui::App().Initialize();
  // The order matters: the control reads its site while initialising, takes
  // its settings before it shows anything, and must have the sink advised
  // before the first movie can raise an event.
  ui::OleCheck(CoCreateInstance(kFlashClassId, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject, object_.PutVoid()));
  site_.Reset(new FlashSite(this));
  ui::OleCheck(object_->SetClientSite(static_cast<IOleClientSite*>(site_.Get())));
  if (auto persist = object_.As<IPersistStreamInit>(IID_IPersistStreamInit)) {
    HRESULT hr = persist->InitNew();
    if (hr != E_NOTIMPL) ui::OleCheck(hr);
  }
  dispatch_ = object_.As<IDispatch>(IID_IDispatch);
  if (!dispatch_) ui::OleCheck(E_NOINTERFACE);

  PutText(L"WMode", settings.wmode);
  PutText(L"Quality2", settings.quality);
  PutText(L"Scale", settings.scale);
  PutBool(L"Playing", settings.playing);
  PutBool(L"Loop", settings.loop);
  PutBool(L"Menu", settings.menu);
  PutBool(L"SeamlessTabbing", settings.seamlessTabbing);
  PutBool(L"DeviceFont", settings.deviceFont);
  PutBool(L"EmbedMovie", settings.embedMovie);
  PutBool(L"Profile", settings.profile);
  PutLong(L"ProfilePort", settings.profilePort);
  PutText(L"AllowNetworking", settings.allowNetworking);
  PutText(L"AllowFullScreen", settings.allowFullScreen);

  auto container = object_.As<IConnectionPointContainer>(IID_IConnectionPointContainer);
  if (!container) ui::OleCheck(E_NOINTERFACE);
  ui::OleCheck(container->FindConnectionPoint(kFlashEventsId, point_.Put()));
  events_.Reset(new FlashEvents(this));
  ui::OleCheck(point_->Advise(static_cast<IDispatch*>(events_.Get()), &cookie_));

  RECT rc;
  GetClientRect(window_, &rc);
  ui::OleCheck(object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(site_.Get()), 0,
                               window_, &rc));
  inPlace_ = object_.As<IOleInPlaceObject>(IID_IOleInPlaceObject);
  Resize();
}

void FlashHost::Teardown() {
  // The reverse of Create.
  if (point_ && cookie_) point_->Unadvise(cookie_);
  cookie_ = 0;
  point_.Reset();
  if (inPlace_) inPlace_->InPlaceDeactivate();
  inPlace_.Reset();
  if (object_) {
    object_->Close(OLECLOSE_NOSAVE);
    object_->SetClientSite(nullptr);
  }
  dispatch_.Reset();
  object_.Reset();
  if (site_) site_->Detach();
  if (events_) events_->Detach();
  site_.Reset();
  events_.Reset();
  parked_.Reset();
  window_ = nullptr;
}

void FlashHost::PutByName(const wchar_t* name, VARIANT value) {
  std::wstring buffer(name);
  LPOLESTR names[] = {buffer.data()};
  DISPID id = DISPID_UNKNOWN;
  if (FAILED(dispatch_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) return;
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params{&value, &named, 1, 1};
  dispatch_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr);
}

void FlashHost::PutText(const wchar_t* name, const Text& text) {
  Bstr value(text);
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BSTR;
  v.bstrVal = value.Get();
  PutByName(name, v);
}

void FlashHost::PutBool(const wchar_t* name, bool on) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BOOL;
  v.boolVal = on ? VARIANT_TRUE : VARIANT_FALSE;
  PutByName(name, v);
}

void FlashHost::PutLong(const wchar_t* name, long value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = value;
  PutByName(name, v);
}

void FlashHost::PutMovie(const Text& movie) {
  if (!dispatch_) return;
  Bstr value(movie);
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BSTR;
  v.bstrVal = value.Get();
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params{&v, &named, 1, 1};
  InvokeChecked(dispatch_.Get(), kDispidMovie, DISPATCH_PROPERTYPUT, &params);
}

void FlashHost::CallSetVariable(const Text& name, const Text& value) {
  if (!dispatch_) return;
  wchar_t method[] = L"SetVariable";
  LPOLESTR names[] = {method};
  DISPID id = DISPID_UNKNOWN;
  ui::OleCheck(dispatch_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id));
  Bstr nameText(name);
  Bstr valueText(value);
  VARIANT args[2];
  // Arguments go in reverse order: the last one first.
  VariantInit(&args[0]);
  args[0].vt = VT_BSTR;
  args[0].bstrVal = valueText.Get();
  VariantInit(&args[1]);
  args[1].vt = VT_BSTR;
  args[1].bstrVal = nameText.Get();
  DISPPARAMS params{args, nullptr, 2, 0};
  InvokeChecked(dispatch_.Get(), id, DISPATCH_METHOD, &params);
}

void FlashHost::KeepInPlace() {
  if (!inPlace_ || !window_) return;
  RECT rc;
  GetClientRect(window_, &rc);
  inPlace_->SetObjectRects(&rc, &rc);
}

void FlashHost::Resize() {
  if (!object_ || !window_) return;
  RECT rc;
  GetClientRect(window_, &rc);
  HDC screen = GetDC(nullptr);
  int dpiX = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
  int dpiY = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  SIZEL extent{PixelsToHimetric(rc.right, dpiX), PixelsToHimetric(rc.bottom, dpiY)};
  object_->SetExtent(DVASPECT_CONTENT, &extent);  // a control may refuse; its window is what counts
  KeepInPlace();
}

HWND FlashHost::ControlWindow() const {
  HWND hwnd = nullptr;
  if (inPlace_ && SUCCEEDED(inPlace_->GetWindow(&hwnd))) return hwnd;
  return nullptr;
}

void FlashHost::FireFSCommand(DISPPARAMS* params) noexcept {
  if (!owner_ || !owner_->OnFSCommand) return;
  ++eventDepth_;
  // Everything that may throw (the texts, the handler's copy, the handler)
  // stays inside the guard: no exception leaves the COM call.
  ui::Guarded([&] {
    Text command, args;
    if (params && params->rgvarg && params->cArgs >= 2) {
      // rgvarg holds the arguments last first: (command, args) arrive as [args, command].
      command = VariantText(params->rgvarg[1]);
      args = VariantText(params->rgvarg[0]);
    } else if (params && params->rgvarg && params->cArgs == 1) {
      command = VariantText(params->rgvarg[0]);
    }
    // A copy: the handler may destroy the control and with it its handler.
    auto handler = owner_->OnFSCommand;
    handler(command, args);
  });
  --eventDepth_;
}

OleShockwaveFlash::OleShockwaveFlash(ui::Window& parent, const FlashSettings& settings)
    : Control(parent, 0, 0, parent.ClientRect().Width(), parent.ClientRect().Height()) {
  SetAlign(ui::Align::Client);
  auto host = std::make_unique<FlashHost>(this, Handle());
  host->Create(settings);  // on failure the host's destructor undoes what was done
  host_ = std::move(host);
}

OleShockwaveFlash::~OleShockwaveFlash() { Destroy(); }

void OleShockwaveFlash::SetMovie(const Text& movie) {
  if (host_) host_->PutMovie(movie);
}

void OleShockwaveFlash::SetVariable(const Text& name, const Text& value) {
  if (host_) host_->CallSetVariable(name, value);
}

void OleShockwaveFlash::SetFocus() {
  if (Handle()) ::SetFocus(Handle());
}

void OleShockwaveFlash::Destroy() {
  if (host_ && host_->InEvent()) {
    // The control is still delivering its event: hide the window now, park
    // it outside the form (which may go away first), and finish later.
    HWND hwnd = DetachHandle();
    if (hwnd) {
      ShowWindow(hwnd, SW_HIDE);
      SetParent(hwnd, ui::App().Handle());
    }
    host_->Park(hwnd);
    Defer(std::move(host_));
    LeaveParent();
    return;
  }
  host_.reset();  // the teardown, in order
  LeaveParent();
  DestroyHandle();
}

void OleShockwaveFlash::Defer(std::unique_ptr<FlashHost> host) {
  // The queued work owns the host: the teardown happens when the work runs,
  // or when the application drops its queue at exit, never not at all.
  std::shared_ptr<FlashHost> pending(std::move(host));
  ui::App().Post([pending]() mutable { pending.reset(); });
}

Bounds OleShockwaveFlash::ControlBounds() const { return Bounds{Left(), Top(), Width(), Height()}; }

void OleShockwaveFlash::SetControlBounds(const Bounds& b) { SetBounds(b.left, b.top, b.width, b.height); }

bool OleShockwaveFlash::HandleMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam,
                                     std::intptr_t& result) {
  switch (message) {
    case WM_SIZE:
      if (host_) host_->Resize();
      break;
    case WM_SETFOCUS:
      // The focus belongs in the control's own window.
      if (host_) {
        HWND control = host_->ControlWindow();
        if (control && control != Handle()) ::SetFocus(control);
      }
      break;
    case WM_DESTROY:
      // The window is going (its parent was destroyed): the control goes too.
      if (host_) {
        host_->WindowGone();
        if (host_->InEvent()) {
          host_->Park(nullptr);
          Defer(std::move(host_));
        } else {
          host_.reset();
        }
      }
      break;
    default:
      break;
  }
  return Control::HandleMessage(message, wParam, lParam, result);
}

}  // namespace vellix
