#pragma once
// The encodings of text files: what a file's bytes are (a byte order mark decides; without one,
// text that is valid UTF-8 is UTF-8, anything else is in a legacy code page), its text as UTF-8,
// and the same text written back in the file's own encoding, mark and line breaks, so that an
// untouched text saved again gives the file's bytes.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

enum class TTextEncoding { Utf8, Utf16LE, Utf16BE, Legacy };
enum class TLineBreak { CrLf, Lf, Cr };

struct TTextFormat {
  TTextEncoding Encoding = TTextEncoding::Utf8;
  bool Bom = false;
  // The first line break the file holds; a file without one takes CR LF, the platform's own.
  TLineBreak Breaks = TLineBreak::CrLf;
  friend bool operator==(const TTextFormat&, const TTextFormat&) = default;
};

// The format of a file whose bytes are BYTES, or of one that begins with them when not WHOLE
// (a UTF-8 sequence that the end of a part cuts still counts as UTF-8).
TTextFormat DetectTextFormat(std::string_view bytes, bool whole = true);

// The size of the byte order mark FORMAT begins with.
std::size_t BomSize(const TTextFormat& format);

// A legacy code page's conversions: to UTF-8, and from UTF-8 into BYTES, answering false when a
// character has no form there (nothing is then substituted for it).
struct TLegacyCodePage {
  std::function<std::string(std::string_view bytes)> Decode;
  std::function<bool(std::string_view utf8, std::string& bytes)> Encode;
};

// The text of a file's BYTES (mark included) in FORMAT as UTF-8. Bytes that are not text of the
// encoding (a stray UTF-16 half, an odd last byte, a bad UTF-8 sequence after a mark) become
// U+FFFD and LOSSLESS turns false.
std::string DecodeText(std::string_view bytes, const TTextFormat& format, const TLegacyCodePage& legacy,
                       bool& lossless);

// UTF8 written in FORMAT, its CR LF breaks given the format's own. False, with nothing written,
// when the legacy code page cannot hold a character; UNREPRESENTABLE then names the first one.
bool EncodeText(std::string_view utf8, const TTextFormat& format, const TLegacyCodePage& legacy,
                std::string& bytes, std::string* unrepresentable = nullptr);

// TEXT with every line break (CR LF, a lone CR or a lone LF) made BREAKS.
std::string WithLineBreaks(std::string_view text, TLineBreak breaks);

bool IsValidUtf8(std::string_view bytes, bool allow_cut_end = false);

// The length of the longest start of TEXT (UTF-8) of at most LIMIT bytes that ends between two
// characters.
std::size_t Utf8CutPoint(std::string_view text, std::size_t limit);

std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

}  // namespace tw
