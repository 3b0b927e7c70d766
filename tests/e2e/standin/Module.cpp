// The in-process server: DLL entry, class factory and the two COM exports.
#include <windows.h>

#include <new>

#include "standin/Control.h"

namespace vellix_e2e {

HINSTANCE g_module = nullptr;
LONG g_liveObjects = 0;

namespace {

class ClassFactory : public IClassFactory {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IClassFactory) {
      *ppv = static_cast<IClassFactory*>(this);
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  // A static object: its count never frees it.
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    Control* control = new (std::nothrow) Control();
    if (!control) return E_OUTOFMEMORY;
    HRESULT hr = control->QueryInterface(riid, ppv);
    control->Release();
    return hr;
  }
  STDMETHODIMP LockServer(BOOL) override { return S_OK; }
};

ClassFactory g_factory;

}  // namespace
}  // namespace vellix_e2e

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    vellix_e2e::g_module = module;
    DisableThreadLibraryCalls(module);
  }
  return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (clsid != vellix_e2e::kControlClsid) return CLASS_E_CLASSNOTAVAILABLE;
  return vellix_e2e::g_factory.QueryInterface(riid, ppv);
}

// Window classes registered by the control point into this module, so it
// stays loaded for the life of the process.
extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() { return S_FALSE; }
