#pragma once
// A component with a published property of every kind settings storage handles, and an
// in-memory store for its callbacks.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "framework/collection.h"
#include "framework/component.h"
#include "framework/strings.h"
#include "settings/props_storage.h"

namespace tw::test {

enum TThingStyle { vsIcon, vsSmallIcon, vsList, vsReport };
// Bit i = element i of TThingStyle.
using TThingStyles = std::uint32_t;

class TThingFont : public TPersistent {
public:
  std::string ClassName() const override { return "TThingFont"; }
  std::string Name = "MS Sans Serif";
  int Size = 8;
};

class TThingColumn : public TCollectionItem {
public:
  using TCollectionItem::TCollectionItem;
  std::string ClassName() const override { return "TThingColumn"; }
  int Width = 50;
  std::string Caption;
};

class TStoredThing : public TComponent {
public:
  explicit TStoredThing(TComponent* owner, const std::string& name = "");
  std::string ClassName() const override { return "TStoredThing"; }

  int Width = 0;
  char Letter = 'a';
  TThingStyle ViewStyle = vsIcon;
  bool Down = false;
  TThingStyles Styles = 0;
  double Ratio = 0.5;
  float Scale = 1.0f;
  std::string Caption;
  TStringList Lines;
  TCollection Columns{TCollection::ItemsOf<TThingColumn>()};
  TComponent* Buddy = nullptr;
  TThingFont Font;
};

// Section -> (ident -> value), with the three storage callbacks over it.
class MemoryStore {
public:
  std::map<std::string, std::map<std::string, std::string>> sections;
  int reads = 0;

  void Attach(TPropsStorage& storage, const std::string& section) {
    storage.SetSection(section);
    storage.OnReadString = [this](const std::string& s, const std::string& i, const std::string& d) {
      ++reads;
      auto sec = sections.find(s);
      if (sec == sections.end()) return d;
      auto value = sec->second.find(i);
      return value == sec->second.end() ? d : value->second;
    };
    storage.OnWriteString = [this](const std::string& s, const std::string& i, const std::string& v) {
      sections[s][i] = v;
    };
    storage.OnEraseSection = [this](const std::string& s) { sections.erase(s); };
  }
  bool Has(const std::string& section, const std::string& ident) const {
    auto sec = sections.find(section);
    return sec != sections.end() && sec->second.count(ident) != 0;
  }
  std::string Get(const std::string& section, const std::string& ident) const {
    return Has(section, ident) ? sections.at(section).at(ident) : std::string("<missing>");
  }
};

}  // namespace tw::test
