#include <windows.h>
#include <ole2.h>
#include <ocidl.h>
#include <olectl.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ui/Application.h"
#include "ui/Control.h"
#include "ui/Exception.h"
#include "ui/Form.h"
#include "flash/ShockwaveFlash_win.h"

namespace vellix {
namespace {

const CLSID kFlashClassId = {0xD27CDB6E, 0xAE6D, 0x11CF, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const IID kFlashEventsId = {0xD27CDB6D, 0xAE6D, 0x11CF, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

// Every call the fake control receives, in order.
std::vector<std::string> g_log;

std::string Narrow(BSTR b) { return b ? ToUtf8(Text(reinterpret_cast<const char16_t*>(b), SysStringLen(b))) : ""; }

std::string VariantLog(const VARIANT& v) {
  switch (v.vt) {
    case VT_BSTR: return Narrow(v.bstrVal);
    case VT_BOOL: return v.boolVal ? "true" : "false";
    case VT_I4: return std::to_string(v.lVal);
    default: return "vt" + std::to_string(v.vt);
  }
}

// A stand-in for the control, just enough of it to be hosted: it records what
// the host does and raises FSCommand when the test asks.
class FakeControl final : public IOleObject,
                          public IOleInPlaceObject,
                          public IPersistStreamInit,
                          public IDispatch,
                          public IConnectionPointContainer,
                          public IConnectionPoint {
 public:
  static inline FakeControl* last = nullptr;
  FakeControl() { last = this; }

  void Fire(BSTR command, BSTR args) {
    if (!sink_) return;
    VARIANT argv[2];
    argv[0].vt = VT_BSTR;
    argv[0].bstrVal = args;
    argv[1].vt = VT_BSTR;
    argv[1].bstrVal = command;
    DISPPARAMS params{argv, nullptr, 2, 0};
    IDispatch* sink = sink_;
    sink->AddRef();
    sink->Invoke(150, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    sink->Release();
  }
  HWND window() const { return window_; }

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleObject) *out = static_cast<IOleObject*>(this);
    else if (iid == IID_IOleInPlaceObject || iid == IID_IOleWindow) *out = static_cast<IOleInPlaceObject*>(this);
    else if (iid == IID_IPersistStreamInit) *out = static_cast<IPersistStreamInit*>(this);
    else if (iid == IID_IDispatch) *out = static_cast<IDispatch*>(this);
    else if (iid == IID_IConnectionPointContainer) *out = static_cast<IConnectionPointContainer*>(this);
    else return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
  STDMETHODIMP_(ULONG) Release() override {
    ULONG left = --refs_;
    if (left == 0) {
      g_log.push_back("released");
      if (last == this) last = nullptr;
      delete this;
    }
    return left;
  }

  // IOleObject
  STDMETHODIMP SetClientSite(IOleClientSite* site) override {
    g_log.push_back(site ? "SetClientSite" : "SetClientSite(null)");
    if (site) site->AddRef();
    if (site_) site_->Release();
    site_ = site;
    return S_OK;
  }
  STDMETHODIMP GetClientSite(IOleClientSite**) override { return E_NOTIMPL; }
  STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
  STDMETHODIMP Close(DWORD option) override {
    g_log.push_back(option == OLECLOSE_NOSAVE ? "Close(nosave)" : "Close");
    return S_OK;
  }
  STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
  STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
  STDMETHODIMP DoVerb(LONG verb, LPMSG, IOleClientSite*, LONG, HWND parent, LPCRECT rect) override {
    g_log.push_back(verb == OLEIVERB_INPLACEACTIVATE ? "DoVerb(inplace)" : "DoVerb");
    IOleInPlaceSite* site = nullptr;
    if (!site_ || FAILED(site_->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&site)))) return E_FAIL;
    HWND siteWindow = nullptr;
    site->GetWindow(&siteWindow);
    IOleInPlaceFrame* frame = nullptr;
    IOleInPlaceUIWindow* document = nullptr;
    RECT pos, clip;
    OLEINPLACEFRAMEINFO info{};
    info.cb = sizeof info;
    HRESULT hr = site->GetWindowContext(&frame, &document, &pos, &clip, &info);
    if (frame) frame->Release();
    if (document) document->Release();
    if (site->CanInPlaceActivate() == S_OK && SUCCEEDED(hr) && siteWindow == parent) {
      site->OnInPlaceActivate();
      window_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, rect->left, rect->top,
                                rect->right - rect->left, rect->bottom - rect->top, parent, nullptr, nullptr, nullptr);
    }
    site->Release();
    return window_ ? S_OK : E_FAIL;
  }
  STDMETHODIMP EnumVerbs(IEnumOLEVERB**) override { return E_NOTIMPL; }
  STDMETHODIMP Update() override { return S_OK; }
  STDMETHODIMP IsUpToDate() override { return S_OK; }
  STDMETHODIMP GetUserClassID(CLSID*) override { return E_NOTIMPL; }
  STDMETHODIMP GetUserType(DWORD, LPOLESTR*) override { return E_NOTIMPL; }
  STDMETHODIMP SetExtent(DWORD, SIZEL*) override { return S_OK; }
  STDMETHODIMP GetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
  STDMETHODIMP Advise(IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
  STDMETHODIMP EnumAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
  STDMETHODIMP GetMiscStatus(DWORD, DWORD*) override { return E_NOTIMPL; }
  STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

  // IOleInPlaceObject
  STDMETHODIMP GetWindow(HWND* out) override {
    *out = window_;
    return window_ ? S_OK : E_FAIL;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP InPlaceDeactivate() override {
    g_log.push_back("InPlaceDeactivate");
    if (window_) DestroyWindow(window_);
    window_ = nullptr;
    return S_OK;
  }
  STDMETHODIMP UIDeactivate() override { return S_OK; }
  STDMETHODIMP SetObjectRects(LPCRECT pos, LPCRECT) override {
    if (window_) MoveWindow(window_, pos->left, pos->top, pos->right - pos->left, pos->bottom - pos->top, TRUE);
    return S_OK;
  }
  STDMETHODIMP ReactivateAndUndo() override { return E_NOTIMPL; }

  // IPersistStreamInit
  STDMETHODIMP GetClassID(CLSID* id) override {
    *id = kFlashClassId;
    return S_OK;
  }
  STDMETHODIMP IsDirty() override { return S_FALSE; }
  STDMETHODIMP Load(LPSTREAM) override { return E_NOTIMPL; }
  STDMETHODIMP Save(LPSTREAM, BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP GetSizeMax(ULARGE_INTEGER*) override { return E_NOTIMPL; }
  STDMETHODIMP InitNew() override {
    g_log.push_back("InitNew");
    return S_OK;
  }

  // IDispatch: properties by name, Movie as 102, the method SetVariable.
  STDMETHODIMP GetTypeInfoCount(UINT* n) override {
    *n = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID, DISPID* id) override {
    std::wstring name(names[0]);
    if (name == L"SetVariable") {
      *id = 500;
      return S_OK;
    }
    if (name == L"Menu") return DISP_E_UNKNOWNNAME;  // a refused setting must not stop creation
    properties_.push_back(name);
    *id = 1000 + static_cast<DISPID>(properties_.size()) - 1;
    return S_OK;
  }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* p, VARIANT*, EXCEPINFO*, UINT*) override {
    if (id == 102 && flags == DISPATCH_PROPERTYPUT && p->cArgs == 1 && p->cNamedArgs == 1 &&
        p->rgdispidNamedArgs[0] == DISPID_PROPERTYPUT && p->rgvarg[0].vt == VT_BSTR) {
      g_log.push_back("Movie=" + Narrow(p->rgvarg[0].bstrVal));
      return S_OK;
    }
    if (id == 500 && (flags & DISPATCH_METHOD) && p->cArgs == 2) {
      g_log.push_back("SetVariable(" + VariantLog(p->rgvarg[1]) + "," + VariantLog(p->rgvarg[0]) + ")");
      return S_OK;
    }
    if (id >= 1000 && flags == DISPATCH_PROPERTYPUT && p->cArgs == 1) {
      std::wstring name = properties_.at(static_cast<std::size_t>(id - 1000));
      g_log.push_back("put " + ToUtf8(Text(name.begin(), name.end())) + "=" + VariantLog(p->rgvarg[0]));
      return name == L"Loop" ? E_FAIL : S_OK;  // a failed put is ignored
    }
    return DISP_E_MEMBERNOTFOUND;
  }

  // IConnectionPointContainer
  STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
  STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** out) override {
    *out = nullptr;
    if (iid != kFlashEventsId) return CONNECT_E_NOCONNECTION;
    *out = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
  }

  // IConnectionPoint
  STDMETHODIMP GetConnectionInterface(IID* iid) override {
    *iid = kFlashEventsId;
    return S_OK;
  }
  STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer**) override { return E_NOTIMPL; }
  STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override {
    g_log.push_back("Advise");
    if (FAILED(sink->QueryInterface(kFlashEventsId, reinterpret_cast<void**>(&sink_)))) return CONNECT_E_CANNOTCONNECT;
    *cookie = 77;
    return S_OK;
  }
  STDMETHODIMP Unadvise(DWORD cookie) override {
    g_log.push_back(cookie == 77 ? "Unadvise" : "Unadvise(wrong cookie)");
    if (sink_) sink_->Release();
    sink_ = nullptr;
    return S_OK;
  }
  STDMETHODIMP EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }

 private:
  ~FakeControl() {
    if (site_) site_->Release();
    if (sink_) sink_->Release();
  }
  ULONG refs_ = 1;
  IOleClientSite* site_ = nullptr;
  IDispatch* sink_ = nullptr;
  HWND window_ = nullptr;
  std::vector<std::wstring> properties_;
};

class FakeFactory final : public IClassFactory {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IClassFactory) return E_NOINTERFACE;
    *out = this;
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    auto* control = new FakeControl();
    HRESULT hr = control->QueryInterface(iid, out);
    control->Release();
    return hr;
  }
  STDMETHODIMP LockServer(BOOL) override { return S_OK; }
};

bool PumpMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) return false;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return true;
}

std::vector<std::string> TakeLog() {
  std::vector<std::string> log;
  log.swap(g_log);
  return log;
}

const std::vector<std::string> kTeardown = {"Unadvise", "InPlaceDeactivate", "Close(nosave)", "SetClientSite(null)",
                                            "released"};

FormDescription Described(int clientWidth, int clientHeight) {
  FormDescription d;
  d.clientWidth = clientWidth;
  d.clientHeight = clientHeight;
  return d;
}

class FlashHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ui::App().Initialize();
    ui::App().OnException = [this](const Text& message) { errors.push_back(ToUtf8(message)); };
    g_log.clear();
  }
  void TearDown() override {
    if (cookie_) CoRevokeClassObject(cookie_);
    ui::App().OnException = nullptr;
  }
  void RegisterFake() {
    ASSERT_EQ(CoRegisterClassObject(kFlashClassId, &factory_, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie_),
              S_OK);
  }
  std::vector<std::string> errors;

 private:
  FakeFactory factory_;
  DWORD cookie_ = 0;
};

TEST_F(FlashHostTest, UnregisteredClassRaisesTheSystemText) {
  HKEY key;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, L"CLSID\\{D27CDB6E-AE6D-11cf-96B8-444553540000}", 0, KEY_READ, &key) ==
      ERROR_SUCCESS) {
    RegCloseKey(key);
    GTEST_SKIP() << "a control is registered in this prefix";
  }
  ui::Form form(Described(800, 600));
  try {
    OleShockwaveFlash flash(form, FlashSettings{});
    ADD_FAILURE() << "no exception";
  } catch (const ui::OleError& e) {
    EXPECT_EQ(e.ErrorCode(), REGDB_E_CLASSNOTREG);
    // Windows has a text for the code; Wine has none and the code is named.
    EXPECT_TRUE(e.Message() == u"Class not registered" || e.Message() == u"OLE error 80040154") << ToUtf8(e.Message());
  }
  EXPECT_EQ(GetWindow(form.Handle(), GW_CHILD), nullptr) << "the failed control left its window behind";
}

TEST_F(FlashHostTest, CreationOrderSettingsAndCalls) {
  RegisterFake();
  ui::Form form(Described(543, 374));
  {
    OleShockwaveFlash flash(form, FlashSettings{});
    const std::vector<std::string> created = {
        "SetClientSite", "InitNew",
        "put WMode=Window", "put Quality2=High", "put Scale=ShowAll", "put Playing=true", "put Loop=true",
        "put SeamlessTabbing=true", "put DeviceFont=false", "put EmbedMovie=false", "put Profile=false",
        "put ProfilePort=0", "put AllowNetworking=all", "put AllowFullScreen=false",
        "Advise", "DoVerb(inplace)"};
    EXPECT_EQ(TakeLog(), created);
    ASSERT_NE(FakeControl::last, nullptr);
    HWND inner = FakeControl::last->window();
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(GetParent(inner), flash.Handle());
    EXPECT_EQ(flash.Width(), 543);

    form.SetClientSize(700, 500);  // the control follows its window
    RECT rc;
    GetClientRect(inner, &rc);
    EXPECT_EQ(rc.right, 700);
    EXPECT_EQ(rc.bottom, 500);

    flash.SetMovie(u"C:\\Books\\\uD55C\uAE00.swf");
    flash.SetVariable(u"firstIndex", u"12");
    flash.SetVariable(u"\uBCC0\uC218\uBA85", u"");
    EXPECT_EQ(TakeLog(), (std::vector<std::string>{"Movie=C:\\Books\\\xED\x95\x9C\xEA\xB8\x80.swf",
                                                   "SetVariable(firstIndex,12)",
                                                   "SetVariable(\xEB\xB3\x80\xEC\x88\x98\xEB\xAA\x85,)"}));
  }
  EXPECT_EQ(TakeLog(), kTeardown) << "destroying the control tears it down in reverse order";
  EXPECT_EQ(GetWindow(form.Handle(), GW_CHILD), nullptr);
  EXPECT_TRUE(errors.empty());
}

TEST_F(FlashHostTest, EventsArriveInOrderAndDestroyInsideOneIsDeferred) {
  RegisterFake();
  ui::Form form(Described(800, 600));
  OleShockwaveFlash flash(form, FlashSettings{});
  TakeLog();
  std::vector<std::string> seen;
  bool torndownInside = true;
  flash.OnFSCommand = [&](const Text& command, const Text& args) {
    seen.push_back(ToUtf8(command) + "|" + ToUtf8(args));
    if (args == u"function_close") {
      flash.Destroy();
      torndownInside = !g_log.empty();
      flash.SetMovie(u"ignored");  // a destroyed control takes no more calls
    }
    if (args == u"throw") throw ui::Exception(u"handler failed");
  };
  BSTR command = SysAllocString(L"cmd");
  BSTR args = SysAllocString(L"a/b@@@c");
  BSTR thrower = SysAllocString(L"throw");
  BSTR close = SysAllocString(L"function_close");
  FakeControl* control = FakeControl::last;
  control->Fire(command, args);
  control->Fire(nullptr, nullptr);
  control->Fire(command, thrower);
  control->Fire(command, close);
  EXPECT_FALSE(torndownInside);
  EXPECT_TRUE(TakeLog().empty()) << "nothing may be torn down while the event is delivered";
  EXPECT_TRUE(flash.Destroyed());
  EXPECT_EQ(flash.Handle(), nullptr);
  EXPECT_EQ(GetWindow(form.Handle(), GW_CHILD), nullptr) << "the control's window left the form at once";

  ASSERT_TRUE(PumpMessages());
  EXPECT_EQ(TakeLog(), kTeardown);
  EXPECT_EQ(seen, (std::vector<std::string>{"cmd|a/b@@@c", "|", "cmd|throw", "cmd|function_close"}));
  EXPECT_EQ(errors, std::vector<std::string>{"handler failed"});
  SysFreeString(command);
  SysFreeString(args);
  SysFreeString(thrower);
  SysFreeString(close);
}

TEST_F(FlashHostTest, DestroyingTheFormTearsTheControlDown) {
  RegisterFake();
  {
    auto form = std::make_unique<ui::Form>(Described(800, 600));
    ui::Panel panel(*form);
    panel.SetAlign(ui::Align::Client);
    auto* flash = new OleShockwaveFlash(panel, FlashSettings{});  // outlives its panel's window on purpose
    TakeLog();
    form.reset();  // destroys the panel's window and the control's window with it
    EXPECT_EQ(TakeLog(), kTeardown);
    EXPECT_TRUE(flash->Destroyed());
    delete flash;
  }
  EXPECT_TRUE(TakeLog().empty());
  EXPECT_TRUE(PumpMessages());
}

// A close asked for inside the control's event as the program ends: the
// teardown still queued when the loop ends is carried out.
TEST_F(FlashHostTest, TeardownPendingWhenTheLoopEndsIsCarriedOut) {
  RegisterFake();
  ui::Form main(Described(800, 600));
  OleShockwaveFlash flash(main, FlashSettings{});
  TakeLog();
  BSTR close = SysAllocString(L"function_close");
  flash.OnFSCommand = [&](const Text&, const Text&) {
    flash.Destroy();
    main.Close();  // ends the loop; the teardown waits for the event's end
  };
  FakeControl* control = FakeControl::last;
  main.OnShow = [&] { control->Fire(close, close); };
  ui::App().Run(main);
  EXPECT_EQ(TakeLog(), kTeardown);
  EXPECT_TRUE(flash.Destroyed());
  SysFreeString(close);
}

}  // namespace
}  // namespace vellix
