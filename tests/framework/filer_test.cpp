#include "framework/filer.h"

#include <gtest/gtest.h>

#include "framework/collection.h"
#include "framework/component.h"
#include "framework/exception.h"
#include "framework/stream.h"
#include "framework/strings.h"
#include "framework/type_info.h"

namespace tw {
namespace {

// A persistent part that stores itself as one binary property, the way a folder locator does.
class TPlace : public TPersistent {
public:
  std::string ClassName() const override { return "TPlace"; }
  void DefineProperties(TFiler& filer) override {
    filer.DefineBinaryProperty(
        "Pidl",
        [this](TStream& s) {
          bytes.assign(static_cast<std::size_t>(s.Size()), 0);
          s.ReadBuffer(bytes.data(), s.Size());
        },
        [this](TStream& s) { s.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size())); },
        !bytes.empty());
  }
  std::vector<std::uint8_t> bytes;
};

class TItem : public TCollectionItem {
public:
  using TCollectionItem::TCollectionItem;
  std::string ClassName() const override { return "TFilerItem"; }
  std::string caption;
};

class TSample : public TComponent {
public:
  using TComponent::TComponent;
  std::string ClassName() const override { return "TFilerSample"; }
  void DefineProperties(TFiler& filer) override {
    filer.DefineBinaryProperty(
        "Icons", [this](TStream& s) { icons_read = static_cast<int>(s.Size()); },
        [](TStream& s) { s.WriteBuffer("ICON", 4); }, with_icons);
  }
  void Loaded() override {
    TComponent::Loaded();
    ++loaded_calls;
  }
  int width = 10;
  std::uint16_t options = 3;
  double ratio = 0;
  std::string caption;
  TPlace* Folder() { return &folder; }
  TStringList* Items() { return &items; }
  void SetItems(TStringList* s) { items.Assign(*s); }
  TCollection* Columns() { return &columns; }
  TComponent* buddy = nullptr;
  bool with_icons = false;
  bool folder_stored = true;
  int icons_read = -1;
  int loaded_calls = 0;
  TPlace folder;
  TStringList items;
  TCollection columns{TCollection::ItemsOf<TItem>()};
};

const bool kRegistered =
    TTypeRegistry::Class<TPlace>("TPlace", "TPersistent").Done() &&
    TTypeRegistry::Class<TItem>("TFilerItem", "TCollectionItem")
        .String("Caption", &TItem::caption, &TItem::caption)
        .Done() &&
    TTypeRegistry::Class<TSample>("TFilerSample", "TComponent")
        .Integer("Width", &TSample::width, &TSample::width, 10)
        .Set("Options", SetType("TSampleOptions", EnumerationType("TSampleOption", {"soA", "soB", "soC"})),
             &TSample::options, &TSample::options, 3)
        .Float("Ratio", ftDouble, &TSample::ratio, &TSample::ratio)
        .String("Caption", &TSample::caption, &TSample::caption)
        .Object<TPlace>("Folder", "TPlace", &TSample::Folder, nullptr)
        .StoredIf([](TSample& s) { return s.folder_stored; })
        .Object<TStringList>("Items", "TStrings", &TSample::Items, &TSample::SetItems)
        .Object<TCollection>("Columns", "TCollection", &TSample::Columns, nullptr)
        .Object<TComponent>("Buddy", "TComponent", &TSample::buddy, &TSample::buddy)
        .Done();

std::vector<std::uint8_t> Written(TSample& sample) {
  TMemoryStream stream;
  TWriter(stream).WriteComponent(sample);
  return stream.Bytes();
}

TEST(ComponentStream, RoundTripOfPublishedAndDefinedProperties) {
  TComponent form(nullptr);
  auto* buddy = new TComponent(&form);
  buddy->SetName("Buddy1");
  auto* source = new TSample(&form);
  source->SetName("Sample1");
  source->width = 201;
  source->options = 5;
  source->ratio = 0.125;
  source->caption = "Files";
  source->folder.bytes = {4, 0, 1, 2, 0, 0};
  source->items.SetText("a\nb");
  static_cast<TItem*>(source->columns.Add())->caption = "Name";
  static_cast<TItem*>(source->columns.Add())->caption = "Size";
  source->buddy = buddy;
  source->with_icons = true;
  source->SetTag(7);
  TMemoryStream stream(Written(*source));
  const TSample& expected = *source;
  auto* target = new TSample(&form);
  static_cast<TItem*>(target->columns.Add())->caption = "stale";
  source->SetName("Original");  // the stored name must be free among the siblings
  TReader(stream).ReadComponent(*target);
  EXPECT_EQ(target->width, 201);
  EXPECT_EQ(target->options, 5);
  EXPECT_EQ(target->ratio, 0.125);
  EXPECT_EQ(target->caption, "Files");
  EXPECT_EQ(target->folder.bytes, expected.folder.bytes);
  EXPECT_TRUE(target->items.Equals(expected.items));
  EXPECT_EQ(target->Name(), "Sample1");
  ASSERT_EQ(target->columns.Count(), 2);
  EXPECT_EQ(static_cast<TItem*>(target->columns.Items(1))->caption, "Size");
  EXPECT_EQ(target->buddy, buddy);
  EXPECT_EQ(target->icons_read, 4);
  EXPECT_EQ(target->Tag(), 7);
  EXPECT_EQ(target->loaded_calls, 1);
  EXPECT_FALSE(target->HasState(csLoading));
  EXPECT_EQ(stream.Position(), stream.Size());
}

TEST(ComponentStream, DefaultsAndEmptyDefinedPropertiesAreNotWritten) {
  TSample plain(nullptr);
  TSample changed(nullptr);
  changed.width = 11;
  EXPECT_EQ(Written(changed).size(), Written(plain).size() + 1 + 5 + 1 + 8);
  // Nothing to store means no "Pidl" record at all.
  const auto bytes = Written(plain);
  EXPECT_EQ(std::search(bytes.begin(), bytes.end(), "Pidl", "Pidl" + 4), bytes.end());
}

TEST(ComponentStream, APropertyIsWrittenOnlyWhileItsStoredConditionHolds) {
  TSample sample(nullptr);
  sample.folder.bytes = {1, 2, 3};
  auto has_pidl = [](const std::vector<std::uint8_t>& bytes) {
    return std::search(bytes.begin(), bytes.end(), "Pidl", "Pidl" + 4) != bytes.end();
  };
  EXPECT_TRUE(has_pidl(Written(sample)));
  sample.folder_stored = false;
  EXPECT_FALSE(has_pidl(Written(sample)));
}

TEST(ComponentStream, EveryTruncationFailsWithTheReadError) {
  TSample source(nullptr);
  source.caption = "text";
  source.folder.bytes = {1, 2, 3};
  source.items.SetText("x");
  source.columns.Add();
  const auto bytes = Written(source);
  for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
    TMemoryStream stream(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(cut)));
    TSample target(nullptr);
    EXPECT_THROW(TReader(stream).ReadComponent(target), EReadError) << "cut at " << cut;
    EXPECT_FALSE(target.HasState(csLoading));
  }
}

TEST(ComponentStream, LengthBeyondTheDataFailsBeforeAllocating) {
  TSample source(nullptr);
  source.folder.bytes = {9};
  auto bytes = Written(source);
  // The binary length field follows "Pidl" and its tag.
  const auto at = std::search(bytes.begin(), bytes.end(), "Pidl", "Pidl" + 4) - bytes.begin() + 5;
  bytes[static_cast<std::size_t>(at) + 3] = 0xFF;  // about 4 GB claimed
  TMemoryStream stream(bytes);
  TSample target(nullptr);
  EXPECT_THROW(TReader(stream).ReadComponent(target), EReadError);
  EXPECT_TRUE(target.folder.bytes.empty());
}

TEST(ComponentStream, ForeignClassUnknownPropertyAndWrongKindAreReadErrors) {
  TSample source(nullptr);
  source.caption = "c";
  const auto bytes = Written(source);
  {
    TMemoryStream stream(bytes);
    TComponent other(nullptr);
    EXPECT_THROW(TReader(stream).ReadComponent(other), EReadError);
  }
  {
    auto bad = bytes;
    bad[0] = 'X';
    TMemoryStream stream(bad);
    TSample target(nullptr);
    EXPECT_THROW(TReader(stream).ReadComponent(target), EReadError);
  }
  {
    auto renamed = bytes;
    const auto at = std::search(renamed.begin(), renamed.end(), "Caption", "Caption" + 7);
    ASSERT_NE(at, renamed.end());
    *at = 'X';
    TMemoryStream stream(renamed);
    TSample target(nullptr);
    try {
      TReader(stream).ReadComponent(target);
      FAIL() << "unknown property accepted";
    } catch (const EReadError& e) {
      EXPECT_EQ(e.Message(), "Property Xaption does not exist");
    }
  }
  {
    auto retagged = bytes;
    const auto at = std::search(retagged.begin(), retagged.end(), "Caption", "Caption" + 7) + 7;
    *at = 1;  // an integer where a string belongs
    TMemoryStream stream(retagged);
    TSample target(nullptr);
    EXPECT_THROW(TReader(stream).ReadComponent(target), EReadError);
  }
}

TEST(ComponentStream, CorruptedBytesFailOnlyWithFrameworkErrors) {
  TComponent form(nullptr);
  auto* source = new TSample(&form);
  source->SetName("S");
  source->caption = "text";
  source->folder.bytes = {1, 2, 3};
  source->items.SetText("x\ny");
  source->columns.Add();
  source->width = 3;
  source->with_icons = true;
  const auto bytes = Written(*source);
  for (std::size_t at = 0; at < bytes.size(); ++at)
    for (std::uint8_t value : {0x00, 0x01, 0x07, 0x7F, 0x80, 0xFF}) {
      auto corrupt = bytes;
      corrupt[at] = value;
      TMemoryStream stream(corrupt);
      TSample target(nullptr);
      try {
        TReader(stream).ReadComponent(target);
      } catch (const Exception&) {
        EXPECT_FALSE(target.HasState(csLoading));
      }
    }
}

TEST(ComponentStream, AnInvalidStoredNameIsAReadError) {
  TSample source(nullptr);
  source.SetName("Ok");
  auto bytes = Written(source);
  const auto at = std::search(bytes.begin(), bytes.end(), "Ok", "Ok" + 2);
  *at = '1';
  TMemoryStream stream(bytes);
  TSample target(nullptr);
  EXPECT_THROW(TReader(stream).ReadComponent(target), EReadError);
}

}  // namespace
}  // namespace tw
