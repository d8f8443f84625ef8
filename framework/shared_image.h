#pragma once
// Image data shared between picture objects by reference count. A picture that copies another
// shares its image instead of duplicating it; the last holder to let go frees the image's
// handles (FreeHandle) and the object itself.

#include <utility>

namespace tw {

class TSharedImage {
public:
  TSharedImage() = default;
  TSharedImage(const TSharedImage&) = delete;
  TSharedImage& operator=(const TSharedImage&) = delete;
  virtual ~TSharedImage() = default;

  void Reference() { ++ref_count_; }
  // Drops one reference; at zero the image frees its handles and deletes itself, so it must
  // have been created with new.
  void Release() {
    if (--ref_count_ == 0) {
      FreeHandle();
      delete this;
    }
  }
  int RefCount() const { return ref_count_; }

protected:
  // Frees what the image holds outside its own memory (GDI objects and the like).
  virtual void FreeHandle() {}

private:
  int ref_count_ = 0;
};

// One reference to a shared image, held for the lifetime of this handle. Copying the handle
// shares the image; Shared() tells a holder that a change would be seen by the others, so
// that a class copying on write knows to make its own copy first.
template <class T>
class TSharedImageRef {
public:
  TSharedImageRef() = default;
  // Takes a reference to IMAGE (a new image starts at count 0, so this becomes its first).
  explicit TSharedImageRef(T* image) : image_(image) {
    if (image_) image_->Reference();
  }
  TSharedImageRef(const TSharedImageRef& other) : TSharedImageRef(other.image_) {}
  TSharedImageRef(TSharedImageRef&& other) noexcept : image_(std::exchange(other.image_, nullptr)) {}
  TSharedImageRef& operator=(TSharedImageRef other) noexcept {
    std::swap(image_, other.image_);
    return *this;
  }
  ~TSharedImageRef() {
    if (image_) image_->Release();
  }

  T* Get() const { return image_; }
  T* operator->() const { return image_; }
  T& operator*() const { return *image_; }
  explicit operator bool() const { return image_ != nullptr; }
  bool Shared() const { return image_ && image_->RefCount() > 1; }

private:
  T* image_ = nullptr;
};

}  // namespace tw
