// Text files' encodings: what the bytes are taken for, their text, and the text written back to
// the same bytes.
#include "viewers/text_encoding.h"

#include <gtest/gtest.h>

namespace tw {
namespace {

// Greek, Japanese and an emoji outside the Basic Multilingual Plane, with two kinds of break.
constexpr std::string_view kText = "Gr\xC3\xBC\xC3\x9F" "e \xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1\r\n"
                                   "\xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80\r\nend";

// A code page of the first 256 characters, as Latin-1 has them.
TLegacyCodePage Latin1() {
  return {[](std::string_view bytes) {
            std::string out;
            for (unsigned char b : bytes) out += Utf16ToUtf8(std::u16string(1, b));
            return out;
          },
          [](std::string_view utf8, std::string& bytes) {
            bytes.clear();
            for (char16_t u : Utf8ToUtf16(utf8)) {
              if (u > 0xFF) return false;
              bytes += static_cast<char>(u);
            }
            return true;
          }};
}

std::string Utf16Bytes(std::string_view utf8, bool big_endian) {
  std::string bytes;
  for (char16_t u : Utf8ToUtf16(utf8)) {
    bytes += static_cast<char>(big_endian ? u >> 8 : u & 0xFF);
    bytes += static_cast<char>(big_endian ? u & 0xFF : u >> 8);
  }
  return bytes;
}

std::string WithLf(std::string text) {
  for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;) text.erase(at, 1);
  return text;
}

TEST(TextEncoding, AMarkDecidesElseValidUtf8ElseTheLegacyCodePage) {
  const std::string plain(kText);
  EXPECT_EQ(DetectTextFormat(plain), (TTextFormat{TTextEncoding::Utf8, false, TLineBreak::CrLf}));
  EXPECT_EQ(DetectTextFormat("\xEF\xBB\xBF" + WithLf(plain)), (TTextFormat{TTextEncoding::Utf8, true, TLineBreak::Lf}));
  EXPECT_EQ(DetectTextFormat("\xFF\xFE" + Utf16Bytes("a\rb", false)),
            (TTextFormat{TTextEncoding::Utf16LE, true, TLineBreak::Cr}));
  EXPECT_EQ(DetectTextFormat("\xFE\xFF" + Utf16Bytes("a\nb\r\n", true)),
            (TTextFormat{TTextEncoding::Utf16BE, true, TLineBreak::Lf}));
  // Code page 1252's "Grüße": not UTF-8.
  EXPECT_EQ(DetectTextFormat("Gr\xFC\xDF" "e\n").Encoding, TTextEncoding::Legacy);
  // The start of a file may end inside a character; the whole file or its inside may not.
  EXPECT_EQ(DetectTextFormat(plain.substr(0, plain.size() - 6), false).Encoding, TTextEncoding::Utf8);
  EXPECT_EQ(DetectTextFormat("caf\xE9").Encoding, TTextEncoding::Legacy);
  EXPECT_EQ(DetectTextFormat("\xE6\x97 x").Encoding, TTextEncoding::Legacy);
  // Overlong forms and encoded surrogates are not UTF-8 either.
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));
  EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));
  EXPECT_EQ(DetectTextFormat("no break").Breaks, TLineBreak::CrLf);
}

TEST(TextEncoding, EveryFormatGivesItsTextAndTheSameBytesBack) {
  const std::string lf = WithLf(std::string(kText));
  const std::pair<std::string, std::string> files[] = {
      {std::string(kText), std::string(kText)},
      {"\xEF\xBB\xBF" + lf, lf},
      {"\xFF\xFE" + Utf16Bytes(kText, false), std::string(kText)},
      {"\xFE\xFF" + Utf16Bytes(lf, true), lf},
      {"caf\xE9\r\nna\xEFve", "caf\xC3\xA9\r\nna\xC3\xAFve"},
  };
  for (const auto& [file, text] : files) {
    const TTextFormat format = DetectTextFormat(file);
    bool lossless = false;
    EXPECT_EQ(DecodeText(file, format, Latin1(), lossless), text);
    EXPECT_TRUE(lossless);
    // The editor hands its text back with CR LF breaks.
    std::string edited = text, saved;
    for (std::size_t at = 0; (at = edited.find('\n', at)) != std::string::npos; at += 2)
      if (at == 0 || edited[at - 1] != '\r') edited.insert(at, 1, '\r');
    ASSERT_TRUE(EncodeText(edited, format, Latin1(), saved));
    EXPECT_EQ(saved, file);
  }
}

TEST(TextEncoding, WhatIsNoTextOfItsEncodingIsMarkedAndACodePageNeverSubstitutes) {
  bool lossless = true;
  const TTextFormat utf16{TTextEncoding::Utf16LE, true, TLineBreak::CrLf};
  EXPECT_EQ(DecodeText(std::string("\xFF\xFE" "a\0\x00\xD8" "b\0x", 9), utf16, Latin1(), lossless),
            "a\xEF\xBF\xBD" "b\xEF\xBF\xBD");
  EXPECT_FALSE(lossless);
  EXPECT_EQ(DecodeText("\xEF\xBB\xBF" "a\xFF" "b", {TTextEncoding::Utf8, true}, Latin1(), lossless),
            "a\xEF\xBF\xBD" "b");
  EXPECT_FALSE(lossless);

  std::string bytes = "kept", unrepresentable;
  EXPECT_FALSE(EncodeText("caf\xC3\xA9 \xCE\xA9\xCE\xBC", {TTextEncoding::Legacy}, Latin1(), bytes, &unrepresentable));
  EXPECT_EQ(bytes, "kept");
  EXPECT_EQ(unrepresentable, "\xCE\xA9");
}

TEST(TextEncoding, CutsFallBetweenCharacters) {
  const std::string text(kText);
  for (std::size_t limit = 0; limit <= text.size() + 1; ++limit) {
    const std::size_t cut = Utf8CutPoint(text, limit);
    EXPECT_LE(cut, limit);
    EXPECT_TRUE(IsValidUtf8(text.substr(0, cut))) << limit;
    EXPECT_GT(cut + 4, std::min(limit, text.size())) << limit;
  }
  EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x98\x80"), u"\U0001F600");
  EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(text)), text);
}

}  // namespace
}  // namespace tw
