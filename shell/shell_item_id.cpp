#include "shell/shell_item_id.h"

#include <cstdlib>
#include <cstring>
#include <utility>

namespace tw {
namespace {

class THeapAllocator final : public TItemIdAllocator {
public:
  void* Alloc(std::size_t size) override { return std::malloc(size); }
  void Free(void* block) override { std::free(block); }
};

THeapAllocator heap_allocator;
TItemIdAllocator* process_allocator = &heap_allocator;

}  // namespace

TItemIdAllocator& ShellAllocator() { return *process_allocator; }

void SetShellAllocator(TItemIdAllocator* allocator) {
  process_allocator = allocator ? allocator : &heap_allocator;
}

ShellItemId::ShellItemId(ShellItemId&& other) noexcept
    : id_(std::exchange(other.id_, nullptr)), allocator_(std::exchange(other.allocator_, nullptr)) {}

ShellItemId& ShellItemId::operator=(ShellItemId&& other) noexcept {
  if (this != &other) {
    Reset();
    id_ = std::exchange(other.id_, nullptr);
    allocator_ = std::exchange(other.allocator_, nullptr);
  }
  return *this;
}

ShellItemId ShellItemId::Adopt(ItemIdList* id, TItemIdAllocator* allocator) {
  ShellItemId owner;
  owner.id_ = id;
  owner.allocator_ = id ? (allocator ? allocator : &ShellAllocator()) : nullptr;
  return owner;
}

ItemIdList* ShellItemId::Take() noexcept {
  allocator_ = nullptr;
  return std::exchange(id_, nullptr);
}

void ShellItemId::Reset(ItemIdList* id) noexcept {
  if (id_) allocator_->Free(id_);
  id_ = id;
  allocator_ = id ? &ShellAllocator() : nullptr;
}

std::size_t IdListSize(const ItemIdList* id) {
  if (!id) return 0;
  const std::uint8_t* p = IdBytes(id);
  std::size_t size = 0;
  for (unsigned cb; (cb = ItemLength(p + size)) != 0;) size += cb;
  return size + 2;
}

bool MeasureIdList(const void* data, std::size_t limit, TIdListShape& shape) {
  const auto* p = static_cast<const std::uint8_t*>(data);
  std::size_t offset = 0;
  std::size_t count = 0;
  for (;;) {
    if (!p || limit < 2 || offset > limit - 2) return false;
    const unsigned cb = ItemLength(p + offset);
    if (cb == 0) break;
    if (cb < 2 || cb > limit - offset) return false;
    offset += cb;
    ++count;
  }
  shape.count = count;
  shape.size = offset + 2;
  return true;
}

ShellItemId JoinIdBytes(const void* first, std::size_t first_bytes, const void* second,
                        std::size_t second_bytes, TItemIdAllocator* allocator) {
  TItemIdAllocator& owner = allocator ? *allocator : ShellAllocator();
  const std::size_t size = first_bytes + second_bytes + 2;
  auto* block = static_cast<std::uint8_t*>(owner.Alloc(size));
  if (!block) return {};
  if (first_bytes) std::memcpy(block, first, first_bytes);
  if (second_bytes) std::memcpy(block + first_bytes, second, second_bytes);
  block[size - 2] = block[size - 1] = 0;
  return ShellItemId::Adopt(reinterpret_cast<ItemIdList*>(block), &owner);
}

namespace {

// The bytes of ID's items, without the terminator.
std::size_t ItemBytes(const ItemIdList* id) { return id ? IdListSize(id) - 2 : 0; }

}  // namespace

ShellItemId CopyIdList(const ItemIdList* id, TItemIdAllocator* allocator) {
  return JoinIdBytes(id, ItemBytes(id), nullptr, 0, allocator);
}

ShellItemId ConcatIdLists(const ItemIdList* first, const ItemIdList* second,
                          TItemIdAllocator* allocator) {
  return JoinIdBytes(first, ItemBytes(first), second, ItemBytes(second), allocator);
}

void FreeIdList(ItemIdList* id) {
  if (id) ShellAllocator().Free(id);
}

}  // namespace tw
