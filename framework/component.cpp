#include "framework/component.h"

#include <algorithm>

#include "framework/exception.h"
#include "framework/string_table.h"
#include "framework/text.h"
#include "framework/type_info.h"

namespace tw {

namespace {
const bool kRegistered =
    TTypeRegistry::Class<TPersistent>("TPersistent", "").Done() &&
    TTypeRegistry::Class<TComponent>("TComponent", "TPersistent")
        .String("Name", &TComponent::Name, &TComponent::SetName)
        .Integer("Tag", &TComponent::Tag, &TComponent::SetTag, 0)
        .Done();
}  // namespace

TComponent::TComponent(TComponent* owner) {
  if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() {
  Destroying();
  // Partners first, while every owned component still exists to hear about it.
  while (!free_notifies_.empty()) {
    TComponent* partner = free_notifies_.back();
    free_notifies_.pop_back();
    partner->DropFreeNotifyLink(this);
    partner->Notification(this, opRemove);
  }
  while (!components_.empty()) {
    TComponent* child = components_.back();
    // Detach before deleting so the child does not notify a parent that is going away.
    Remove(child);
    delete child;
  }
  if (owner_) owner_->RemoveComponent(this);
}

TComponent* TComponent::Components(int index) const {
  if (index < 0 || index >= ComponentCount()) throw EListError(FmtLoadStr(SListIndexError, index));
  return components_[static_cast<std::size_t>(index)];
}

int TComponent::ComponentIndex() const {
  if (!owner_) return -1;
  const auto& list = owner_->components_;
  return static_cast<int>(std::find(list.begin(), list.end(), this) - list.begin());
}

TComponent* TComponent::FindComponent(const std::string& name) const {
  if (name.empty()) return nullptr;
  for (TComponent* c : components_)
    if (SameText(c->name_, name)) return c;
  return nullptr;
}

void TComponent::ValidateRename(const std::string& new_name) const {
  if (!new_name.empty() && !IsValidIdent(new_name))
    throw EComponentError(FmtLoadStr(SInvalidName, new_name));
  if (owner_ && !new_name.empty()) {
    const TComponent* other = owner_->FindComponent(new_name);
    if (other && other != this) throw EComponentError(FmtLoadStr(SDuplicateName, new_name));
  }
}

void TComponent::SetName(const std::string& new_name) {
  if (new_name == name_) return;
  ValidateRename(new_name);
  name_ = new_name;
}

void TComponent::InsertComponent(TComponent* component) {
  if (!component || component == this) return;
  if (!component->name_.empty() && FindComponent(component->name_))
    throw EComponentError(FmtLoadStr(SDuplicateName, component->name_));
  if (component->owner_) component->owner_->RemoveComponent(component);
  Insert(component);
  Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
  if (!component || component->owner_ != this) return;
  Notification(component, opRemove);
  Remove(component);
}

void TComponent::Insert(TComponent* component) {
  components_.push_back(component);
  component->owner_ = this;
}

void TComponent::Remove(TComponent* component) {
  components_.erase(std::remove(components_.begin(), components_.end(), component), components_.end());
  component->owner_ = nullptr;
}

void TComponent::FreeNotification(TComponent* component) {
  if (!component || component == this) return;
  if (std::find(free_notifies_.begin(), free_notifies_.end(), component) == free_notifies_.end())
    free_notifies_.push_back(component);
  auto& theirs = component->free_notifies_;
  if (std::find(theirs.begin(), theirs.end(), this) == theirs.end()) theirs.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* component) {
  if (!component) return;
  DropFreeNotifyLink(component);
  component->DropFreeNotifyLink(this);
}

void TComponent::DropFreeNotifyLink(TComponent* component) {
  free_notifies_.erase(std::remove(free_notifies_.begin(), free_notifies_.end(), component),
                       free_notifies_.end());
}

void TComponent::Destroying() {
  if (state_ & csDestroying) return;
  state_ |= csDestroying;
  for (TComponent* c : components_) c->Destroying();
}

void TComponent::Notification(TComponent* component, TOperation operation) {
  // A component that goes away must not stay in the list of partners to tell later.
  if (operation == opRemove && component) RemoveFreeNotification(component);
  // Index loop: a handler may remove components from the list while it runs.
  for (std::size_t i = 0; i < components_.size(); ++i) components_[i]->Notification(component, operation);
}

void TComponent::BeginLoad() {
  state_ |= csLoading;
  for (TComponent* c : components_) c->BeginLoad();
}

void TComponent::EndLoad() {
  // Index loop: a Loaded step may make components.
  for (std::size_t i = 0; i < components_.size(); ++i) components_[i]->EndLoad();
  if (state_ & csLoading) Loaded();
}

void TComponent::Loaded() { state_ &= ~static_cast<unsigned>(csLoading); }

}  // namespace tw
