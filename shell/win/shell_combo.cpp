#include "shell/win/shell_combo.h"

#include <utility>

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
        .Object<TPTCustomShellTree>("ShellTree", "TPTCustomShellTree", &C::ShellTree,
                                    &C::SetShellTree)
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
  SetShellTree(nullptr);
  SetShellList(nullptr);
  SetImages(nullptr);
}

void TPTCustomShellCombo::SetShellTree(TPTCustomShellTree* value) {
  // The list accepts a tree and a combo at once: the combo moves one of them, never both.
  if (value == tree_ || (value && list_)) return;
  if (TPTCustomShellTree* old = std::exchange(tree_, nullptr)) {
    old->RemoveFreeNotification(this);
    // The tree may have taken another combo since.
    if (old->LinkedCombo() == this) old->SetLinkedCombo(nullptr);
  }
  tree_ = value;
  if (tree_) {
    tree_->FreeNotification(this);
    tree_->SetLinkedCombo(this);
  }
}

void TPTCustomShellCombo::SetShellList(TPTCustomShellList* value) {
  if (value == list_ || (value && tree_)) return;
  if (TPTCustomShellList* old = std::exchange(list_, nullptr)) {
    old->RemoveFreeNotification(this);
    if (old->LinkedCombo() == this) old->SetLinkedCombo(nullptr);
  }
  list_ = value;
  if (list_) {
    list_->FreeNotification(this);
    list_->SetLinkedCombo(this);
  }
}

void TPTCustomShellCombo::TreeUnlinked(TPTCustomShellTree* tree) {
  if (tree != tree_) return;
  tree_->RemoveFreeNotification(this);
  tree_ = nullptr;
}

void TPTCustomShellCombo::ListUnlinked(TPTCustomShellList* list) {
  if (list != list_) return;
  list_->RemoveFreeNotification(this);
  list_ = nullptr;
}

void TPTCustomShellCombo::Notification(TComponent* AComponent, TOperation Operation) {
  TPTCustomImageCombo::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == tree_) tree_ = nullptr;
  if (AComponent == list_) list_ = nullptr;
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
  // Without a window yet, the combo fills when its window is made, as the tree and list do.
  if (!options_.Contains(ptscoAutofill) || !HandleAllocated()) return;
  TCounterScope busy(busy_);
  FillCombo();
  if (tree_) {
    tree_->SetCurrentFolder(current_folder_);
    // Fills the tree when it is still empty: a tree with a combo leaves its filling to it.
    tree_->RefreshTree();
  } else if (list_) {
    list_->SetFolder(current_folder_);
  }
}

void TPTCustomShellCombo::SelEndOk() {
  TPTCustomImageCombo::SelEndOk();
  if (TPTShComboData* data = DataAt(ItemIndex())) current_folder_.SetIdList(data->AbsoluteId());
}

void TPTCustomShellCombo::FolderChanged() {
  if (busy_ > 0) return;
  TCounterScope busy(busy_);
  if (tree_)
    tree_->SetCurrentFolder(current_folder_);
  else if (list_)
    list_->Folder().SetIdList(current_folder_.GetIdList());
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
  if (!flush_others) return;
  if (tree_) tree_->FlushPendingSync(false);
  if (list_) list_->FlushPendingSync(false);
}

void TPTCustomShellCombo::SyncToIdList(const ItemIdList* abs_id) { current_folder_.SetIdList(abs_id); }

}  // namespace tw
