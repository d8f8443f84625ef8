#include "tests/settings/stored_thing.h"

#include "framework/type_info.h"

namespace tw::test {

namespace {

PTypeInfo ThingStyleType() {
  static const PTypeInfo type = EnumerationType("TThingStyle", {"vsIcon", "vsSmallIcon", "vsList", "vsReport"});
  return type;
}

const bool kRegistered =
    TTypeRegistry::Class<TThingFont>("TThingFont", "TPersistent")
        .String("Name", &TThingFont::Name, &TThingFont::Name)
        .Integer("Size", &TThingFont::Size, &TThingFont::Size, 8)
        .Done() &&
    TTypeRegistry::Class<TThingColumn>("TThingColumn", "TCollectionItem")
        .Integer("Width", &TThingColumn::Width, &TThingColumn::Width, 50)
        .String("Caption", &TThingColumn::Caption, &TThingColumn::Caption)
        .Done() &&
    TTypeRegistry::Class<TStoredThing>("TStoredThing", "TComponent")
        .Integer("Width", &TStoredThing::Width, &TStoredThing::Width, 0)
        .Char("Letter", &TStoredThing::Letter, &TStoredThing::Letter, 'a')
        .Enumeration("ViewStyle", ThingStyleType(), &TStoredThing::ViewStyle, &TStoredThing::ViewStyle, 0)
        .Boolean("Down", &TStoredThing::Down, &TStoredThing::Down, false)
        .Set("Styles", SetType("TThingStyles", ThingStyleType()), &TStoredThing::Styles, &TStoredThing::Styles, 0)
        .Float("Ratio", ftDouble, &TStoredThing::Ratio, &TStoredThing::Ratio)
        .Float("Scale", ftSingle, &TStoredThing::Scale, &TStoredThing::Scale)
        .String("Caption", &TStoredThing::Caption, &TStoredThing::Caption)
        .Object<TStrings>("Lines", "TStrings", [](TStoredThing& t) { return &t.Lines; }, nullptr)
        .Object<TCollection>("Columns", "TCollection", [](TStoredThing& t) { return &t.Columns; }, nullptr)
        .Object<TComponent>("Buddy", "TComponent", &TStoredThing::Buddy, &TStoredThing::Buddy)
        .Object<TThingFont>("Font", "TThingFont", [](TStoredThing& t) { return &t.Font; }, nullptr)
        .Done();

}  // namespace

TStoredThing::TStoredThing(TComponent* owner, const std::string& name) : TComponent(owner) {
  (void)kRegistered;
  SetName(name);
}

}  // namespace tw::test
