#include "shell/id_list_array.h"

#include "framework/exception.h"
#include "framework/string_table.h"

namespace tw {

TPTIdListArray::TPTIdListArray(const ItemIdList* id) : id_(id) {
  if (!id) return;
  for (const std::uint8_t* p = IdBytes(id); ItemLength(p) != 0; p += ItemLength(p)) ++count_;
}

TPTIdListArray::TPTIdListArray(const void* data, std::size_t limit) : id_(AsIdList(data)) {
  TIdListShape shape;
  if (!MeasureIdList(data, limit, shape)) throw EReadError(LoadStr(SReadError));
  count_ = static_cast<int>(shape.count);
}

std::size_t TPTIdListArray::OffsetOf(int index) const {
  const std::uint8_t* p = IdBytes(id_);
  std::size_t offset = 0;
  for (int i = 0; i < index; ++i) offset += ItemLength(p + offset);
  return offset;
}

ItemIdList* TPTIdListArray::Ancestor(int levels) {
  result_.Reset();
  if (levels < 0 || levels > count_) return nullptr;
  result_ = JoinIdBytes(id_, id_ ? OffsetOf(count_ - levels) : 0, nullptr, 0);
  return result_.Get();
}

ItemIdList* TPTIdListArray::Items(int index) {
  result_.Reset();
  if (!id_ || index < 0 || (index >= count_ && count_ != 0))
    throw EListError(FmtLoadStr(SIdListIndexOutOfRange, index));
  if (count_ == 0) {
    result_ = JoinIdBytes(nullptr, 0, nullptr, 0);
  } else {
    const std::uint8_t* item = IdBytes(id_) + OffsetOf(index);
    result_ = JoinIdBytes(item, ItemLength(item), nullptr, 0);
  }
  return result_.Get();
}

}  // namespace tw
