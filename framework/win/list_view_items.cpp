// TListItem and TListItems: the item objects behind the list view's items.
#include <algorithm>
#include <utility>

#include "framework/exception.h"
#include "framework/natural_merge_sort.h"
#include "framework/string_table.h"
#include "framework/win/list_view.h"

namespace tw {
namespace {

// The states an owner-data list's control keeps itself; it asks the items for the others.
constexpr UINT kControlStates = LVIS_SELECTED | LVIS_FOCUSED;

}  // namespace

TListItem::TListItem(TListItems* owner) : owner_(owner) {}

TListItem::~TListItem() = default;

TCustomListView* TListItem::ListView() const { return owner_->Owner(); }

int TListItem::Index() const {
  if (!inserted_) return -1;
  if (owner_->Virtual()) return index_hint_;
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

int TListItem::ControlIndex() const {
  owner_->SyncCount();
  return Index();
}

UINT TListItem::StateBits(UINT mask) const {
  if (!inserted_) return saved_state_ & mask;
  if (owner_->Virtual() && !(mask & kControlStates)) return own_state_ & mask;
  return static_cast<UINT>(
             SendMessageA(ListView()->Handle(), LVM_GETITEMSTATE, ControlIndex(), mask)) &
         mask;
}

void TListItem::SetStateBits(UINT mask, UINT bits) {
  if (!inserted_) return;
  if (owner_->Virtual() && !(mask & kControlStates)) {
    own_state_ = (own_state_ & ~mask) | (bits & mask);
    Update();
    return;
  }
  LVITEMA item{};
  item.stateMask = mask;
  item.state = bits;
  SendMessageA(ListView()->Handle(), LVM_SETITEMSTATE, ControlIndex(),
               reinterpret_cast<LPARAM>(&item));
}

bool TListItem::Checked() const {
  // The state image index is 1 for unchecked and 2 for checked.
  return StateBits(LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
}

void TListItem::SetChecked(bool value) {
  SetStateBits(LVIS_STATEIMAGEMASK, INDEXTOSTATEIMAGEMASK(value ? 2 : 1));
}

TListItem::TTexts& TListItem::Texts() {
  if (!texts_) texts_ = std::make_unique<TTexts>();
  return *texts_;
}

const std::string& TListItem::Caption() const {
  static const std::string kNone;
  return texts_ ? texts_->caption : kNone;
}

const std::vector<std::string>& TListItem::SubItems() const {
  static const std::vector<std::string> kNone;
  return texts_ ? texts_->sub_items : kNone;
}

void TListItem::SetCaption(const std::string& value) {
  Texts().caption = value;
  Update();
}

void TListItem::SetImageIndex(int value) {
  if (image_index_ == value) return;
  image_index_ = value;
  Update();
}

void TListItem::SetOverlayIndex(int value) {
  overlay_index_ = value;
  SetStateBits(LVIS_OVERLAYMASK, INDEXTOOVERLAYMASK(value + 1));
}

RECT TListItem::DisplayRect(TDisplayCode code) const {
  RECT r{};
  if (!inserted_) return r;
  static constexpr int kCodes[] = {LVIR_BOUNDS, LVIR_ICON, LVIR_LABEL, LVIR_SELECTBOUNDS};
  r.left = kCodes[static_cast<int>(code)];
  SendMessageA(ListView()->Handle(), LVM_GETITEMRECT, ControlIndex(), reinterpret_cast<LPARAM>(&r));
  return r;
}

POINT TListItem::Position() const {
  POINT p{};
  if (inserted_)
    SendMessageA(ListView()->Handle(), LVM_GETITEMPOSITION, ControlIndex(), reinterpret_cast<LPARAM>(&p));
  return p;
}

void TListItem::SetPosition(POINT value) {
  if (inserted_)
    SendMessageA(ListView()->Handle(), LVM_SETITEMPOSITION, ControlIndex(), MAKELPARAM(value.x, value.y));
}

void TListItem::MakeVisible(bool partial_ok) {
  if (inserted_) SendMessageA(ListView()->Handle(), LVM_ENSUREVISIBLE, ControlIndex(), partial_ok);
}

bool TListItem::EditCaption() {
  if (!inserted_) return false;
  HWND handle = ListView()->Handle();
  SetFocus(handle);
  return SendMessageA(handle, LVM_EDITLABELA, ControlIndex(), 0) != 0;
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
  const int index = ControlIndex();
  SendMessageA(ListView()->Handle(), LVM_REDRAWITEMS, index, index);
}

void TListItem::Delete() { owner_->Delete(Index()); }

TListItems::TListItems(TCustomListView* owner) : owner_(owner) {}

TListItems::~TListItems() = default;

bool TListItems::Virtual() const { return owner_->owner_data_; }

int TListItems::Count() const {
  if (Virtual()) return static_cast<int>(order_.size());
  if (!owner_->HandleAllocated()) return 0;
  return static_cast<int>(SendMessageA(owner_->Handle(), LVM_GETITEMCOUNT, 0, 0));
}

TListItem* TListItems::Known(LPARAM param) const {
  auto* item = reinterpret_cast<TListItem*>(param);
  return item && items_.count(item) ? item : nullptr;
}

TListItem* TListItems::ItemAtIndex(int index) const {
  return index >= 0 && static_cast<std::size_t>(index) < order_.size()
             ? order_[static_cast<std::size_t>(index)]
             : nullptr;
}

TListItem* TListItems::Item(int index) const {
  if (Virtual()) return ItemAtIndex(index);
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

void TListItems::Renumber(std::size_t from) {
  for (std::size_t i = from; i < order_.size(); ++i) order_[i]->index_hint_ = static_cast<int>(i);
}

void TListItems::SyncCount() const {
  if (!count_pending_ || !owner_->HandleAllocated()) return;
  count_pending_ = false;
  HWND handle = owner_->Handle();
  if (std::exchange(replaced_, false)) {
    // New items in place of the old: shown from the top, and when there are as many as before
    // the control has nothing to lay out again.
    if (order_.empty()) {
      SendMessageA(handle, LVM_DELETEALLITEMS, 0, 0);
      return;
    }
    const bool same = static_cast<std::size_t>(SendMessageA(handle, LVM_GETITEMCOUNT, 0, 0)) ==
                      order_.size();
    if (!same) {
      SendMessageA(handle, LVM_SETITEMCOUNT, order_.size(), LVSICF_NOSCROLL);
      ArrangeIcons();
    }
    SendMessageA(handle, LVM_ENSUREVISIBLE, 0, FALSE);
    InvalidateRect(handle, nullptr, TRUE);
    return;
  }
  SendMessageA(handle, LVM_SETITEMCOUNT, order_.size(), LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
  ArrangeIcons();
}

void TListItems::ArrangeIcons() const {
  // Within a bracket the layout waits for its end, once for all the changes.
  if (update_count_ > 0) {
    arrange_pending_ = true;
    return;
  }
  arrange_pending_ = false;
  // Not every version of the control places the items past the old count by itself: they would
  // all sit on the first item until the next change of view. An owner-data list keeps no
  // positions of its own, so the grid is its only layout.
  const TViewStyle view = owner_->ViewStyle();
  if (view != vsIcon && view != vsSmallIcon) return;
  HWND handle = owner_->Handle();
  // Placing an item while drawing is on invalidates its old and new places, two requests to
  // the window server per item; with drawing off the control repaints once at the end.
  const bool visible = IsWindowVisible(handle) != FALSE;
  if (visible) SendMessageA(handle, WM_SETREDRAW, FALSE, 0);
  SendMessageA(handle, LVM_ARRANGE, LVA_DEFAULT, 0);
  // The scroll bars still measure the places from before. Drawing turned back on makes the
  // control measure the arranged ones, as does hearing the count again; each is a pass over
  // every item (about 12 ms for 100,000 in Wine's control), so only one of them is made.
  if (visible)
    SendMessageA(handle, WM_SETREDRAW, TRUE, 0);
  else
    SendMessageA(handle, LVM_SETITEMCOUNT, order_.size(), LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
}

TListSelection TListItems::SaveSelection() const {
  TListSelection selection;
  if (!owner_->HandleAllocated()) return selection;
  SyncCount();
  HWND handle = owner_->Handle();
  for (int i = -1; (i = static_cast<int>(SendMessageA(handle, LVM_GETNEXTITEM, i,
                                                      LVNI_SELECTED))) >= 0;)
    if (TListItem* item = ItemAtIndex(i)) selection.selected.push_back(item);
  selection.focused =
      ItemAtIndex(static_cast<int>(SendMessageA(handle, LVM_GETNEXTITEM, -1, LVNI_FOCUSED)));
  return selection;
}

void TListItems::RestoreSelection(const TListSelection& selection) {
  if (!owner_->HandleAllocated()) return;
  SyncCount();
  const bool was_restoring = std::exchange(owner_->restoring_selection_, true);
  try {
    owner_->ClearSelection();
    if (TListItem* focused = owner_->ItemFocused()) focused->SetState(LVIS_FOCUSED, false);
    for (TListItem* item : selection.selected)
      if (items_.count(item) && item->inserted_) item->SetState(LVIS_SELECTED, true);
    if (selection.focused && items_.count(selection.focused) && selection.focused->inserted_)
      selection.focused->SetState(LVIS_FOCUSED, true);
  } catch (...) {
    owner_->restoring_selection_ = was_restoring;
    throw;
  }
  owner_->restoring_selection_ = was_restoring;
}

void TListItems::SortItems(PFNLVCOMPARE compare, LPARAM data) {
  const TListSelection selection = SaveSelection();
  // Sorted apart and swapped in, so that a comparison that fails leaves the order as it was.
  std::vector<TListItem*> sorted = order_;
  NaturalMergeSort(sorted, [&](TListItem* a, TListItem* b) {
    return compare(reinterpret_cast<LPARAM>(a), reinterpret_cast<LPARAM>(b), data);
  });
  order_.swap(sorted);
  Renumber(0);
  RestoreSelection(selection);
  if (owner_->HandleAllocated()) InvalidateRect(owner_->Handle(), nullptr, TRUE);
}

void TListItems::SortTail(PFNLVCOMPARE compare, LPARAM data, std::size_t first) {
  std::vector<TListItem*> sorted = order_;
  const std::size_t changed = MergeSortedTail(sorted, first, [&](TListItem* a, TListItem* b) {
    return compare(reinterpret_cast<LPARAM>(a), reinterpret_cast<LPARAM>(b), data);
  });
  if (changed >= first) {
    // Only the new items moved, among themselves: the control holds no states for them yet.
    order_.swap(sorted);
    Renumber(first);
    return;
  }
  // The selection is read at the old positions, before the items move.
  const TListSelection selection = SaveSelection();
  order_.swap(sorted);
  Renumber(changed);
  RestoreSelection(selection);
  if (owner_->HandleAllocated()) InvalidateRect(owner_->Handle(), nullptr, TRUE);
}

void TListItems::InsertIntoControl(TListItem& item, int index) {
  if (Virtual()) {
    const std::size_t at = std::min(static_cast<std::size_t>(std::max(index, 0)), order_.size());
    // The control keeps states by position: items after a new one in the middle take theirs
    // along.
    TListSelection selection;
    const bool in_middle = at < order_.size();
    if (in_middle) selection = SaveSelection();
    order_.insert(order_.begin() + static_cast<std::ptrdiff_t>(at), &item);
    Renumber(at);
    item.inserted_ = true;
    item.own_state_ = INDEXTOOVERLAYMASK(item.overlay_index_ + 1) | (item.saved_state_ & LVIS_CUT);
    if (owner_->Checkboxes()) item.own_state_ |= INDEXTOSTATEIMAGEMASK(1);
    count_pending_ = true;
    if (update_count_ == 0 || in_middle) SyncCount();
    if (in_middle) RestoreSelection(selection);
    // No insert notice comes from the control: the view's insert step runs here.
    owner_->InsertItem(&item);
    return;
  }
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

TListItem* TListItems::InsertItem(int index, const std::string& caption, void* data,
                                  bool view_data) {
  owner_->HandleNeeded();
  auto made = std::make_unique<TListItem>(this);
  TListItem* item = made.get();
  if (!caption.empty()) item->Texts().caption = caption;
  item->data_ = data;
  item->view_data_ = view_data;
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

TListItem* TListItems::AddViewItem(void* record) {
  return InsertItem(INT_MAX, std::string(), record, true);
}

void TListItems::ItemDeleted(TListItem* item) {
  auto it = items_.find(item);
  if (it == items_.end() || owner_->saving_items_) return;
  // The item leaves the map first, so a handler that deletes it again finds nothing to do.
  std::unique_ptr<TListItem> owned = std::move(it->second);
  items_.erase(it);
  // An owner-data item leaves the order too; it keeps its old position for the Delete step.
  if (Virtual()) {
    const auto at = static_cast<std::size_t>(item->index_hint_);
    if (at < order_.size() && order_[at] == item) {
      order_.erase(order_.begin() + static_cast<std::ptrdiff_t>(at));
      Renumber(at);
    }
  }
  if (owner_->edit_item_ == item) owner_->edit_item_ = nullptr;
  owner_->Delete(owned.get());
  owned->inserted_ = false;
}

void TListItems::Delete(int index) {
  TListItem* item = Item(index);
  if (!item) return;
  if (Virtual()) {
    // The control moves the states of the items after it up by one.
    SyncCount();
    if (owner_->HandleAllocated()) {
      SendMessageA(owner_->Handle(), LVM_DELETEITEM, index, 0);
      // The items after it keep their places; an arranged view closes the gap.
      ArrangeIcons();
    }
    ItemDeleted(item);
    return;
  }
  SendMessageA(owner_->Handle(), LVM_DELETEITEM, index, 0);
  // Without a reflecting parent no deletion notice arrives; the item goes all the same.
  item->inserted_ = false;
  ItemDeleted(item);
}

void TListItems::Clear() {
  if (Virtual() && update_count_ > 0 && owner_->HandleAllocated() && !order_.empty()) {
    // Cleared to be filled again in the same bracket: the control keeps its count (and its
    // scroll bars, which would otherwise go and come back, each time laying the window out and
    // painting its frame) until the bracket ends; only the old selection and focus go now.
    HWND handle = owner_->Handle();
    SyncCount();
    owner_->ClearSelection();
    const int focused = static_cast<int>(SendMessageA(handle, LVM_GETNEXTITEM, -1, LVNI_FOCUSED));
    if (focused >= 0) {
      LVITEMA state{};
      state.stateMask = LVIS_FOCUSED;
      SendMessageA(handle, LVM_SETITEMSTATE, focused, reinterpret_cast<LPARAM>(&state));
    }
    replaced_ = true;
  } else if (owner_->HandleAllocated()) {
    SendMessageA(owner_->Handle(), LVM_DELETEALLITEMS, 0, 0);
  }
  // Owner-data items go from the last, each still in its place while its deletion is reported.
  count_pending_ = replaced_;
  while (!order_.empty()) {
    TListItem* last = order_.back();
    ItemDeleted(last);
    if (!order_.empty() && order_.back() == last) order_.pop_back();
  }
  while (!items_.empty()) {
    TListItem* item = const_cast<TListItem*>(items_.begin()->first);
    item->inserted_ = false;
    ItemDeleted(item);
  }
}

void TListItems::SetCountHint(int count) {
  if (Virtual())
    order_.reserve(static_cast<std::size_t>(std::max(count, 0)));
  else if (owner_->HandleAllocated())
    SendMessageA(owner_->Handle(), LVM_SETITEMCOUNT, count, 0);
}

// An owner-data control hears nothing of the items added in a bracket until its end, so it
// need not stop drawing meanwhile; turning drawing back on costs the control a pass over its
// items.
void TListItems::BeginUpdate() {
  if (update_count_++ == 0 && owner_->HandleAllocated() && !Virtual())
    SendMessageA(owner_->Handle(), WM_SETREDRAW, FALSE, 0);
}

void TListItems::EndUpdate() {
  if (update_count_ > 0 && --update_count_ == 0 && owner_->HandleAllocated()) {
    SyncCount();
    if (arrange_pending_) ArrangeIcons();
    if (!Virtual()) SendMessageA(owner_->Handle(), WM_SETREDRAW, TRUE, 0);
    InvalidateRect(owner_->Handle(), nullptr, TRUE);
  }
}

}  // namespace tw
