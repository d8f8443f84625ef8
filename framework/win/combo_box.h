#pragma once
// TCustomComboBox: the framework's combo box over the system control (WC_COMBOBOXA). Each
// entry is a text with an attached object (the control's item data). In the two owner-drawn
// styles the control asks its owner to measure and draw the entries; those requests come back
// as CN_MEASUREITEM and CN_DRAWITEM and go through MeasureItem and DrawItem, which raise
// OnMeasureItem and OnDrawItem and otherwise draw the entry's text on Canvas.
//
// The control's notifications arrive as CN_COMMAND: a changed selection or edited text fires
// OnChange (and OnClick for a selection), opening the list OnDropDown, closing it OnCloseUp,
// a confirmed selection OnSelect. A window made again (a new style) keeps the entries.

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/win/win_control.h"

namespace tw {

enum class TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };
using enum TComboBoxStyle;

// Bit i is the i-th state: odSelected, odGrayed, odDisabled, odChecked, odFocused, odDefault,
// odComboBoxEdit (the entry is drawn in the closed combo box's own field).
using TOwnerDrawState = std::uint16_t;
inline constexpr TOwnerDrawState odSelected = 1 << 0;
inline constexpr TOwnerDrawState odGrayed = 1 << 1;
inline constexpr TOwnerDrawState odDisabled = 1 << 2;
inline constexpr TOwnerDrawState odChecked = 1 << 3;
inline constexpr TOwnerDrawState odFocused = 1 << 4;
inline constexpr TOwnerDrawState odDefault = 1 << 5;
inline constexpr TOwnerDrawState odComboBoxEdit = 1 << 6;

using TDrawItemEvent =
    std::function<void(TWinControl* Control, int Index, const RECT& Rect, TOwnerDrawState State)>;
using TMeasureItemEvent = std::function<void(TWinControl* Control, int Index, int& Height)>;

class TCustomComboBox : public TWinControl {
public:
  explicit TCustomComboBox(TComponent* AOwner);
  ~TCustomComboBox() override;

  std::string ClassName() const override { return "TCustomComboBox"; }

  TComboBoxStyle Style() const { return style_; }
  void SetStyle(TComboBoxStyle value);
  bool OwnerDrawn() const { return style_ == csOwnerDrawFixed || style_ == csOwnerDrawVariable; }
  // The height of an entry (owner-drawn styles) or the control's own (others).
  int ItemHeight();
  virtual void SetItemHeight(int value);
  int DropDownCount() const { return drop_down_count_; }
  void SetDropDownCount(int value);
  bool Sorted() const { return sorted_; }
  void SetSorted(bool value);
  bool DroppedDown();
  void SetDroppedDown(bool value);

  // The closed field's bounds; the window also holds the opened list below them.
  void SetBounds(int left, int top, int width, int height) override;

  // The entries. Without CBS_HASSTRINGS (a derived class's choice for owner-drawn entries)
  // the control keeps no texts and ItemText is empty.
  int ItemCount();
  // Adds an entry and returns its position.
  int AddItem(const std::string& text, TObject* object);
  std::string ItemText(int index);
  TObject* ItemObject(int index);
  void SetItemObject(int index, TObject* object);
  void DeleteItem(int index);
  void ClearItems();
  int ItemIndex();
  void SetItemIndex(int value);

  // The drawing surface of DrawItem, set up with the entry's device context.
  TCanvas& Canvas() { return canvas_; }

  TNotifyEvent OnChange;
  TNotifyEvent OnDropDown;
  TNotifyEvent OnCloseUp;
  TNotifyEvent OnSelect;
  TDrawItemEvent OnDrawItem;
  TMeasureItemEvent OnMeasureItem;

protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void CNCommand(TMessage& message) override;
  void CNDrawItem(TMessage& message) override;
  void CNMeasureItem(TMessage& message) override;

  virtual void Change();
  virtual void DropDown();
  virtual void CloseUp();
  virtual void Select();
  // Draws entry INDEX (0 or more) into RECT on Canvas, whose brush and font are set for STATE.
  virtual void DrawItem(int index, const RECT& rect, TOwnerDrawState state);
  virtual void MeasureItem(int index, int& height);
  // Whether the window keeps the entries' texts.
  bool HasStrings();

private:
  int DroppedListHeight();

  struct TSavedItem {
    std::string text;
    TObject* object;
  };

  TComboBoxStyle style_ = csDropDown;
  int item_height_ = 0;
  int drop_down_count_ = 8;
  bool sorted_ = false;
  TCanvas canvas_;
  // The entries while the window is made again.
  std::vector<TSavedItem> saved_items_;
  int saved_index_ = -1;
};

class TComboBox : public TCustomComboBox {
public:
  using TCustomComboBox::TCustomComboBox;
  std::string ClassName() const override { return "TComboBox"; }
};

}  // namespace tw
