#include "framework/win/ini_file.h"

#include <gtest/gtest.h>

#include "framework/strings.h"
#include "tests/support/temp_folder.h"

namespace tw {
namespace {

TEST(IniFile, ValuesRoundTripThroughTheFile) {
  test::TempFolder folder;
  const std::string path = folder.File("layout.ini");
  {
    TIniFile ini(path);
    ini.WriteString("Window", "NormPos", "10,20,300,400");
    ini.WriteInteger("Window", "ShowCmd", 3);
    ini.WriteBool("Window", "Visible", false);
  }
  const auto bytes = test::ReadFileBytes(path);
  const std::string text(bytes.begin(), bytes.end());
  EXPECT_NE(text.find("[Window]"), std::string::npos);
  EXPECT_NE(text.find("ShowCmd=3"), std::string::npos);
  TIniFile ini(path);
  EXPECT_EQ(ini.ReadString("Window", "NormPos", ""), "10,20,300,400");
  EXPECT_EQ(ini.ReadInteger("Window", "ShowCmd", 0), 3);
  EXPECT_FALSE(ini.ReadBool("Window", "Visible", true));
  EXPECT_EQ(ini.ReadString("Window", "Missing", "dflt"), "dflt");
  EXPECT_EQ(ini.ReadInteger("Other", "Missing", -9), -9);
}

// The system drops one pair of quotes around a value when it reads it; values that carry quotes
// of their own must come back unchanged all the same.
TEST(IniFile, QuotedValuesReadBackUnchanged) {
  test::TempFolder folder;
  TIniFile ini(folder.File("q.ini"));
  const std::string values[] = {"\"double\"", "'single'", "\"", "'mixed\"", "plain \"in\" side"};
  int i = 0;
  for (const auto& v : values) ini.WriteString("Q", "V" + std::to_string(i++), v);
  i = 0;
  for (const auto& v : values) EXPECT_EQ(ini.ReadString("Q", "V" + std::to_string(i++), ""), v);
}

TEST(IniFile, LongValuesAreNotCutShort) {
  test::TempFolder folder;
  TIniFile ini(folder.File("long.ini"));
  std::string value(5000, 'x');
  value.back() = 'y';
  ini.WriteString("S", "Long", value);
  EXPECT_EQ(ini.ReadString("S", "Long", ""), value);
}

TEST(IniFile, SectionsNamesValuesExistenceAndErase) {
  test::TempFolder folder;
  TIniFile ini(folder.File("s.ini"));
  ini.WriteString("A", "One", "1");
  ini.WriteString("A", "Two", "0x10");
  ini.WriteString("B", "Three", "3");
  TStringList names;
  ini.ReadSection("A", names);
  ASSERT_EQ(names.Count(), 2);
  EXPECT_EQ(names.Get(0), "One");
  EXPECT_EQ(names.Get(1), "Two");
  EXPECT_EQ(ini.ReadInteger("A", "Two", 0), 16);
  TStringList lines;
  ini.ReadSectionValues("A", lines);
  ASSERT_EQ(lines.Count(), 2);
  EXPECT_EQ(lines.Get(1), "Two=0x10");
  TStringList sections;
  ini.ReadSections(sections);
  ASSERT_EQ(sections.Count(), 2);
  EXPECT_TRUE(ini.ValueExists("A", "One"));
  EXPECT_FALSE(ini.ValueExists("A", "Three"));
  EXPECT_TRUE(ini.SectionExists("B"));
  ini.EraseSection("A");
  EXPECT_FALSE(ini.SectionExists("A"));
  EXPECT_EQ(ini.ReadString("A", "One", "gone"), "gone");
  ini.DeleteKey("B", "Three");
  EXPECT_FALSE(ini.SectionExists("B"));
}

TEST(IniFile, WriteIntoMissingFolderFailsWithTheFileName) {
  test::TempFolder folder;
  const std::string path = folder.File("no-such-folder\\x.ini");
  TIniFile ini(path);
  try {
    ini.WriteString("S", "V", "1");
    FAIL() << "a write into a missing folder succeeded";
  } catch (const EIniFileException& e) {
    EXPECT_EQ(e.Message(), "Unable to write to " + path);
  }
}

}  // namespace
}  // namespace tw
