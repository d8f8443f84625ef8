#pragma once
// TCustomMemo: the base of multi-line edit controls. It holds the editing properties (scroll
// bars, word wrap, alignment, border, text limit, read-only, which keys it takes) and the
// selection and clipboard operations, expressed with the edit messages that both the system
// edit control and the rich edit control understand. A derived control chooses the window class
// and supplies the line list.

#include <windows.h>

// The line list's GetObject member keeps its name (the system call is GetObjectA).
#undef GetObject

#include <string>

#include "framework/strings.h"
#include "framework/win/form.h"
#include "framework/win/win_control.h"

namespace tw {

enum class TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
using enum TScrollStyle;

class TCustomMemo : public TWinControl {
public:
  explicit TCustomMemo(TComponent* AOwner);

  std::string ClassName() const override { return "TCustomMemo"; }

  // The text as a list of lines.
  virtual TStrings& Lines() = 0;

  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment value);
  // bsNone or bsSingle (a sunken client edge).
  TFormBorderStyle BorderStyle() const { return border_style_; }
  void SetBorderStyle(TFormBorderStyle value);
  bool HideSelection() const { return hide_selection_; }
  virtual void SetHideSelection(bool value);
  // The most characters the control accepts; 0 leaves the control's own limit.
  int MaxLength() const { return max_length_; }
  virtual void SetMaxLength(int value);
  bool ReadOnly() const { return read_only_; }
  void SetReadOnly(bool value);
  TScrollStyle ScrollBars() const { return scroll_bars_; }
  void SetScrollBars(TScrollStyle value);
  bool WordWrap() const { return word_wrap_; }
  void SetWordWrap(bool value);
  bool WantTabs() const { return want_tabs_; }
  void SetWantTabs(bool value) { want_tabs_ = value; }
  bool WantReturns() const { return want_returns_; }
  void SetWantReturns(bool value) { want_returns_ = value; }
  bool Modified();
  void SetModified(bool value);

  virtual int SelStart();
  virtual void SetSelStart(int value);
  virtual int SelLength();
  virtual void SetSelLength(int value);
  virtual std::string SelText();
  // Replaces the selection with VALUE.
  virtual void SetSelText(const std::string& value);
  void SelectAll();
  void ClearSelection();
  void CopyToClipboard();
  void CutToClipboard();
  void PasteFromClipboard();
  // Empties the whole text.
  virtual void Clear();
  bool CanUndo();
  void Undo();
  void ClearUndo();

  TNotifyEvent OnChange;

protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void Dispatch(TMessage& message) override;
  void CNCommand(TMessage& message) override;
  // The text changed (the control's change notification): fires OnChange.
  virtual void Change();
  // Keep a value for a derived control that tells its window itself.
  void StoreHideSelection(bool value) { hide_selection_ = value; }
  void StoreMaxLength(int value) { max_length_ = value; }

private:
  TAlignment alignment_ = taLeftJustify;
  TFormBorderStyle border_style_ = bsSingle;
  bool hide_selection_ = true;
  int max_length_ = 0;
  bool read_only_ = false;
  TScrollStyle scroll_bars_ = ssNone;
  bool word_wrap_ = true;
  bool want_tabs_ = false;
  bool want_returns_ = true;
  bool modified_ = false;
};

}  // namespace tw
