#pragma once
// Item identifier lists at the shell's interfaces: the raw pointer of an owned list, and an
// out-parameter adapter that adopts the block a shell call hands back.
//
// Shell calls that return a new block the caller owns: IShellFolder::ParseDisplayName,
// IShellFolder::SetNameOf, IEnumIDList::Next, IShellLink::GetIDList,
// SHGetSpecialFolderLocation. Receive it with PidlOut:
//   ShellItemId id;
//   hr = folder->ParseDisplayName(nullptr, nullptr, path, &eaten, PidlOut(id), &attributes);

#include <shlobj.h>

#include "shell/shell_item_id.h"

namespace tw {

inline LPITEMIDLIST Pidl(const ShellItemId& id) { return id.Get(); }
inline LPITEMIDLIST Pidl(ItemIdList* id) { return id; }
inline LPCITEMIDLIST Pidl(const ItemIdList* id) { return id; }

class PidlOut {
public:
  explicit PidlOut(ShellItemId& owner) : owner_(owner) {}
  PidlOut(const PidlOut&) = delete;
  PidlOut& operator=(const PidlOut&) = delete;
  // The block is adopted when the call's full expression ends, also when it throws.
  ~PidlOut() { owner_ = ShellItemId::Adopt(received_); }
  operator LPITEMIDLIST*() { return &received_; }

private:
  ShellItemId& owner_;
  LPITEMIDLIST received_ = nullptr;
};

}  // namespace tw
