#pragma once
// TPTCustomCombobox: the framework's combo box with the selection-end events of the system
// control (OnSelEndOk when an entry is confirmed, OnSelEndCancel when the choice is dropped),
// OnCloseUp raised here rather than by the framework, and a DoDeleteItem step for every entry
// the control deletes (its item data).

#include "framework/win/combo_box.h"

namespace tw {

class TPTCustomCombobox : public TCustomComboBox {
public:
  using TCustomComboBox::TCustomComboBox;

  std::string ClassName() const override { return "TPTCustomCombobox"; }

  // An owner-drawn control takes a new height by making its window again.
  void SetItemHeight(int value) override;

  TNotifyEvent OnSelEndCancel;
  TNotifyEvent OnSelEndOk;

protected:
  void WndProc(TMessage& message) override;
  void CNCommand(TMessage& message) override;
  // The selection-end step of a confirmed entry.
  virtual void SelEndOk();
  // The control deletes the entry whose item data is DATA.
  virtual void DoDeleteItem(TObject* /*data*/) {}
};

}  // namespace tw
