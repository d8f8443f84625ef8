// Text file bytes of any kind: detected, decoded (a stand-in code page of the first 256
// characters for legacy text) and written back. Decoded text is always valid UTF-8, and text
// decoded without loss is written back to the very bytes it came from when its breaks are all
// of one kind.
#include <cstdlib>
#include <string>

#include "fuzz/fuzz_target.h"
#include "viewers/text_encoding.h"

namespace {

tw::TLegacyCodePage FirstPage() {
  return {[](std::string_view bytes) {
            std::string out;
            for (unsigned char b : bytes) out += tw::Utf16ToUtf8(std::u16string(1, b));
            return out;
          },
          [](std::string_view utf8, std::string& bytes) {
            bytes.clear();
            for (char16_t u : tw::Utf8ToUtf16(utf8)) {
              if (u > 0xFF) return false;
              bytes += static_cast<char>(u);
            }
            return true;
          }};
}

// Whether TEXT's line breaks are all BREAKS (a text with breaks of several kinds is written back
// with the first one's).
bool BreaksAreAll(const std::string& text, tw::TLineBreak breaks) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool crlf = text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n';
    if (crlf) ++i;
    if ((crlf && breaks != tw::TLineBreak::CrLf) || (!crlf && text[i] == '\r' && breaks != tw::TLineBreak::Cr) ||
        (text[i] == '\n' && !crlf && breaks != tw::TLineBreak::Lf))
      return false;
  }
  return true;
}

}  // namespace

TW_FUZZ_TARGET(TextEncoding) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const tw::TTextFormat format = tw::DetectTextFormat(bytes);
  bool lossless = false;
  const std::string text = tw::DecodeText(bytes, format, FirstPage(), lossless);
  if (!tw::IsValidUtf8(text)) std::abort();
  std::string saved;
  if (!tw::EncodeText(text, format, FirstPage(), saved)) std::abort();
  if (lossless && BreaksAreAll(text, format.Breaks) && saved != bytes) std::abort();
}

TW_FUZZ_SEEDS(TextEncoding) {
  auto bytes = [](const std::string& s) { return tw::fuzz::Bytes(s.begin(), s.end()); };
  return {bytes("plain\r\ntext"), bytes("\xEF\xBB\xBF" "\xCE\xA9\n"), bytes(std::string("\xFF\xFE" "a\0\r\0\n\0", 8)),
          bytes(std::string("\xFE\xFF\xD8\x3D\xDE\x00", 6)), bytes("caf\xE9\r")};
}
