// TListItem and TListItems: the item objects behind the list view's items.
#include "framework/exception.h"
#include "framework/string_table.h"
#include "framework/win/list_view.h"

namespace tw {

TListItem::TListItem(TListItems* owner) : owner_(owner) {}

TListItem::~TListItem() = default;

TCustomListView* TListItem::ListView() const { return owner_->Owner(); }

int TListItem::Index() const {
  if (!inserted_) return -1;
  HWND handle = ListView()->Handle();
  if (index_hint_ >= 0) {
    LVITEMA query{};
    query.mask = LVIF_PARAM;
    query.iItem = index_hint_;
    if (SendMessageA(handle, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query)) &&
        query.lParam == reinterpret_cast<LPARAM>(this))
      return index_hint_;
  }
  LVFINDINFOA find{};
  find.flags = LVFI_PARAM;
  find.lParam = reinterpret_cast<LPARAM>(this);
  index_hint_ = static_cast<int>(SendMessageA(handle, LVM_FINDITEMA, static_cast<WPARAM>(-1),
                                              reinterpret_cast<LPARAM>(&find)));
  return index_hint_;
}

bool TListItem::GetState(UINT mask) const {
  if (!inserted_) return (saved_state_ & mask) != 0;
  return (static_cast<UINT>(SendMessageA(ListView()->Handle(), LVM_GETITEMSTATE, Index(), mask)) &
          mask) != 0;
}

void TListItem::SetState(UINT mask, bool value) {
  if (!inserted_) return;
  LVITEMA item{};
  item.stateMask = mask;
  item.state = value ? mask : 0;
  SendMessageA(ListView()->Handle(), LVM_SETITEMSTATE, Index(), reinterpret_cast<LPARAM>(&item));
}

bool TListItem::Checked() const {
  // The state image index is 1 for unchecked and 2 for checked.
  if (!inserted_) return false;
  UINT state = static_cast<UINT>(
      SendMessageA(ListView()->Handle(), LVM_GETITEMSTATE, Index(), LVIS_STATEIMAGEMASK));
  return (state & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
}

void TListItem::SetChecked(bool value) {
  if (!inserted_) return;
  LVITEMA item{};
  item.stateMask = LVIS_STATEIMAGEMASK;
  item.state = INDEXTOSTATEIMAGEMASK(value ? 2 : 1);
  SendMessageA(ListView()->Handle(), LVM_SETITEMSTATE, Index(), reinterpret_cast<LPARAM>(&item));
}

void TListItem::SetCaption(const std::string& value) {
  caption_ = value;
  Update();
}

void TListItem::SetImageIndex(int value) {
  if (image_index_ == value) return;
  image_index_ = value;
  Update();
}

void TListItem::SetOverlayIndex(int value) {
  overlay_index_ = value;
  if (!inserted_) return;
  LVITEMA item{};
  item.stateMask = LVIS_OVERLAYMASK;
  item.state = INDEXTOOVERLAYMASK(value + 1);
  SendMessageA(ListView()->Handle(), LVM_SETITEMSTATE, Index(), reinterpret_cast<LPARAM>(&item));
}

RECT TListItem::DisplayRect(TDisplayCode code) const {
  RECT r{};
  if (!inserted_) return r;
  static constexpr int kCodes[] = {LVIR_BOUNDS, LVIR_ICON, LVIR_LABEL, LVIR_SELECTBOUNDS};
  r.left = kCodes[static_cast<int>(code)];
  SendMessageA(ListView()->Handle(), LVM_GETITEMRECT, Index(), reinterpret_cast<LPARAM>(&r));
  return r;
}

POINT TListItem::Position() const {
  POINT p{};
  if (inserted_)
    SendMessageA(ListView()->Handle(), LVM_GETITEMPOSITION, Index(), reinterpret_cast<LPARAM>(&p));
  return p;
}

void TListItem::SetPosition(POINT value) {
  if (inserted_)
    SendMessageA(ListView()->Handle(), LVM_SETITEMPOSITION, Index(), MAKELPARAM(value.x, value.y));
}

void TListItem::MakeVisible(bool partial_ok) {
  if (inserted_) SendMessageA(ListView()->Handle(), LVM_ENSUREVISIBLE, Index(), partial_ok);
}

bool TListItem::EditCaption() {
  if (!inserted_) return false;
  HWND handle = ListView()->Handle();
  SetFocus(handle);
  return SendMessageA(handle, LVM_EDITLABELA, Index(), 0) != 0;
}

void TListItem::CancelEdit() {
  if (!inserted_) return;
  // Escape in the edit window is the cancel every version of the control honours; some take
  // LVM_CANCELEDITLABEL for a commit of the typed text.
  if (HWND edit = reinterpret_cast<HWND>(
          SendMessageA(ListView()->Handle(), LVM_GETEDITCONTROL, 0, 0)))
    SendMessageA(edit, WM_KEYDOWN, VK_ESCAPE, 0);
}

void TListItem::Update() {
  if (!inserted_) return;
  int index = Index();
  SendMessageA(ListView()->Handle(), LVM_REDRAWITEMS, index, index);
}

void TListItem::Delete() { owner_->Delete(Index()); }

TListItems::TListItems(TCustomListView* owner) : owner_(owner) {}

TListItems::~TListItems() = default;

int TListItems::Count() const {
  if (!owner_->HandleAllocated()) return 0;
  return static_cast<int>(SendMessageA(owner_->Handle(), LVM_GETITEMCOUNT, 0, 0));
}

TListItem* TListItems::Known(LPARAM param) const {
  auto* item = reinterpret_cast<TListItem*>(param);
  return item && items_.count(item) ? item : nullptr;
}

TListItem* TListItems::Item(int index) const {
  if (index < 0 || !owner_->HandleAllocated()) return nullptr;
  LVITEMA query{};
  query.mask = LVIF_PARAM;
  query.iItem = index;
  if (!SendMessageA(owner_->Handle(), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query)))
    return nullptr;
  return Known(query.lParam);
}

int TListItems::IndexOf(const TListItem* item) const {
  return item && items_.count(item) ? item->Index() : -1;
}

void TListItems::InsertIntoControl(TListItem& item, int index) {
  LVITEMA insert{};
  insert.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM | LVIF_STATE;
  insert.iItem = index;
  insert.pszText = LPSTR_TEXTCALLBACKA;
  insert.iImage = I_IMAGECALLBACK;
  insert.lParam = reinterpret_cast<LPARAM>(&item);
  insert.stateMask = LVIS_OVERLAYMASK | LVIS_CUT;
  insert.state = INDEXTOOVERLAYMASK(item.overlay_index_ + 1) | (item.saved_state_ & LVIS_CUT);
  // The item counts as inserted before the control tells anyone about it.
  item.inserted_ = true;
  item.index_hint_ = static_cast<int>(
      SendMessageA(owner_->Handle(), LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
  if (item.index_hint_ < 0) item.inserted_ = false;
}

TListItem* TListItems::InsertItem(int index, const std::string& caption, void* data) {
  owner_->HandleNeeded();
  auto made = std::make_unique<TListItem>(this);
  TListItem* item = made.get();
  item->caption_ = caption;
  item->data_ = data;
  items_.emplace(item, std::move(made));
  InsertIntoControl(*item, index);
  if (!item->inserted_) {
    items_.erase(item);
    throw EOutOfResources(LoadStr(SOutOfResources));
  }
  return item;
}

TListItem* TListItems::Add() { return InsertItem(INT_MAX, std::string(), nullptr); }

TListItem* TListItems::Insert(int index) { return InsertItem(index, std::string(), nullptr); }

TListItem* TListItems::AddItem(const std::string& caption, void* data) {
  return InsertItem(INT_MAX, caption, data);
}

void TListItems::ItemDeleted(TListItem* item) {
  auto it = items_.find(item);
  if (it == items_.end() || owner_->saving_items_) return;
  // The item leaves the map first, so a handler that deletes it again finds nothing to do.
  std::unique_ptr<TListItem> owned = std::move(it->second);
  items_.erase(it);
  if (owner_->edit_item_ == item) owner_->edit_item_ = nullptr;
  owner_->Delete(owned.get());
  owned->inserted_ = false;
}

void TListItems::Delete(int index) {
  TListItem* item = Item(index);
  if (!item) return;
  SendMessageA(owner_->Handle(), LVM_DELETEITEM, index, 0);
  // Without a reflecting parent no deletion notice arrives; the item goes all the same.
  item->inserted_ = false;
  ItemDeleted(item);
}

void TListItems::Clear() {
  if (owner_->HandleAllocated()) SendMessageA(owner_->Handle(), LVM_DELETEALLITEMS, 0, 0);
  while (!items_.empty()) {
    TListItem* item = const_cast<TListItem*>(items_.begin()->first);
    item->inserted_ = false;
    ItemDeleted(item);
  }
}

void TListItems::SetCountHint(int count) {
  if (owner_->HandleAllocated()) SendMessageA(owner_->Handle(), LVM_SETITEMCOUNT, count, 0);
}

void TListItems::BeginUpdate() {
  if (update_count_++ == 0 && owner_->HandleAllocated())
    SendMessageA(owner_->Handle(), WM_SETREDRAW, FALSE, 0);
}

void TListItems::EndUpdate() {
  if (update_count_ > 0 && --update_count_ == 0 && owner_->HandleAllocated()) {
    SendMessageA(owner_->Handle(), WM_SETREDRAW, TRUE, 0);
    InvalidateRect(owner_->Handle(), nullptr, TRUE);
  }
}

}  // namespace tw
