#pragma once
// The published-property registry: for each registered class, its published properties in
// declaration order with kind, type data, default, and a getter and setter that work on any
// object of the class. Settings storage and the component stream reach properties by name
// through it.
//
// Registering a class is one block, usually at namespace scope in the class's own .cpp:
//
//   const bool kRegistered = TTypeRegistry::Class<TPanelLike>("TPanelLike", "TComponent")
//       .Integer("Width", &TPanelLike::Width, &TPanelLike::SetWidth, 100)
//       .Enumeration("Align", AlignType(), &TPanelLike::Align, &TPanelLike::SetAlign, 0)
//       .Boolean("Visible", &TPanelLike::Visible, &TPanelLike::SetVisible, true)
//       .Done();
//
// Getters and setters may be member functions, data members or callables taking the class
// by reference; a null setter makes the property read-only.

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "framework/exception.h"
#include "framework/object.h"

namespace tw {

enum TTypeKind { tkUnknown, tkInteger, tkChar, tkEnumeration, tkFloat, tkString, tkSet, tkClass, tkMethod };
enum TFloatType { ftSingle, ftDouble, ftExtended, ftComp, ftCurr };

// The type of a property. Enumerations: element names for ordinals MinValue..MaxValue.
// Sets: ElementType is the enumeration of the members (bit i of the value is element i).
// Floats: FloatType. Classes: ClassName of the declared class.
struct TTypeInfo {
  std::string Name;
  TTypeKind Kind = tkUnknown;
  std::int64_t MinValue = 0;
  std::int64_t MaxValue = 0;
  std::vector<std::string> Names;
  std::shared_ptr<const TTypeInfo> ElementType;
  TFloatType FloatType = ftDouble;
  std::string ClassName;
};
using PTypeInfo = std::shared_ptr<const TTypeInfo>;

// An enumeration type whose elements have ordinals 0 .. names.size() - 1.
PTypeInfo EnumerationType(std::string name, std::vector<std::string> names);
// The set type over the enumeration ELEMENT.
PTypeInfo SetType(std::string name, PTypeInfo element);
// Boolean as the enumeration False/True.
PTypeInfo BooleanType();

// The element name of VALUE, or an empty string when VALUE is outside the range.
std::string GetEnumName(const TTypeInfo& type, std::int64_t value);
// The ordinal of the element named NAME (ignoring case), or -1.
std::int64_t GetEnumValue(const TTypeInfo& type, const std::string& name);

struct TPropInfo {
  std::string Name;
  PTypeInfo PropType;
  // Ordinal kinds only: the value a stream need not store.
  bool HasDefault = false;
  std::int64_t Default = 0;

  std::function<std::int64_t(TObject&)> GetOrd;
  std::function<void(TObject&, std::int64_t)> SetOrd;
  std::function<long double(TObject&)> GetFloat;
  std::function<void(TObject&, long double)> SetFloat;
  std::function<std::string(TObject&)> GetStr;
  std::function<void(TObject&, const std::string&)> SetStr;
  std::function<TObject*(TObject&)> GetObject;
  std::function<void(TObject&, TObject*)> SetObject;
  // Methods (events): whether a handler is assigned.
  std::function<bool(TObject&)> IsAssigned;
  // Whether a stream writes the property for this object now; always when not set.
  std::function<bool(TObject&)> IsStored;

  TTypeKind Kind() const { return PropType ? PropType->Kind : tkUnknown; }
  bool Writable() const { return SetOrd || SetFloat || SetStr || SetObject; }
};

struct TClassInfo {
  std::string ClassName;
  std::string ParentName;
  std::vector<TPropInfo> Properties;
};

template <class C>
class TClassRegistration;

class TTypeRegistry {
public:
  static TTypeRegistry& Instance();

  // Starts (or extends) the registration of class NAME derived from PARENT ("" for a root).
  template <class C>
  static TClassRegistration<C> Class(const std::string& name, const std::string& parent);

  const TClassInfo* FindClass(const std::string& class_name) const;
  // Whether CLASS_NAME is ANCESTOR or derives from it through registered classes.
  bool InheritsFrom(const std::string& class_name, const std::string& ancestor) const;
  // The property NAME (ignoring case) of CLASS_NAME or its ancestors; the nearest wins.
  const TPropInfo* FindProperty(const std::string& class_name, const std::string& name) const;
  // Every published property of CLASS_NAME whose kind is in KINDS (all when empty), the
  // ancestors' first, each in declaration order; a redeclared property keeps its first place.
  std::vector<const TPropInfo*> PropertyList(const std::string& class_name,
                                             std::initializer_list<TTypeKind> kinds = {}) const;

  TClassInfo& Entry(const std::string& name, const std::string& parent);

private:
  TTypeRegistry() = default;
  std::vector<std::unique_ptr<TClassInfo>> classes_;
};

// Lookups for an object by its ClassName.
const TPropInfo* GetPropInfo(const TObject& object, const std::string& name);
std::vector<const TPropInfo*> GetPropList(const TObject& object, std::initializer_list<TTypeKind> kinds = {});
// Whether PROP of OBJECT is to be written to a stream (its stored-if condition holds).
bool IsStoredProp(TObject& object, const TPropInfo& prop);

// Typed access that fails with EPropertyError when the property has another kind or no
// setter. Ordinals cover integers, chars, enumerations and sets.
std::int64_t GetOrdProp(TObject& object, const TPropInfo& prop);
void SetOrdProp(TObject& object, const TPropInfo& prop, std::int64_t value);
long double GetFloatProp(TObject& object, const TPropInfo& prop);
void SetFloatProp(TObject& object, const TPropInfo& prop, long double value);
std::string GetStrProp(TObject& object, const TPropInfo& prop);
void SetStrProp(TObject& object, const TPropInfo& prop, const std::string& value);
TObject* GetObjectProp(TObject& object, const TPropInfo& prop);
void SetObjectProp(TObject& object, const TPropInfo& prop, TObject* value);

namespace detail {

[[noreturn]] void ThrowWrongObject(const TObject& object, const std::string& property);
PTypeInfo SimpleType(TTypeKind kind, const char* name);
TPropInfo& AddProperty(TClassInfo& info, const std::string& name, PTypeInfo type);
PTypeInfo FloatTypeInfo(TFloatType type);
PTypeInfo ClassTypeInfo(const std::string& class_name);

template <class C>
C& As(TObject& object, const std::string& property) {
  if (auto* c = dynamic_cast<C*>(&object)) return *c;
  ThrowWrongObject(object, property);
}

// The value type a setter takes: a member function's parameter, a data member's type, or
// FALLBACK for other callables.
template <class S, class Fallback>
struct SetterValue { using type = Fallback; };
template <class C, class R, class A, class Fallback>
struct SetterValue<R (C::*)(A), Fallback> { using type = std::decay_t<A>; };
template <class C, class T, class Fallback>
  requires(!std::is_function_v<T>)
struct SetterValue<T C::*, Fallback> { using type = T; };

template <class C, class S, class V>
void CallSetter(C& c, const S& set, V&& value) {
  if constexpr (std::is_member_function_pointer_v<S>)
    (c.*set)(std::forward<V>(value));
  else if constexpr (std::is_member_object_pointer_v<S>)
    c.*set = std::forward<V>(value);
  else
    set(c, std::forward<V>(value));
}

template <class C, class G>
decltype(auto) CallGetter(C& c, const G& get) {
  return std::invoke(get, c);
}

}  // namespace detail

template <class C>
class TClassRegistration {
public:
  explicit TClassRegistration(TClassInfo& info) : info_(info) {}

  template <class G, class S>
  TClassRegistration& Integer(const std::string& name, G get, S set, std::int64_t default_value = 0) {
    return Ordinal(name, detail::SimpleType(tkInteger, "Integer"), get, set, default_value);
  }
  template <class G, class S>
  TClassRegistration& Char(const std::string& name, G get, S set, std::int64_t default_value = 0) {
    // Characters are 8-bit codes 0..255 whatever the signedness of char.
    auto code = [get](C& c) { return static_cast<unsigned char>(detail::CallGetter(c, get)); };
    return Ordinal(name, detail::SimpleType(tkChar, "Char"), code, set, default_value);
  }
  template <class G, class S>
  TClassRegistration& Enumeration(const std::string& name, PTypeInfo type, G get, S set,
                                  std::int64_t default_value) {
    return Ordinal(name, std::move(type), get, set, default_value);
  }
  template <class G, class S>
  TClassRegistration& Boolean(const std::string& name, G get, S set, bool default_value) {
    return Ordinal(name, BooleanType(), get, set, default_value ? 1 : 0);
  }
  // VALUE is the members' bit mask (bit i = element i).
  template <class G, class S>
  TClassRegistration& Set(const std::string& name, PTypeInfo set_type, G get, S set,
                          std::int64_t default_value) {
    return Ordinal(name, std::move(set_type), get, set, default_value);
  }
  template <class G, class S>
  TClassRegistration& Float(const std::string& name, TFloatType float_type, G get, S set) {
    TPropInfo& p = Add(name, detail::FloatTypeInfo(float_type));
    p.GetFloat = [get, name](TObject& o) {
      return static_cast<long double>(detail::CallGetter(detail::As<C>(o, name), get));
    };
    if constexpr (!std::is_null_pointer_v<S>) {
      using V = typename detail::SetterValue<S, long double>::type;
      p.SetFloat = [set, name](TObject& o, long double v) {
        detail::CallSetter(detail::As<C>(o, name), set, static_cast<V>(v));
      };
    }
    return *this;
  }
  template <class G, class S>
  TClassRegistration& String(const std::string& name, G get, S set) {
    TPropInfo& p = Add(name, detail::SimpleType(tkString, "String"));
    p.GetStr = [get, name](TObject& o) {
      return std::string(detail::CallGetter(detail::As<C>(o, name), get));
    };
    if constexpr (!std::is_null_pointer_v<S>) {
      p.SetStr = [set, name](TObject& o, const std::string& v) {
        detail::CallSetter(detail::As<C>(o, name), set, v);
      };
    }
    return *this;
  }
  // A property holding an object of class T (registered as CLASS_NAME), e.g. a TStrings, a
  // TCollection or a component reference. The getter returns T*; the setter takes T*.
  template <class T, class G, class S>
  TClassRegistration& Object(const std::string& name, const std::string& class_name, G get, S set) {
    TPropInfo& p = Add(name, detail::ClassTypeInfo(class_name));
    p.GetObject = [get, name](TObject& o) -> TObject* {
      return static_cast<T*>(detail::CallGetter(detail::As<C>(o, name), get));
    };
    if constexpr (!std::is_null_pointer_v<S>) {
      p.SetObject = [set, name](TObject& o, TObject* v) {
        T* typed = nullptr;
        if (v && !(typed = dynamic_cast<T*>(v))) detail::ThrowWrongObject(*v, name);
        detail::CallSetter(detail::As<C>(o, name), set, typed);
      };
    }
    return *this;
  }
  // An event: GET returns the handler (anything testable as bool).
  template <class G>
  TClassRegistration& Method(const std::string& name, G get) {
    TPropInfo& p = Add(name, detail::SimpleType(tkMethod, "Method"));
    p.IsAssigned = [get, name](TObject& o) {
      return static_cast<bool>(detail::CallGetter(detail::As<C>(o, name), get));
    };
    return *this;
  }
  // The property added last is written to a stream only while STORED (a callable taking the
  // class by reference) answers true.
  template <class F>
  TClassRegistration& StoredIf(F stored) {
    if (info_.Properties.empty()) throw EPropertyError("StoredIf before any property");
    const std::string name = info_.Properties.back().Name;
    info_.Properties.back().IsStored = [stored, name](TObject& o) {
      return static_cast<bool>(stored(detail::As<C>(o, name)));
    };
    return *this;
  }
  // Ends the block; the value lets it initialise a namespace-scope constant.
  bool Done() const { return true; }

private:
  TPropInfo& Add(const std::string& name, PTypeInfo type);

  template <class G, class S>
  TClassRegistration& Ordinal(const std::string& name, PTypeInfo type, G get, S set,
                              std::int64_t default_value) {
    TPropInfo& p = Add(name, std::move(type));
    p.HasDefault = true;
    p.Default = default_value;
    p.GetOrd = [get, name](TObject& o) {
      return static_cast<std::int64_t>(detail::CallGetter(detail::As<C>(o, name), get));
    };
    if constexpr (!std::is_null_pointer_v<S>) {
      using V = typename detail::SetterValue<S, std::int64_t>::type;
      p.SetOrd = [set, name](TObject& o, std::int64_t v) {
        detail::CallSetter(detail::As<C>(o, name), set, static_cast<V>(v));
      };
    }
    return *this;
  }

  TClassInfo& info_;
};

template <class C>
TClassRegistration<C> TTypeRegistry::Class(const std::string& name, const std::string& parent) {
  return TClassRegistration<C>(Instance().Entry(name, parent));
}

template <class C>
TPropInfo& TClassRegistration<C>::Add(const std::string& name, PTypeInfo type) {
  return detail::AddProperty(info_, name, std::move(type));
}

}  // namespace tw
