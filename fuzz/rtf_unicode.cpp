// Rich text of any kind through both code page rewrites (a stand-in code page of the first 256
// characters): neither opens or closes a group, and rich text of ASCII alone without a UTF-8
// header comes out of the common form unchanged.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "fuzz/fuzz_target.h"
#include "viewers/rtf_unicode.h"
#include "viewers/text_encoding.h"

namespace {

std::string FirstPage(std::string_view bytes, unsigned) {
  std::string out;
  for (unsigned char b : bytes) out += tw::Utf16ToUtf8(std::u16string(1, b));
  return out;
}

bool SameGroups(const std::string& a, const std::string& b) {
  return std::count(a.begin(), a.end(), '{') == std::count(b.begin(), b.end(), '{') &&
         std::count(a.begin(), a.end(), '}') == std::count(b.begin(), b.end(), '}');
}

}  // namespace

TW_FUZZ_TARGET(RtfUnicode) {
  const std::string rtf(reinterpret_cast<const char*>(data), size);
  const std::string common = tw::RtfInCommonForm(rtf, 1252);
  const std::string unicode = tw::RtfBytesAsUnicode(rtf, 1252, FirstPage);
  if (!SameGroups(rtf, common) || !SameGroups(rtf, unicode)) std::abort();
  const bool ascii = std::all_of(rtf.begin(), rtf.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (ascii && !rtf.starts_with("{\\urtf") && common != rtf) std::abort();
}

TW_FUZZ_SEEDS(RtfUnicode) {
  auto bytes = [](const std::string& s) { return tw::fuzz::Bytes(s.begin(), s.end()); };
  return {bytes("{\\urtf\\deff0 caf\xC3\xA9 \xF0\x9F\x98\x80}"), bytes("{\\rtf1\\ansicpg1252\\uc2 caf\\'e9\\u937\\'4f\\'4f}"),
          bytes("{\\rtf1 {\\pict\\bin3 \\'e9}}\\'"), bytes("{\\rtf1{\\fonttbl{\\f0\\fcharset204 A;}}\\'cf}")};
}
