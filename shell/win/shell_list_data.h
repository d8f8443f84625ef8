#pragma once
// TPTShListData: the record behind one item of a shell list. It owns the item's id relative to
// the list's folder and caches what the list shows of it (absolute id, display name, icon and
// the report columns' texts), each fetched the first time it is asked for.

#include <shlobj.h>

#include <memory>
#include <string>

#include "shell/shell_item_id.h"

namespace tw {

class TPTCustomShellList;

class TPTShListData {
public:
  // Takes ownership of RELATIVE_ID; FILL_ATTRIBUTES are the attributes the item was added with.
  TPTShListData(TPTCustomShellList* owner, ShellItemId relative_id, DWORD fill_attributes = 0);
  TPTShListData(const TPTShListData&) = delete;
  TPTShListData& operator=(const TPTShListData&) = delete;

  TPTCustomShellList* Owner() const { return owner_; }
  const ItemIdList* RelativeId() const { return relative_id_.Get(); }
  // The list's folder id joined with the relative id, built on first use (borrowed).
  const ItemIdList* AbsoluteId();
  // The attributes the item was added with (folder, share, link, ghosted ...).
  DWORD FillAttributes() const { return fill_attributes_; }

  // The item's attributes as the folder tells them now (never cached).
  DWORD Attributes();
  bool IsFolder() { return (Attributes() & SFGAO_FOLDER) != 0; }
  bool CanRename();
  bool IsLink();
  // Whether the item still exists.
  bool IsValid();
  // The item's file-system path; empty when it has none.
  std::string Path();
  // The shell's display name, cached once it could be had.
  const std::string& DisplayName();
  // The item's index in the system's small image list, cached.
  int IconIndex();

  // Frees the old relative id, takes ID, and forgets every cached value.
  void SetRelativeId(ShellItemId id);
  void ResetCaches();

  // The text of report column N: 0 empty; with the folder's details object its text for the
  // column; otherwise 1 size, 2 type, 3 modification date.
  std::string ColumnText(int n);

private:
  void ComputeTexts();

  TPTCustomShellList* owner_;
  ShellItemId relative_id_;
  DWORD fill_attributes_;
  int icon_index_ = -1;
  // The report columns' texts, made when the report view first asks: a folder shown in another
  // view never pays for them.
  struct TColumnTexts {
    std::string size;
    std::string type;
    std::string date;
  };
  // What the list shows of the item, made the first time any of it is asked for: an item that
  // is never shown (most of a folder of thousands) costs its id and attributes only.
  struct TShown {
    ShellItemId absolute_id;
    bool name_ready = false;
    std::string display_name;
    std::unique_ptr<TColumnTexts> texts;
  };
  TShown& Shown();
  std::unique_ptr<TShown> shown_;
};

}  // namespace tw
