#include "framework/win/registry.h"

#include <gtest/gtest.h>

#include "framework/strings.h"

namespace tw {
namespace {

// Every test works under its own scratch key, deleted with everything in it afterwards.
class RegIniFileTest : public ::testing::Test {
protected:
  static constexpr const char* kRoot = "Software\\Tarnwick-test-registry";
  void TearDown() override { DeleteRegistryTree(HKEY_CURRENT_USER, kRoot); }

  DWORD TypeOf(const char* section, const char* ident) {
    ScopedKey key;
    std::string path = std::string(kRoot) + "\\" + section;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.Receive()) != 0) return 0;
    DWORD type = 0;
    RegQueryValueExA(key.Get(), ident, nullptr, &type, nullptr, nullptr);
    return type;
  }
  void SetRaw(const char* section, const char* ident, DWORD type, const void* data, DWORD size) {
    ScopedKey key;
    std::string path = std::string(kRoot) + "\\" + section;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                              key.Receive(), nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key.Get(), ident, 0, type, static_cast<const BYTE*>(data), size);
  }
};

TEST_F(RegIniFileTest, ValuesRoundTripAsStringsUnderSectionSubkeys) {
  {
    TRegIniFile store(kRoot);
    store.WriteString("Window", "Panel1_Width", "185");
    store.WriteInteger("Window", "Flags", -2);
    store.WriteBool("Window", "Visible", true);
    store.WriteString("Window", "Empty", "");
  }
  TRegIniFile store(kRoot);
  EXPECT_EQ(store.ReadString("Window", "Panel1_Width", "x"), "185");
  EXPECT_EQ(store.ReadInteger("Window", "Flags", 7), -2);
  EXPECT_TRUE(store.ReadBool("Window", "Visible", false));
  EXPECT_EQ(store.ReadString("Window", "Empty", "x"), "");
  // Integers and Booleans are stored as text, so other programs read them as the same strings.
  EXPECT_EQ(TypeOf("Window", "Flags"), static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(store.ReadString("Window", "Visible", ""), "1");
}

TEST_F(RegIniFileTest, MissingSectionsAndValuesGiveTheDefault) {
  TRegIniFile store(kRoot);
  EXPECT_EQ(store.ReadString("Nowhere", "Value", "dflt"), "dflt");
  EXPECT_EQ(store.ReadInteger("Nowhere", "Value", 42), 42);
  store.WriteString("Window", "Other", "1");
  EXPECT_EQ(store.ReadString("Window", "Value", "dflt"), "dflt");
  EXPECT_FALSE(store.ValueExists("Window", "Value"));
  EXPECT_TRUE(store.ValueExists("Window", "Other"));
  EXPECT_FALSE(store.ValueExists("Nowhere", "Other"));
}

TEST_F(RegIniFileTest, IntegersReadHexadecimalAndFallBackOnText) {
  TRegIniFile store(kRoot);
  store.WriteString("S", "Hex", "0x1F");
  store.WriteString("S", "HexUpper", "0XfF");
  store.WriteString("S", "Text", "12abc");
  store.WriteString("S", "AllOnes", "0xFFFFFFFF");
  store.WriteString("S", "TooBig", "4294967296");
  EXPECT_EQ(store.ReadInteger("S", "Hex", 0), 31);
  EXPECT_EQ(store.ReadInteger("S", "HexUpper", 0), 255);
  EXPECT_EQ(store.ReadInteger("S", "Text", 5), 5);
  EXPECT_EQ(store.ReadInteger("S", "AllOnes", 5), -1);
  EXPECT_EQ(store.ReadInteger("S", "TooBig", 5), 5);
  DWORD dword = 1234;
  SetRaw("S", "Dword", REG_DWORD, &dword, sizeof(dword));
  EXPECT_EQ(store.ReadInteger("S", "Dword", 0), 1234);
}

TEST_F(RegIniFileTest, NonStringValueFailsWithInvalidDataType) {
  TRegIniFile store(kRoot);
  const unsigned char bytes[] = {1, 2, 3};
  SetRaw("S", "Blob", REG_BINARY, bytes, sizeof(bytes));
  try {
    store.ReadString("S", "Blob", "");
    FAIL() << "a binary value read as a string";
  } catch (const ERegistryException& e) {
    EXPECT_EQ(e.Message(), "Invalid data type for 'Blob'");
  }
  auto raw = store.ReadBinaryData("S", "Blob");
  ASSERT_TRUE(raw.has_value());
  EXPECT_EQ(*raw, (std::vector<std::uint8_t>{1, 2, 3}));
  EXPECT_FALSE(store.ReadBinaryData("S", "Missing").has_value());
}

TEST_F(RegIniFileTest, StringWithoutTerminatingZeroReadsWhole) {
  SetRaw("S", "Raw", REG_SZ, "abc", 3);
  TRegIniFile store(kRoot);
  EXPECT_EQ(store.ReadString("S", "Raw", ""), "abc");
}

TEST_F(RegIniFileTest, SectionsListNamesValuesAndEraseWithSubkeys) {
  TRegIniFile store(kRoot);
  store.WriteString("Window", "A", "1");
  store.WriteString("Window", "B", "two");
  store.WriteString("Window.Sub", "Count", "2");
  store.WriteString("Window\\Deeper", "X", "y");
  TStringList names;
  store.ReadSection("Window", names);
  ASSERT_EQ(names.Count(), 2);
  TStringList lines;
  store.ReadSectionValues("Window", lines);
  ASSERT_EQ(lines.Count(), 2);
  EXPECT_EQ(lines.Values("A"), "1");
  EXPECT_EQ(lines.Values("B"), "two");
  TStringList sections;
  store.ReadSections(sections);
  EXPECT_EQ(sections.Count(), 2);
  EXPECT_GE(sections.IndexOf("Window"), 0);
  EXPECT_GE(sections.IndexOf("Window.Sub"), 0);

  store.EraseSection("Window");
  EXPECT_FALSE(store.SectionExists("Window"));
  EXPECT_EQ(store.ReadString("Window", "A", "gone"), "gone");
  EXPECT_EQ(store.ReadString("Window\\Deeper", "X", "gone"), "gone");
  EXPECT_EQ(store.ReadString("Window.Sub", "Count", ""), "2");
  store.DeleteKey("Window.Sub", "Count");
  EXPECT_FALSE(store.ValueExists("Window.Sub", "Count"));
}

TEST_F(RegIniFileTest, ErasingTheEmptySectionKeepsTheKeyItself) {
  TRegIniFile store(kRoot);
  store.WriteString("", "Top", "1");
  store.WriteString("Child", "V", "2");
  store.EraseSection("");
  EXPECT_FALSE(store.ValueExists("", "Top"));
  EXPECT_FALSE(store.SectionExists("Child"));
  store.WriteString("", "Again", "3");
  EXPECT_EQ(store.ReadString("", "Again", ""), "3");
}

}  // namespace
}  // namespace tw
