#include "framework/exception.h"
#include "framework/string_table.h"

#include <gtest/gtest.h>

namespace tw {
namespace {

TEST(StringTable, TextsAndFormatting) {
  EXPECT_EQ(LoadStr(SReadError), "Stream read error");
  EXPECT_EQ(FmtLoadStr(SFOpenError, std::string("C:\\a.txt")), "Cannot open file C:\\a.txt");
  EXPECT_EQ(FmtLoadStr(SJPEGError, 42), "JPEG error #42");
  EXPECT_EQ(FmtLoadStr(SOleError, 0x80004005u), "OLE error 80004005");
  EXPECT_EQ(FmtLoadStr(SIdListIndexOutOfRange, -1), "TPTIdListArray - index -1 out of range");
  EXPECT_EQ(FmtLoadStr(SUnknownPictureExtension, "xyz"), "Unknown picture file extension (.xyz)");
  EXPECT_EQ(LoadStr(12345), "");
}

TEST(StringTable, GifExtensionLabelIsTwoLowercaseHexDigits) {
  const std::string text = FmtLoadStr(SGIFUnknownExtension, 0xAB);
  EXPECT_EQ(text.substr(text.size() - 2), "ab");
  EXPECT_EQ(FmtLoadStr(SGIFUnknownExtension, 0x5).substr(text.size() - 2), "05");
}

TEST(Exceptions, KindsCarryTheirMessage) {
  try {
    throw EReadError(LoadStr(SReadError));
  } catch (const EStreamError& e) {
    EXPECT_EQ(e.Message(), "Stream read error");
    EXPECT_STREQ(e.what(), "Stream read error");
  }
}

}  // namespace
}  // namespace tw
