#include "shell/win/image_combo.h"

#include <cstdlib>

#include "framework/type_info.h"
#include "framework/win/image_list_link.h"
#include "framework/win/form.h"
#include "framework/win/handles.h"

namespace tw {
namespace {

using C = TPTCustomImageCombo;
const bool kRegistered =
    TTypeRegistry::Class<TPTCustomImageCombo>("TPTCustomImageCombo", "TPTCustomCombobox")
        .Object<TCustomImageList>("Images", "TCustomImageList", &C::Images, &C::SetImages)
        .Integer("IndentPixels", &C::IndentPixels, &C::SetIndentPixels, 12)
        .Method("OnDeleteItem", [](C& c) { return bool(c.OnDeleteItem); })
        .Done();

TRect ToRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

}  // namespace

TPTImageComboItem::TPTImageComboItem(TPTCustomImageCombo* combo, const std::string& text,
                                     int image_index, int indent)
    : combo_(combo), indent_(indent), image_index_(image_index), text_(text) {}

void TPTImageComboItem::SetOverlayIndex(int value) {
  overlay_index_ = value;
  combo_->Invalidate();
}

TPTCustomImageCombo::TPTCustomImageCombo(TComponent* AOwner) : TPTCustomCombobox(AOwner) {
  SetStyle(csOwnerDrawFixed);
  image_change_link_.OnChange = [this](TObject*) {
    if (HandleAllocated()) UpdateItemHeight(Font().Handle());
    Invalidate();
  };
}

TPTCustomImageCombo::~TPTCustomImageCombo() {
  Destroying();
  if (HandleAllocated()) DeleteAllItems();
  SetImages(nullptr);
}

void TPTCustomImageCombo::CreateParams(TCreateParams& params) {
  if (auto_item_height_) UpdateItemHeight(Font().Handle());
  TPTCustomCombobox::CreateParams(params);
  // The entries are objects; the control keeps no texts.
  params.Style &= ~static_cast<DWORD>(CBS_HASSTRINGS);
}

void TPTCustomImageCombo::CreateWnd() {
  TPTCustomCombobox::CreateWnd();
  // The down arrow key opens the list.
  SendMessageA(Handle(), CB_SETEXTENDEDUI, TRUE, 0);
}

void TPTCustomImageCombo::DestroyWnd() {
  DeleteAllItems();
  TPTCustomCombobox::DestroyWnd();
}

void TPTCustomImageCombo::DeleteAllItems() { ClearItems(); }

void TPTCustomImageCombo::UpdateItemHeight(HFONT font) {
  if (!auto_item_height_) return;
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  int height = std::abs(static_cast<int>(metrics.tmHeight)) + 2;
  if (images_ && images_->Height() > height) height = images_->Height();
  // The running window takes the new height as it is; only a changed style needs a new one.
  TCustomComboBox::SetItemHeight(height);
}

void TPTCustomImageCombo::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_SETFONT:
      UpdateItemHeight(reinterpret_cast<HFONT>(message.WParam));
      break;
    case WM_ERASEBKGND: {
      auto* form = dynamic_cast<TForm*>(Owner());
      ScopedBrush brush(CreateSolidBrush(ColorToRGB(form ? form->Color() : clWindow)));
      RECT client;
      GetClientRect(Handle(), &client);
      FillRect(reinterpret_cast<HDC>(message.WParam), &client, brush.Get());
      message.Result = 1;
      return;
    }
    default:
      break;
  }
  TPTCustomCombobox::WndProc(message);
}

void TPTCustomImageCombo::SetImages(TCustomImageList* value) {
  if (!AttachImageList(images_, value, image_change_link_, this)) return;
  Invalidate();
  if (!HasState(csLoading) && !IsDestroying()) UpdateItemHeight(Font().Handle());
}

void TPTCustomImageCombo::SetIndentPixels(int value) {
  if (indent_pixels_ == value) return;
  indent_pixels_ = value;
  Invalidate();
}

void TPTCustomImageCombo::Notification(TComponent* AComponent, TOperation Operation) {
  TPTCustomCombobox::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == images_) {
    images_ = nullptr;
    Invalidate();
  }
}

TPTImageComboItem* TPTCustomImageCombo::AddItem(const std::string& text, int image_index,
                                                int indent) {
  auto item = std::make_unique<TPTImageComboItem>(this, text, image_index, indent);
  item->index_ = TCustomComboBox::AddItem("", item.get());
  return item.release();
}

TPTImageComboItem* TPTCustomImageCombo::ItemAt(int index) {
  return dynamic_cast<TPTImageComboItem*>(ItemObject(index));
}

void TPTCustomImageCombo::DoDeleteItem(TObject* data) {
  auto* item = dynamic_cast<TPTImageComboItem*>(data);
  if (!item) return;
  std::unique_ptr<TPTImageComboItem> owned(item);
  if (OnDeleteItem) OnDeleteItem(this, item);
}

void TPTCustomImageCombo::DrawItem(int index, const RECT& rect, TOwnerDrawState state) {
  TPTImageComboItem* item = ItemAt(index);
  if (OnDrawItem || !item) {
    TPTCustomCombobox::DrawItem(index, rect, state);
    return;
  }
  TCanvas& canvas = Canvas();
  const bool selected = (state & odSelected) != 0;
  // The closed field shows the entry flush left.
  const int indent = (state & odComboBoxEdit) ? 0 : item->Indent();
  canvas.Brush().SetColor(clWindow);
  canvas.FillRect(ToRect(rect));
  if (images_) {
    if (selected) canvas.Brush().SetColor(clHighlight);
    const int x = indent * indent_pixels_ + rect.left + 2;
    const int y = (rect.top + rect.bottom - images_->Height()) / 2;
    images_->Draw(canvas, x, y, item->ImageIndex(), selected ? dsSelected : dsNormal,
                  item->OverlayIndex());
  }
  if (selected) canvas.Brush().SetColor(clHighlight);
  if (item->Text().empty()) return;
  const int text_left = (images_ ? images_->Width() + 4 : 4) + indent * indent_pixels_ + rect.left + 1;
  const TRect text_rect{text_left, rect.top, text_left + canvas.TextWidth(item->Text()) + 3,
                        rect.bottom};
  canvas.TextRect(text_rect, text_left + 1, rect.top + 1, item->Text());
}

}  // namespace tw
