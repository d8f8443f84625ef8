#pragma once
// The one COM smart pointer of the program: holds one reference, moves freely, and adapts to the
// out-parameters of QueryInterface-style calls.

#include <objbase.h>
#include <unknwn.h>

#include <utility>

namespace tw {

template <class T>
class ComPtr {
public:
  ComPtr() noexcept = default;
  ComPtr(std::nullptr_t) noexcept {}
  // Takes a new reference to P (the caller keeps its own).
  explicit ComPtr(T* p) noexcept : ptr_(p) {
    if (ptr_) ptr_->AddRef();
  }
  ComPtr(const ComPtr& other) noexcept : ComPtr(other.ptr_) {}
  ComPtr(ComPtr&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
  ComPtr& operator=(const ComPtr& other) noexcept {
    ComPtr(other).Swap(*this);
    return *this;
  }
  ComPtr& operator=(ComPtr&& other) noexcept {
    ComPtr(std::move(other)).Swap(*this);
    return *this;
  }
  ComPtr& operator=(std::nullptr_t) noexcept {
    Reset();
    return *this;
  }
  ~ComPtr() { Reset(); }

  // Adopts P without AddRef: for pointers a call returned with a reference for the caller.
  static ComPtr Adopt(T* p) noexcept {
    ComPtr result;
    result.ptr_ = p;
    return result;
  }

  T* Get() const noexcept { return ptr_; }
  T* operator->() const noexcept { return ptr_; }
  explicit operator bool() const noexcept { return ptr_ != nullptr; }

  void Reset() noexcept {
    if (T* old = std::exchange(ptr_, nullptr)) old->Release();
  }
  // Hands the reference to the caller, e.g. to return it through an out-parameter.
  [[nodiscard]] T* Detach() noexcept { return std::exchange(ptr_, nullptr); }
  void Swap(ComPtr& other) noexcept { std::swap(ptr_, other.ptr_); }

  // Out-parameter adapter: releases the held reference and lets the call fill the pointer.
  T** Receive() noexcept {
    Reset();
    return &ptr_;
  }
  void** ReceiveVoid() noexcept { return reinterpret_cast<void**>(Receive()); }

  // QueryInterface for U; an empty pointer when the object does not implement it.
  template <class U>
  ComPtr<U> As() const noexcept {
    ComPtr<U> result;
    if (ptr_) ptr_->QueryInterface(__uuidof(U), result.ReceiveVoid());
    return result;
  }
  HRESULT QueryInterface(REFIID iid, void** out) const noexcept {
    if (!ptr_) return E_POINTER;
    return ptr_->QueryInterface(iid, out);
  }

  friend bool operator==(const ComPtr& a, const ComPtr& b) noexcept { return a.ptr_ == b.ptr_; }
  friend bool operator==(const ComPtr& a, std::nullptr_t) noexcept { return a.ptr_ == nullptr; }

private:
  T* ptr_ = nullptr;
};

}  // namespace tw
