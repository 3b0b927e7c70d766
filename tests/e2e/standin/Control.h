// The stand-in control: an in-place OLE control under the Flash control's
// class id that plays our scripted movies and logs what its host does.
#pragma once

#include <ocidl.h>
#include <olectl.h>
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "standin/Script.h"

namespace vellix_e2e {

extern HINSTANCE g_module;
extern const CLSID kControlClsid;
extern LONG g_liveObjects;

class Control;

// The one source interface's connection point; shares the control's lifetime.
class EventPoint : public IConnectionPoint {
 public:
  explicit EventPoint(Control* owner) : owner_(owner) {}
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  STDMETHODIMP GetConnectionInterface(IID* iid) override;
  STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** out) override;
  STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
  STDMETHODIMP Unadvise(DWORD cookie) override;
  STDMETHODIMP EnumConnections(IEnumConnections** out) override;

 private:
  Control* owner_;
};

class Control final : public IOleObject,
                public IOleInPlaceObject,
                public IOleInPlaceActiveObject,
                public IOleControl,
                public IPersistStreamInit,
                public IDispatch,
                public IConnectionPointContainer,
                public IProvideClassInfo2 {
 public:
  Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // IOleObject
  STDMETHODIMP SetClientSite(IOleClientSite* site) override;
  STDMETHODIMP GetClientSite(IOleClientSite** site) override;
  STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
  STDMETHODIMP Close(DWORD saveOption) override;
  STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
  STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
  STDMETHODIMP DoVerb(LONG verb, LPMSG msg, IOleClientSite* activeSite, LONG index, HWND parent,
                      LPCRECT posRect) override;
  STDMETHODIMP EnumVerbs(IEnumOLEVERB**) override { return E_NOTIMPL; }
  STDMETHODIMP Update() override { return S_OK; }
  STDMETHODIMP IsUpToDate() override { return S_OK; }
  STDMETHODIMP GetUserClassID(CLSID* clsid) override;
  STDMETHODIMP GetUserType(DWORD, LPOLESTR*) override { return E_NOTIMPL; }
  STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override;
  STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) override;
  STDMETHODIMP Advise(IAdviseSink* sink, DWORD* cookie) override;
  STDMETHODIMP Unadvise(DWORD cookie) override;
  STDMETHODIMP EnumAdvise(IEnumSTATDATA** out) override;
  STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) override;
  STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

  // IOleWindow, IOleInPlaceObject, IOleInPlaceActiveObject
  STDMETHODIMP GetWindow(HWND* hwnd) override;
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP InPlaceDeactivate() override;
  STDMETHODIMP UIDeactivate() override { return S_OK; }
  STDMETHODIMP SetObjectRects(LPCRECT pos, LPCRECT clip) override;
  STDMETHODIMP ReactivateAndUndo() override { return E_NOTIMPL; }
  STDMETHODIMP TranslateAccelerator(LPMSG) override { return S_FALSE; }
  STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
  STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }

  // IOleControl
  STDMETHODIMP GetControlInfo(CONTROLINFO* info) override;
  STDMETHODIMP OnMnemonic(MSG*) override { return E_NOTIMPL; }
  STDMETHODIMP OnAmbientPropertyChange(DISPID) override { return S_OK; }
  STDMETHODIMP FreezeEvents(BOOL) override { return S_OK; }

  // IPersist, IPersistStreamInit
  STDMETHODIMP GetClassID(CLSID* clsid) override;
  STDMETHODIMP IsDirty() override { return S_FALSE; }
  STDMETHODIMP Load(LPSTREAM) override;
  STDMETHODIMP Save(LPSTREAM, BOOL) override { return S_OK; }
  STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override;
  STDMETHODIMP InitNew() override;

  // IDispatch
  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return DISP_E_BADINDEX; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO*, UINT* argError) override;

  // IConnectionPointContainer
  STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
  STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint** out) override;

  // IProvideClassInfo2
  STDMETHODIMP GetClassInfo(ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetGUID(DWORD kind, GUID* guid) override;

  // Connection point, called by EventPoint.
  HRESULT AdviseSink(IUnknown* sink, DWORD* cookie);
  HRESULT UnadviseSink(DWORD cookie);

  LRESULT OnControlMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT OnTimerMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

 private:
  ~Control();

  void Log(const std::string& kind, std::vector<std::string> values = {});
  std::string DuringEvent() const;
  HRESULT Activate(LONG verb, IOleClientSite* activeSite, HWND parent, LPCRECT posRect);
  void DestroyControlWindow();
  void PutMovie(const std::wstring& movie);
  void StopScript();
  void PostNextStep();
  void RunNextStep();
  void NextRoundtrip();
  void FinishRoundtrip();
  void NextEventTime();
  HRESULT Raise(const std::string& command, const std::string& args);
  void Probe();
  void Resources();
  void PressKey(const Step& step);
  void OnSetVariable(const std::wstring& name, const std::wstring& value);
  void Poll();

  LONG refs_ = 1;
  int instance_;
  EventPoint events_;
  IOleClientSite* site_ = nullptr;
  IOleInPlaceSite* inPlaceSite_ = nullptr;
  IOleAdviseHolder* adviseHolder_ = nullptr;
  struct Sink {
    DWORD cookie;
    IDispatch* dispatch;
  };
  std::vector<Sink> sinks_;
  DWORD nextCookie_ = 1;
  HWND hwnd_ = nullptr;       // the in-place window
  HWND timerWnd_ = nullptr;   // message-only window for posted steps and timers
  SIZEL extent_;
  bool shownLogged_ = false;
  int inEvent_ = 0;
  std::map<DISPID, VARIANT> properties_;
  std::map<std::wstring, std::wstring> variables_;
  std::wstring movie_;
  std::string lastCommand_;

  // Script state. A new movie bumps the generation; posted steps and timers
  // of an older one are ignored.
  unsigned generation_ = 0;
  Script script_;
  size_t next_ = 0;
  bool pending_ = false;  // loaded, waits for the window to be shown
  bool running_ = false;
  const Step* roundtrip_ = nullptr;
  int roundtripLeft_ = 0;
  bool roundtripWaiting_ = false;
  LARGE_INTEGER roundtripStart_{};
  DWORD roundtripRaisedTick_ = 0;
  int roundtripMissed_ = 0;
  std::vector<double> roundtripSamples_;
  const Step* eventTime_ = nullptr;
  int eventTimeLeft_ = 0;
  std::vector<double> eventTimeSamples_;
  LARGE_INTEGER invokeReturned_{};  // set by Raise once every sink's Invoke has returned
};

}  // namespace vellix_e2e
