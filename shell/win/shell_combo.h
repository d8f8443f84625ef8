#pragma once
// TPTCustomShellCombo: the path drop-down. Its entries are the desktop, the desktop's folders,
// the contents of My Computer (always at indent 2) and the chain of folders from there down to
// the current folder, which is the selected entry and shows its open-folder icon. Choosing an
// entry makes it the current folder and moves the linked tree or, without a tree, the linked
// list; when they move, the combo box follows and builds its entries again. A busy counter
// and the locator's own test (it only notifies a real change) cut every loop between them.
//
// The implementation is split: shell_combo.cpp (life cycle, links, moving) and
// shell_combo_fill.cpp (building the entries). TPTShellCombo only publishes properties.

#include <shlobj.h>

#include <string>

#include "framework/win/image_list.h"
#include "shell/id_list_array.h"
#include "shell/shell_combo_options.h"
#include "shell/shell_locator.h"
#include "shell/win/image_combo.h"
#include "shell/win/shell_combo_data.h"
#include "shell/win/shell_list.h"
#include "shell/win/shell_tree.h"

namespace tw {

class TPTCustomShellCombo : public TPTCustomImageCombo,
                            public TPTShellListLink,
                            public TPTShellTreeComboLink {
public:
  explicit TPTCustomShellCombo(TComponent* AOwner);
  ~TPTCustomShellCombo() override;

  std::string ClassName() const override { return "TPTCustomShellCombo"; }

  TPTCustomShellTree* ShellTree() const { return tree_; }
  // Ignored while a list is linked.
  void SetShellTree(TPTCustomShellTree* value);
  TPTCustomShellList* ShellList() const { return list_; }
  // Ignored while a tree is linked.
  void SetShellList(TPTCustomShellList* value);
  TPTShellComboOptions Options() const { return options_; }
  void SetOptions(TPTShellComboOptions value) { options_ = value; }

  // The current folder; setting it moves the linked controls and builds the entries again.
  TPTShellLocator& CurrentFolder() { return current_folder_; }
  // The record of the entry at INDEX, or null.
  TPTShComboData* DataAt(int index);

  // Builds every entry again for the current folder.
  void FillCombo();
  // Makes the ancestor LEVELS above the selected entry the current folder.
  void GoUp(int levels) override;
  void FlushPendingSync(bool flush_others) override;

  // The links of the list and the tree.
  TComponent* LinkComponent() override { return this; }
  TPTShellLocator& CurrentFolderLocator() override { return current_folder_; }
  // The tree selected the folder ABS_ID: show it (the tree is busy, so it is not moved back).
  void SyncToIdList(const ItemIdList* abs_id) override;
  void TreeUnlinked(TPTCustomShellTree* tree) override;
  void ListUnlinked(TPTCustomShellList* list) override;

protected:
  // A hook for descendants: whether the item REL_ID of FOLDER becomes an entry.
  virtual bool DoAddItem(IShellFolder* folder, const ItemIdList* parent_id, DWORD attributes,
                         const ItemIdList* rel_id);
  // The current folder's change handler.
  virtual void FolderChanged();
  // Adds the folders of FOLDER (whose absolute id is PARENT_ID) at indent LEVEL; with LEVEL
  // below 0 the desktop entry first and the desktop's folders at indent 1.
  virtual void AddLevel(IShellFolder* folder, const ItemIdList* parent_id, TPTIdListArray& path,
                        int level);
  // Adds the rest of PATH below the entry REL_ID of FOLDER (absolute id ABS_ID), which matched
  // the path's item LEVEL - 1.
  void AddPath(IShellFolder* folder, const ItemIdList* abs_id, const ItemIdList* rel_id,
               TPTIdListArray& path, int level);

  void CreateWnd() override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void SelEndOk() override;

private:
  // Adds an entry with a new record for REL_ID of FOLDER and the overlay its attributes ask for.
  void AddShellEntry(const std::string& text, int image_index, int indent, IShellFolder* folder,
                     const ItemIdList* parent_id, const ItemIdList* rel_id, DWORD attributes);
  void SelectLastEntry() { SetItemIndex(ItemCount() - 1); }

  int busy_ = 0;
  TPTCustomShellTree* tree_ = nullptr;
  TPTCustomShellList* list_ = nullptr;
  TPTShellLocator current_folder_;
  TPTShellComboOptions options_ = kDefaultShellComboOptions;
  TImageList small_images_;
  // While entries are built: whether the current folder's chain still has to be added.
  bool path_pending_ = false;
};

class TPTShellCombo : public TPTCustomShellCombo {
public:
  explicit TPTShellCombo(TComponent* AOwner) : TPTCustomShellCombo(AOwner) {}
  std::string ClassName() const override { return "TPTShellCombo"; }
};

}  // namespace tw
