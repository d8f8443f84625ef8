#pragma once
// TCustomListView: the framework's list view over the common control (WC_LISTVIEWA), with its
// items (TListItem, TListItems) and report columns (TListColumn, TListColumns). Each item is an
// object whose address is the control item's lParam; captions, sub-item texts and images are
// never copied into the control: it asks for them when it shows an item (LPSTR_TEXTCALLBACK,
// I_IMAGECALLBACK), and DoGetDispInfo answers from the item. Derived views override that step to
// supply texts and images on demand, so adding an item costs one insert and nothing more.
// Notifications arrive as CN_NOTIFY (reflected by the parent; text notices in UTF-16, turned into
// the 8-bit form) and go through overridable steps.
//
// With OwnerData the control holds no items at all, only their number: the items stay objects
// here, in their order, and the control asks for everything by position. Adding ten thousand
// items then costs ten thousand small objects and one count; sorting reorders the objects.
// The control keeps only the selected and focused states of such a list; the others (cut, drop
// highlight, overlay, check) are the items' own and reach the control through the same requests
// as texts and images. Such a control asks no one before a change, so OnChanging is not raised.

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "framework/win/image_list.h"
#include "framework/win/win_control.h"

namespace tw {

class TCustomListView;
class TListItems;
class TListColumns;

enum class TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };
using enum TViewStyle;
enum class TItemChange { ctText, ctImage, ctState };
using enum TItemChange;
enum class TDisplayCode { drBounds, drIcon, drLabel, drSelectBounds };
using enum TDisplayCode;
enum class TIconArrangement { iaTop, iaLeft };
using enum TIconArrangement;

class TListItem : public TPersistent {
public:
  explicit TListItem(TListItems* owner);
  ~TListItem() override;

  std::string ClassName() const override { return "TListItem"; }

  TListItems* Owner() const { return owner_; }
  TCustomListView* ListView() const;

  const std::string& Caption() const;
  void SetCaption(const std::string& value);
  // Texts of report columns 1, 2, ...; call Update after changing them on a shown item.
  std::vector<std::string>& SubItems() { return Texts().sub_items; }
  const std::vector<std::string>& SubItems() const;
  void* Data() const { return data_; }
  void SetData(void* value) {
    data_ = value;
    view_data_ = false;
  }
  // Whether the data is the view's own record for the item (see TListItems::AddViewItem) rather
  // than data other code set.
  bool HoldsViewData() const { return view_data_; }
  int ImageIndex() const { return image_index_; }
  void SetImageIndex(int value);
  // The overlay image (0-based index into the image list's overlays); -1 for none.
  int OverlayIndex() const { return overlay_index_; }
  void SetOverlayIndex(int value);
  bool Cut() const { return GetState(LVIS_CUT); }
  void SetCut(bool value) { SetState(LVIS_CUT, value); }
  bool DropTarget() const { return GetState(LVIS_DROPHILITED); }
  void SetDropTarget(bool value) { SetState(LVIS_DROPHILITED, value); }
  bool Selected() const { return GetState(LVIS_SELECTED); }
  void SetSelected(bool value) { SetState(LVIS_SELECTED, value); }
  bool Focused() const { return GetState(LVIS_FOCUSED); }
  void SetFocused(bool value) { SetState(LVIS_FOCUSED, value); }
  bool Checked() const;
  void SetChecked(bool value);

  // The item's position in the control, -1 when it has none.
  int Index() const;
  RECT DisplayRect(TDisplayCode code) const;
  POINT Position() const;
  void SetPosition(POINT value);
  void MakeVisible(bool partial_ok);
  // Begins in-place editing of the caption; false when it did not start.
  bool EditCaption();
  void CancelEdit();
  // Repaints the item so that the control asks for its texts and image again.
  void Update();
  void Delete();

private:
  friend class TListItems;
  friend class TCustomListView;
  bool GetState(UINT mask) const { return StateBits(mask) != 0; }
  void SetState(UINT mask, bool value) { SetStateBits(mask, value ? mask : 0); }
  UINT StateBits(UINT mask) const;
  void SetStateBits(UINT mask, UINT bits);
  // Index() once the control knows every item an owner-data list has added.
  int ControlIndex() const;

  // The texts the item holds itself, made when one is set: the items of an owner-data list
  // whose view supplies the texts (thousands of them) carry none.
  struct TTexts {
    std::string caption;
    std::vector<std::string> sub_items;
  };
  TTexts& Texts();

  TListItems* owner_;
  std::unique_ptr<TTexts> texts_;
  void* data_ = nullptr;
  int image_index_ = -1;
  int overlay_index_ = -1;
  // Whether the item is in the control, and its state while the window is re-created.
  bool inserted_ = false;
  bool view_data_ = false;
  // Where the item was last seen in the control: checked first, so that finding an item that
  // did not move costs one query instead of a search. Always exact in an owner-data list.
  mutable int index_hint_ = -1;
  UINT saved_state_ = 0;
  // Owner-data lists: the states the control leaves to the item.
  UINT own_state_ = 0;
};

// The selected and focused items of an owner-data list, put back after the items moved.
struct TListSelection {
  std::vector<TListItem*> selected;
  TListItem* focused = nullptr;
};

class TListItems : public TPersistent {
public:
  explicit TListItems(TCustomListView* owner);
  ~TListItems() override;

  std::string ClassName() const override { return "TListItems"; }

  TCustomListView* Owner() const { return owner_; }
  int Count() const;
  TListItem* Item(int index) const;
  TListItem* operator[](int index) const { return Item(index); }
  int IndexOf(const TListItem* item) const;
  // A new last item.
  TListItem* Add();
  // A new item at INDEX (the end when INDEX is beyond it).
  TListItem* Insert(int index);
  // A new last item with CAPTION and DATA, in one insert.
  TListItem* AddItem(const std::string& caption, void* data);
  // A new last item holding the view's own RECORD, marked as such (a mark costs the item nothing,
  // where a set of the records cost a shell list about 60 bytes an item).
  TListItem* AddViewItem(void* record);
  void Delete(int index);
  void Clear();
  // Tells the control how many items are about to be added, so that it allocates once.
  void SetCountHint(int count);
  void BeginUpdate();
  void EndUpdate();

private:
  friend class TListItem;
  friend class TCustomListView;
  TListItem* InsertItem(int index, const std::string& caption, void* data, bool view_data = false);
  void InsertIntoControl(TListItem& item, int index);
  // ITEM's control item is being deleted: the view's Delete step runs, then the item is freed.
  void ItemDeleted(TListItem* item);
  TListItem* Known(LPARAM param) const;
  bool Virtual() const;
  // Owner-data lists: the item at INDEX, the position in the control, or null.
  TListItem* ItemAtIndex(int index) const;
  void Renumber(std::size_t from);
  // Tells the control the number of items, when items were added since it last heard.
  void SyncCount() const;
  // Owner-data lists in an icon view: lays the items out in the control's grid, at the end of
  // the update bracket when in one.
  void ArrangeIcons() const;
  TListSelection SaveSelection() const;
  void RestoreSelection(const TListSelection& selection);
  void SortItems(PFNLVCOMPARE compare, LPARAM data);
  void SortTail(PFNLVCOMPARE compare, LPARAM data, std::size_t first);

  TCustomListView* owner_;
  std::unordered_map<const TListItem*, std::unique_ptr<TListItem>> items_;
  // Owner-data lists: the items in their order.
  std::vector<TListItem*> order_;
  mutable bool count_pending_ = false;
  // Owner-data lists: cleared inside an update bracket, the control still holding the old count.
  mutable bool replaced_ = false;
  // Owner-data lists: a layout of the icons is due at the end of the update bracket.
  mutable bool arrange_pending_ = false;
  int update_count_ = 0;
};

class TListColumn : public TPersistent {
public:
  explicit TListColumn(TListColumns* owner);

  std::string ClassName() const override { return "TListColumn"; }

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& value);
  // The width as the control shows it now (the user may have dragged it).
  int Width() const;
  void SetWidth(int value);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment value);
  int Index() const;

private:
  friend class TListColumns;
  friend class TCustomListView;
  void UpdateColumn(UINT mask) const;

  TListColumns* owner_;
  std::string caption_;
  mutable int width_ = 50;
  TAlignment alignment_ = taLeftJustify;
};

class TListColumns : public TPersistent {
public:
  explicit TListColumns(TCustomListView* owner);
  ~TListColumns() override;

  std::string ClassName() const override { return "TListColumns"; }

  TCustomListView* Owner() const { return owner_; }
  int Count() const { return static_cast<int>(columns_.size()); }
  TListColumn* Items(int index) const { return columns_.at(index).get(); }
  TListColumn* operator[](int index) const { return Items(index); }
  TListColumn* Add();
  void Delete(int index);
  void Clear();
  // Column changes in a bracket are shown together at the end.
  void BeginUpdate();
  void EndUpdate();

private:
  friend class TListColumn;
  friend class TCustomListView;
  void InsertIntoControl(int index);
  int IndexOf(const TListColumn* column) const;

  TCustomListView* owner_;
  std::vector<std::unique_ptr<TListColumn>> columns_;
  int update_count_ = 0;
};

class TIconOptions {
public:
  explicit TIconOptions(TCustomListView* owner) : owner_(owner) {}
  bool AutoArrange() const { return auto_arrange_; }
  void SetAutoArrange(bool value);
  TIconArrangement Arrangement() const { return arrangement_; }
  void SetArrangement(TIconArrangement value);
  bool WrapText() const { return wrap_text_; }
  void SetWrapText(bool value);

private:
  TCustomListView* owner_;
  bool auto_arrange_ = false;
  TIconArrangement arrangement_ = iaTop;
  bool wrap_text_ = true;
};

using TLVChangeEvent = std::function<void(TObject* Sender, TListItem* Item, TItemChange Change)>;
using TLVChangingEvent = std::function<void(TObject* Sender, TListItem* Item, TItemChange Change,
                                            bool& AllowChange)>;
using TLVColumnClickEvent = std::function<void(TObject* Sender, TListColumn* Column)>;
using TLVEditingEvent = std::function<void(TObject* Sender, TListItem* Item, bool& AllowEdit)>;
using TLVEditedEvent = std::function<void(TObject* Sender, TListItem* Item, std::string& S)>;
using TLVDeletedEvent = std::function<void(TObject* Sender, TListItem* Item)>;
using TLVCompareEvent = std::function<void(TObject* Sender, TListItem* Item1, TListItem* Item2,
                                           LPARAM Data, int& Compare)>;

class TCustomListView : public TWinControl {
public:
  explicit TCustomListView(TComponent* AOwner);
  ~TCustomListView() override;

  std::string ClassName() const override { return "TCustomListView"; }

  TListItems& Items() { return *items_; }
  TListColumns& Columns() { return *columns_; }
  TIconOptions& IconOptions() { return icon_options_; }
  // The first selected item, or null.
  TListItem* Selected();
  void SetSelected(TListItem* item);
  TListItem* ItemFocused();
  void SetItemFocused(TListItem* item);
  int SelCount();
  // The next item after START (from the start when null) whose state has all of STATES
  // (LVNI_SELECTED, LVNI_FOCUSED, ...).
  TListItem* GetNextItem(TListItem* start, UINT states);
  TListItem* GetItemAt(int x, int y);
  TListItem* TopItem();
  // The first item from START (or after it) whose caption as shown is VALUE or, with PARTIAL,
  // begins with it, ignoring case; null for none.
  TListItem* FindCaption(int StartIndex, const std::string& Value, bool Partial, bool Inclusive,
                         bool Wrap);
  bool IsEditing();
  void ClearSelection();
  bool CustomSort(PFNLVCOMPARE compare, LPARAM data);
  // Owner-data lists whose items before FIRST are in order: sorts the items from FIRST on into
  // them, as CustomSort would sort the whole, for about one comparison per new item when they
  // come after the others. For new items, inside the update bracket that added them.
  void CustomSortTail(PFNLVCOMPARE compare, LPARAM data, int first);
  // Sorts by OnCompare, or by caption ignoring case without one.
  bool AlphaSort();
  void Arrange();

  TViewStyle ViewStyle() const { return view_style_; }
  void SetViewStyle(TViewStyle value);
  bool ColumnClick() const { return column_click_; }
  void SetColumnClick(bool value) { SetStyleFlag(column_click_, value); }
  bool ShowColumnHeaders() const { return show_column_headers_; }
  void SetShowColumnHeaders(bool value) { SetStyleFlag(show_column_headers_, value); }
  bool HideSelection() const { return hide_selection_; }
  void SetHideSelection(bool value) { SetStyleFlag(hide_selection_, value); }
  bool MultiSelect() const { return multi_select_; }
  void SetMultiSelect(bool value) { SetStyleFlag(multi_select_, value); }
  bool ReadOnly() const { return read_only_; }
  void SetReadOnly(bool value) { SetStyleFlag(read_only_, value); }
  bool Checkboxes() const { return (ex_style_ & LVS_EX_CHECKBOXES) != 0; }
  void SetCheckboxes(bool value) { SetExStyle(LVS_EX_CHECKBOXES, value); }
  bool GridLines() const { return (ex_style_ & LVS_EX_GRIDLINES) != 0; }
  void SetGridLines(bool value) { SetExStyle(LVS_EX_GRIDLINES, value); }
  bool HotTrack() const { return (ex_style_ & LVS_EX_TRACKSELECT) != 0; }
  void SetHotTrack(bool value) { SetExStyle(LVS_EX_TRACKSELECT, value); }
  bool RowSelect() const { return (ex_style_ & LVS_EX_FULLROWSELECT) != 0; }
  void SetRowSelect(bool value) { SetExStyle(LVS_EX_FULLROWSELECT, value); }
  bool OwnerData() const { return owner_data_; }
  // Switching drops the items and makes the window again.
  void SetOwnerData(bool value);
  // The number of items the control makes room for at once when its window is made.
  int AllocBy() const { return alloc_by_; }
  void SetAllocBy(int value);

  TCustomImageList* LargeImages() const { return large_images_; }
  void SetLargeImages(TCustomImageList* value) { SetImageList(large_images_, value, LVSIL_NORMAL); }
  TCustomImageList* SmallImages() const { return small_images_; }
  void SetSmallImages(TCustomImageList* value) { SetImageList(small_images_, value, LVSIL_SMALL); }
  TCustomImageList* StateImages() const { return state_images_; }
  void SetStateImages(TCustomImageList* value) { SetImageList(state_images_, value, LVSIL_STATE); }

  TLVChangeEvent OnChange;
  TLVChangingEvent OnChanging;
  TLVColumnClickEvent OnColumnClick;
  TLVEditingEvent OnEditing;
  TLVEditedEvent OnEdited;
  TLVDeletedEvent OnDeletion;
  TLVDeletedEvent OnInsert;
  TLVDeletedEvent OnGetImageIndex;
  TLVCompareEvent OnCompare;

protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void CNNotify(TMessage& message) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // The control's background, text background and text colours follow Color and Font.
  void ColorChanged() override;
  void FontChanged() override;

  // One notification of the control; the base raises the events named after each step.
  virtual void DoNotify(const NMHDR& header, LRESULT& result);
  // Supplies the caption or a sub-item text and the image of an item the control shows.
  virtual void DoGetDispInfo(NMLVDISPINFOA& info);
  // NM_CUSTOMDRAW: the base asks for nothing (CDRF_DODEFAULT).
  virtual void DoCustomDraw(NMLVCUSTOMDRAW& draw, LRESULT& result);
  virtual bool CanChange(TListItem* item, TItemChange change);
  virtual void Change(TListItem* item, TItemChange change);
  virtual void ColClick(TListColumn* column);
  virtual bool CanEdit(TListItem* item);
  // Editing ended with TEXT (null when cancelled).
  virtual void Edit(TListItem* item, const char* text);
  virtual void InsertItem(TListItem* item);
  virtual void GetImageIndex(TListItem* item);
  // Called for every item the control deletes, before the item is freed.
  virtual void Delete(TListItem* item);

  // Copies TEXT into a display-information buffer, cut to fit with its terminator.
  static void CopyDispText(NMLVDISPINFOA& info, const std::string& text);

private:
  friend class TListItem;
  friend class TListItems;
  friend class TListColumn;
  friend class TListColumns;
  friend class TIconOptions;
  static int CALLBACK DefaultCompare(LPARAM item1, LPARAM item2, LPARAM view);
  int FindCaptionIndex(int start, const std::string& text, bool partial, bool inclusive,
                       bool wrap);
  // The caption of the item at INDEX as the view shows it.
  std::string ShownCaption(int index);
  void NotifyOwnerData(const NMHDR& header, LRESULT& result);
  void SetStyleFlag(bool& flag, bool value);
  void SetExStyle(DWORD bits, bool on);
  void UpdateStyle();
  DWORD StyleBits() const;
  void SetImageList(TCustomImageList*& slot, TCustomImageList* value, int kind);
  void ApplyImageLists();
  void ApplyColors();
  void SaveItems();
  void RestoreItems();

  std::unique_ptr<TListItems> items_;
  std::unique_ptr<TListColumns> columns_;
  TIconOptions icon_options_{this};
  TViewStyle view_style_ = vsIcon;
  bool column_click_ = true;
  bool show_column_headers_ = true;
  bool hide_selection_ = true;
  bool multi_select_ = false;
  bool read_only_ = false;
  DWORD ex_style_ = 0;
  DWORD ex_style_mask_ = 0;
  int alloc_by_ = 0;
  TCustomImageList* large_images_ = nullptr;
  TCustomImageList* small_images_ = nullptr;
  TCustomImageList* state_images_ = nullptr;
  TChangeLink large_link_, small_link_, state_link_;
  // Set while the window goes down for re-creation: its item deletions free no item.
  bool saving_items_ = false;
  std::vector<TListItem*> saved_items_;
  TListSelection saved_selection_;
  bool owner_data_ = false;
  // Set while an owner-data list puts its selection back: the control's change notices are
  // not the user's.
  bool restoring_selection_ = false;
  // The item whose caption is being edited.
  TListItem* edit_item_ = nullptr;
};

}  // namespace tw
