#include "framework/win/list_view.h"

#include <algorithm>
#include <utility>

#include "framework/type_info.h"
#include "framework/win/wide_text.h"

namespace tw {
namespace {

PTypeInfo ViewStyleType() {
  static PTypeInfo type =
      EnumerationType("TViewStyle", {"vsIcon", "vsSmallIcon", "vsList", "vsReport"});
  return type;
}

const bool kRegistered =
    TTypeRegistry::Class<TCustomListView>("TCustomListView", "TWinControl")
        .Enumeration("ViewStyle", ViewStyleType(), &TCustomListView::ViewStyle,
                     &TCustomListView::SetViewStyle, 0)
        .Boolean("ColumnClick", &TCustomListView::ColumnClick, &TCustomListView::SetColumnClick,
                 true)
        .Boolean("ShowColumnHeaders", &TCustomListView::ShowColumnHeaders,
                 &TCustomListView::SetShowColumnHeaders, true)
        .Boolean("HideSelection", &TCustomListView::HideSelection,
                 &TCustomListView::SetHideSelection, true)
        .Boolean("MultiSelect", &TCustomListView::MultiSelect, &TCustomListView::SetMultiSelect,
                 false)
        .Boolean("ReadOnly", &TCustomListView::ReadOnly, &TCustomListView::SetReadOnly, false)
        .Boolean("Checkboxes", &TCustomListView::Checkboxes, &TCustomListView::SetCheckboxes,
                 false)
        .Boolean("GridLines", &TCustomListView::GridLines, &TCustomListView::SetGridLines, false)
        .Boolean("HotTrack", &TCustomListView::HotTrack, &TCustomListView::SetHotTrack, false)
        .Boolean("RowSelect", &TCustomListView::RowSelect, &TCustomListView::SetRowSelect, false)
        .Boolean("OwnerData", &TCustomListView::OwnerData, &TCustomListView::SetOwnerData, false)
        .Integer("AllocBy", &TCustomListView::AllocBy, &TCustomListView::SetAllocBy, 0)
        .Done();

}  // namespace

void TIconOptions::SetAutoArrange(bool value) {
  if (auto_arrange_ == value) return;
  auto_arrange_ = value;
  owner_->UpdateStyle();
}

void TIconOptions::SetArrangement(TIconArrangement value) {
  if (arrangement_ == value) return;
  arrangement_ = value;
  owner_->UpdateStyle();
}

void TIconOptions::SetWrapText(bool value) {
  if (wrap_text_ == value) return;
  wrap_text_ = value;
  owner_->UpdateStyle();
}

TCustomListView::TCustomListView(TComponent* AOwner)
    : TWinControl(AOwner),
      items_(std::make_unique<TListItems>(this)),
      columns_(std::make_unique<TListColumns>(this)) {
  SetTabStop(true);
  SetBounds(Left(), Top(), 250, 150);
  color_ = clWindow;
  SetParentColor(false);
  for (TChangeLink* link : {&large_link_, &small_link_, &state_link_})
    link->OnChange = [this](TObject*) { ApplyImageLists(); };
}

TCustomListView::~TCustomListView() {
  Destroying();
  // The items go before the window so that no deletion notice finds a half-destroyed view.
  if (HandleAllocated()) items_->Clear();
}

DWORD TCustomListView::StyleBits() const {
  static constexpr DWORD kViews[] = {LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT};
  DWORD style = kViews[static_cast<int>(view_style_)] | LVS_SHAREIMAGELISTS;
  if (!column_click_) style |= LVS_NOSORTHEADER;
  if (!show_column_headers_) style |= LVS_NOCOLUMNHEADER;
  if (!hide_selection_) style |= LVS_SHOWSELALWAYS;
  if (!multi_select_) style |= LVS_SINGLESEL;
  if (!read_only_) style |= LVS_EDITLABELS;
  if (icon_options_.AutoArrange()) style |= LVS_AUTOARRANGE;
  if (icon_options_.Arrangement() == iaLeft) style |= LVS_ALIGNLEFT;
  if (!icon_options_.WrapText()) style |= LVS_NOLABELWRAP;
  if (owner_data_) style |= LVS_OWNERDATA;
  return style;
}

void TCustomListView::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.SysClassName = WC_LISTVIEWA;
  params.Style |= WS_CHILD | WS_CLIPCHILDREN | WS_TABSTOP | StyleBits();
  params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomListView::CreateWnd() {
  TWinControl::CreateWnd();
  HWND handle = Handle();
  // Wide notices: a text reaches the control whole (see list_view_wide_notices.cpp).
  SendMessageA(handle, CCM_SETUNICODEFORMAT, TRUE, 0);
  SendMessageA(handle, LVM_SETEXTENDEDLISTVIEWSTYLE, ex_style_mask_, ex_style_);
  ApplyColors();
  ApplyImageLists();
  for (int i = 0; i < columns_->Count(); ++i) columns_->InsertIntoControl(i);
  if (owner_data_)
    SendMessageA(handle, LVM_SETCALLBACKMASK,
                 LVIS_CUT | LVIS_DROPHILITED | LVIS_OVERLAYMASK | LVIS_STATEIMAGEMASK, 0);
  else if (alloc_by_ > 0)
    SendMessageA(handle, LVM_SETITEMCOUNT, alloc_by_, 0);
  RestoreItems();
}

void TCustomListView::ApplyColors() {
  if (!HandleAllocated()) return;
  const COLORREF color = ColorToRGB(Color());
  SendMessageA(Handle(), LVM_SETBKCOLOR, 0, color);
  SendMessageA(Handle(), LVM_SETTEXTBKCOLOR, 0, color);
  SendMessageA(Handle(), LVM_SETTEXTCOLOR, 0, ColorToRGB(Font().Color()));
  InvalidateRect(Handle(), nullptr, TRUE);
}

void TCustomListView::ColorChanged() {
  TWinControl::ColorChanged();
  ApplyColors();
}

void TCustomListView::FontChanged() {
  TWinControl::FontChanged();
  ApplyColors();
}

void TCustomListView::DestroyWnd() {
  if (!HasState(csDestroying)) SaveItems();
  for (int i = 0; i < columns_->Count(); ++i) columns_->Items(i)->Width();
  saving_items_ = true;
  try {
    TWinControl::DestroyWnd();
  } catch (...) {
    saving_items_ = false;
    throw;
  }
  saving_items_ = false;
  for (auto& [key, item] : items_->items_) item->inserted_ = false;
}

void TCustomListView::SaveItems() {
  if (owner_data_) {
    saved_selection_ = items_->SaveSelection();
    return;
  }
  saved_items_.clear();
  const int count = items_->Count();
  saved_items_.reserve(count);
  for (int i = 0; i < count; ++i) {
    TListItem* item = items_->Item(i);
    if (!item) continue;
    item->saved_state_ = static_cast<UINT>(SendMessageA(
        Handle(), LVM_GETITEMSTATE, i, LVIS_CUT | LVIS_SELECTED | LVIS_FOCUSED));
    saved_items_.push_back(item);
  }
}

void TCustomListView::RestoreItems() {
  if (owner_data_) {
    for (TListItem* item : items_->order_) item->inserted_ = true;
    items_->count_pending_ = true;
    items_->RestoreSelection(saved_selection_);
    saved_selection_ = TListSelection();
    return;
  }
  int index = 0;
  for (TListItem* item : saved_items_) {
    if (!items_->items_.count(item)) continue;
    items_->InsertIntoControl(*item, index++);
    if (item->saved_state_ & (LVIS_SELECTED | LVIS_FOCUSED)) {
      item->SetState(LVIS_SELECTED, (item->saved_state_ & LVIS_SELECTED) != 0);
      item->SetState(LVIS_FOCUSED, (item->saved_state_ & LVIS_FOCUSED) != 0);
    }
  }
  saved_items_.clear();
}

void TCustomListView::UpdateStyle() {
  if (!HandleAllocated()) return;
  constexpr DWORD kManaged = LVS_TYPEMASK | LVS_NOSORTHEADER | LVS_NOCOLUMNHEADER |
                             LVS_SHOWSELALWAYS | LVS_SINGLESEL | LVS_EDITLABELS |
                             LVS_AUTOARRANGE | LVS_ALIGNMASK | LVS_NOLABELWRAP |
                             LVS_SHAREIMAGELISTS;
  LONG_PTR style = GetWindowLongPtrA(Handle(), GWL_STYLE);
  LONG_PTR wanted = (style & ~static_cast<LONG_PTR>(kManaged)) | StyleBits();
  if (wanted != style) {
    SetWindowLongPtrA(Handle(), GWL_STYLE, wanted);
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    InvalidateRect(Handle(), nullptr, TRUE);
  }
}

void TCustomListView::SetStyleFlag(bool& flag, bool value) {
  if (flag == value) return;
  flag = value;
  UpdateStyle();
}

void TCustomListView::SetViewStyle(TViewStyle value) {
  if (view_style_ == value) return;
  view_style_ = value;
  UpdateStyle();
}

void TCustomListView::SetExStyle(DWORD bits, bool on) {
  ex_style_ = on ? ex_style_ | bits : ex_style_ & ~bits;
  ex_style_mask_ |= bits;
  if (HandleAllocated()) SendMessageA(Handle(), LVM_SETEXTENDEDLISTVIEWSTYLE, bits, on ? bits : 0);
}

void TCustomListView::SetAllocBy(int value) {
  alloc_by_ = value;
  if (HandleAllocated() && value > 0 && !owner_data_)
    SendMessageA(Handle(), LVM_SETITEMCOUNT, value, 0);
}

void TCustomListView::SetOwnerData(bool value) {
  if (owner_data_ == value) return;
  items_->Clear();
  owner_data_ = value;
  // The control takes the style only when its window is made.
  if (HandleAllocated()) RecreateWnd();
}

void TCustomListView::SetImageList(TCustomImageList*& slot, TCustomImageList* value, int kind) {
  if (slot == value) return;
  TChangeLink& link = kind == LVSIL_NORMAL ? large_link_ : kind == LVSIL_SMALL ? small_link_
                                                                               : state_link_;
  TCustomImageList* old = slot;
  if (old) old->UnRegisterChanges(link);
  slot = value;
  // The same list may still serve another slot.
  if (old && old != large_images_ && old != small_images_ && old != state_images_)
    old->RemoveFreeNotification(this);
  if (slot) {
    slot->RegisterChanges(link);
    slot->FreeNotification(this);
  }
  ApplyImageLists();
}

void TCustomListView::ApplyImageLists() {
  if (!HandleAllocated()) return;
  auto handle_of = [](TCustomImageList* list) {
    return reinterpret_cast<LPARAM>(list ? list->Handle() : nullptr);
  };
  SendMessageA(Handle(), LVM_SETIMAGELIST, LVSIL_NORMAL, handle_of(large_images_));
  SendMessageA(Handle(), LVM_SETIMAGELIST, LVSIL_SMALL, handle_of(small_images_));
  SendMessageA(Handle(), LVM_SETIMAGELIST, LVSIL_STATE, handle_of(state_images_));
}

void TCustomListView::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  bool changed = false;
  for (TCustomImageList** slot : {&large_images_, &small_images_, &state_images_})
    if (*slot == AComponent) {
      *slot = nullptr;
      changed = true;
    }
  if (changed) ApplyImageLists();
}

TListItem* TCustomListView::GetNextItem(TListItem* start, UINT states) {
  if (!HandleAllocated()) return nullptr;
  int from = start ? start->Index() : -1;
  int index = static_cast<int>(SendMessageA(Handle(), LVM_GETNEXTITEM, from, states));
  return index >= 0 ? items_->Item(index) : nullptr;
}

TListItem* TCustomListView::Selected() { return GetNextItem(nullptr, LVNI_SELECTED); }

void TCustomListView::SetSelected(TListItem* item) {
  ClearSelection();
  if (item) {
    item->SetSelected(true);
    item->SetFocused(true);
  }
}

TListItem* TCustomListView::ItemFocused() { return GetNextItem(nullptr, LVNI_FOCUSED); }

void TCustomListView::SetItemFocused(TListItem* item) {
  if (item)
    item->SetFocused(true);
  else if (TListItem* focused = ItemFocused())
    focused->SetFocused(false);
}

int TCustomListView::SelCount() {
  return HandleAllocated() ? static_cast<int>(SendMessageA(Handle(), LVM_GETSELECTEDCOUNT, 0, 0))
                           : 0;
}

void TCustomListView::ClearSelection() {
  if (!HandleAllocated()) return;
  LVITEMA item{};
  item.stateMask = LVIS_SELECTED;
  SendMessageA(Handle(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
               reinterpret_cast<LPARAM>(&item));
}

TListItem* TCustomListView::GetItemAt(int x, int y) {
  LVHITTESTINFO info{};
  info.pt = {x, y};
  int index =
      static_cast<int>(SendMessageA(Handle(), LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
  return index >= 0 && (info.flags & LVHT_ONITEM) ? items_->Item(index) : nullptr;
}

TListItem* TCustomListView::TopItem() {
  if (!HandleAllocated()) return nullptr;
  return items_->Item(static_cast<int>(SendMessageA(Handle(), LVM_GETTOPINDEX, 0, 0)));
}

bool TCustomListView::IsEditing() {
  return HandleAllocated() && SendMessageA(Handle(), LVM_GETEDITCONTROL, 0, 0) != 0;
}

bool TCustomListView::CustomSort(PFNLVCOMPARE compare, LPARAM data) {
  if (owner_data_) {
    items_->SortItems(compare, data);
    return true;
  }
  return SendMessageA(Handle(), LVM_SORTITEMS, data, reinterpret_cast<LPARAM>(compare)) != 0;
}

void TCustomListView::CustomSortTail(PFNLVCOMPARE compare, LPARAM data, int first) {
  if (owner_data_) items_->SortTail(compare, data, static_cast<std::size_t>(std::max(first, 0)));
}

bool TCustomListView::AlphaSort() {
  return CustomSort(&DefaultCompare, reinterpret_cast<LPARAM>(this));
}

int CALLBACK TCustomListView::DefaultCompare(LPARAM item1, LPARAM item2, LPARAM view) {
  auto* list = reinterpret_cast<TCustomListView*>(view);
  auto* first = reinterpret_cast<TListItem*>(item1);
  auto* second = reinterpret_cast<TListItem*>(item2);
  if (list->OnCompare) {
    int compare = 0;
    list->OnCompare(list, first, second, 0, compare);
    return compare;
  }
  return lstrcmpiA(first->Caption().c_str(), second->Caption().c_str());
}

std::string TCustomListView::ShownCaption(int index) {
  // Room for any name the shell gives (MAX_PATH UTF-16 units) in UTF-8.
  char buffer[3 * MAX_PATH + 1] = {};
  NMLVDISPINFOA info{};
  info.item.mask = LVIF_TEXT;
  info.item.iItem = index;
  info.item.pszText = buffer;
  info.item.cchTextMax = sizeof(buffer);
  if (!owner_data_)
    if (TListItem* item = items_->Item(index)) info.item.lParam = reinterpret_cast<LPARAM>(item);
  DoGetDispInfo(info);
  return info.item.pszText ? info.item.pszText : "";
}

int TCustomListView::FindCaptionIndex(int start, const std::string& text, bool partial,
                                      bool inclusive, bool wrap) {
  const int count = items_->Count();
  if (count == 0) return -1;
  int index = std::clamp(start, 0, count) + (inclusive ? 0 : 1);
  for (int visited = 0; visited < count; ++visited, ++index) {
    if (index >= count) {
      if (!wrap) break;
      index -= count;
    }
    const std::string caption = ShownCaption(index);
    if (partial ? caption.size() >= text.size() &&
                      CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, caption.data(),
                                     static_cast<int>(text.size()), text.data(),
                                     static_cast<int>(text.size())) == CSTR_EQUAL
                : lstrcmpiA(caption.c_str(), text.c_str()) == 0)
      return index;
  }
  return -1;
}

TListItem* TCustomListView::FindCaption(int StartIndex, const std::string& Value, bool Partial,
                                        bool Inclusive, bool Wrap) {
  return items_->Item(FindCaptionIndex(StartIndex, Value, Partial, Inclusive, Wrap));
}

void TCustomListView::Arrange() {
  if (HandleAllocated()) SendMessageA(Handle(), LVM_ARRANGE, LVA_DEFAULT, 0);
}

namespace {

TItemChange ChangeOf(UINT changed) {
  if (changed & LVIF_TEXT) return ctText;
  if (changed & LVIF_IMAGE) return ctImage;
  return ctState;
}

}  // namespace

void TCustomListView::NotifyOwnerData(const NMHDR& header, LRESULT& result) {
  switch (header.code) {
    case LVN_ODFINDITEMA:
    case LVN_ODFINDITEMW: {
      // Wine's control asks in wide text even a window that takes its notices in 8-bit text;
      // the two notices differ only in the text's type.
      const auto& find = reinterpret_cast<const NMLVFINDITEMA&>(header);
      result = -1;
      if (find.lvfi.flags & LVFI_PARAM) {
        result = items_->IndexOf(items_->Known(find.lvfi.lParam));
      } else if ((find.lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) && find.lvfi.psz) {
        const std::string text = header.code == LVN_ODFINDITEMW
                                     ? FromWide(reinterpret_cast<const wchar_t*>(find.lvfi.psz))
                                     : std::string(find.lvfi.psz);
        result = FindCaptionIndex(find.iStart, text, (find.lvfi.flags & LVFI_PARTIAL) != 0, true,
                                  (find.lvfi.flags & LVFI_WRAP) != 0);
      }
      break;
    }
    case LVN_ODSTATECHANGED: {
      // A range of items changed state at once (a shift-click): each hears of it.
      const auto& change = reinterpret_cast<const NMLVODSTATECHANGE&>(header);
      if (restoring_selection_) break;
      for (int i = change.iFrom; i <= change.iTo; ++i)
        if (TListItem* item = items_->Item(i)) Change(item, ctState);
      break;
    }
    case LVN_GETDISPINFOA: {
      auto& info = const_cast<NMLVDISPINFOA&>(reinterpret_cast<const NMLVDISPINFOA&>(header));
      if (info.item.mask & LVIF_STATE)
        if (TListItem* item = items_->Item(info.item.iItem))
          info.item.state = (info.item.state & ~info.item.stateMask) |
                            (item->own_state_ & info.item.stateMask);
      break;
    }
    default:
      break;
  }
}

void TCustomListView::DoNotify(const NMHDR& header, LRESULT& result) {
  auto& view = const_cast<NMLISTVIEW&>(reinterpret_cast<const NMLISTVIEW&>(header));
  if (owner_data_) NotifyOwnerData(header, result);
  // Owner-data notices name items by position only.
  auto item_of = [&](LPARAM param, int index) {
    return owner_data_ ? items_->Item(index) : items_->Known(param);
  };
  switch (header.code) {
    case LVN_ITEMCHANGING:
      if (restoring_selection_) break;
      if (TListItem* item = item_of(view.lParam, view.iItem))
        result = CanChange(item, ChangeOf(view.uChanged)) ? FALSE : TRUE;
      break;
    case LVN_ITEMCHANGED:
      if (restoring_selection_) break;
      if (TListItem* item = item_of(view.lParam, view.iItem)) Change(item, ChangeOf(view.uChanged));
      break;
    case LVN_INSERTITEM:
      if (TListItem* item = items_->Known(view.lParam)) {
        item->index_hint_ = view.iItem;
        InsertItem(item);
      }
      break;
    case LVN_DELETEITEM:
      if (TListItem* item = items_->Known(view.lParam)) items_->ItemDeleted(item);
      break;
    case LVN_DELETEALLITEMS:
      // Every item gets its own deletion notice; an owner-data list's notices would name no
      // item (the items report their own deletion as they go), so the control sends none.
      result = owner_data_ ? TRUE : FALSE;
      break;
    case LVN_COLUMNCLICK:
      if (view.iSubItem >= 0 && view.iSubItem < columns_->Count())
        ColClick(columns_->Items(view.iSubItem));
      break;
    case LVN_GETDISPINFOA:
      DoGetDispInfo(reinterpret_cast<NMLVDISPINFOA&>(view));
      break;
    case LVN_BEGINLABELEDITA: {
      auto& info = reinterpret_cast<NMLVDISPINFOA&>(view);
      TListItem* item = items_->Known(info.item.lParam);
      if (!item) item = items_->Item(info.item.iItem);
      const bool allowed = item && CanEdit(item);
      edit_item_ = allowed ? item : nullptr;
      result = allowed ? FALSE : TRUE;
      break;
    }
    case LVN_ENDLABELEDITA: {
      // One edit ends once, even when the control reports its end again as its edit window
      // loses the focus on the way out.
      auto& info = reinterpret_cast<NMLVDISPINFOA&>(view);
      TListItem* item = items_->Known(info.item.lParam);
      if (!item) item = items_->Item(info.item.iItem);
      if (item && item == std::exchange(edit_item_, nullptr)) Edit(item, info.item.pszText);
      // The caption is the item's; the control keeps asking for it.
      result = FALSE;
      break;
    }
    case NM_CUSTOMDRAW:
      DoCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW&>(view), result);
      break;
    default:
      break;
  }
}

void TCustomListView::CopyDispText(NMLVDISPINFOA& info, const std::string& text) {
  if (!info.item.pszText || info.item.cchTextMax <= 0) return;
  const std::size_t length = TextCutPoint(text, static_cast<std::size_t>(info.item.cchTextMax) - 1);
  std::copy_n(text.data(), length, info.item.pszText);
  info.item.pszText[length] = '\0';
}

void TCustomListView::DoGetDispInfo(NMLVDISPINFOA& info) {
  TListItem* item = items_->Known(info.item.lParam);
  if (!item) item = items_->Item(info.item.iItem);
  if (!item) return;
  if (info.item.mask & LVIF_TEXT) {
    const TListItem& shown = *item;
    if (info.item.iSubItem == 0)
      CopyDispText(info, shown.Caption());
    else if (static_cast<std::size_t>(info.item.iSubItem) <= shown.SubItems().size())
      CopyDispText(info, shown.SubItems()[info.item.iSubItem - 1]);
    else
      CopyDispText(info, std::string());
  }
  if ((info.item.mask & LVIF_IMAGE) && info.item.iSubItem == 0) {
    GetImageIndex(item);
    info.item.iImage = item->image_index_;
  }
}

void TCustomListView::DoCustomDraw(NMLVCUSTOMDRAW&, LRESULT& result) { result = CDRF_DODEFAULT; }

bool TCustomListView::CanChange(TListItem* item, TItemChange change) {
  bool allow = true;
  if (OnChanging) OnChanging(this, item, change, allow);
  return allow;
}

void TCustomListView::Change(TListItem* item, TItemChange change) {
  if (OnChange) OnChange(this, item, change);
}

void TCustomListView::ColClick(TListColumn* column) {
  if (OnColumnClick) OnColumnClick(this, column);
}

bool TCustomListView::CanEdit(TListItem* item) {
  bool allow = !read_only_;
  if (allow && OnEditing) OnEditing(this, item, allow);
  return allow;
}

void TCustomListView::Edit(TListItem* item, const char* text) {
  if (!text) return;
  std::string s = text;
  if (OnEdited) OnEdited(this, item, s);
  item->SetCaption(s);
}

void TCustomListView::InsertItem(TListItem* item) {
  if (OnInsert) OnInsert(this, item);
}

void TCustomListView::GetImageIndex(TListItem* item) {
  if (OnGetImageIndex) OnGetImageIndex(this, item);
}

void TCustomListView::Delete(TListItem* item) {
  if (OnDeletion) OnDeletion(this, item);
}

}  // namespace tw
