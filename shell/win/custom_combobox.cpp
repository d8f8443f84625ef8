#include "shell/win/custom_combobox.h"

#include "framework/type_info.h"
#include "framework/win/messages.h"

namespace tw {
namespace {

const bool kRegistered =
    TTypeRegistry::Class<TPTCustomCombobox>("TPTCustomCombobox", "TCustomComboBox")
        .Method("OnSelEndCancel", [](TPTCustomCombobox& c) { return bool(c.OnSelEndCancel); })
        .Method("OnSelEndOk", [](TPTCustomCombobox& c) { return bool(c.OnSelEndOk); })
        .Done();

}  // namespace

void TPTCustomCombobox::SetItemHeight(int value) {
  const bool changed = value != ItemHeight();
  TCustomComboBox::SetItemHeight(value);
  if (changed && OwnerDrawn()) RecreateWnd();
}

void TPTCustomCombobox::CNCommand(TMessage& message) {
  switch (HIWORD(message.WParam)) {
    case CBN_CLOSEUP:
      if (OnCloseUp) OnCloseUp(this);
      break;
    case CBN_SELENDOK:
      SelEndOk();
      break;
    case CBN_SELENDCANCEL:
      if (OnSelEndCancel) OnSelEndCancel(this);
      break;
    default:
      TCustomComboBox::CNCommand(message);
      break;
  }
}

void TPTCustomCombobox::SelEndOk() {
  if (OnSelEndOk) OnSelEndOk(this);
}

void TPTCustomCombobox::WndProc(TMessage& message) {
  if (message.Msg == CN_DELETEITEM) {
    auto& item = *reinterpret_cast<DELETEITEMSTRUCT*>(message.LParam);
    TObject* data = reinterpret_cast<TObject*>(item.itemData);
    item.itemData = 0;
    if (data) DoDeleteItem(data);
    message.Result = TRUE;
    return;
  }
  TCustomComboBox::WndProc(message);
}

}  // namespace tw
