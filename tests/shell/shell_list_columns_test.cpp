#include "shell/shell_list_columns.h"

#include <gtest/gtest.h>

#include <cstring>

#include "framework/stream.h"

namespace tw {
namespace {

std::vector<std::uint8_t> Words(std::initializer_list<std::uint16_t> words) {
  std::vector<std::uint8_t> bytes;
  for (std::uint16_t w : words) {
    bytes.push_back(static_cast<std::uint8_t>(w & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(w >> 8));
  }
  return bytes;
}

TEST(ShellListColumnWidths, SaveReplacesAndLoadCapsAtTheColumnCount) {
  TMemoryStream stream;
  SaveColumnWidths(stream, {10, 20, 30, 40, 50});
  SaveColumnWidths(stream, {1, 2, 3});
  EXPECT_EQ(stream.Size(), 16) << "a count and three widths, nothing left of the longer save";
  EXPECT_EQ(LoadColumnWidths(stream, 4), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(LoadColumnWidths(stream, 2), (std::vector<int>{1, 2}));
  EXPECT_TRUE(LoadColumnWidths(stream, 0).empty());
}

TEST(ShellListColumnWidths, LoadStopsAtTheEndOfADamagedStream) {
  TMemoryStream empty;
  EXPECT_TRUE(LoadColumnWidths(empty, 4).empty());
  // A count of 1000 with only two widths behind it.
  TMemoryStream cut;
  const std::int32_t values[] = {1000, 70, 80};
  cut.WriteBuffer(values, sizeof(values));
  EXPECT_EQ(LoadColumnWidths(cut, 4), (std::vector<int>{70, 80}));
  TMemoryStream negative;
  const std::int32_t minus[] = {-5, 70};
  negative.WriteBuffer(minus, sizeof(minus));
  EXPECT_TRUE(LoadColumnWidths(negative, 4).empty());
}

TEST(ShellListColumnWidths, StandardWidthsFollowTheExplorerValueUntilItRepeats) {
  TDirectoryColsCopy copy;
  TMemoryStream stream;
  // No value: the Explorer's defaults.
  EXPECT_EQ(copy.StandardWidths(std::nullopt, stream), (TStandardWidths{200, 60, 100, 120}));
  const auto value = Words({150, 70, 90, 130, 40});
  EXPECT_EQ(copy.StandardWidths(value, stream), (TStandardWidths{150, 70, 90, 130}))
      << "a new value wins over the saved widths";
  SaveColumnWidths(stream, {11, 22, 33, 44});
  EXPECT_EQ(copy.StandardWidths(value, stream), (TStandardWidths{11, 22, 33, 44}))
      << "an unchanged value leaves the user's widths in force";
  EXPECT_EQ(copy.StandardWidths(Words({151, 70, 90, 130, 40}), stream),
            (TStandardWidths{151, 70, 90, 130}));
}

TEST(ShellListColumnWidths, UnchangedValueWithoutSavedWidthsUsesTheValue) {
  TDirectoryColsCopy copy;
  TMemoryStream stream;
  const auto value = Words({150, 70, 90, 130});
  copy.StandardWidths(value, stream);
  EXPECT_EQ(copy.StandardWidths(value, stream), (TStandardWidths{150, 70, 90, 130}));
}

TEST(ShellListColumnWidths, ShortOrOversizedValuesNeverReadPastTheirData) {
  TDirectoryColsCopy copy;
  TMemoryStream stream;
  // Two words only: the missing two keep the defaults instead of reading beyond the value.
  EXPECT_EQ(copy.StandardWidths(Words({90, 30}), stream), (TStandardWidths{90, 30, 100, 120}));
  std::vector<std::uint8_t> odd = Words({90, 30, 40});
  odd.push_back(7);
  EXPECT_EQ(copy.StandardWidths(odd, stream), (TStandardWidths{90, 30, 40, 120}));
  // Longer than 22 bytes: ignored, the defaults count.
  std::vector<std::uint8_t> long_value(24, 1);
  EXPECT_EQ(copy.StandardWidths(long_value, stream), (TStandardWidths{200, 60, 100, 120}));
  EXPECT_EQ(copy.StandardWidths(std::vector<std::uint8_t>{}, stream),
            (TStandardWidths{200, 60, 100, 120}));
}

}  // namespace
}  // namespace tw
