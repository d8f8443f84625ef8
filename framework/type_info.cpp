#include "framework/type_info.h"

#include <algorithm>

#include "framework/string_table.h"
#include "framework/text.h"

namespace tw {

PTypeInfo EnumerationType(std::string name, std::vector<std::string> names) {
  auto t = std::make_shared<TTypeInfo>();
  t->Name = std::move(name);
  t->Kind = tkEnumeration;
  t->MinValue = 0;
  t->MaxValue = static_cast<std::int64_t>(names.size()) - 1;
  t->Names = std::move(names);
  return t;
}

PTypeInfo SetType(std::string name, PTypeInfo element) {
  auto t = std::make_shared<TTypeInfo>();
  t->Name = std::move(name);
  t->Kind = tkSet;
  t->ElementType = std::move(element);
  return t;
}

PTypeInfo BooleanType() {
  static const PTypeInfo type = EnumerationType("Boolean", {"False", "True"});
  return type;
}

std::string GetEnumName(const TTypeInfo& type, std::int64_t value) {
  if (value < type.MinValue || value > type.MaxValue) return {};
  const auto index = static_cast<std::size_t>(value - type.MinValue);
  return index < type.Names.size() ? type.Names[index] : std::string();
}

std::int64_t GetEnumValue(const TTypeInfo& type, const std::string& name) {
  for (std::size_t i = 0; i < type.Names.size(); ++i)
    if (SameText(type.Names[i], name)) return type.MinValue + static_cast<std::int64_t>(i);
  return -1;
}

namespace detail {

void ThrowWrongObject(const TObject& object, const std::string& property) {
  throw EPropertyError(LoadStr(SInvalidPropertyValue) + ": " + object.ClassName() + "." + property);
}

PTypeInfo SimpleType(TTypeKind kind, const char* name) {
  auto t = std::make_shared<TTypeInfo>();
  t->Name = name;
  t->Kind = kind;
  return t;
}

PTypeInfo FloatTypeInfo(TFloatType type) {
  static const char* const names[] = {"Single", "Double", "Extended", "Comp", "Currency"};
  auto t = std::make_shared<TTypeInfo>();
  t->Name = names[type];
  t->Kind = tkFloat;
  t->FloatType = type;
  return t;
}

PTypeInfo ClassTypeInfo(const std::string& class_name) {
  auto t = std::make_shared<TTypeInfo>();
  t->Name = class_name;
  t->Kind = tkClass;
  t->ClassName = class_name;
  return t;
}

TPropInfo& AddProperty(TClassInfo& info, const std::string& name, PTypeInfo type) {
  // Registering the same name again in one class replaces the earlier entry in its place.
  for (TPropInfo& p : info.Properties)
    if (SameText(p.Name, name)) {
      p = TPropInfo{};
      p.Name = name;
      p.PropType = std::move(type);
      return p;
    }
  TPropInfo& p = info.Properties.emplace_back();
  p.Name = name;
  p.PropType = std::move(type);
  return p;
}

}  // namespace detail

TTypeRegistry& TTypeRegistry::Instance() {
  static TTypeRegistry registry;
  return registry;
}

TClassInfo& TTypeRegistry::Entry(const std::string& name, const std::string& parent) {
  for (auto& c : classes_)
    if (c->ClassName == name) {
      if (!parent.empty()) c->ParentName = parent;
      return *c;
    }
  auto& c = classes_.emplace_back(std::make_unique<TClassInfo>());
  c->ClassName = name;
  c->ParentName = parent;
  return *c;
}

const TClassInfo* TTypeRegistry::FindClass(const std::string& class_name) const {
  for (const auto& c : classes_)
    if (c->ClassName == class_name) return c.get();
  return nullptr;
}

bool TTypeRegistry::InheritsFrom(const std::string& class_name, const std::string& ancestor) const {
  // The step bound keeps a mistaken cycle of parent names from looping forever.
  std::string name = class_name;
  for (std::size_t steps = 0; steps <= classes_.size() && !name.empty(); ++steps) {
    if (name == ancestor) return true;
    const TClassInfo* info = FindClass(name);
    if (!info) return false;
    name = info->ParentName;
  }
  return false;
}

std::vector<const TPropInfo*> TTypeRegistry::PropertyList(const std::string& class_name,
                                                          std::initializer_list<TTypeKind> kinds) const {
  std::vector<const TClassInfo*> chain;
  for (const TClassInfo* info = FindClass(class_name); info && chain.size() <= classes_.size();
       info = FindClass(info->ParentName))
    chain.push_back(info);

  std::vector<const TPropInfo*> list;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it)
    for (const TPropInfo& p : (*it)->Properties) {
      auto same = std::find_if(list.begin(), list.end(),
                               [&](const TPropInfo* q) { return SameText(q->Name, p.Name); });
      if (same != list.end())
        *same = &p;
      else
        list.push_back(&p);
    }
  if (kinds.size() != 0)
    std::erase_if(list, [&](const TPropInfo* p) {
      return std::find(kinds.begin(), kinds.end(), p->Kind()) == kinds.end();
    });
  return list;
}

const TPropInfo* TTypeRegistry::FindProperty(const std::string& class_name, const std::string& name) const {
  const TClassInfo* info = FindClass(class_name);
  for (std::size_t steps = 0; info && steps <= classes_.size(); ++steps, info = FindClass(info->ParentName))
    for (const TPropInfo& p : info->Properties)
      if (SameText(p.Name, name)) return &p;
  return nullptr;
}

const TPropInfo* GetPropInfo(const TObject& object, const std::string& name) {
  return TTypeRegistry::Instance().FindProperty(object.ClassName(), name);
}

std::vector<const TPropInfo*> GetPropList(const TObject& object, std::initializer_list<TTypeKind> kinds) {
  return TTypeRegistry::Instance().PropertyList(object.ClassName(), kinds);
}

namespace {

[[noreturn]] void ThrowKind(const TPropInfo& prop) {
  throw EPropertyError(FmtLoadStr(SInvalidDataType, prop.Name));
}

[[noreturn]] void ThrowReadOnly(const TPropInfo& prop) {
  throw EPropertyError(LoadStr(SInvalidPropertyValue) + ": " + prop.Name);
}

}  // namespace

std::int64_t GetOrdProp(TObject& object, const TPropInfo& prop) {
  if (!prop.GetOrd) ThrowKind(prop);
  return prop.GetOrd(object);
}

void SetOrdProp(TObject& object, const TPropInfo& prop, std::int64_t value) {
  if (!prop.GetOrd) ThrowKind(prop);
  if (!prop.SetOrd) ThrowReadOnly(prop);
  prop.SetOrd(object, value);
}

long double GetFloatProp(TObject& object, const TPropInfo& prop) {
  if (!prop.GetFloat) ThrowKind(prop);
  return prop.GetFloat(object);
}

void SetFloatProp(TObject& object, const TPropInfo& prop, long double value) {
  if (!prop.GetFloat) ThrowKind(prop);
  if (!prop.SetFloat) ThrowReadOnly(prop);
  prop.SetFloat(object, value);
}

std::string GetStrProp(TObject& object, const TPropInfo& prop) {
  if (!prop.GetStr) ThrowKind(prop);
  return prop.GetStr(object);
}

void SetStrProp(TObject& object, const TPropInfo& prop, const std::string& value) {
  if (!prop.GetStr) ThrowKind(prop);
  if (!prop.SetStr) ThrowReadOnly(prop);
  prop.SetStr(object, value);
}

TObject* GetObjectProp(TObject& object, const TPropInfo& prop) {
  if (!prop.GetObject) ThrowKind(prop);
  return prop.GetObject(object);
}

void SetObjectProp(TObject& object, const TPropInfo& prop, TObject* value) {
  if (!prop.GetObject) ThrowKind(prop);
  if (!prop.SetObject) ThrowReadOnly(prop);
  prop.SetObject(object, value);
}

bool IsStoredProp(TObject& object, const TPropInfo& prop) {
  return !prop.IsStored || prop.IsStored(object);
}

}  // namespace tw
