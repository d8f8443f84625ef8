#pragma once
// TPTIdListArray: one item identifier list seen as an array of items. The list it walks is
// borrowed and never copied. Ancestor and Items return a block owned by the array that stays
// valid until the next call on the same array or its destruction; keep one with CopyIdList.

#include <cstddef>

#include "shell/shell_item_id.h"

namespace tw {

class TPTIdListArray {
public:
  // Over a trusted list (from the shell or already checked); null counts as no items.
  explicit TPTIdListArray(const ItemIdList* id);
  // Over the list at the start of an untrusted block of LIMIT bytes. Raises EReadError when the
  // list does not end inside the block.
  TPTIdListArray(const void* data, std::size_t limit);

  int Count() const { return count_; }
  // The first Count - LEVELS items as a list (Ancestor(1) is the parent, Ancestor(0) the whole
  // list); null when LEVELS is negative or exceeds Count.
  ItemIdList* Ancestor(int levels);
  // The item at INDEX as a one-item list (an empty list for index 0 of an empty list). Raises
  // EListError "TPTIdListArray - index %d out of range" for a null list, a negative index, or an
  // index at or beyond a non-zero Count.
  ItemIdList* Items(int index);

private:
  // The byte offset of item INDEX (or of the terminator for INDEX = Count).
  std::size_t OffsetOf(int index) const;

  const ItemIdList* id_;
  int count_ = 0;
  ShellItemId result_;
};

}  // namespace tw
