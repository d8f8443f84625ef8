#include "shell/shell_namespace.h"

#include <algorithm>
#include <cstring>

namespace tw {
namespace {

class TByteNamespace final : public TShellNamespace {
public:
  int CompareAbsoluteIds(const ItemIdList* a, const ItemIdList* b) override {
    const std::size_t size_a = IdListSize(a);
    const std::size_t size_b = IdListSize(b);
    const int order = std::memcmp(IdBytes(a), IdBytes(b), std::min(size_a, size_b));
    if (order != 0) return order < 0 ? -1 : 1;
    return size_a == size_b ? 0 : (size_a < size_b ? -1 : 1);
  }
  ShellItemId SpecialFolderIdList(int) override { return {}; }
  std::string PathOfIdList(const ItemIdList*) override { return {}; }
};

TByteNamespace byte_namespace;
TShellNamespace* process_namespace = &byte_namespace;

bool IsEmpty(const ItemIdList* id) { return ItemLength(IdBytes(id)) == 0; }

}  // namespace

TShellNamespace& ShellNamespace() { return *process_namespace; }

void SetShellNamespace(TShellNamespace* services) {
  process_namespace = services ? services : &byte_namespace;
}

int CompareIdLists(const ItemIdList* a, const ItemIdList* b) {
  if (!a || !b) return (!a && !b) ? 0 : -1;
  const bool empty_a = IsEmpty(a);
  const bool empty_b = IsEmpty(b);
  if (empty_a || empty_b) return (empty_a && empty_b) ? 0 : -1;
  return ShellNamespace().CompareAbsoluteIds(a, b);
}

}  // namespace tw
