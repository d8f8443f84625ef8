// Stored property texts from arbitrary bytes: the input's first zero-separated part is the list
// of "Component.Property" lines, the other parts are the values the store hands out, one per
// read in turn. Loading must never fail or crash, and whatever it loaded stores back to texts
// that load to the same stored form again.
#include <cstdlib>
#include <map>
#include <string>

#include "framework/collection.h"
#include "framework/component.h"
#include "framework/strings.h"
#include "framework/type_info.h"
#include "fuzz/fuzz_target.h"
#include "settings/props_storage.h"
#include "settings/stored_props.h"

namespace {

using namespace tw;

class TFuzzFont : public TPersistent {
public:
  std::string ClassName() const override { return "TFuzzFont"; }
  std::string Name;
  int Height = -11;
};

class TFuzzItem : public TCollectionItem {
public:
  using TCollectionItem::TCollectionItem;
  std::string ClassName() const override { return "TFuzzItem"; }
  int Width = 0;
  std::string Caption;
};

class TFuzzThing : public TComponent {
public:
  using TComponent::TComponent;
  std::string ClassName() const override { return "TFuzzThing"; }
  int Width = 0;
  char Letter = 'x';
  int Style = 0;
  bool Down = false;
  std::uint32_t Options = 0;
  double Ratio = 0;
  float Scale = 0;
  long double Precise = 0;
  std::string Caption;
  TStringList Lines;
  TCollection Items{TCollection::ItemsOf<TFuzzItem>()};
  TComponent* Buddy = nullptr;
  TFuzzFont Font;
};

PTypeInfo StyleType() {
  static const PTypeInfo type = EnumerationType("TFuzzStyle", {"fsOne", "fsTwo", "fsThree"});
  return type;
}

const bool kRegistered =
    TTypeRegistry::Class<TFuzzFont>("TFuzzFont", "TPersistent")
        .String("Name", &TFuzzFont::Name, &TFuzzFont::Name)
        .Integer("Height", &TFuzzFont::Height, &TFuzzFont::Height, -11)
        .Done() &&
    TTypeRegistry::Class<TFuzzItem>("TFuzzItem", "TCollectionItem")
        .Integer("Width", &TFuzzItem::Width, &TFuzzItem::Width, 0)
        .String("Caption", &TFuzzItem::Caption, &TFuzzItem::Caption)
        .Done() &&
    TTypeRegistry::Class<TFuzzThing>("TFuzzThing", "TComponent")
        .Integer("Width", &TFuzzThing::Width, &TFuzzThing::Width, 0)
        .Char("Letter", &TFuzzThing::Letter, &TFuzzThing::Letter, 'x')
        .Enumeration("Style", StyleType(), &TFuzzThing::Style, &TFuzzThing::Style, 0)
        .Boolean("Down", &TFuzzThing::Down, &TFuzzThing::Down, false)
        .Set("Options", SetType("TFuzzStyles", StyleType()), &TFuzzThing::Options, &TFuzzThing::Options, 0)
        .Float("Ratio", ftDouble, &TFuzzThing::Ratio, &TFuzzThing::Ratio)
        .Float("Scale", ftSingle, &TFuzzThing::Scale, &TFuzzThing::Scale)
        .Float("Precise", ftExtended, &TFuzzThing::Precise, &TFuzzThing::Precise)
        .String("Caption", &TFuzzThing::Caption, &TFuzzThing::Caption)
        .Object<TStrings>("Lines", "TStrings", [](TFuzzThing& t) { return &t.Lines; }, nullptr)
        .Object<TCollection>("Items", "TCollection", [](TFuzzThing& t) { return &t.Items; }, nullptr)
        .Object<TComponent>("Buddy", "TComponent", &TFuzzThing::Buddy, &TFuzzThing::Buddy)
        .Object<TFuzzFont>("Font", "TFuzzFont", [](TFuzzThing& t) { return &t.Font; }, nullptr)
        .Done();

using Store = std::map<std::string, std::string>;

// A form with two components; STORED_PROPS resolved against it.
struct Form {
  TComponent owner{nullptr};
  TStringList props;
  Form(const std::string& lines) {
    owner.SetName("Form1");
    new TFuzzThing(&owner);
    owner.Components(0)->SetName("A");
    new TFuzzThing(&owner);
    owner.Components(1)->SetName("B");
    props.SetText(lines);
    UpdateStoredList(&owner, props, true);
  }
};

Store StoreAll(Form& form) {
  Store stored;
  TPropsStorage storage;
  storage.SetSection("S");
  storage.OnWriteString = [&](const std::string& s, const std::string& i, const std::string& v) {
    stored[s + "\x01" + i] = v;
  };
  storage.OnEraseSection = [&](const std::string& s) {
    for (auto it = stored.begin(); it != stored.end();)
      it = it->first.rfind(s + "\x01", 0) == 0 ? stored.erase(it) : std::next(it);
  };
  storage.StoreObjectsProps(&form.owner, form.props);
  // Single floats carry fewer digits than their text; their second text may differ in the last.
  std::erase_if(stored, [](const auto& entry) { return entry.first.ends_with("_Scale"); });
  return stored;
}

void LoadFrom(Form& form, const Store& stored) {
  TPropsStorage storage;
  storage.SetSection("S");
  storage.OnReadString = [&](const std::string& s, const std::string& i, const std::string& d) {
    auto it = stored.find(s + "\x01" + i);
    return it == stored.end() ? d : it->second;
  };
  storage.LoadObjectsProps(&form.owner, form.props);
}

}  // namespace

TW_FUZZ_TARGET(PropertyText) {
  (void)kRegistered;
  std::vector<std::string> parts(1);
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0)
      parts.emplace_back();
    else
      parts.back() += static_cast<char>(data[i]);
  }
  Form form(parts[0]);
  std::size_t next = 1;
  TPropsStorage storage;
  storage.SetSection("S");
  storage.OnReadString = [&](const std::string&, const std::string&, const std::string& d) {
    if (parts.size() < 2) return d;
    if (next >= parts.size()) next = 1;
    return parts[next++];
  };
  storage.LoadObjectsProps(&form.owner, form.props);

  const Store first = StoreAll(form);
  Form again(parts[0]);
  LoadFrom(again, first);
  if (StoreAll(again) != first) std::abort();
}

TW_FUZZ_SEEDS(PropertyText) {
  // The parts of one input, joined by zero bytes.
  auto join = [](std::initializer_list<std::string> parts) {
    tw::fuzz::Bytes bytes;
    bool first = true;
    for (const std::string& part : parts) {
      if (!first) bytes.push_back(0);
      first = false;
      bytes.insert(bytes.end(), part.begin(), part.end());
    }
    return bytes;
  };
  return {
      join({"A.Width\nA.Style\nB.Down\nB.Options", "201", "fsThree", "true", "[fsOne,fsThree]"}),
      join({"A.Lines\nA.Items\nB.Font", "2", "line one", " two ", "3", "40", "Name"}),
      join({"A.Ratio\nA.Scale\nA.Precise\nA.Letter\nB.Buddy", "1.5E-7", "3.25", "1e4000", "q", "Form1.A"}),
      join({"  A . Caption \n.x\nNoSuch.Width\nA.\nB.Caption"}),
  };
}
