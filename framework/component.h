#pragma once
// Components: persistent objects that can own other components and free them, carry a name
// unique among their owner's components, and tell each other when one goes away.

#include <cstdint>
#include <string>
#include <vector>

#include "framework/persistent.h"

namespace tw {

enum TOperation { opInsert, opRemove };

enum TComponentStateFlag : unsigned {
  csLoading = 1u << 0,
  csDestroying = 1u << 1,
  // Always clear: the program has no design time.
  csDesigning = 1u << 2,
};
using TComponentState = unsigned;

class TReader;

class TComponent : public TPersistent {
public:
  // OWNER (may be null) takes the new component into its list and frees it in turn.
  explicit TComponent(TComponent* owner);
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  std::string ClassName() const override { return "TComponent"; }

  TComponent* Owner() const { return owner_; }
  const std::string& Name() const { return name_; }
  // Fails with EComponentError when NEW_NAME is not an identifier (the empty name is allowed)
  // or another component of the same owner has it (compared ignoring case).
  virtual void SetName(const std::string& new_name);
  std::intptr_t Tag() const { return tag_; }
  void SetTag(std::intptr_t tag) { tag_ = tag; }

  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* Components(int index) const;
  // The position in the owner's list, -1 without an owner.
  int ComponentIndex() const;
  // The owned component named NAME (ignoring case), or null.
  TComponent* FindComponent(const std::string& name) const;

  void InsertComponent(TComponent* component);
  void RemoveComponent(TComponent* component);

  // Asks for Notification(this-to-be-freed, opRemove) when COMPONENT is destroyed, and tells
  // COMPONENT when this one is. Either side may undo it with RemoveFreeNotification.
  void FreeNotification(TComponent* component);
  void RemoveFreeNotification(TComponent* component);

  TComponentState ComponentState() const { return state_; }
  bool HasState(TComponentStateFlag flag) const { return (state_ & flag) != 0; }

  // The load step of a component built in code, as reading it from a stream brackets it:
  // BeginLoad marks this component and everything it owns (at every depth) as loading; EndLoad
  // runs Loaded on every one still loading, the owned ones first in the order they were made,
  // this one last. So links and stored values resolve once all the components exist.
  void BeginLoad();
  void EndLoad();

  // Marks this component and everything it owns as being destroyed. The destructor does it;
  // a derived destructor may call it first so that its own teardown sees the flag.
  void Destroying();

protected:
  // Called on the owner (and passed down to every owned component) when a component is
  // inserted or removed, and on free-notification partners when one is destroyed.
  virtual void Notification(TComponent* component, TOperation operation);
  // Called when a component stream has finished setting the properties; clears csLoading.
  virtual void Loaded();

private:
  friend class TReader;

  void Insert(TComponent* component);
  void Remove(TComponent* component);
  void ValidateRename(const std::string& new_name) const;
  void DropFreeNotifyLink(TComponent* component);

  TComponent* owner_ = nullptr;
  std::string name_;
  std::intptr_t tag_ = 0;
  TComponentState state_ = 0;
  std::vector<TComponent*> components_;
  std::vector<TComponent*> free_notifies_;
};

}  // namespace tw
