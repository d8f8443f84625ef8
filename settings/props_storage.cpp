#include "settings/props_storage.h"

#include <map>

#include "framework/collection.h"
#include "framework/component.h"
#include "framework/exception.h"
#include "framework/persistent.h"
#include "framework/string_table.h"
#include "framework/strings.h"
#include "framework/text.h"
#include "settings/prop_info_list.h"
#include "settings/property_text.h"
#include "settings/stored_props.h"

namespace tw {

namespace {

TFindGlobalComponent& GlobalFinder() {
  static TFindGlobalComponent find;
  return find;
}

// A stored count: the number, or FALLBACK when the text is no number or out of range.
int StoredCount(const std::string& text, int fallback) {
  std::int32_t value = 0;
  if (!ParseIntegerText(Trim(text), value) || value < 0 || value > kMaxStoredItems) return fallback;
  return value;
}

class CollectionUpdate {
public:
  explicit CollectionUpdate(TCollection& collection) : collection_(collection) { collection_.BeginUpdate(); }
  ~CollectionUpdate() { collection_.EndUpdate(); }
  CollectionUpdate(const CollectionUpdate&) = delete;
  CollectionUpdate& operator=(const CollectionUpdate&) = delete;

private:
  TCollection& collection_;
};

// A reference without "(null)" stored for it would leave an older stored name in place, and a
// load would bring back a component that was no longer referenced when the settings were saved.
constexpr const char* kNullReference = "(null)";

}  // namespace

void SetFindGlobalComponent(TFindGlobalComponent find) { GlobalFinder() = std::move(find); }

bool IsComponentReference(const TPropInfo& prop, const TObject* value) {
  if (dynamic_cast<const TComponent*>(value)) return true;
  return prop.PropType && TTypeRegistry::Instance().InheritsFrom(prop.PropType->ClassName, "TComponent");
}

std::string TPropsStorage::ReadString(const std::string& ASection, const std::string& Item,
                                      const std::string& Default) {
  return OnReadString ? OnReadString(ASection, Item, Default) : std::string();
}

void TPropsStorage::WriteString(const std::string& ASection, const std::string& Item,
                                const std::string& Value) {
  if (OnWriteString) OnWriteString(ASection, Item, Value);
}

void TPropsStorage::EraseSection(const std::string& ASection) {
  if (OnEraseSection) OnEraseSection(ASection);
}

std::string TPropsStorage::GetItemName(const std::string& PropName) { return prefix_ + PropName; }

std::unique_ptr<TPropsStorage> TPropsStorage::CreateStorage() { return std::make_unique<TPropsStorage>(); }

std::unique_ptr<TPropsStorage> TPropsStorage::Nested(TPersistent* object, const std::string& prefix,
                                                     const std::string& section) {
  std::unique_ptr<TPropsStorage> storage = CreateStorage();
  storage->object_ = object;
  storage->owner_ = owner_;
  storage->prefix_ = prefix;
  storage->section_ = section;
  storage->OnReadString = OnReadString;
  storage->OnWriteString = OnWriteString;
  storage->OnEraseSection = OnEraseSection;
  return storage;
}

template <class Action>
void TPropsStorage::ForEachStoredProperty(TComponent* owner, TStrings& stored_props, Action action) {
  UpdateStoredList(owner, stored_props, false);
  std::map<TComponent*, TPropInfoList> lists;
  struct RunGuard {
    TPropsStorage& storage;
    ~RunGuard() {
      storage.owner_ = nullptr;
      storage.object_ = nullptr;
    }
  } guard{*this};
  owner_ = owner;
  for (int i = 0; i < stored_props.Count(); ++i) {
    std::string component_name, property_name;
    auto* component = dynamic_cast<TComponent*>(stored_props.GetObjectAt(i));
    if (!component || !ParseStoredItem(stored_props.Get(i), component_name, property_name)) continue;
    auto list = lists.try_emplace(component, *component).first;
    const TPropInfo* prop = list->second.Find(property_name);
    if (!prop) continue;
    object_ = component;
    prefix_ = component->Name() + "_";
    action(*prop);
  }
}

void TPropsStorage::StoreObjectsProps(TComponent* Owner, TStrings& StoredProps) {
  ForEachStoredProperty(Owner, StoredProps, [this](const TPropInfo& prop) { StoreProperty(prop); });
}

void TPropsStorage::LoadObjectsProps(TComponent* Owner, TStrings& StoredProps) {
  ForEachStoredProperty(Owner, StoredProps, [this](const TPropInfo& prop) { LoadProperty(prop); });
}

std::string TPropsStorage::Subsection(const TPropInfo& prop) {
  return Format("%s.%s", section_, GetItemName(prop.Name));
}

std::string TPropsStorage::ComponentText(TComponent* component) const {
  if (!component) return kNullReference;
  TComponent* owner = component->Owner();
  if (!owner || owner == owner_) return component->Name();
  std::string owner_name = owner->Name();
  if (owner_name.empty()) {
    owner_name = owner->ClassName();
    if (!owner_name.empty() && (owner_name[0] == 'T' || owner_name[0] == 't')) owner_name.erase(0, 1);
  }
  return Format("%s.%s", owner_name, component->Name());
}

void TPropsStorage::StoreProperty(const TPropInfo& PropInfo) {
  if (!object_) return;
  std::string text;
  if (PropInfo.Kind() == tkClass) {
    TObject* value = GetObjectProp(*object_, PropInfo);
    if (IsComponentReference(PropInfo, value)) {
      text = ComponentText(dynamic_cast<TComponent*>(value));
    } else if (auto* list = dynamic_cast<TStrings*>(value)) {
      StoreStringList(PropInfo, *list);
      return;
    } else if (auto* collection = dynamic_cast<TCollection*>(value)) {
      StoreCollection(PropInfo, *collection);
      return;
    } else if (auto* persistent = dynamic_cast<TPersistent*>(value)) {
      StoreAnyProperty(persistent, prefix_ + PropInfo.Name, section_);
      return;
    } else {
      return;
    }
  } else {
    text = PropertyValueText(*object_, PropInfo);
  }
  if (text.empty() && PropInfo.Kind() != tkString) return;
  WriteString(section_, GetItemName(PropInfo.Name), Trim(text));
}

void TPropsStorage::LoadProperty(const TPropInfo& PropInfo) {
  if (!object_) return;
  try {
    if (PropInfo.Kind() == tkClass) {
      TObject* value = GetObjectProp(*object_, PropInfo);
      if (IsComponentReference(PropInfo, value)) {
        LoadComponentReference(PropInfo, Trim(ReadString(section_, GetItemName(PropInfo.Name), "")));
      } else if (auto* list = dynamic_cast<TStrings*>(value)) {
        LoadStringList(PropInfo, *list);
      } else if (auto* collection = dynamic_cast<TCollection*>(value)) {
        LoadCollection(PropInfo, *collection);
      } else if (auto* persistent = dynamic_cast<TPersistent*>(value)) {
        LoadAnyProperty(persistent, prefix_ + PropInfo.Name, section_);
      }
      return;
    }
    const std::string current = PropertyValueText(*object_, PropInfo);
    std::string text;
    if (!current.empty() || PropInfo.Kind() == tkString)
      text = Trim(ReadString(section_, GetItemName(PropInfo.Name), current));
    SetPropertyValueText(*object_, PropInfo, text);
  } catch (...) {
    // A value that cannot be read or set leaves the property as it was.
  }
}

void TPropsStorage::LoadComponentReference(const TPropInfo& prop, const std::string& text) {
  if (text.empty()) return;
  if (SameText(text, kNullReference)) {
    SetObjectProp(*object_, prop, nullptr);
    return;
  }
  TComponent* owner = owner_;
  std::string name = text;
  if (const std::size_t dot = text.find('.'); dot != std::string::npos) {
    const std::string owner_name = text.substr(0, dot);
    name = text.substr(dot + 1);
    owner = nullptr;
    if (GlobalFinder()) owner = GlobalFinder()(owner_name);
    if (!owner && owner_ && SameText(owner_->Name(), owner_name)) owner = owner_;
  }
  if (owner) SetObjectProp(*object_, prop, owner->FindComponent(name));
}

void TPropsStorage::StoreStringList(const TPropInfo& prop, TStrings& list) {
  const std::string subsection = Subsection(prop);
  EraseSection(subsection);
  if (list.Count() == 0) return;
  WriteString(subsection, "Count", std::to_string(list.Count()));
  for (int i = 0; i < list.Count(); ++i) WriteString(subsection, Format("Item%d", i), list.Get(i));
}

void TPropsStorage::LoadStringList(const TPropInfo& prop, TStrings& list) {
  const std::string subsection = Subsection(prop);
  const int count = StoredCount(ReadString(subsection, "Count", "0"), 0);
  if (count <= 0) return;
  TStringList lines;
  for (int i = 0; i < count; ++i) lines.Add(ReadString(subsection, Format("Item%d", i), ""));
  list.Assign(lines);
}

void TPropsStorage::StoreCollection(const TPropInfo& prop, TCollection& collection) {
  const std::string subsection = Subsection(prop);
  EraseSection(subsection);
  // The count carries the component prefix: two components' collections of the same name in one
  // section must not share one count.
  WriteString(section_, Format("%s.%s", GetItemName(prop.Name), "Count"), std::to_string(collection.Count()));
  for (int k = 0; k < collection.Count(); ++k)
    StoreAnyProperty(collection.Items(k), Format("Item%d_", k), subsection);
}

void TPropsStorage::LoadCollection(const TPropInfo& prop, TCollection& collection) {
  const std::string subsection = Subsection(prop);
  CollectionUpdate update(collection);
  const std::string current = std::to_string(collection.Count());
  const int count = StoredCount(
      ReadString(section_, Format("%s.%s", GetItemName(prop.Name), "Count"), current), collection.Count());
  if (count != collection.Count()) {
    collection.Clear();
    for (int k = 0; k < count; ++k) collection.Add();
  }
  for (int k = 0; k < collection.Count(); ++k)
    LoadAnyProperty(collection.Items(k), Format("Item%d_", k), subsection);
}

void TPropsStorage::StoreAnyProperty(TPersistent* Object, const std::string& Prefix,
                                     const std::string& ASection) {
  if (!Object) return;
  std::unique_ptr<TPropsStorage> storage = Nested(Object, Prefix, ASection);
  const TPropInfoList list(*Object);
  for (int i = 0; i < list.Count(); ++i) storage->StoreProperty(*list.Items(i));
}

void TPropsStorage::LoadAnyProperty(TPersistent* Object, const std::string& Prefix,
                                    const std::string& ASection) {
  if (!Object) return;
  std::unique_ptr<TPropsStorage> storage = Nested(Object, Prefix, ASection);
  const TPropInfoList list(*Object);
  for (int i = 0; i < list.Count(); ++i) storage->LoadProperty(*list.Items(i));
}

}  // namespace tw
