#include "framework/strings.h"

#include <gtest/gtest.h>

#include "framework/exception.h"
#include "framework/stream.h"
#include "tests/support/temp_folder.h"

namespace tw {
namespace {

std::vector<std::string> Lines(const TStrings& list) {
  std::vector<std::string> lines;
  for (int i = 0; i < list.Count(); ++i) lines.push_back(list.Get(i));
  return lines;
}

TEST(StringList, SortedInsertKeepsOrderIgnoringCaseByDefault) {
  TStringList list;
  list.SetSorted(true);
  list.Add("pear");
  list.Add("Apple");
  list.Add("banana");
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"Apple", "banana", "pear"}));
  int index = -1;
  EXPECT_TRUE(list.Find("APPLE", index));
  EXPECT_EQ(index, 0);
  EXPECT_FALSE(list.Find("cherry", index));
  EXPECT_EQ(index, 2);
  EXPECT_EQ(list.IndexOf("PEAR"), 2);
  EXPECT_THROW(list.Insert(0, "x"), EListError);
  EXPECT_THROW(list.Put(0, "x"), EListError);

  list.SetCaseSensitive(true);
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"Apple", "banana", "pear"}));
  EXPECT_EQ(list.IndexOf("apple"), -1);
  list.Add("apple");
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"Apple", "apple", "banana", "pear"}));
}

TEST(StringList, DuplicateModesOfASortedList) {
  TObject first, second;
  TStringList list;
  list.SetSorted(true);
  EXPECT_EQ(list.AddObject("b", &first), 0);
  EXPECT_EQ(list.AddObject("B", &second), 0);  // dupIgnore: the existing line and its object stay
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(list.Objects(0), &first);

  list.SetDuplicates(dupError);
  try {
    list.Add("b");
    FAIL() << "duplicate accepted";
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message(), "String list does not allow duplicates");
  }
  list.SetDuplicates(dupAccept);
  list.Add("a");
  list.Add("b");
  list.Add("c");
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"a", "b", "b", "c"}));

  // An unsorted list takes duplicates whatever the mode.
  TStringList plain;
  plain.SetDuplicates(dupError);
  plain.Add("x");
  plain.Add("x");
  EXPECT_EQ(plain.Count(), 2);
}

TEST(StringList, TextBreaksAtCrLfCrAndLfAndWritesCrLf) {
  TStringList list;
  list.SetText("one\r\ntwo\rthree\nfour");
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"one", "two", "three", "four"}));
  EXPECT_EQ(list.Text(), "one\r\ntwo\r\nthree\r\nfour\r\n");
  list.SetText("a\r\n\r\n");
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"a", ""}));
  list.SetText("\n\r\r\n");
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"", "", ""}));
  list.SetText("");
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Text(), "");
  list.SetText("last\r");
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"last"}));
}

TEST(StringList, ChangeEventsAreBatchedByUpdateBlocks) {
  TStringList list;
  std::vector<std::string> events;
  list.OnChanging = [&](TObject* sender) {
    EXPECT_EQ(sender, &list);
    events.push_back("changing");
  };
  list.OnChange = [&](TObject*) { events.push_back("change"); };
  list.Add("a");
  EXPECT_EQ(events, (std::vector<std::string>{"changing", "change"}));
  events.clear();
  list.BeginUpdate();
  list.BeginUpdate();
  list.Add("b");
  list.Delete(0);
  list.EndUpdate();
  EXPECT_EQ(events, (std::vector<std::string>{"changing"}));
  list.EndUpdate();
  EXPECT_EQ(events, (std::vector<std::string>{"changing", "change"}));
  events.clear();
  list.EndUpdate();  // unbalanced: ignored
  EXPECT_TRUE(events.empty());
  list.SetText("x\ny\nz");
  EXPECT_EQ(events, (std::vector<std::string>{"changing", "change"}));
}

TEST(StringList, IndexErrorsNameTheIndex) {
  TStringList list;
  list.Add("only");
  try {
    list.Get(1);
    FAIL() << "read past the end";
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message(), "List index out of bounds (1)");
  }
  EXPECT_THROW(list.Delete(-1), EListError);
  EXPECT_THROW(list.Insert(2, "x"), EListError);
  EXPECT_THROW(list.Objects(5), EListError);
  EXPECT_THROW(list.Move(0, 3), EListError);
  list.Insert(1, "end");
  EXPECT_EQ(list.Get(1), "end");
}

TEST(StringList, ObjectsTravelWithTheirLines) {
  TObject o1, o2, o3;
  TStringList list;
  list.AddObject("one", &o1);
  list.AddObject("two", &o2);
  list.AddObject("three", &o3);
  list.Move(0, 2);
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"two", "three", "one"}));
  EXPECT_EQ(list.Objects(2), &o1);
  list.Exchange(0, 1);
  EXPECT_EQ(list.Objects(0), &o3);
  list.Put(0, "THREE");
  EXPECT_EQ(list.Objects(0), &o3);
  list.SetSorted(true);
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"one", "THREE", "two"}));
  EXPECT_EQ(list.Objects(1), &o3);
  EXPECT_EQ(list.IndexOfObject(&o2), 2);

  TStringList copy;
  copy.Add("old");
  copy.Assign(list);
  EXPECT_TRUE(copy.Equals(list));
  EXPECT_EQ(copy.Objects(2), &o2);
  copy.Put(0, "One");
  EXPECT_FALSE(copy.Equals(list));  // exact comparison
}

TEST(StringList, CustomSortComparesByIndex) {
  TStringList list;
  list.SetText("10\n9\n100\n9");
  list.CustomSort([](TStringList& l, int a, int b) { return std::stoi(l.Get(a)) - std::stoi(l.Get(b)); });
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"9", "9", "10", "100"}));
}

TEST(StringList, NameValuePairs) {
  TStringList list;
  list.SetText("Width=200\nCaption=a=b\nplain");
  EXPECT_EQ(list.Values("width"), "200");
  EXPECT_EQ(list.Values("Caption"), "a=b");
  EXPECT_EQ(list.Values("plain"), "");
  EXPECT_EQ(list.Names(1), "Caption");
  EXPECT_EQ(list.Names(2), "");
  list.SetValue("Width", "300");
  list.SetValue("Height", "10");
  list.SetValue("Caption", "");
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"Width=300", "plain", "Height=10"}));
}

TEST(StringList, StreamAndFileRoundTrip) {
  test::TempFolder folder;
  TStringList list;
  list.SetText("alpha\nbeta\n\ngamma");
  const std::string path = folder.File("lines.txt");
  list.SaveToFile(path);
  TStringList loaded;
  loaded.LoadFromFile(path);
  EXPECT_TRUE(loaded.Equals(list));

  TMemoryStream stream;
  stream.WriteBuffer("skip|x\ry", 8);
  stream.SetPosition(5);
  loaded.LoadFromStream(stream);
  EXPECT_EQ(Lines(loaded), (std::vector<std::string>{"x", "y"}));
  EXPECT_THROW(loaded.LoadFromFile(folder.File("absent.txt")), EFOpenError);
  EXPECT_EQ(loaded.Count(), 2);
}

}  // namespace
}  // namespace tw
