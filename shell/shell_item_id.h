#pragma once
// Item identifier lists ("ShellItemIds"): a chain of items, each led by a 16-bit little-endian
// length that counts itself, ended by a 16-bit zero. The empty list (just the zero) is the
// desktop; a null list is taken as the desktop wherever a root is meant.
//
// Every list is one block of the shell's task allocator. ShellItemId owns such a block and frees
// it with the allocator it came from. Every routine here that returns a ShellItemId returns a new
// block the caller owns; Adopt takes over a block a shell call handed out, Take gives it away.
//
// The byte operations are portable. On Windows the process-wide allocator is the shell's
// (installed at start-up); elsewhere it is the C heap, so the byte operations run anywhere.

#include <cstddef>
#include <cstdint>
#include <string_view>

struct _ITEMIDLIST;  // the platform's item identifier list, used here only as an opaque block

namespace tw {

using ItemIdList = ::_ITEMIDLIST;

// The allocator that owns item identifier lists (the shell's IMalloc on Windows).
class TItemIdAllocator {
public:
  virtual ~TItemIdAllocator() = default;
  virtual void* Alloc(std::size_t size) = 0;
  virtual void Free(void* block) = 0;
};

// The process-wide allocator; SetShellAllocator(nullptr) restores the C heap.
TItemIdAllocator& ShellAllocator();
void SetShellAllocator(TItemIdAllocator* allocator);

class ShellItemId {
public:
  ShellItemId() noexcept = default;
  ShellItemId(const ShellItemId&) = delete;
  ShellItemId& operator=(const ShellItemId&) = delete;
  ShellItemId(ShellItemId&& other) noexcept;
  ShellItemId& operator=(ShellItemId&& other) noexcept;
  ~ShellItemId() { Reset(); }

  // Takes ownership of ID, a block of ALLOCATOR (the process-wide one when null).
  [[nodiscard]] static ShellItemId Adopt(ItemIdList* id, TItemIdAllocator* allocator = nullptr);
  // Gives up ownership: the caller frees the block.
  [[nodiscard]] ItemIdList* Take() noexcept;
  // Frees the block (if any) and holds ID instead, a block of the process-wide allocator.
  void Reset(ItemIdList* id = nullptr) noexcept;

  ItemIdList* Get() const noexcept { return id_; }
  const std::uint8_t* Bytes() const noexcept { return reinterpret_cast<const std::uint8_t*>(id_); }
  explicit operator bool() const noexcept { return id_ != nullptr; }
  TItemIdAllocator* Allocator() const noexcept { return allocator_; }

private:
  ItemIdList* id_ = nullptr;
  TItemIdAllocator* allocator_ = nullptr;
};

// Views of a list as bytes.
inline const std::uint8_t* IdBytes(const ItemIdList* id) {
  return reinterpret_cast<const std::uint8_t*>(id);
}
inline const ItemIdList* AsIdList(const void* bytes) {
  return static_cast<const ItemIdList*>(bytes);
}

// The 16-bit little-endian item length at P.
inline unsigned ItemLength(const std::uint8_t* p) { return p[0] | (p[1] << 8); }

// Total size of a list including its 2-byte terminator; 0 for null. The list is trusted: it
// comes from the shell or from a block already checked with MeasureIdList.
std::size_t IdListSize(const ItemIdList* id);
// A whole list's bytes, terminator included, to hash or compare lists by.
inline std::string_view IdByteView(const ItemIdList* id) {
  return {reinterpret_cast<const char*>(id), IdListSize(id)};
}

// The shape of a list found in an untrusted block.
struct TIdListShape {
  std::size_t count = 0;  // items before the terminator
  std::size_t size = 0;   // bytes including the terminator
};

// Walks the list at DATA without reading past LIMIT bytes. Returns false when the terminator does
// not lie inside the block or an item is shorter than its own length field.
bool MeasureIdList(const void* data, std::size_t limit, TIdListShape& shape);

// A new list with the items of ID (an empty list for null). Null only if allocation fails.
ShellItemId CopyIdList(const ItemIdList* id, TItemIdAllocator* allocator = nullptr);
// A new list with the items of FIRST followed by those of SECOND (either may be null).
ShellItemId ConcatIdLists(const ItemIdList* first, const ItemIdList* second,
                          TItemIdAllocator* allocator = nullptr);
// A new list made of the item bytes FIRST then SECOND (items only, no terminators) and a
// terminator. Null only if allocation fails.
ShellItemId JoinIdBytes(const void* first, std::size_t first_bytes, const void* second,
                        std::size_t second_bytes, TItemIdAllocator* allocator = nullptr);
// Frees a block of the process-wide allocator; null is ignored.
void FreeIdList(ItemIdList* id);

}  // namespace tw
