#include "framework/collection.h"

#include <algorithm>

#include "framework/exception.h"
#include "framework/string_table.h"
#include "framework/type_info.h"

namespace tw {

namespace {
const bool kRegistered = TTypeRegistry::Class<TCollection>("TCollection", "TPersistent").Done() &&
                         TTypeRegistry::Class<TCollectionItem>("TCollectionItem", "TPersistent").Done();
}  // namespace

TCollectionItem::TCollectionItem(TCollection* collection) { SetCollection(collection); }

TCollectionItem::~TCollectionItem() { SetCollection(nullptr); }

void TCollectionItem::SetCollection(TCollection* collection) {
  if (collection == collection_) return;
  if (collection_) collection_->RemoveItem(this);
  if (collection) collection->InsertItem(this);
}

int TCollectionItem::Index() const {
  if (!collection_) return -1;
  const auto& items = collection_->items_;
  return static_cast<int>(std::find(items.begin(), items.end(), this) - items.begin());
}

void TCollectionItem::SetIndex(int index) {
  const int current = Index();
  if (current < 0 || index == current) return;
  auto& items = collection_->items_;
  index = std::clamp(index, 0, static_cast<int>(items.size()) - 1);
  items.erase(items.begin() + current);
  items.insert(items.begin() + index, this);
  Changed(true);
}

void TCollectionItem::Changed(bool all_items) {
  if (collection_ && collection_->update_count_ == 0) collection_->Update(all_items ? nullptr : this);
}

TCollection::TCollection(TItemFactory item_factory) : item_factory_(std::move(item_factory)) {}

TCollection::~TCollection() {
  update_count_ = 1;  // no Update calls while the collection goes away
  Clear();
}

TCollectionItem* TCollection::Add() {
  TCollectionItem* item = item_factory_(this);
  // A factory that did not put the item into this collection still hands it over.
  if (item->collection_ != this) item->SetCollection(this);
  return item;
}

void TCollection::Clear() {
  if (items_.empty()) return;
  BeginUpdate();
  while (!items_.empty()) delete items_.back();
  EndUpdate();
}

void TCollection::Delete(int index) { delete Items(index); }

TCollectionItem* TCollection::Items(int index) const {
  if (index < 0 || index >= Count()) throw EListError(FmtLoadStr(SListIndexError, index));
  return items_[static_cast<std::size_t>(index)];
}

void TCollection::BeginUpdate() { ++update_count_; }

void TCollection::EndUpdate() {
  if (update_count_ > 0 && --update_count_ == 0) Changed();
}

void TCollection::Assign(const TPersistent& source) {
  const auto* other = dynamic_cast<const TCollection*>(&source);
  if (!other) {
    TPersistent::Assign(source);
    return;
  }
  if (other == this) return;
  BeginUpdate();
  try {
    Clear();
    for (TCollectionItem* item : other->items_) Add()->Assign(*item);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TCollection::Update(TCollectionItem* item) {
  if (OnUpdate) OnUpdate(*this, item);
}

void TCollection::Changed() {
  if (update_count_ == 0) Update(nullptr);
}

void TCollection::InsertItem(TCollectionItem* item) {
  items_.push_back(item);
  item->collection_ = this;
  Changed();
}

void TCollection::RemoveItem(TCollectionItem* item) {
  items_.erase(std::remove(items_.begin(), items_.end(), item), items_.end());
  item->collection_ = nullptr;
  Changed();
}

}  // namespace tw
