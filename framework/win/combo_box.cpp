#include "framework/win/combo_box.h"

#include "framework/exception.h"
#include "framework/string_table.h"
#include "framework/type_info.h"
#include "framework/win/messages.h"

namespace tw {
namespace {

PTypeInfo ComboBoxStyleType() {
  static PTypeInfo type = EnumerationType(
      "TComboBoxStyle",
      {"csDropDown", "csSimple", "csDropDownList", "csOwnerDrawFixed", "csOwnerDrawVariable"});
  return type;
}

using C = TCustomComboBox;
const bool kRegistered =
    TTypeRegistry::Class<TCustomComboBox>("TCustomComboBox", "TWinControl")
        .Enumeration("Style", ComboBoxStyleType(), &C::Style, &C::SetStyle, 0)
        .Integer("ItemHeight", &C::ItemHeight, &C::SetItemHeight, 0)
        .Integer("DropDownCount", &C::DropDownCount, &C::SetDropDownCount, 8)
        .Boolean("Sorted", &C::Sorted, &C::SetSorted, false)
        .Method("OnChange", [](C& c) { return bool(c.OnChange); })
        .Method("OnDropDown", [](C& c) { return bool(c.OnDropDown); })
        .Method("OnCloseUp", [](C& c) { return bool(c.OnCloseUp); })
        .Method("OnSelect", [](C& c) { return bool(c.OnSelect); })
        .Method("OnDrawItem", [](C& c) { return bool(c.OnDrawItem); })
        .Method("OnMeasureItem", [](C& c) { return bool(c.OnMeasureItem); })
        .Done();

TRect ToRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

TOwnerDrawState DrawState(UINT state) {
  TOwnerDrawState result = 0;
  if (state & ODS_SELECTED) result |= odSelected;
  if (state & ODS_GRAYED) result |= odGrayed;
  if (state & ODS_DISABLED) result |= odDisabled;
  if (state & ODS_CHECKED) result |= odChecked;
  if (state & ODS_FOCUS) result |= odFocused;
  if (state & ODS_DEFAULT) result |= odDefault;
  if (state & ODS_COMBOBOXEDIT) result |= odComboBoxEdit;
  return result;
}

}  // namespace

TCustomComboBox::TCustomComboBox(TComponent* AOwner) : TWinControl(AOwner) {
  SetTabStop(true);
  color_ = clWindow;
  SetParentColor(false);
  SetBounds(Left(), Top(), 145, 21);
}

TCustomComboBox::~TCustomComboBox() { Destroying(); }

void TCustomComboBox::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.SysClassName = WC_COMBOBOXA;
  params.Style |= WS_VSCROLL | CBS_AUTOHSCROLL | CBS_HASSTRINGS;
  static constexpr DWORD kStyles[] = {CBS_DROPDOWN, CBS_SIMPLE, CBS_DROPDOWNLIST,
                                      CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED,
                                      CBS_DROPDOWNLIST | CBS_OWNERDRAWVARIABLE};
  params.Style |= kStyles[static_cast<int>(style_)];
  if (sorted_) params.Style |= CBS_SORT;
  // The window's height is the closed field's and the opened list's together; the control
  // reports back the closed field's alone.
  params.Height += DroppedListHeight();
}

void TCustomComboBox::CreateWnd() {
  TWinControl::CreateWnd();
  HWND handle = Handle();
  SendMessageA(handle, CB_SETMINVISIBLE, drop_down_count_, 0);
  if (OwnerDrawn() && item_height_ > 0) SendMessageA(handle, CB_SETITEMHEIGHT, 0, item_height_);
  std::vector<TSavedItem> saved = std::move(saved_items_);
  saved_items_.clear();
  // A sorted window may put the entries in another order: the selection follows its entry.
  for (int i = 0; i < static_cast<int>(saved.size()); ++i) {
    const int index = AddItem(saved[i].text, saved[i].object);
    if (i == saved_index_) SetItemIndex(index);
  }
}

void TCustomComboBox::DestroyWnd() {
  if (!IsDestroying()) {
    saved_index_ = ItemIndex();
    const int count = ItemCount();
    for (int i = 0; i < count; ++i) saved_items_.push_back({ItemText(i), ItemObject(i)});
  }
  TWinControl::DestroyWnd();
}

int TCustomComboBox::DroppedListHeight() {
  return style_ == csSimple ? 0 : ItemHeight() * drop_down_count_ + 2;
}

void TCustomComboBox::SetBounds(int left, int top, int width, int height) {
  if (!HandleAllocated()) {
    TWinControl::SetBounds(left, top, width, height);
    return;
  }
  if (left == Left() && top == Top() && width == Width() && height == Height()) return;
  SetWindowPos(Handle(), nullptr, left, top, width, height + DroppedListHeight(),
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void TCustomComboBox::SetStyle(TComboBoxStyle value) {
  if (style_ == value) return;
  style_ = value;
  RecreateWnd();
}

int TCustomComboBox::ItemHeight() {
  if (OwnerDrawn() && item_height_ > 0) return item_height_;
  if (HandleAllocated()) return static_cast<int>(SendMessageA(Handle(), CB_GETITEMHEIGHT, 0, 0));
  return item_height_ > 0 ? item_height_ : 16;
}

void TCustomComboBox::SetItemHeight(int value) {
  if (value <= 0) return;
  item_height_ = value;
  if (HandleAllocated() && OwnerDrawn()) {
    SendMessageA(Handle(), CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), value);
    SendMessageA(Handle(), CB_SETITEMHEIGHT, 0, value);
  }
}

void TCustomComboBox::SetDropDownCount(int value) {
  drop_down_count_ = value;
  if (HandleAllocated()) SendMessageA(Handle(), CB_SETMINVISIBLE, value, 0);
}

void TCustomComboBox::SetSorted(bool value) {
  if (sorted_ == value) return;
  sorted_ = value;
  RecreateWnd();
}

bool TCustomComboBox::DroppedDown() {
  return HandleAllocated() && SendMessageA(Handle(), CB_GETDROPPEDSTATE, 0, 0) != 0;
}

void TCustomComboBox::SetDroppedDown(bool value) {
  SendMessageA(Handle(), CB_SHOWDROPDOWN, value, 0);
}

bool TCustomComboBox::HasStrings() {
  return (GetWindowLongPtrA(Handle(), GWL_STYLE) & CBS_HASSTRINGS) != 0;
}

int TCustomComboBox::ItemCount() {
  if (!HandleAllocated()) return static_cast<int>(saved_items_.size());
  return static_cast<int>(SendMessageA(Handle(), CB_GETCOUNT, 0, 0));
}

int TCustomComboBox::AddItem(const std::string& text, TObject* object) {
  HWND handle = Handle();
  // Without strings the control keeps the added value itself as the item data.
  const LPARAM value =
      HasStrings() ? reinterpret_cast<LPARAM>(text.c_str()) : reinterpret_cast<LPARAM>(object);
  const int index = static_cast<int>(SendMessageA(handle, CB_ADDSTRING, 0, value));
  if (index < 0) throw EOutOfResources(LoadStr(SOutOfResources));
  SendMessageA(handle, CB_SETITEMDATA, index, reinterpret_cast<LPARAM>(object));
  return index;
}

std::string TCustomComboBox::ItemText(int index) {
  if (!HasStrings()) return {};
  const LRESULT length = SendMessageA(Handle(), CB_GETLBTEXTLEN, index, 0);
  if (length == CB_ERR) return {};
  std::string text(static_cast<size_t>(length) + 1, '\0');
  text.resize(static_cast<size_t>(
      SendMessageA(Handle(), CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()))));
  return text;
}

TObject* TCustomComboBox::ItemObject(int index) {
  const LRESULT data = SendMessageA(Handle(), CB_GETITEMDATA, index, 0);
  return data == CB_ERR ? nullptr : reinterpret_cast<TObject*>(data);
}

void TCustomComboBox::SetItemObject(int index, TObject* object) {
  SendMessageA(Handle(), CB_SETITEMDATA, index, reinterpret_cast<LPARAM>(object));
}

void TCustomComboBox::DeleteItem(int index) { SendMessageA(Handle(), CB_DELETESTRING, index, 0); }

void TCustomComboBox::ClearItems() {
  if (HandleAllocated()) SendMessageA(Handle(), CB_RESETCONTENT, 0, 0);
  saved_items_.clear();
}

int TCustomComboBox::ItemIndex() {
  if (!HandleAllocated()) return saved_items_.empty() ? -1 : saved_index_;
  return static_cast<int>(SendMessageA(Handle(), CB_GETCURSEL, 0, 0));
}

void TCustomComboBox::SetItemIndex(int value) {
  SendMessageA(Handle(), CB_SETCURSEL, static_cast<WPARAM>(value), 0);
}

void TCustomComboBox::CNCommand(TMessage& message) {
  switch (HIWORD(message.WParam)) {
    case CBN_SELCHANGE:
      Change();
      Click();
      break;
    case CBN_EDITCHANGE:
      Change();
      break;
    case CBN_DROPDOWN:
      DropDown();
      break;
    case CBN_CLOSEUP:
      CloseUp();
      break;
    case CBN_SELENDOK:
      Select();
      break;
    default:
      DefaultHandler(message);
      break;
  }
}

void TCustomComboBox::Change() {
  if (OnChange) OnChange(this);
}

void TCustomComboBox::DropDown() {
  if (OnDropDown) OnDropDown(this);
}

void TCustomComboBox::CloseUp() {
  if (OnCloseUp) OnCloseUp(this);
}

void TCustomComboBox::Select() {
  if (OnSelect) OnSelect(this);
}

void TCustomComboBox::CNDrawItem(TMessage& message) {
  const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(message.LParam);
  const TOwnerDrawState state = DrawState(item.itemState);
  canvas_.SetHandle(item.hDC);
  canvas_.SetFont(Font());
  canvas_.Brush().SetColor(Color());
  const int index = static_cast<int>(item.itemID);
  if (index >= 0 && (state & odSelected)) {
    canvas_.Brush().SetColor(clHighlight);
    canvas_.Font().SetColor(clHighlightText);
  }
  if (index >= 0)
    DrawItem(index, item.rcItem, state);
  else
    canvas_.FillRect(ToRect(item.rcItem));
  if (state & odFocused) DrawFocusRect(item.hDC, &item.rcItem);
  canvas_.SetHandle(nullptr);
  message.Result = TRUE;
}

void TCustomComboBox::DrawItem(int index, const RECT& rect, TOwnerDrawState state) {
  if (OnDrawItem) {
    OnDrawItem(this, index, rect, state);
    return;
  }
  canvas_.FillRect(ToRect(rect));
  canvas_.TextOut(rect.left + 2, rect.top, ItemText(index));
}

void TCustomComboBox::CNMeasureItem(TMessage& message) {
  auto& item = *reinterpret_cast<MEASUREITEMSTRUCT*>(message.LParam);
  int height = item_height_ > 0 ? item_height_ : static_cast<int>(item.itemHeight);
  if (style_ == csOwnerDrawVariable && static_cast<int>(item.itemID) >= 0)
    MeasureItem(static_cast<int>(item.itemID), height);
  item.itemHeight = static_cast<UINT>(height);
  message.Result = TRUE;
}

void TCustomComboBox::MeasureItem(int index, int& height) {
  if (OnMeasureItem) OnMeasureItem(this, index, height);
}

}  // namespace tw
