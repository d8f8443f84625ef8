// Text files in every encoding the text page reads: shown exactly, in slices when long, and
// saved back in their own encoding, byte order mark and line breaks.
#include <gtest/gtest.h>

#include <string>

#include "framework/exception.h"
#include "tests/support/temp_folder.h"
#include "tests/support/win/pump.h"
#include "tests/viewers/win/rich_edit_test_support.h"
#include "viewers/win/legacy_code_page.h"
#include "viewers/win/rich_edit_control.h"
#include "viewers/win/text_file.h"

namespace tw {
namespace {

using test::TempFolder;

// Japanese, Greek, Cyrillic, Chinese and an emoji outside the Basic Multilingual Plane.
constexpr char kScripts[] = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E \xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1 "
                            "\xD0\x9F\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0 \xE5\x86\x99\xE7\x9C\x9F \xF0\x9F\x98\x80";

std::string Encoded(const std::string& utf8, const TTextFormat& format) {
  std::string bytes;
  EXPECT_TRUE(EncodeText(utf8, format, LegacyCodePage(1252), bytes));
  return bytes;
}

std::string FileText(const std::string& path) {
  const auto bytes = test::ReadFileBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

class RichEditEncodingTest : public test::RichEditTest {
protected:
  // The editor's whole text as UTF-8 with CR LF breaks.
  std::string Shown() { return Utf16ToUtf8(WideControlText(edit_->Handle())); }
  bool LoadEnds() { return test::PumpUntil([&] { return !edit_->Loading(); }, 120000); }

  TempFolder folder_;
};

TEST_F(RichEditEncodingTest, EveryEncodingShowsExactlyAndSavesBackToItsOwnBytes) {
  ASSERT_EQ(UserLegacyCodePage(), 1252u) << "the test prefix's locale";
  const std::string scripts = std::string(kScripts) + "\r\nsecond line\r\n";
  const std::string western = "Gr\xC3\xBC\xC3\x9F" "e, caf\xC3\xA9\r\n\xE2\x82\xAC 5";
  const std::pair<std::string, TTextFormat> files[] = {
      {scripts, {TTextEncoding::Utf8, false, TLineBreak::CrLf}},
      {scripts, {TTextEncoding::Utf8, true, TLineBreak::Lf}},
      {scripts, {TTextEncoding::Utf16LE, true, TLineBreak::CrLf}},
      {scripts, {TTextEncoding::Utf16BE, true, TLineBreak::Cr}},
      {western, {TTextEncoding::Legacy, false, TLineBreak::CrLf}},
  };
  for (const auto& [text, format] : files) {
    const std::string bytes = Encoded(text, format);
    const std::string path = folder_.Write("file.txt", bytes);
    edit_->Lines().LoadFromFile(path);
    EXPECT_EQ(Shown(), text) << TextEncodingName(format);
    EXPECT_EQ(edit_->TextFormat(), format) << TextEncodingName(format);
    edit_->Lines().SaveToFile(folder_.File("untouched.txt"));
    EXPECT_TRUE(FileText(folder_.File("untouched.txt")) == bytes) << TextEncodingName(format);

    // An edit keeps the encoding, the mark and the breaks.
    const int end = ControlTextLength(edit_->Handle());
    edit_->SetSelection(end, end, false);
    ReplaceSelectionWide(edit_->Handle(), u"\r\n\u00E9!");
    edit_->Lines().SaveToFile(path);
    EXPECT_TRUE(FileText(path) == Encoded(text + "\r\n\xC3\xA9!", format)) << TextEncodingName(format);
  }
}

TEST_F(RichEditEncodingTest, ALegacyTextIsNeverSavedWithASubstitute) {
  const std::string original = "caf\xE9\r\n";
  const std::string path = folder_.Write("western.txt", original);
  edit_->Lines().LoadFromFile(path);
  edit_->SetSelection(0, 0, false);
  ReplaceSelectionWide(edit_->Handle(), u"\u03A9 ");
  std::string missing;
  EXPECT_FALSE(edit_->TextFitsItsFormat(&missing));
  EXPECT_EQ(missing, "\xCE\xA9");
  EXPECT_THROW(edit_->Lines().SaveToFile(path), EInvalidOperation);
  EXPECT_TRUE(FileText(path) == original);

  // Saved as UTF-8 instead, the text keeps every character; a new text is UTF-8 to begin with.
  edit_->SetTextFormat({TTextEncoding::Utf8, false, TLineBreak::CrLf});
  edit_->Lines().SaveToFile(path);
  EXPECT_TRUE(FileText(path) == "\xCE\xA9 caf\xC3\xA9\r\n");
  edit_->Clear();
  EXPECT_EQ(edit_->TextFormat(), TTextFormat{});
}

TEST_F(RichEditEncodingTest, LongTextsArriveInSlicesWithEveryCharacterIntact) {
  // Lines of one to eight characters of one to four bytes, so that characters and surrogate
  // pairs fall on every seam of the slices.
  const std::string characters[] = {"a", "\xC3\xA9", "\xE6\x97\xA5", "\xF0\x9F\x98\x80"};
  std::string text;
  for (int line = 0; text.size() < (2u << 20); ++line) {
    for (int i = 0; i <= line % 8; ++i) text += characters[(line + i) % 4];
    text += "\r\n";
  }
  for (const TTextFormat& format : {TTextFormat{TTextEncoding::Utf8}, TTextFormat{TTextEncoding::Utf16LE, true}}) {
    const std::string bytes = Encoded(text, format);
    const std::string path = folder_.Write("long.txt", bytes);
    edit_->Lines().LoadFromFile(path);
    EXPECT_TRUE(edit_->Loading()) << TextEncodingName(format);
    ASSERT_TRUE(LoadEnds());
    EXPECT_FALSE(edit_->Truncated());
    EXPECT_TRUE(Shown() == text) << TextEncodingName(format);
    edit_->Lines().SaveToFile(path);
    EXPECT_TRUE(FileText(path) == bytes) << TextEncodingName(format);
  }
}

}  // namespace
}  // namespace tw
