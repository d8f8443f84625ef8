#include <gtest/gtest.h>

#include "shell/shell_shortcuts.h"
#include "shell/shortcut_text.h"

namespace tw {
namespace {

TEST(TextToShortCut, NamedKeysMapToTheirVirtualKeys) {
  const std::pair<const char*, TShortCut> cases[] = {
      {"BkSp", 0x08}, {"Tab", 0x09},   {"Enter", 0x0D}, {"Esc", 0x1B}, {"Space", 0x20},
      {"PgUp", 0x21}, {"PgDn", 0x22},  {"End", 0x23},   {"Home", 0x24}, {"Left", 0x25},
      {"Up", 0x26},   {"Right", 0x27}, {"Down", 0x28},  {"Ins", 0x2D},  {"Del", 0x2E},
      {"0", 0x30},    {"9", 0x39},     {"A", 0x41},     {"Z", 0x5A},    {"F1", 0x70},
      {"F10", 0x79},  {"F24", 0x87},   {"#93", 93},     {"#255", 255},
  };
  for (const auto& [text, key] : cases) EXPECT_EQ(TextToShortCut(text), key) << text;
}

TEST(TextToShortCut, PrefixesCombineInAnyOrderAndCase) {
  EXPECT_EQ(TextToShortCut("Ctrl+C"), scCtrl | 'C');
  EXPECT_EQ(TextToShortCut("^X"), scCtrl | 'X');
  EXPECT_EQ(TextToShortCut("Shift+F10"), scShift | 0x79);
  EXPECT_EQ(TextToShortCut("alt+shift+Del"), scAlt | scShift | 0x2E);
  EXPECT_EQ(TextToShortCut("SHIFT+CTRL+ALT+Home"), scShift | scCtrl | scAlt | 0x24);
  EXPECT_EQ(TextToShortCut("Ctrl+del"), scCtrl | 0x2E);
  EXPECT_EQ(TextToShortCut("Ctrl+a"), scCtrl | 'A');
}

TEST(TextToShortCut, TextThatNamesNoKeyIsNoShortcut) {
  for (const char* text : {"", "Ctrl+", "Shift", "F0", "F25", "#", "#0", "#256", "#1x",
                           "Ctrl+Ctrl", "Delete", "Ctrl C", "+", "!", "Ctrl+F1000"})
    EXPECT_EQ(TextToShortCut(text), 0) << text;
  EXPECT_EQ(TextToShortCut("F"), 'F') << "a lone F is the letter key";
}

TEST(DefaultShellShortcuts, HoldsTheSevenViewKeysParsed) {
  const auto& table = DefaultShellShortcuts();
  EXPECT_EQ(table[sskSelectAll].Text, "Ctrl+A");
  EXPECT_EQ(table[sskSelectAll].ShortCut, scCtrl | 'A');
  EXPECT_EQ(table[sskDelete].ShortCut, 0x2E);
  EXPECT_EQ(table[sskCopy].ShortCut, scCtrl | 'C');
  EXPECT_EQ(table[sskCut].ShortCut, scCtrl | 'X');
  EXPECT_EQ(table[sskPaste].ShortCut, scCtrl | 'V');
  EXPECT_EQ(table[sskRefresh].ShortCut, 0x74);
  EXPECT_EQ(table[sskRename].ShortCut, 0x71);
}

}  // namespace
}  // namespace tw
