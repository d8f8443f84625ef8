#pragma once
// TPTShComboData: the record behind one entry of a path combo box: the folder that contains the
// entry, that folder's absolute id, the entry's id relative to it and the two joined.

#include <shlobj.h>

#include "framework/object.h"
#include "framework/win/com_ptr.h"
#include "shell/shell_item_id.h"

namespace tw {

class TPTCustomShellCombo;

class TPTShComboData : public TObject {
public:
  explicit TPTShComboData(TPTCustomShellCombo* combo) : combo_(combo) {}

  std::string ClassName() const override { return "TPTShComboData"; }

  // Keeps a reference to FOLDER (may be null) and copies of both ids and their concatenation.
  void Init(IShellFolder* folder, const ItemIdList* parent_id, const ItemIdList* relative_id);

  TPTCustomShellCombo* Combo() const { return combo_; }
  IShellFolder* Folder() const { return folder_.Get(); }
  const ItemIdList* ParentId() const { return parent_id_.Get(); }
  const ItemIdList* RelativeId() const { return relative_id_.Get(); }
  // An empty list for the desktop entry.
  const ItemIdList* AbsoluteId() const { return absolute_id_.Get(); }

private:
  TPTCustomShellCombo* combo_;
  ComPtr<IShellFolder> folder_;
  ShellItemId parent_id_;
  ShellItemId relative_id_;
  ShellItemId absolute_id_;
};

}  // namespace tw
