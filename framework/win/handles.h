#pragma once
// Move-only owners of Win32 handles, one template parameterised by the family's traits.
// A traits class gives the handle type, its "no handle" value(s) and how to release it.

#include <windows.h>

#include <utility>

namespace tw {

template <class Traits>
class ScopedHandle {
public:
  using Handle = typename Traits::Handle;

  ScopedHandle() noexcept = default;
  explicit ScopedHandle(Handle h) noexcept : handle_(h) {}
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.Take()) {}
  ScopedHandle& operator=(ScopedHandle&& other) noexcept {
    if (this != &other) Reset(other.Take());
    return *this;
  }
  ~ScopedHandle() { Reset(); }

  Handle Get() const noexcept { return handle_; }
  bool IsValid() const noexcept { return Traits::IsValid(handle_); }
  explicit operator bool() const noexcept { return IsValid(); }

  // Gives up ownership: the caller now releases the handle.
  [[nodiscard]] Handle Take() noexcept { return std::exchange(handle_, Traits::Null()); }

  // Releases the held handle (if any) and adopts H.
  void Reset(Handle h = Traits::Null()) noexcept {
    Handle old = std::exchange(handle_, h);
    if (Traits::IsValid(old) && old != h) {
      // Preserve the caller's last error so that the failing call's code survives cleanup.
      DWORD error = GetLastError();
      Traits::Close(old);
      SetLastError(error);
    }
  }

  // For APIs that return a new handle through an out-parameter: releases the held one first.
  Handle* Receive() noexcept {
    Reset();
    return &handle_;
  }

private:
  Handle handle_ = Traits::Null();
};

namespace handle_traits {

template <class H, class Fn, Fn Closer>
struct NullIsInvalid {
  using Handle = H;
  static Handle Null() noexcept { return nullptr; }
  static bool IsValid(Handle h) noexcept { return h != nullptr; }
  static void Close(Handle h) noexcept { Closer(h); }
};

// GDI objects are all released by DeleteObject whatever their kind.
template <class H>
struct Gdi {
  using Handle = H;
  static Handle Null() noexcept { return nullptr; }
  static bool IsValid(Handle h) noexcept { return h != nullptr; }
  static void Close(Handle h) noexcept { DeleteObject(h); }
};

// Kernel handles: some calls fail with NULL, others (CreateFile) with INVALID_HANDLE_VALUE.
struct Kernel {
  using Handle = HANDLE;
  static Handle Null() noexcept { return nullptr; }
  static bool IsValid(Handle h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(Handle h) noexcept { CloseHandle(h); }
};

struct FindFile {
  using Handle = HANDLE;
  static Handle Null() noexcept { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Handle h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(Handle h) noexcept { FindClose(h); }
};

inline void CloseKey(HKEY k) noexcept { RegCloseKey(k); }
inline void CloseIcon(HICON h) noexcept { DestroyIcon(h); }
inline void CloseMenu(HMENU h) noexcept { DestroyMenu(h); }
inline void CloseDC(HDC h) noexcept { DeleteDC(h); }
inline void CloseGlobal(HGLOBAL h) noexcept { GlobalFree(h); }
inline void CloseLibrary(HMODULE h) noexcept { FreeLibrary(h); }
inline void DestroyWindowHandle(HWND h) noexcept { DestroyWindow(h); }

}  // namespace handle_traits

using ScopedFont = ScopedHandle<handle_traits::Gdi<HFONT>>;
using ScopedBitmap = ScopedHandle<handle_traits::Gdi<HBITMAP>>;
using ScopedBrush = ScopedHandle<handle_traits::Gdi<HBRUSH>>;
using ScopedPen = ScopedHandle<handle_traits::Gdi<HPEN>>;
using ScopedRegion = ScopedHandle<handle_traits::Gdi<HRGN>>;
using ScopedPalette = ScopedHandle<handle_traits::Gdi<HPALETTE>>;
using ScopedKernelHandle = ScopedHandle<handle_traits::Kernel>;
using ScopedFindHandle = ScopedHandle<handle_traits::FindFile>;
using ScopedKey = ScopedHandle<
    handle_traits::NullIsInvalid<HKEY, decltype(&handle_traits::CloseKey), &handle_traits::CloseKey>>;
using ScopedIcon = ScopedHandle<handle_traits::NullIsInvalid<HICON, decltype(&handle_traits::CloseIcon),
                                                             &handle_traits::CloseIcon>>;
using ScopedMenu = ScopedHandle<handle_traits::NullIsInvalid<HMENU, decltype(&handle_traits::CloseMenu),
                                                             &handle_traits::CloseMenu>>;
// A memory device context from CreateCompatibleDC / CreateDC (not one from GetDC).
using ScopedMemoryDC = ScopedHandle<
    handle_traits::NullIsInvalid<HDC, decltype(&handle_traits::CloseDC), &handle_traits::CloseDC>>;
using ScopedGlobal = ScopedHandle<handle_traits::NullIsInvalid<
    HGLOBAL, decltype(&handle_traits::CloseGlobal), &handle_traits::CloseGlobal>>;
using ScopedLibrary = ScopedHandle<handle_traits::NullIsInvalid<
    HMODULE, decltype(&handle_traits::CloseLibrary), &handle_traits::CloseLibrary>>;
using ScopedWindow = ScopedHandle<handle_traits::NullIsInvalid<
    HWND, decltype(&handle_traits::DestroyWindowHandle), &handle_traits::DestroyWindowHandle>>;

// A block from the COM task allocator (CoTaskMemAlloc), e.g. strings the shell returns.
template <class T>
class ScopedCoMem {
public:
  ScopedCoMem() noexcept = default;
  explicit ScopedCoMem(T* p) noexcept : ptr_(p) {}
  ScopedCoMem(const ScopedCoMem&) = delete;
  ScopedCoMem& operator=(const ScopedCoMem&) = delete;
  ScopedCoMem(ScopedCoMem&& other) noexcept : ptr_(other.Take()) {}
  ScopedCoMem& operator=(ScopedCoMem&& other) noexcept {
    if (this != &other) Reset(other.Take());
    return *this;
  }
  ~ScopedCoMem() { Reset(); }

  T* Get() const noexcept { return ptr_; }
  explicit operator bool() const noexcept { return ptr_ != nullptr; }
  [[nodiscard]] T* Take() noexcept { return std::exchange(ptr_, nullptr); }
  void Reset(T* p = nullptr) noexcept {
    T* old = std::exchange(ptr_, p);
    if (old && old != p) CoTaskMemFree(old);
  }
  T** Receive() noexcept {
    Reset();
    return &ptr_;
  }

private:
  T* ptr_ = nullptr;
};

// A device context borrowed from a window (GetDC / GetWindowDC), given back with ReleaseDC.
class ScopedWindowDC {
public:
  explicit ScopedWindowDC(HWND window) noexcept : window_(window), dc_(GetDC(window)) {}
  ScopedWindowDC(const ScopedWindowDC&) = delete;
  ScopedWindowDC& operator=(const ScopedWindowDC&) = delete;
  ~ScopedWindowDC() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  HDC Get() const noexcept { return dc_; }
  explicit operator bool() const noexcept { return dc_ != nullptr; }

private:
  HWND window_;
  HDC dc_;
};

// Selects an object into a device context and selects the previous one back on destruction.
class ScopedSelectObject {
public:
  ScopedSelectObject(HDC dc, HGDIOBJ object) noexcept : dc_(dc), old_(SelectObject(dc, object)) {}
  ScopedSelectObject(const ScopedSelectObject&) = delete;
  ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;
  ~ScopedSelectObject() {
    if (old_ && old_ != HGDI_ERROR) SelectObject(dc_, old_);
  }

private:
  HDC dc_;
  HGDIOBJ old_;
};

// Saves a device context's state (SaveDC) and restores it on destruction, also when an
// exception passes, so that clipping and origins set for one part never reach the next.
class ScopedSaveDC {
public:
  explicit ScopedSaveDC(HDC dc) noexcept : dc_(dc), saved_(SaveDC(dc)) {}
  ScopedSaveDC(const ScopedSaveDC&) = delete;
  ScopedSaveDC& operator=(const ScopedSaveDC&) = delete;
  ~ScopedSaveDC() {
    if (saved_) RestoreDC(dc_, saved_);
  }

private:
  HDC dc_;
  int saved_;
};

// BeginPaint for its lifetime and EndPaint on destruction, however painting ends.
class ScopedPaint {
public:
  explicit ScopedPaint(HWND window) noexcept : window_(window), dc_(BeginPaint(window, &ps_)) {}
  ScopedPaint(const ScopedPaint&) = delete;
  ScopedPaint& operator=(const ScopedPaint&) = delete;
  ~ScopedPaint() { EndPaint(window_, &ps_); }
  HDC Get() const noexcept { return dc_; }

private:
  HWND window_;
  PAINTSTRUCT ps_{};
  HDC dc_;
};

}  // namespace tw
