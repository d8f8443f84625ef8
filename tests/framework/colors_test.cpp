#include "framework/colors.h"

#include <gtest/gtest.h>

namespace tw {
namespace {

TEST(Colors, LayoutIsRedGreenBlueFromTheLowByte) {
  const TColor c = RGBToColor(0x12, 0x34, 0x56);
  EXPECT_EQ(c, 0x563412);
  EXPECT_EQ(ColorRed(c), 0x12);
  EXPECT_EQ(ColorGreen(c), 0x34);
  EXPECT_EQ(ColorBlue(c), 0x56);
  EXPECT_EQ(RGBToColor(255, 0, 255), clFuchsia);
  EXPECT_EQ(ColorRed(clRed), 255);
  EXPECT_EQ(ColorBlue(clNavy), 0x80);
}

TEST(Colors, SystemColoursCarryTheHighBitAndTheirIndex) {
  EXPECT_EQ(static_cast<std::uint32_t>(clWindow), 0x80000005u);
  EXPECT_EQ(static_cast<std::uint32_t>(clWindowText), 0x80000008u);
  EXPECT_EQ(static_cast<std::uint32_t>(clBtnFace), 0x8000000Fu);
  EXPECT_EQ(static_cast<std::uint32_t>(clHighlight), 0x8000000Du);
  EXPECT_EQ(static_cast<std::uint32_t>(clInfoBk), 0x80000018u);
  EXPECT_EQ(static_cast<std::uint32_t>(clGrayText), 0x80000011u);
  EXPECT_TRUE(IsSystemColor(clScrollBar));
  EXPECT_FALSE(IsSystemColor(clNone));
  EXPECT_FALSE(IsSystemColor(clWhite));
  EXPECT_EQ(clNone, 0x1FFFFFFF);
}

}  // namespace
}  // namespace tw
