#pragma once
// TCustomImageList / TImageList: a component around an image list handle (HIMAGELIST). With
// ShareImages set the handle belongs to someone else (the system image list) and is never
// destroyed here. Controls that show the list register a TChangeLink and hear when its handle
// or images change.

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <vector>

#include "framework/component.h"
#include "framework/events.h"

namespace tw {

class TCanvas;
class TCustomImageList;

// How an image is drawn: dsSelected blends it with the highlight colour, dsFocus blends it
// less, dsTransparent and dsNormal draw it as it is over the background.
enum class TDrawingStyle { dsFocus, dsSelected, dsNormal, dsTransparent };
using enum TDrawingStyle;

// A listener registered with an image list; it unregisters itself when it goes away.
class TChangeLink {
public:
  TChangeLink() = default;
  ~TChangeLink();
  TChangeLink(const TChangeLink&) = delete;
  TChangeLink& operator=(const TChangeLink&) = delete;

  TCustomImageList* Sender() const { return sender_; }
  TNotifyEvent OnChange;

private:
  friend class TCustomImageList;
  TCustomImageList* sender_ = nullptr;
};

class TCustomImageList : public TComponent {
public:
  explicit TCustomImageList(TComponent* AOwner);
  // A list of images of WIDTH by HEIGHT pixels.
  TCustomImageList(TComponent* AOwner, int width, int height);
  ~TCustomImageList() override;

  std::string ClassName() const override { return "TCustomImageList"; }

  int Width() const { return width_; }
  int Height() const { return height_; }
  // Changing the size empties the list (the images are of the old size).
  void SetWidth(int value) { SetSize(value, height_); }
  void SetHeight(int value) { SetSize(width_, value); }
  void SetSize(int width, int height);
  bool Masked() const { return masked_; }
  void SetMasked(bool value);
  bool ShareImages() const { return share_images_; }
  void SetShareImages(bool value) { share_images_ = value; }

  // The list's handle, made on demand; a shared one is only borrowed.
  HIMAGELIST Handle();
  bool HandleAllocated() const { return handle_ != nullptr; }
  // Takes VALUE as the list's images (its size becomes the list's); the previous handle is
  // destroyed unless shared.
  void SetHandle(HIMAGELIST value);

  int Count();
  // Adds an image (and its mask, or none) and returns its index, -1 on failure.
  int Add(HBITMAP image, HBITMAP mask);
  // Adds an image whose pixels of MASK_COLOR are transparent.
  int AddMasked(HBITMAP image, COLORREF mask_color);
  int AddIcon(HICON icon);
  void Delete(int index);
  void Clear();
  // Makes image INDEX usable as overlay OVERLAY (0-based) of the images it is drawn over.
  bool Overlay(int index, int overlay);
  void Draw(TCanvas& canvas, int x, int y, int index, bool enabled = true);
  // Draws image INDEX in STYLE with overlay OVERLAY (0-based, -1 for none) over it.
  void Draw(TCanvas& canvas, int x, int y, int index, TDrawingStyle style, int overlay);
  // A new icon of image INDEX, owned by the caller.
  HICON GetIcon(int index);

  void RegisterChanges(TChangeLink& link);
  void UnRegisterChanges(TChangeLink& link);
  TNotifyEvent OnChange;

protected:
  void Change();

private:
  void CreateImageList();
  void FreeHandle();

  int width_ = 16;
  int height_ = 16;
  bool masked_ = true;
  bool share_images_ = false;
  HIMAGELIST handle_ = nullptr;
  std::vector<TChangeLink*> links_;
};

class TImageList : public TCustomImageList {
public:
  using TCustomImageList::TCustomImageList;
  std::string ClassName() const override { return "TImageList"; }
};

}  // namespace tw
