#pragma once
// Collections: an ordered list of items of one class that the collection creates and frees.
// Items are persistent objects with published properties of their own, so settings storage
// can store each of them.

#include <functional>
#include <string>
#include <vector>

#include "framework/persistent.h"

namespace tw {

class TCollection;

class TCollectionItem : public TPersistent {
public:
  // Joins COLLECTION (may be null) at its end.
  explicit TCollectionItem(TCollection* collection);
  ~TCollectionItem() override;
  TCollectionItem(const TCollectionItem&) = delete;
  TCollectionItem& operator=(const TCollectionItem&) = delete;

  std::string ClassName() const override { return "TCollectionItem"; }
  TCollection* Collection() const { return collection_; }
  void SetCollection(TCollection* collection);
  // The position in the collection, -1 outside one; SetIndex moves the item.
  int Index() const;
  void SetIndex(int index);

protected:
  // Tells the collection that this item (or, with ALL_ITEMS, every item) changed.
  void Changed(bool all_items);

private:
  friend class TCollection;
  TCollection* collection_ = nullptr;
};

class TCollection : public TPersistent {
public:
  // Makes the collection's new items; each item joins the collection it is given.
  using TItemFactory = std::function<TCollectionItem*(TCollection* collection)>;
  template <class Item>
  static TItemFactory ItemsOf() {
    return [](TCollection* collection) { return new Item(collection); };
  }

  explicit TCollection(TItemFactory item_factory);
  ~TCollection() override;
  TCollection(const TCollection&) = delete;
  TCollection& operator=(const TCollection&) = delete;

  std::string ClassName() const override { return "TCollection"; }
  TCollectionItem* Add();
  void Clear();
  void Delete(int index);
  int Count() const { return static_cast<int>(items_.size()); }
  // Fails with EListError for an index outside 0..Count-1.
  TCollectionItem* Items(int index) const;

  // Changes between BeginUpdate and the matching EndUpdate end in one Update(null).
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return update_count_; }

  // From another collection: as many items, each assigned from its counterpart.
  void Assign(const TPersistent& source) override;

  // Called after a change: ITEM is the changed item, or null when the whole list changed.
  std::function<void(TCollection& collection, TCollectionItem* item)> OnUpdate;

protected:
  virtual void Update(TCollectionItem* item);
  void Changed();

private:
  friend class TCollectionItem;
  void InsertItem(TCollectionItem* item);
  void RemoveItem(TCollectionItem* item);

  TItemFactory item_factory_;
  std::vector<TCollectionItem*> items_;
  int update_count_ = 0;
};

}  // namespace tw
