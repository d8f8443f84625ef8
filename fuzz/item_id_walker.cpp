// Arbitrary bytes handed to the item identifier list walker with the block's length as bound.
#include <cstdlib>
#include <cstring>

#include "framework/exception.h"
#include "fuzz/fuzz_target.h"
#include "shell/id_list_array.h"
#include "shell/shell_item_id.h"

TW_FUZZ_TARGET(ItemIdWalker) {
  tw::TIdListShape shape;
  const bool valid = tw::MeasureIdList(data, size, shape);
  try {
    tw::TPTIdListArray array(data, size);
    if (!valid || static_cast<std::size_t>(array.Count()) != shape.count) std::abort();
    std::size_t item_bytes = 0;
    for (int i = 0; i < array.Count(); ++i) item_bytes += tw::IdListSize(array.Items(i)) - 2;
    if (item_bytes + 2 != shape.size) std::abort();
    for (int levels = 0; levels <= array.Count(); ++levels) {
      const tw::ItemIdList* ancestor = array.Ancestor(levels);
      const std::size_t bytes = tw::IdListSize(ancestor);
      if (std::memcmp(tw::IdBytes(ancestor), data, bytes - 2) != 0) std::abort();
    }
    // Ancestor's result lives only until the next call on the array: keep a copy.
    const tw::ShellItemId parent = tw::CopyIdList(array.Ancestor(1));
    tw::ShellItemId whole = tw::ConcatIdLists(parent.Get(), array.Items(array.Count() - 1));
    if (array.Count() > 0 &&
        (tw::IdListSize(whole.Get()) != shape.size ||
         std::memcmp(whole.Bytes(), data, shape.size) != 0))
      std::abort();
  } catch (const tw::EReadError&) {
    if (valid) std::abort();
  } catch (const tw::EListError&) {
    if (valid && shape.count != 0) std::abort();
  }
}

TW_FUZZ_SEEDS(ItemIdWalker) {
  return {
      {0, 0},
      {5, 0, 'a', 'b', 'c', 3, 0, 'd', 0, 0},
      {4, 0, 1, 2, 0, 0, 0xFF, 0xFF},
      {200, 0, 1, 2},
  };
}
