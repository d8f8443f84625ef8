#include "viewers/win/text_file.h"

#include <algorithm>

#include "viewers/wide_text_slices.h"
#include "viewers/win/legacy_code_page.h"

namespace tw {
namespace {

constexpr int kLongestCharacter = 4;

// Where BYTES, the start of a longer file in FORMAT, is cut so that it ends between characters:
// a few bytes back from its end.
std::size_t PartialEnd(std::string_view bytes, const TTextFormat& format) {
  const std::size_t mark = BomSize(format);
  if (bytes.size() < mark + kLongestCharacter) return mark;
  const std::size_t end = bytes.size() - kLongestCharacter;
  switch (format.Encoding) {
    case TTextEncoding::Utf8: return mark + Utf8CutPoint(bytes.substr(mark), end - mark);
    case TTextEncoding::Utf16LE:
    case TTextEncoding::Utf16BE: {
      const std::size_t even = end - (end - mark) % 2;
      if (even < mark + 2) return even;
      // Not after the first half of a surrogate pair.
      const auto high = static_cast<unsigned char>(bytes[even - (format.Encoding == TTextEncoding::Utf16LE ? 1 : 2)]);
      return high >= 0xD8 && high <= 0xDB ? even - 2 : even;
    }
    case TTextEncoding::Legacy: return end;
  }
  return end;
}

}  // namespace

TTextFile ReadTextFile(TStream& file, std::int64_t limit, bool crlf_is_one_character) {
  // A character takes at most four bytes in any of the encodings, a mark three more, and the
  // cut at the end of a partial read a character more.
  const std::int64_t wanted =
      limit < 0 ? file.Size() : std::min(file.Size(), file.Position() + limit * 4 + 3 * kLongestCharacter);
  std::string bytes(static_cast<std::size_t>(std::max<std::int64_t>(0, wanted - file.Position())), '\0');
  bytes.resize(static_cast<std::size_t>(file.Read(bytes.data(), static_cast<std::int64_t>(bytes.size()))));
  const bool whole = file.Position() >= file.Size();

  TTextFile result;
  result.Format = DetectTextFormat(bytes, whole);
  // A file read only in part ends at a whole character, well past what the limit keeps.
  if (!whole) bytes.resize(PartialEnd(bytes, result.Format));
  const std::string text = DecodeText(bytes, result.Format, LegacyCodePage(), result.Lossless);
  result.Text = Utf8ToUtf16(WithLineBreaks(text, TLineBreak::CrLf));
  if (limit >= 0) {
    const std::size_t fit = WideTextFit(result.Text, limit, crlf_is_one_character);
    result.Cut = fit < result.Text.size() || !whole;
    result.Text.resize(fit);
  }
  return result;
}

bool EncodeTextFile(std::u16string_view text, const TTextFormat& format, std::string& bytes,
                    std::string* unrepresentable) {
  return EncodeText(Utf16ToUtf8(text), format, LegacyCodePage(), bytes, unrepresentable);
}

std::string TextEncodingName(const TTextFormat& format) {
  switch (format.Encoding) {
    case TTextEncoding::Utf8: return format.Bom ? "UTF-8 with BOM" : "UTF-8";
    case TTextEncoding::Utf16LE: return "UTF-16 LE";
    case TTextEncoding::Utf16BE: return "UTF-16 BE";
    case TTextEncoding::Legacy: return "Windows-" + std::to_string(UserLegacyCodePage());
  }
  return {};
}

}  // namespace tw
