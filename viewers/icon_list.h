#pragma once
// A change-notifying list of icons that stores itself in the component stream as the binary
// property "Icons". Entries may be empty (no icon object). Every icon's own change notification
// is routed to the list's Changed while the icon belongs to the list.

#include <cstdint>
#include <memory>
#include <vector>

#include "framework/events.h"
#include "framework/persistent.h"
#include "viewers/ani_icon.h"

namespace tw {

class TStream;

class TIconList : public TPersistent {
public:
  TIconList() = default;
  TIconList(const TIconList&) = delete;
  TIconList& operator=(const TIconList&) = delete;
  ~TIconList() override;

  std::string ClassName() const override { return "TIconList"; }

  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return update_count_; }

  // The entry at INDEX (nullptr for an empty entry); EListError "List index out of bounds (%d)"
  // outside 0..Count-1.
  virtual TIconImage* Get(int index) const;
  virtual int Count() const { return static_cast<int>(items_.size()); }
  // Makes entry INDEX a copy of ICON; INDEX = Count appends.
  virtual void Put(int index, const TIconImage* icon);
  // Appends a copy of ICON (an empty entry for nullptr); returns the new index.
  virtual int Add(const TIconImage* icon);
  virtual void Clear();
  virtual void Delete(int index);
  virtual void Exchange(int index1, int index2);
  virtual int IndexOf(const TIconImage* icon) const;
  virtual void Insert(int index, const TIconImage* icon);
  virtual void Move(int from, int to);
  // The list as stored in the "Icons" property: a 32-bit count, then each entry as a 32-bit
  // size and that many bytes of icon file image (size 0 for an empty entry or empty icon).
  virtual void LoadFromStream(TStream& stream);
  virtual void SaveToStream(TStream& stream) const;

  // From another icon list (copies of its icons) or an icon (the only entry).
  void Assign(const TPersistent& source) override;
  // "Icons" is written when the list is not empty.
  void DefineProperties(TFiler& filer) override;

  TNotifyEvent OnChange;

protected:
  virtual void Changed();

private:
  std::unique_ptr<TIconImage> NewIcon(const TIconImage* source);
  void CheckIndex(int index) const;
  static void Detach(TIconImage* icon);

  std::vector<std::unique_ptr<TIconImage>> items_;
  int update_count_ = 0;
};

}  // namespace tw
