#pragma once
// Owning wrappers for Win32 handles and COM pointers: they move, never copy,
// and release in their destructor.
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <utility>

#include "text/Text.h"

namespace vellix::win {

// One reference to a COM object.
template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  // Takes over a reference the caller holds (as returned by QueryInterface).
  explicit ComPtr(T* p) : p_(p) {}
  ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  ComPtr& operator=(ComPtr&& o) noexcept {
    if (this != &o) Reset(std::exchange(o.p_, nullptr));
    return *this;
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ~ComPtr() { Reset(); }

  void Reset(T* p = nullptr) {
    T* old = std::exchange(p_, p);
    if (old) old->Release();
  }
  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  // For out parameters: releases the current reference first.
  T** Put() {
    Reset();
    return &p_;
  }
  void** PutVoid() { return reinterpret_cast<void**>(Put()); }

  template <class U>
  ComPtr<U> As(REFIID iid) const {
    ComPtr<U> other;
    if (p_) p_->QueryInterface(iid, other.PutVoid());
    return other;
  }

 private:
  T* p_ = nullptr;
};

// A BSTR allocated from a Text (embedded NULs kept), freed on destruction.
class Bstr {
 public:
  explicit Bstr(const Text& text)
      : b_(SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()))) {}
  Bstr(Bstr&& o) noexcept : b_(std::exchange(o.b_, nullptr)) {}
  Bstr& operator=(Bstr&&) = delete;
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  ~Bstr() { SysFreeString(b_); }
  BSTR Get() const { return b_; }

 private:
  BSTR b_;
};

// The Text a BSTR holds; a null BSTR is the empty text.
inline Text FromBstr(BSTR b) {
  if (!b) return Text();
  return Text(reinterpret_cast<const char16_t*>(b), SysStringLen(b));
}

// A window this code created and must destroy.
class WindowHandle {
 public:
  WindowHandle() = default;
  explicit WindowHandle(HWND h) : h_(h) {}
  WindowHandle(WindowHandle&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
  WindowHandle& operator=(WindowHandle&& o) noexcept {
    if (this != &o) Reset(std::exchange(o.h_, nullptr));
    return *this;
  }
  WindowHandle(const WindowHandle&) = delete;
  WindowHandle& operator=(const WindowHandle&) = delete;
  ~WindowHandle() { Reset(); }
  void Reset(HWND h = nullptr) {
    HWND old = std::exchange(h_, h);
    if (old && IsWindow(old)) DestroyWindow(old);
  }
  HWND Get() const { return h_; }
  HWND Release() { return std::exchange(h_, nullptr); }

 private:
  HWND h_ = nullptr;
};

// A GDI object (font, brush) deleted on destruction.
template <class H>
class GdiHandle {
 public:
  GdiHandle() = default;
  explicit GdiHandle(H h) : h_(h) {}
  GdiHandle(GdiHandle&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
  GdiHandle& operator=(GdiHandle&& o) noexcept {
    if (this != &o) Reset(std::exchange(o.h_, nullptr));
    return *this;
  }
  GdiHandle(const GdiHandle&) = delete;
  GdiHandle& operator=(const GdiHandle&) = delete;
  ~GdiHandle() { Reset(); }
  void Reset(H h = nullptr) {
    H old = std::exchange(h_, h);
    if (old) DeleteObject(old);
  }
  H Get() const { return h_; }

 private:
  H h_ = nullptr;
};

// An icon: destroyed on destruction when owned (loaded from a file or handed
// over), left alone when shared (a resource icon).
class IconHandle {
 public:
  IconHandle() = default;
  IconHandle(HICON h, bool owned) : h_(h), owned_(owned) {}
  IconHandle(IconHandle&& o) noexcept : h_(std::exchange(o.h_, nullptr)), owned_(o.owned_) {}
  IconHandle& operator=(IconHandle&& o) noexcept {
    if (this != &o) {
      Reset();
      h_ = std::exchange(o.h_, nullptr);
      owned_ = o.owned_;
    }
    return *this;
  }
  IconHandle(const IconHandle&) = delete;
  IconHandle& operator=(const IconHandle&) = delete;
  ~IconHandle() { Reset(); }
  void Reset() {
    HICON old = std::exchange(h_, nullptr);
    if (old && owned_) DestroyIcon(old);
  }
  HICON Get() const { return h_; }

 private:
  HICON h_ = nullptr;
  bool owned_ = false;
};

// A kernel object handle (process, thread, file, event), closed on
// destruction. Null and INVALID_HANDLE_VALUE both count as none.
class KernelHandle {
 public:
  KernelHandle() = default;
  explicit KernelHandle(HANDLE h) : h_(h) {}
  KernelHandle(KernelHandle&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
  KernelHandle& operator=(KernelHandle&& o) noexcept {
    if (this != &o) Reset(std::exchange(o.h_, nullptr));
    return *this;
  }
  KernelHandle(const KernelHandle&) = delete;
  KernelHandle& operator=(const KernelHandle&) = delete;
  ~KernelHandle() { Reset(); }
  void Reset(HANDLE h = nullptr) {
    HANDLE old = std::exchange(h_, h);
    if (old && old != INVALID_HANDLE_VALUE) CloseHandle(old);
  }
  HANDLE Get() const { return h_; }

 private:
  HANDLE h_ = nullptr;
};

// A directory search of FindFirstFileW, closed with FindClose.
class FindHandle {
 public:
  FindHandle() = default;
  explicit FindHandle(HANDLE h) : h_(h) {}
  FindHandle(FindHandle&& o) noexcept : h_(std::exchange(o.h_, INVALID_HANDLE_VALUE)) {}
  FindHandle& operator=(FindHandle&& o) noexcept {
    if (this != &o) {
      Reset();
      h_ = std::exchange(o.h_, INVALID_HANDLE_VALUE);
    }
    return *this;
  }
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;
  ~FindHandle() { Reset(); }
  void Reset() {
    HANDLE old = std::exchange(h_, INVALID_HANDLE_VALUE);
    if (old != INVALID_HANDLE_VALUE) FindClose(old);
  }
  HANDLE Get() const { return h_; }
  explicit operator bool() const { return h_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE h_ = INVALID_HANDLE_VALUE;
};

// An open registry key, closed on destruction.
class RegistryKey {
 public:
  RegistryKey() = default;
  RegistryKey(RegistryKey&& o) noexcept : key_(std::exchange(o.key_, nullptr)) {}
  RegistryKey& operator=(RegistryKey&& o) noexcept {
    if (this != &o) {
      Reset();
      key_ = std::exchange(o.key_, nullptr);
    }
    return *this;
  }
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;
  ~RegistryKey() { Reset(); }
  void Reset() {
    HKEY old = std::exchange(key_, nullptr);
    if (old) RegCloseKey(old);
  }
  // For RegOpenKeyEx: closes the key held now first.
  HKEY* Put() {
    Reset();
    return &key_;
  }
  HKEY Get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

inline const wchar_t* Wide(const Text& t) { return reinterpret_cast<const wchar_t*>(t.c_str()); }
inline Text FromWide(const wchar_t* s, std::size_t n) { return Text(reinterpret_cast<const char16_t*>(s), n); }

}  // namespace vellix::win
