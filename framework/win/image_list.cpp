#include "framework/win/image_list.h"

#include <algorithm>

#include "framework/win/canvas.h"

namespace tw {

TChangeLink::~TChangeLink() {
  if (sender_) sender_->UnRegisterChanges(*this);
}

TCustomImageList::TCustomImageList(TComponent* AOwner) : TComponent(AOwner) {}

TCustomImageList::TCustomImageList(TComponent* AOwner, int width, int height)
    : TComponent(AOwner), width_(width), height_(height) {}

TCustomImageList::~TCustomImageList() {
  for (TChangeLink* link : links_) link->sender_ = nullptr;
  FreeHandle();
}

void TCustomImageList::FreeHandle() {
  if (handle_ && !share_images_) ImageList_Destroy(handle_);
  handle_ = nullptr;
}

void TCustomImageList::CreateImageList() {
  handle_ = ImageList_Create(width_, height_, (masked_ ? ILC_MASK : 0) | ILC_COLOR24, 4, 4);
}

HIMAGELIST TCustomImageList::Handle() {
  if (!handle_) CreateImageList();
  return handle_;
}

void TCustomImageList::SetHandle(HIMAGELIST value) {
  if (value == handle_) return;
  FreeHandle();
  handle_ = value;
  if (handle_) {
    int cx = 0, cy = 0;
    if (ImageList_GetIconSize(handle_, &cx, &cy)) {
      width_ = cx;
      height_ = cy;
    }
  }
  Change();
}

void TCustomImageList::SetSize(int width, int height) {
  if (width == width_ && height == height_) return;
  width_ = width;
  height_ = height;
  if (handle_) {
    FreeHandle();
    Change();
  }
}

void TCustomImageList::SetMasked(bool value) {
  if (value == masked_) return;
  masked_ = value;
  if (handle_) {
    FreeHandle();
    Change();
  }
}

int TCustomImageList::Count() { return handle_ ? ImageList_GetImageCount(handle_) : 0; }

int TCustomImageList::Add(HBITMAP image, HBITMAP mask) {
  int index = ImageList_Add(Handle(), image, mask);
  if (index >= 0) Change();
  return index;
}

int TCustomImageList::AddMasked(HBITMAP image, COLORREF mask_color) {
  int index = ImageList_AddMasked(Handle(), image, mask_color);
  if (index >= 0) Change();
  return index;
}

int TCustomImageList::AddIcon(HICON icon) {
  int index = ImageList_AddIcon(Handle(), icon);
  if (index >= 0) Change();
  return index;
}

void TCustomImageList::Delete(int index) {
  if (handle_ && ImageList_Remove(handle_, index)) Change();
}

void TCustomImageList::Clear() { Delete(-1); }

bool TCustomImageList::Overlay(int index, int overlay) {
  return handle_ && ImageList_SetOverlayImage(handle_, index, overlay + 1);
}

void TCustomImageList::Draw(TCanvas& canvas, int x, int y, int index, bool enabled) {
  if (!handle_) return;
  ImageList_DrawEx(handle_, index, canvas.Handle(), x, y, 0, 0, CLR_NONE, CLR_DEFAULT,
                   enabled ? ILD_NORMAL : ILD_BLEND50);
}

void TCustomImageList::Draw(TCanvas& canvas, int x, int y, int index, TDrawingStyle style,
                            int overlay) {
  if (!handle_) return;
  static constexpr UINT kStyles[] = {ILD_FOCUS, ILD_SELECTED, ILD_NORMAL, ILD_TRANSPARENT};
  UINT flags = kStyles[static_cast<int>(style)];
  if (overlay >= 0) flags |= INDEXTOOVERLAYMASK(overlay + 1);
  const COLORREF blend = style == dsSelected || style == dsFocus
                             ? static_cast<COLORREF>(ColorToRGB(clHighlight))
                             : CLR_DEFAULT;
  ImageList_DrawEx(handle_, index, canvas.Handle(), x, y, 0, 0, CLR_NONE, blend, flags);
}

HICON TCustomImageList::GetIcon(int index) {
  return handle_ ? ImageList_GetIcon(handle_, index, ILD_NORMAL) : nullptr;
}

void TCustomImageList::RegisterChanges(TChangeLink& link) {
  if (link.sender_ == this) return;
  if (link.sender_) link.sender_->UnRegisterChanges(link);
  link.sender_ = this;
  links_.push_back(&link);
}

void TCustomImageList::UnRegisterChanges(TChangeLink& link) {
  links_.erase(std::remove(links_.begin(), links_.end(), &link), links_.end());
  if (link.sender_ == this) link.sender_ = nullptr;
}

void TCustomImageList::Change() {
  // A listener may unregister while it hears the change.
  const std::vector<TChangeLink*> links = links_;
  for (TChangeLink* link : links)
    if (std::find(links_.begin(), links_.end(), link) != links_.end() && link->OnChange)
      link->OnChange(this);
  if (OnChange) OnChange(this);
}

}  // namespace tw
