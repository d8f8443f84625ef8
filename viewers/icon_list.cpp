#include "viewers/icon_list.h"

#include <algorithm>
#include <utility>

#include "framework/exception.h"
#include "framework/stream.h"
#include "framework/string_table.h"

namespace tw {
namespace {

// Ends an update bracket also when the bracketed work fails.
class UpdateBracket {
public:
  explicit UpdateBracket(TIconList& list) : list_(list) { list_.BeginUpdate(); }
  ~UpdateBracket() { list_.EndUpdate(); }
  UpdateBracket(const UpdateBracket&) = delete;
  UpdateBracket& operator=(const UpdateBracket&) = delete;

private:
  TIconList& list_;
};

void Write32(TStream& stream, std::int32_t value) {
  const std::uint8_t b[4] = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                             static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
  stream.WriteBuffer(b, 4);
}

std::int32_t Read32(TStream& stream) {
  std::uint8_t b[4];
  stream.ReadBuffer(b, 4);
  return static_cast<std::int32_t>(b[0] | b[1] << 8 | b[2] << 16 | static_cast<std::uint32_t>(b[3]) << 24);
}

}  // namespace

TIconList::~TIconList() {
  for (auto& icon : items_) Detach(icon.get());
}

void TIconList::BeginUpdate() { ++update_count_; }

void TIconList::EndUpdate() {
  if (update_count_ > 0 && --update_count_ == 0) Changed();
}

void TIconList::Changed() {
  if (update_count_ == 0 && OnChange) OnChange(this);
}

void TIconList::CheckIndex(int index) const {
  if (index < 0 || index >= Count()) throw EListError(FmtLoadStr(SListIndexError, index));
}

void TIconList::Detach(TIconImage* icon) {
  if (icon) icon->OnChange = nullptr;
}

std::unique_ptr<TIconImage> TIconList::NewIcon(const TIconImage* source) {
  if (!source) return nullptr;
  auto icon = std::make_unique<TIconImage>();
  icon->Assign(*source);
  icon->OnChange = [this](TObject*) { Changed(); };
  return icon;
}

TIconImage* TIconList::Get(int index) const {
  CheckIndex(index);
  return items_[static_cast<std::size_t>(index)].get();
}

void TIconList::Put(int index, const TIconImage* icon) {
  UpdateBracket bracket(*this);
  if (index == Count()) Add(nullptr);
  CheckIndex(index);
  auto& slot = items_[static_cast<std::size_t>(index)];
  if (!slot) {
    slot = std::make_unique<TIconImage>();
    slot->OnChange = [this](TObject*) { Changed(); };
  }
  if (icon)
    slot->Assign(*icon);
  else
    slot->Clear();
}

int TIconList::Add(const TIconImage* icon) {
  items_.push_back(NewIcon(icon));
  Changed();
  return Count() - 1;
}

void TIconList::Insert(int index, const TIconImage* icon) {
  if (index != Count()) CheckIndex(index);
  items_.insert(items_.begin() + index, NewIcon(icon));
  Changed();
}

void TIconList::Delete(int index) {
  CheckIndex(index);
  Detach(items_[static_cast<std::size_t>(index)].get());
  items_.erase(items_.begin() + index);
  Changed();
}

void TIconList::Clear() {
  UpdateBracket bracket(*this);
  for (int i = Count() - 1; i >= 0; --i) Delete(i);
}

void TIconList::Exchange(int index1, int index2) {
  CheckIndex(index1);
  CheckIndex(index2);
  std::swap(items_[static_cast<std::size_t>(index1)], items_[static_cast<std::size_t>(index2)]);
  Changed();
}

void TIconList::Move(int from, int to) {
  if (from == to) return;
  CheckIndex(from);
  CheckIndex(to);
  auto icon = std::move(items_[static_cast<std::size_t>(from)]);
  items_.erase(items_.begin() + from);
  items_.insert(items_.begin() + to, std::move(icon));
  Changed();
}

int TIconList::IndexOf(const TIconImage* icon) const {
  for (int i = 0; i < Count(); ++i)
    if (items_[static_cast<std::size_t>(i)].get() == icon) return i;
  return -1;
}

void TIconList::LoadFromStream(TStream& stream) {
  UpdateBracket bracket(*this);
  Clear();
  const std::int32_t count = Read32(stream);
  for (std::int32_t i = 0; i < count; ++i) {
    const std::int32_t size = Read32(stream);
    if (size <= 0) {
      Add(nullptr);
      continue;
    }
    // The size is checked against the data present before anything is allocated for it.
    if (size > stream.Size() - stream.Position()) throw EReadError(LoadStr(SReadError));
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    stream.ReadBuffer(bytes.data(), size);
    TIconImage icon;
    icon.LoadFromBytes(std::move(bytes));
    Add(&icon);
  }
}

void TIconList::SaveToStream(TStream& stream) const {
  Write32(stream, Count());
  for (const auto& icon : items_) {
    if (!icon || icon->Empty()) {
      Write32(stream, 0);
      continue;
    }
    Write32(stream, static_cast<std::int32_t>(icon->Bytes().size()));
    icon->SaveToStream(stream);
  }
}

void TIconList::Assign(const TPersistent& source) {
  if (&source == this) return;
  if (const auto* list = dynamic_cast<const TIconList*>(&source)) {
    UpdateBracket bracket(*this);
    Clear();
    for (const auto& icon : list->items_) Add(icon.get());
    return;
  }
  if (const auto* icon = dynamic_cast<const TIconImage*>(&source)) {
    UpdateBracket bracket(*this);
    Clear();
    Add(icon);
    return;
  }
  TPersistent::Assign(source);
}

void TIconList::DefineProperties(TFiler& filer) {
  TPersistent::DefineProperties(filer);
  filer.DefineBinaryProperty(
      "Icons", [this](TStream& s) { LoadFromStream(s); }, [this](TStream& s) { SaveToStream(s); }, Count() > 0);
}

}  // namespace tw
