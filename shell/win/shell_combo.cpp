#include "shell/win/shell_combo.h"

#include "framework/type_info.h"
#include "shell/win/counter_scope.h"
#include "shell/win/shell_names.h"

namespace tw {
namespace {

PTypeInfo ShellComboOptionsType() {
  static PTypeInfo type = SetType(
      "TPTShellComboOptions",
      EnumerationType("TPTShellComboOption", {"ptscoAutofill", "ptscoNonFilesystemAncestors"}));
  return type;
}

using C = TPTShellCombo;
const bool kRegistered =
    TTypeRegistry::Class<TPTShellCombo>("TPTShellCombo", "TPTCustomImageCombo")
        .Object<TPTCustomShellList>("ShellList", "TPTCustomShellList", &C::ShellList,
                                    &C::SetShellList)
        .Set("Options", ShellComboOptionsType(), [](C& c) { return c.Options().Bits(); },
             [](C& c, std::int64_t bits) {
               c.SetOptions(TPTShellComboOptions(static_cast<std::uint16_t>(bits)));
             },
             kDefaultShellComboOptions.Bits())
        .Done();

}  // namespace

TPTCustomShellCombo::TPTCustomShellCombo(TComponent* AOwner)
    : TPTCustomImageCombo(AOwner),
      current_folder_([this](TObject*) { FolderChanged(); }),
      small_images_(nullptr, 16, 16) {
  small_images_.SetShareImages(true);
  small_images_.SetHandle(SystemImageList(silSmall));
  SetImages(&small_images_);
}

TPTCustomShellCombo::~TPTCustomShellCombo() {
  Destroying();
  // The entries go while this object can still free their records.
  if (HandleAllocated()) DeleteAllItems();
  SetShellList(nullptr);
  SetImages(nullptr);
}

void TPTCustomShellCombo::SetShellList(TPTCustomShellList* value) {
  if (value == list_) return;
  if (list_) {
    list_->SetLinkedCombo(nullptr);
    list_->RemoveFreeNotification(this);
  }
  list_ = value;
  if (list_) {
    list_->FreeNotification(this);
    list_->SetLinkedCombo(this);
  }
}

void TPTCustomShellCombo::Notification(TComponent* AComponent, TOperation Operation) {
  TPTCustomImageCombo::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == list_) list_ = nullptr;
}

TPTShComboData* TPTCustomShellCombo::DataAt(int index) {
  TPTImageComboItem* item = ItemAt(index);
  return item ? dynamic_cast<TPTShComboData*>(item->Data()) : nullptr;
}

bool TPTCustomShellCombo::DoAddItem(IShellFolder*, const ItemIdList*, DWORD, const ItemIdList*) {
  return true;
}

void TPTCustomShellCombo::CreateWnd() {
  TPTCustomImageCombo::CreateWnd();
  if (!HasState(csLoading) && options_.Contains(ptscoAutofill)) FillCombo();
}

void TPTCustomShellCombo::Loaded() {
  TPTCustomImageCombo::Loaded();
  if (!options_.Contains(ptscoAutofill)) return;
  TCounterScope busy(busy_);
  FillCombo();
  if (list_) list_->SetFolder(current_folder_);
}

void TPTCustomShellCombo::SelEndOk() {
  TPTCustomImageCombo::SelEndOk();
  if (TPTShComboData* data = DataAt(ItemIndex())) current_folder_.SetIdList(data->AbsoluteId());
}

void TPTCustomShellCombo::FolderChanged() {
  if (busy_ > 0) return;
  TCounterScope busy(busy_);
  if (list_) list_->Folder().SetIdList(current_folder_.GetIdList());
  FillCombo();
}

void TPTCustomShellCombo::GoUp(int levels) {
  const int selected = ItemIndex();
  TPTImageComboItem* item = ItemAt(selected);
  if (!item) return;
  const int lowest = item->Indent() - levels + 1;
  int position = selected;
  while (position > 0 && ItemAt(position)->Indent() >= lowest) --position;
  if (position == selected) return;
  if (TPTShComboData* data = DataAt(position)) current_folder_.SetIdList(data->AbsoluteId());
}

void TPTCustomShellCombo::FlushPendingSync(bool flush_others) {
  // The combo box has no delayed work of its own.
  if (flush_others && list_) list_->FlushPendingSync(false);
}

}  // namespace tw
