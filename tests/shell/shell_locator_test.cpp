#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "framework/component.h"
#include "framework/exception.h"
#include "framework/filer.h"
#include "framework/stream.h"
#include "framework/type_info.h"
#include "shell/shell_item_id.h"
#include "shell/shell_locator.h"
#include "shell/shell_namespace.h"

namespace tw {
namespace {

using Bytes = std::vector<std::uint8_t>;

const ItemIdList* Id(const Bytes& bytes) { return AsIdList(bytes.data()); }
Bytes BytesOf(const ItemIdList* id) {
  return Bytes(IdBytes(id), IdBytes(id) + IdListSize(id));
}

const Bytes kEmpty = {0, 0};
const Bytes kDocs = {4, 0, 'C', ':', 6, 0, 'd', 'o', 'c', 's', 0, 0};
const Bytes kThree = {4, 0, 'C', ':', 6, 0, 'd', 'o', 'c', 's', 3, 0, 'x', 0, 0};

// Resolves special folders to a one-item list holding the folder number, and can be told to
// fail every comparison, as a desktop folder that cannot be reached would.
class TFakeNamespace : public TShellNamespace {
public:
  int CompareAbsoluteIds(const ItemIdList* a, const ItemIdList* b) override {
    if (fail_compare) return kIdCompareUnknown;
    return BytesOf(a) == BytesOf(b) ? 0 : 1;
  }
  ShellItemId SpecialFolderIdList(int csidl) override {
    ++resolved;
    if (csidl == 99) return {};
    const Bytes item = {3, 0, static_cast<std::uint8_t>(csidl), 0, 0};
    return CopyIdList(Id(item));
  }
  std::string PathOfIdList(const ItemIdList* id) override {
    return id ? "path of " + std::to_string(IdListSize(id)) : "desktop";
  }
  bool fail_compare = false;
  int resolved = 0;
};

class LocatorTest : public ::testing::Test {
protected:
  void SetUp() override { SetShellNamespace(&names); }
  void TearDown() override { SetShellNamespace(nullptr); }

  // A locator of special folder CSIDL, made the only way one is made: from its stored record.
  void MakeSpecial(TPTShellLocator& locator, std::uint8_t csidl) {
    TMemoryStream record(Bytes{1, csidl});
    locator.ReadPidl(record);
  }

  TFakeNamespace names;
  int changes = 0;
  TPTShellLocator locator{[this](TObject* sender) {
    EXPECT_EQ(sender, &locator);
    ++changes;
  }};
};

TEST_F(LocatorTest, FreshLocatorIsTheDesktop) {
  EXPECT_EQ(locator.Kind(), TPTShellLocator::lkIdList);
  EXPECT_EQ(locator.GetIdList(), nullptr);
  EXPECT_EQ(locator.GetPath(), "desktop");
}

TEST_F(LocatorTest, SettingAnEmptyListStoresNoIdAndDoesNotNotify) {
  locator.SetIdList(Id(kEmpty));
  EXPECT_EQ(locator.GetIdList(), nullptr);
  // From no id to a non-null id counts as a change, even an empty one.
  EXPECT_EQ(changes, 1);
  locator.SetIdList(nullptr);
  EXPECT_EQ(changes, 1);
}

TEST_F(LocatorTest, SettingTheSamePlaceAgainDoesNotNotify) {
  locator.SetIdList(Id(kDocs));
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(BytesOf(locator.GetIdList()), kDocs);
  EXPECT_NE(IdBytes(locator.GetIdList()), kDocs.data()) << "the locator keeps its own copy";
  locator.SetIdList(Id(kDocs));
  EXPECT_EQ(changes, 1);
  locator.SetIdList(Id(kThree));
  EXPECT_EQ(changes, 2);
  locator.Clear();
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(locator.GetIdList(), nullptr);
}

TEST_F(LocatorTest, SettingItsOwnIdKeepsItIntact) {
  locator.SetIdList(Id(kThree));
  locator.SetIdList(locator.GetIdList());
  EXPECT_EQ(BytesOf(locator.GetIdList()), kThree);
  EXPECT_EQ(changes, 1);
}

TEST_F(LocatorTest, AFailedComparisonReplacesTheIdWithoutNotifying) {
  locator.SetIdList(Id(kDocs));
  names.fail_compare = true;
  locator.SetIdList(Id(kThree));
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(BytesOf(locator.GetIdList()), kThree);
}

TEST_F(LocatorTest, SpecialFolderResolvesOnceOnDemand) {
  MakeSpecial(locator, 17);
  EXPECT_EQ(locator.Kind(), TPTShellLocator::lkSpecialFolder);
  EXPECT_EQ(locator.SpecialFolder(), 17);
  EXPECT_EQ(names.resolved, 0);
  EXPECT_EQ(BytesOf(locator.GetIdList()), (Bytes{3, 0, 17, 0, 0}));
  locator.GetIdList();
  EXPECT_EQ(names.resolved, 1);
  EXPECT_EQ(changes, 0) << "reading does not notify";

  TPTShellLocator unresolvable;
  MakeSpecial(unresolvable, 99);
  EXPECT_EQ(unresolvable.GetIdList(), nullptr);
}

TEST_F(LocatorTest, SettingAnIdOnASpecialFolderAlwaysNotifies) {
  MakeSpecial(locator, 17);
  locator.SetIdList(nullptr);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(locator.Kind(), TPTShellLocator::lkIdList);
  EXPECT_EQ(locator.SpecialFolder(), TPTShellLocator::kNoSpecialFolder);
}

TEST_F(LocatorTest, EqualComparesKindThenPlace) {
  TPTShellLocator a, b;
  EXPECT_TRUE(a.Equal(b));
  a.SetIdList(Id(kDocs));
  EXPECT_FALSE(a.Equal(b));
  b.SetIdList(Id(kDocs));
  EXPECT_TRUE(a.Equal(b));
  MakeSpecial(a, 5);
  EXPECT_FALSE(a.Equal(b));
  MakeSpecial(b, 5);
  EXPECT_TRUE(a.Equal(b));
  MakeSpecial(b, 6);
  EXPECT_FALSE(a.Equal(b));
  names.fail_compare = true;
  TPTShellLocator c, d;
  c.SetIdList(Id(kDocs));
  d.SetIdList(Id(kDocs));
  EXPECT_FALSE(c.Equal(d)) << "an unknown comparison is not equal";
  EXPECT_TRUE(c.Equal(c));
}

TEST_F(LocatorTest, AssignBetweenSpecialFoldersNotifiesOnlyOnADifference) {
  TPTShellLocator source;
  MakeSpecial(source, 17);
  MakeSpecial(locator, 17);
  locator.Assign(source);
  EXPECT_EQ(changes, 0);
  MakeSpecial(source, 5);
  locator.GetIdList();
  locator.Assign(source);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(locator.SpecialFolder(), 5);
  EXPECT_EQ(BytesOf(locator.GetIdList()), (Bytes{3, 0, 5, 0, 0})) << "resolved anew";
}

TEST_F(LocatorTest, AssignCopiesAListAndAlwaysNotifiesAChangeOfKind) {
  TPTShellLocator source;
  source.SetIdList(Id(kThree));
  locator.Assign(source);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(BytesOf(locator.GetIdList()), kThree);
  EXPECT_NE(locator.GetIdList(), source.GetIdList());
  // A desktop source turns a special folder into the desktop, still held as no id.
  TPTShellLocator desktop;
  MakeSpecial(locator, 0);
  locator.Assign(desktop);
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(locator.GetIdList(), nullptr);
  EXPECT_TRUE(locator.Equal(desktop));
}

TEST_F(LocatorTest, AssignNothingDropsAHeldId) {
  locator.Assign(nullptr);
  EXPECT_EQ(changes, 0);
  locator.SetIdList(Id(kDocs));
  locator.Assign(nullptr);
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(locator.GetIdList(), nullptr);
}

TEST_F(LocatorTest, AssignFromAnotherClassFails) {
  TComponent other(nullptr);
  EXPECT_THROW(locator.Assign(other), EConvertError);
  EXPECT_EQ(changes, 0);
}

TEST_F(LocatorTest, WrittenListRecordHoldsTheListWithItsLength) {
  locator.SetIdList(Id(kThree));
  TMemoryStream stream;
  locator.WritePidl(stream);
  Bytes expected = {0, 15, 0, 0, 0};
  expected.insert(expected.end(), kThree.begin(), kThree.end());
  EXPECT_EQ(stream.Bytes(), expected);
  EXPECT_EQ(expected[1], 4 + 6 + 3 + 2) << "the item lengths plus the terminator";
  stream.SetPosition(0);
  TPTShellLocator copy;
  copy.ReadPidl(stream);
  EXPECT_TRUE(copy.Equal(locator));
  EXPECT_EQ(BytesOf(copy.GetIdList()), kThree);
}

TEST_F(LocatorTest, SpecialFolderRecordIsTwoBytes) {
  MakeSpecial(locator, 17);
  TMemoryStream stream;
  locator.WritePidl(stream);
  EXPECT_EQ(stream.Bytes(), (Bytes{1, 17}));
  // Any non-zero kind byte reads as a special folder.
  TMemoryStream other(Bytes{7, 9});
  TPTShellLocator read;
  read.ReadPidl(other);
  EXPECT_EQ(read.Kind(), TPTShellLocator::lkSpecialFolder);
  EXPECT_EQ(read.SpecialFolder(), 9);
}

TEST_F(LocatorTest, ReadingASpecialFolderDropsAnOldList) {
  locator.SetIdList(Id(kDocs));
  MakeSpecial(locator, 17);
  EXPECT_EQ(BytesOf(locator.GetIdList()), (Bytes{3, 0, 17, 0, 0}));
}

TEST_F(LocatorTest, DamagedRecordsFailWithAReadErrorAndKeepTheOldPlace) {
  locator.SetIdList(Id(kDocs));
  const std::vector<Bytes> damaged = {
      {},                                 // no kind
      {1},                                // special folder without its number
      {0, 12, 0},                         // cut-off length
      {0, 12, 0, 0, 0, 4, 0, 'C', ':'},   // fewer bytes than the length says
      {0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0},  // a length far beyond the data
      {0, 4, 0, 0, 0, 9, 0, 0, 0},        // an item running past the stated length
      {0, 4, 0, 0, 0, 4, 0, 1, 2},        // no terminator inside the stated length
      {0, 1, 0, 0, 0, 0},                 // a length too short for a terminator
  };
  for (const Bytes& record : damaged) {
    TMemoryStream stream(record);
    EXPECT_THROW(locator.ReadPidl(stream), EReadError) << record.size();
    EXPECT_EQ(BytesOf(locator.GetIdList()), kDocs);
  }
}

TEST_F(LocatorTest, ReadingTheDesktopGivesNoId) {
  locator.SetIdList(Id(kDocs));
  TMemoryStream stream(Bytes{0, 2, 0, 0, 0, 0, 0});
  locator.ReadPidl(stream);
  EXPECT_EQ(locator.GetIdList(), nullptr);
  EXPECT_EQ(changes, 1);
}

// A component that publishes a locator, as the shell views publish theirs.
class TLocatorHost : public TComponent {
public:
  using TComponent::TComponent;
  std::string ClassName() const override { return "TLocatorHost"; }
  TPTShellLocator* Folder() { return &folder; }
  TPTShellLocator folder;
};

const bool kHostRegistered = TTypeRegistry::Class<TLocatorHost>("TLocatorHost", "TComponent")
                                 .Object<TPTShellLocator>("Folder", "TPTShellLocator",
                                                          &TLocatorHost::Folder, nullptr)
                                 .Done();

Bytes Stored(TLocatorHost& host) {
  TMemoryStream stream;
  TWriter(stream).WriteComponent(host);
  return stream.Bytes();
}

TEST_F(LocatorTest, ComponentStreamRoundTripsThePidlProperty) {
  for (bool special : {false, true}) {
    TLocatorHost source(nullptr);
    if (special)
      MakeSpecial(source.folder, 17);
    else
      source.folder.SetIdList(Id(kThree));
    TMemoryStream stream(Stored(source));
    TLocatorHost target(nullptr);
    int target_changes = 0;
    target.folder.SetOnChange([&](TObject*) { ++target_changes; });
    TReader(stream).ReadComponent(target);
    EXPECT_TRUE(target.folder.Equal(source.folder)) << special;
    EXPECT_EQ(target_changes, 0);
  }
}

TEST_F(LocatorTest, DesktopLocatorStoresNoPidl) {
  TLocatorHost host(nullptr);
  const Bytes bytes = Stored(host);
  const char name[] = "Pidl";
  EXPECT_EQ(std::search(bytes.begin(), bytes.end(), name, name + 4), bytes.end());
  host.folder.SetIdList(Id(kDocs));
  const Bytes with = Stored(host);
  EXPECT_NE(std::search(with.begin(), with.end(), name, name + 4), with.end());
}

}  // namespace
}  // namespace tw
