#include "shell/shell_locator.h"

#include <cstring>

#include "framework/exception.h"
#include "framework/stream.h"
#include "framework/string_table.h"
#include "framework/type_info.h"
#include "shell/shell_namespace.h"

namespace tw {
namespace {

// Views publish their locators (BaseFolder, Folder) as object properties of this class.
const bool kRegistered = TTypeRegistry::Class<TPTShellLocator>("TPTShellLocator", "TPersistent").Done();

}  // namespace

const ItemIdList* TPTShellLocator::GetIdList() {
  if (kind_ == lkSpecialFolder && !id_) id_ = ShellNamespace().SpecialFolderIdList(special_folder_);
  return id_.Get();
}

std::string TPTShellLocator::GetPath() { return ShellNamespace().PathOfIdList(GetIdList()); }

void TPTShellLocator::SetIdList(const ItemIdList* id) {
  const bool was_special = kind_ == lkSpecialFolder;
  kind_ = lkIdList;
  bool changed;
  if (was_special) {
    changed = true;
  } else if (id_) {
    const int order = CompareIdLists(id_.Get(), id);
    changed = order != 0 && order != kIdCompareUnknown;
  } else {
    changed = id != nullptr;
  }
  // Copy before letting the old id go: ID may be the very list this locator holds.
  ShellItemId copy = IdListSize(id) > 2 ? CopyIdList(id) : ShellItemId();
  id_ = std::move(copy);
  special_folder_ = kNoSpecialFolder;
  if (changed) Changed();
}

bool TPTShellLocator::Equal(const TPTShellLocator& other) const {
  if (kind_ != other.kind_) return false;
  if (this == &other) return true;
  if (kind_ == lkIdList) return CompareIdLists(id_.Get(), other.id_.Get()) == 0;
  return special_folder_ == other.special_folder_;
}

void TPTShellLocator::Assign(const TPersistent* source) {
  if (source) {
    Assign(*source);
  } else if (id_) {
    id_.Reset();
    kind_ = lkIdList;
    Changed();
  }
}

void TPTShellLocator::Assign(const TPersistent& source) {
  const auto* other = dynamic_cast<const TPTShellLocator*>(&source);
  if (!other) {
    TPersistent::Assign(source);
    return;
  }
  if (Equal(*other)) return;
  kind_ = other->kind_;
  if (kind_ == lkSpecialFolder) {
    id_.Reset();
    special_folder_ = other->special_folder_;
  } else {
    // The desktop stays "no id", so that it still equals and stores as the desktop.
    id_ = other->id_ ? CopyIdList(other->id_.Get()) : ShellItemId();
    special_folder_ = other->special_folder_;
  }
  Changed();
}

void TPTShellLocator::DefineProperties(TFiler& filer) {
  filer.DefineBinaryProperty(
      "Pidl", [this](TStream& stream) { ReadPidl(stream); },
      [this](TStream& stream) { WritePidl(stream); }, HasData());
}

void TPTShellLocator::ReadPidl(TStream& stream) {
  std::uint8_t kind = 0;
  stream.ReadBuffer(&kind, 1);
  if (kind != 0) {
    std::uint8_t csidl = 0;
    stream.ReadBuffer(&csidl, 1);
    // A list held from before designates some other place: the folder is resolved anew.
    id_.Reset();
    kind_ = lkSpecialFolder;
    special_folder_ = csidl;
    return;
  }
  std::uint8_t length_bytes[4];
  stream.ReadBuffer(length_bytes, 4);
  const std::uint32_t length = length_bytes[0] | (length_bytes[1] << 8) |
                               (length_bytes[2] << 16) | (std::uint32_t{length_bytes[3]} << 24);
  ShellItemId id;
  if (length != 0) {
    // Never trust the length with an allocation larger than the data actually present.
    if (length > stream.Size() - stream.Position()) throw EReadError(LoadStr(SReadError));
    auto* block = static_cast<std::uint8_t*>(ShellAllocator().Alloc(length));
    if (!block) throw EOutOfResources(LoadStr(SOutOfResources));
    id = ShellItemId::Adopt(reinterpret_cast<ItemIdList*>(block));
    stream.ReadBuffer(block, length);
    TIdListShape shape;
    if (!MeasureIdList(block, length, shape)) throw EReadError(LoadStr(SReadError));
    if (shape.count == 0) id.Reset();  // the desktop is held as no id
  }
  id_ = std::move(id);
  kind_ = lkIdList;
}

void TPTShellLocator::WritePidl(TStream& stream) const {
  const std::uint8_t kind = kind_;
  stream.WriteBuffer(&kind, 1);
  if (kind_ == lkSpecialFolder) {
    stream.WriteBuffer(&special_folder_, 1);
    return;
  }
  const auto length = static_cast<std::uint32_t>(IdListSize(id_.Get()));
  const std::uint8_t length_bytes[4] = {
      static_cast<std::uint8_t>(length), static_cast<std::uint8_t>(length >> 8),
      static_cast<std::uint8_t>(length >> 16), static_cast<std::uint8_t>(length >> 24)};
  stream.WriteBuffer(length_bytes, 4);
  if (length) stream.WriteBuffer(id_.Bytes(), length);
}

void TPTShellLocator::Changed() {
  if (on_change_) on_change_(this);
}

}  // namespace tw
