#include "settings/props_storage.h"

#include <gtest/gtest.h>

#include "settings/stored_props.h"
#include "tests/settings/stored_thing.h"

namespace tw {
namespace {

using test::MemoryStore;
using test::TStoredThing;
using test::TThingColumn;

class PropsStorageTest : public ::testing::Test {
protected:
  PropsStorageTest() { store.Attach(storage, "Window"); }

  // The lines resolved against the form as after loading it, then stored.
  void Store(std::initializer_list<const char*> lines) {
    Resolve(lines);
    storage.StoreObjectsProps(&form, props);
  }
  void Load(std::initializer_list<const char*> lines) {
    Resolve(lines);
    storage.LoadObjectsProps(&form, props);
  }
  void Resolve(std::initializer_list<const char*> lines) {
    props.Clear();
    for (const char* line : lines) props.Add(line);
    UpdateStoredList(&form, props, true);
  }

  TComponent form{nullptr};
  TStoredThing* panel = new TStoredThing(&form, "Panel1");
  TStoredThing* list = new TStoredThing(&form, "PTShellList1");
  TStringList props;
  TPropsStorage storage;
  MemoryStore store;
};

TEST_F(PropsStorageTest, PanelWidthIsStoredUnderComponentUnderscoreProperty) {
  panel->Width = 201;
  list->ViewStyle = test::vsReport;
  list->Down = true;
  Store({"Panel1.Width", "PTShellList1.ViewStyle", "PTShellList1.Down"});
  EXPECT_EQ(store.Get("Window", "Panel1_Width"), "201");
  EXPECT_EQ(store.Get("Window", "PTShellList1_ViewStyle"), "vsReport");
  EXPECT_EQ(store.Get("Window", "PTShellList1_Down"), "True");
  EXPECT_EQ(store.sections["Window"].size(), 3u);
}

TEST_F(PropsStorageTest, EveryKindRoundTrips) {
  panel->Width = -7;
  panel->Letter = 'Q';
  panel->ViewStyle = test::vsList;
  panel->Down = true;
  panel->Styles = 0b1010;
  panel->Ratio = 0.1;
  panel->Scale = 2.5f;
  panel->Caption = "  padded  ";
  panel->Lines.SetText(" first \n\nthird\n");
  panel->Columns.Add();
  static_cast<TThingColumn*>(panel->Columns.Add())->Caption = "Size";
  panel->Buddy = list;
  panel->Font.Name = "Courier";
  panel->Font.Size = 11;
  const char* all[] = {"Panel1.Width", "Panel1.Letter", "Panel1.ViewStyle", "Panel1.Down", "Panel1.Styles",
                       "Panel1.Ratio", "Panel1.Scale", "Panel1.Caption", "Panel1.Lines", "Panel1.Columns",
                       "Panel1.Buddy", "Panel1.Font"};
  props.Clear();
  for (const char* line : all) props.Add(line);
  UpdateStoredList(&form, props, true);
  storage.StoreObjectsProps(&form, props);

  TComponent form2(nullptr);
  auto* copy = new TStoredThing(&form2, "Panel1");
  new TStoredThing(&form2, "PTShellList1");
  props.Clear();
  for (const char* line : all) props.Add(line);
  UpdateStoredList(&form2, props, true);
  storage.LoadObjectsProps(&form2, props);

  EXPECT_EQ(copy->Width, -7);
  EXPECT_EQ(copy->Letter, 'Q');
  EXPECT_EQ(copy->ViewStyle, test::vsList);
  EXPECT_TRUE(copy->Down);
  EXPECT_EQ(copy->Styles, 0b1010u);
  EXPECT_EQ(copy->Ratio, 0.1);
  EXPECT_EQ(copy->Scale, 2.5f);
  // Values are trimmed; the lines of a string list are not.
  EXPECT_EQ(copy->Caption, "padded");
  ASSERT_EQ(copy->Lines.Count(), 3);
  EXPECT_EQ(copy->Lines.Get(0), " first ");
  EXPECT_EQ(copy->Lines.Get(1), "");
  ASSERT_EQ(copy->Columns.Count(), 2);
  EXPECT_EQ(static_cast<TThingColumn*>(copy->Columns.Items(1))->Caption, "Size");
  EXPECT_EQ(copy->Buddy, form2.FindComponent("PTShellList1"));
  EXPECT_EQ(copy->Font.Name, "Courier");
  EXPECT_EQ(copy->Font.Size, 11);
  // Nested objects' values sit in the same section under prefix + property + sub-property.
  EXPECT_EQ(store.Get("Window", "Panel1_FontSize"), "11");
  EXPECT_EQ(store.Get("Window.Panel1_Lines", "Count"), "3");
  EXPECT_EQ(store.Get("Window.Panel1_Columns", "Item1_Caption"), "Size");
}

TEST_F(PropsStorageTest, LinesWithBlanksAreValidAndRebuiltWithoutThem) {
  panel->Width = 5;
  Store({"  Panel1 .  Width ", "NoDot", ".Width", "Panel1.", "Ghost.Width"});
  ASSERT_EQ(props.Count(), 1);
  EXPECT_EQ(props.Get(0), "Panel1.Width");
  EXPECT_EQ(store.Get("Window", "Panel1_Width"), "5");
}

TEST_F(PropsStorageTest, RenamedComponentKeepsItsLinesAndDeletedOneDropsThem) {
  Resolve({"Panel1.Width", "PTShellList1.Down"});
  panel->SetName("TreePanel");
  panel->Width = 33;
  // A removed component's line loses its component (the storage component clears it).
  props.PutObject(1, nullptr);
  storage.StoreObjectsProps(&form, props);
  ASSERT_EQ(props.Count(), 1);
  EXPECT_EQ(props.Get(0), "TreePanel.Width");
  EXPECT_EQ(store.Get("Window", "TreePanel_Width"), "33");
  EXPECT_FALSE(store.Has("Window", "PTShellList1_Down"));
}

TEST_F(PropsStorageTest, UnreadableValuesKeepTheirPropertyAndSpoilNothingElse) {
  store.sections["Window"] = {{"Panel1_ViewStyle", "vsHuge"}, {"Panel1_Down", "true"},
                              {"Panel1_Ratio", "1,5"},        {"Panel1_Width", "wide"},
                              {"Panel1_Letter", ""},          {"Panel1_Caption", "  kept  "},
                              {"Panel1_Scale", "1e300"}};
  panel->ViewStyle = test::vsList;
  panel->Width = 99;
  Load({"Panel1.ViewStyle", "Panel1.Down", "Panel1.Ratio", "Panel1.Width", "Panel1.Letter",
        "Panel1.Caption", "Panel1.Scale"});
  EXPECT_EQ(panel->ViewStyle, test::vsList);
  EXPECT_TRUE(panel->Down);
  EXPECT_EQ(panel->Ratio, 0.5);
  EXPECT_EQ(panel->Width, 0);  // an integer that is no number reads as 0
  EXPECT_EQ(panel->Letter, 'a');
  EXPECT_EQ(panel->Caption, "kept");
  EXPECT_EQ(panel->Scale, 1.0f);
}

TEST_F(PropsStorageTest, NothingStoredLeavesEveryPropertyAsItIs) {
  panel->Width = 201;
  panel->Caption = "caption";
  panel->Lines.Add("line");
  panel->Columns.Add();
  panel->Buddy = list;
  Load({"Panel1.Width", "Panel1.Caption", "Panel1.Lines", "Panel1.Columns", "Panel1.Buddy"});
  EXPECT_EQ(panel->Width, 201);
  EXPECT_EQ(panel->Caption, "caption");
  EXPECT_EQ(panel->Lines.Count(), 1);
  EXPECT_EQ(panel->Columns.Count(), 1);
  EXPECT_EQ(panel->Buddy, list);
}

TEST_F(PropsStorageTest, EmptyStringIsWrittenEmptyListErasesItsSubsection) {
  store.sections["Window.Panel1_Lines"] = {{"Count", "2"}, {"Item0", "a"}, {"Item1", "b"}};
  Store({"Panel1.Caption", "Panel1.Lines"});
  EXPECT_EQ(store.Get("Window", "Panel1_Caption"), "");
  EXPECT_EQ(store.sections.count("Window.Panel1_Lines"), 0u);
}

TEST_F(PropsStorageTest, StoredCollectionCountRebuildsTheItems) {
  for (int i = 0; i < 3; ++i) panel->Columns.Add();
  store.sections["Window"] = {{"Panel1_Columns.Count", "2"}};
  store.sections["Window.Panel1_Columns"] = {{"Item0_Width", "120"}, {"Item1_Caption", "Name"}};
  Load({"Panel1.Columns"});
  ASSERT_EQ(panel->Columns.Count(), 2);
  EXPECT_EQ(static_cast<TThingColumn*>(panel->Columns.Items(0))->Width, 120);
  EXPECT_EQ(static_cast<TThingColumn*>(panel->Columns.Items(1))->Width, 50);
  EXPECT_EQ(static_cast<TThingColumn*>(panel->Columns.Items(1))->Caption, "Name");
}

TEST_F(PropsStorageTest, CollectionCountsOfTwoComponentsDoNotCollide) {
  panel->Columns.Add();
  for (int i = 0; i < 4; ++i) list->Columns.Add();
  Store({"Panel1.Columns", "PTShellList1.Columns"});
  panel->Columns.Clear();
  list->Columns.Clear();
  Load({"Panel1.Columns", "PTShellList1.Columns"});
  EXPECT_EQ(panel->Columns.Count(), 1);
  EXPECT_EQ(list->Columns.Count(), 4);
}

TEST_F(PropsStorageTest, AbsurdStoredCountsAreIgnored) {
  panel->Lines.Add("kept");
  panel->Columns.Add();
  store.sections["Window"] = {{"Panel1_Columns.Count", "2000000000"}};
  store.sections["Window.Panel1_Lines"] = {{"Count", "2000000000"}};
  Load({"Panel1.Lines", "Panel1.Columns"});
  EXPECT_EQ(panel->Lines.Count(), 1);
  EXPECT_EQ(panel->Columns.Count(), 1);
  EXPECT_LT(store.reads, 100);
  store.sections["Window"] = {{"Panel1_Columns.Count", "-3"}};
  store.sections["Window.Panel1_Lines"] = {{"Count", "-3"}};
  Load({"Panel1.Lines", "Panel1.Columns"});
  EXPECT_EQ(panel->Lines.Count(), 1);
  EXPECT_EQ(panel->Columns.Count(), 1);
}

TEST_F(PropsStorageTest, ComponentReferencesByNameOwnerAndNull) {
  TComponent other_form(nullptr);
  other_form.SetName("Form2");
  auto* foreign = new TStoredThing(&other_form, "Button1");
  SetFindGlobalComponent([&](const std::string& name) -> TComponent* {
    return name == "Form2" ? &other_form : nullptr;
  });

  panel->Buddy = foreign;
  Store({"Panel1.Buddy"});
  EXPECT_EQ(store.Get("Window", "Panel1_Buddy"), "Form2.Button1");
  panel->Buddy = nullptr;
  Load({"Panel1.Buddy"});
  EXPECT_EQ(panel->Buddy, foreign);

  // A reference cleared before saving must not bring back the one stored earlier.
  panel->Buddy = nullptr;
  Store({"Panel1.Buddy"});
  EXPECT_EQ(store.Get("Window", "Panel1_Buddy"), "(null)");
  panel->Buddy = list;
  Load({"Panel1.Buddy"});
  EXPECT_EQ(panel->Buddy, nullptr);

  // A name that matches no component gives none; an unknown owner leaves the property.
  panel->Buddy = list;
  store.sections["Window"]["Panel1_Buddy"] = "Missing";
  Load({"Panel1.Buddy"});
  EXPECT_EQ(panel->Buddy, nullptr);
  panel->Buddy = list;
  store.sections["Window"]["Panel1_Buddy"] = "Nowhere.Button1";
  Load({"Panel1.Buddy"});
  EXPECT_EQ(panel->Buddy, list);
  SetFindGlobalComponent(nullptr);
}

TEST_F(PropsStorageTest, StoreFailuresReachTheCaller) {
  storage.OnWriteString = [](const std::string&, const std::string&, const std::string&) {
    throw EWriteError("disk full");
  };
  EXPECT_THROW(Store({"Panel1.Width"}), EWriteError);
  EXPECT_EQ(storage.Owner(), nullptr);
}

}  // namespace
}  // namespace tw
