#pragma once
// TPropsStorage turns published properties of components into named text values and back
// through three callbacks (read a string, write a string, erase a section), so that one piece of
// code stores into the registry or an INI file alike. Value names are Prefix + property name;
// nested objects, string lists and collections get names or subsections of their own.

#include <functional>
#include <memory>
#include <string>

#include "framework/type_info.h"

namespace tw {

class TCollection;
class TComponent;
class TPersistent;
class TStrings;

using TReadStrEvent =
    std::function<std::string(const std::string& Section, const std::string& Item, const std::string& Default)>;
using TWriteStrEvent =
    std::function<void(const std::string& Section, const std::string& Item, const std::string& Value)>;
using TEraseSectEvent = std::function<void(const std::string& Section)>;

// A stored count of lines or items above this is treated as unreadable: it would make a load
// read or create millions of entries from one damaged value.
inline constexpr int kMaxStoredItems = 65536;

// Finds an open form (or data module) by name for component references to other forms; set by
// the windowing side. Without it only the storage's own Owner is found by name.
using TFindGlobalComponent = std::function<TComponent*(const std::string& Name)>;
void SetFindGlobalComponent(TFindGlobalComponent find);

class TPropsStorage : public TObject {
public:
  TPropsStorage() = default;
  std::string ClassName() const override { return "TPropsStorage"; }

  TObject* Object() const { return object_; }
  void SetObject(TObject* value) { object_ = value; }
  TComponent* Owner() const { return owner_; }
  const std::string& Prefix() const { return prefix_; }
  void SetPrefix(const std::string& value) { prefix_ = value; }
  const std::string& Section() const { return section_; }
  void SetSection(const std::string& value) { section_ = value; }

  TReadStrEvent OnReadString;
  TWriteStrEvent OnWriteString;
  TEraseSectEvent OnEraseSection;

  // Stores (loads) every property named by the "Component.Property" lines of STORED_PROPS whose
  // component is attached to its line; component names are resolved against OWNER. Loading
  // never fails: a property whose stored text cannot be read keeps its value. Storing passes on
  // the callbacks' failures.
  void StoreObjectsProps(TComponent* Owner, TStrings& StoredProps);
  void LoadObjectsProps(TComponent* Owner, TStrings& StoredProps);

  // One property of Object, named Prefix + its name.
  void StoreProperty(const TPropInfo& PropInfo);
  void LoadProperty(const TPropInfo& PropInfo);
  // Every listed property of OBJECT on a nested storage with PREFIX and SECTION.
  void StoreAnyProperty(TPersistent* Object, const std::string& Prefix, const std::string& ASection);
  void LoadAnyProperty(TPersistent* Object, const std::string& Prefix, const std::string& ASection);

  virtual std::string ReadString(const std::string& ASection, const std::string& Item,
                                 const std::string& Default);
  virtual void WriteString(const std::string& ASection, const std::string& Item, const std::string& Value);
  virtual void EraseSection(const std::string& ASection);
  virtual std::string GetItemName(const std::string& PropName);
  // The storage for a nested object; it inherits the callbacks and the Owner.
  virtual std::unique_ptr<TPropsStorage> CreateStorage();

private:
  // The text of a class-kind property holding a component reference.
  std::string ComponentText(TComponent* component) const;
  void LoadComponentReference(const TPropInfo& prop, const std::string& text);
  std::string Subsection(const TPropInfo& prop);
  void StoreStringList(const TPropInfo& prop, TStrings& list);
  void LoadStringList(const TPropInfo& prop, TStrings& list);
  void StoreCollection(const TPropInfo& prop, TCollection& collection);
  void LoadCollection(const TPropInfo& prop, TCollection& collection);
  std::unique_ptr<TPropsStorage> Nested(TPersistent* object, const std::string& prefix,
                                        const std::string& section);
  template <class Action>
  void ForEachStoredProperty(TComponent* owner, TStrings& stored_props, Action action);

  TObject* object_ = nullptr;
  TComponent* owner_ = nullptr;
  std::string prefix_;
  std::string section_;
};

// Whether PROP holds a component reference (as opposed to an owned object stored in place).
bool IsComponentReference(const TPropInfo& prop, const TObject* value);

}  // namespace tw
