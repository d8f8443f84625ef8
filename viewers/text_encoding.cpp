#include "viewers/text_encoding.h"

#include <algorithm>

namespace tw {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LEBom = "\xFF\xFE";
constexpr std::string_view kUtf16BEBom = "\xFE\xFF";
constexpr char32_t kReplacement = 0xFFFD;

// The length of the UTF-8 sequence at TEXT[at] and its character; 0 when the bytes there are no
// well-formed sequence (overlong forms, surrogates and values past U+10FFFF included), -1 when
// they are the start of one that the text's end cuts.
int DecodeUtf8At(std::string_view text, std::size_t at, char32_t& c) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  if (lead < 0x80) {
    c = lead;
    return 1;
  }
  int length = 0;
  char32_t lowest = 0;
  if ((lead & 0xE0) == 0xC0) length = 2, c = lead & 0x1F, lowest = 0x80;
  else if ((lead & 0xF0) == 0xE0) length = 3, c = lead & 0x0F, lowest = 0x800;
  else if ((lead & 0xF8) == 0xF0) length = 4, c = lead & 0x07, lowest = 0x10000;
  else return 0;
  for (int i = 1; i < length; ++i) {
    if (at + i >= text.size()) return -1;
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
    c = c << 6 | (byte(at + i) & 0x3F);
  }
  if (c < lowest || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  return length;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | c >> 6);
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | c >> 12);
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | c >> 18);
    out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::string DecodeUtf8(std::string_view bytes, bool& lossless) {
  if (IsValidUtf8(bytes)) return std::string(bytes);
  std::string out;
  for (std::size_t at = 0; at < bytes.size();) {
    char32_t c = 0;
    const int length = DecodeUtf8At(bytes, at, c);
    if (length > 0) {
      out.append(bytes.substr(at, static_cast<std::size_t>(length)));
      at += static_cast<std::size_t>(length);
    } else {
      AppendUtf8(out, kReplacement);
      lossless = false;
      ++at;
    }
  }
  return out;
}

// UTF16 as UTF-8: a surrogate without its other half becomes U+FFFD and LOSSLESS false.
std::string Utf16UnitsToUtf8(std::u16string_view utf16, bool& lossless) {
  std::string out;
  out.reserve(utf16.size());
  for (std::size_t i = 0; i < utf16.size(); ++i) {
    const char16_t u = utf16[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 && utf16[i + 1] <= 0xDFFF) {
      AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (utf16[++i] - 0xDC00));
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      AppendUtf8(out, kReplacement);
      lossless = false;
    } else {
      AppendUtf8(out, u);
    }
  }
  return out;
}

std::string DecodeUtf16(std::string_view bytes, bool big_endian, bool& lossless) {
  std::u16string units(bytes.size() / 2, u'\0');
  for (std::size_t i = 0; i < units.size(); ++i) {
    const auto a = static_cast<unsigned char>(bytes[2 * i]), b = static_cast<unsigned char>(bytes[2 * i + 1]);
    units[i] = static_cast<char16_t>(big_endian ? a << 8 | b : b << 8 | a);
  }
  std::string out = Utf16UnitsToUtf8(units, lossless);
  // An odd last byte is half a unit.
  if (bytes.size() % 2) {
    AppendUtf8(out, kReplacement);
    lossless = false;
  }
  return out;
}

void AppendUtf16(std::string& out, std::string_view utf8, bool big_endian) {
  for (char16_t u : Utf8ToUtf16(utf8)) {
    const char high = static_cast<char>(u >> 8), low = static_cast<char>(u & 0xFF);
    out += big_endian ? high : low;
    out += big_endian ? low : high;
  }
}

}  // namespace

std::string WithLineBreaks(std::string_view text, TLineBreak breaks) {
  const std::string_view wanted = breaks == TLineBreak::CrLf ? "\r\n" : breaks == TLineBreak::Lf ? "\n" : "\r";
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += wanted;
    } else if (text[i] == '\n') {
      out += wanted;
    } else {
      out += text[i];
    }
  }
  return out;
}

bool IsValidUtf8(std::string_view bytes, bool allow_cut_end) {
  for (std::size_t at = 0; at < bytes.size();) {
    if (static_cast<unsigned char>(bytes[at]) < 0x80) {
      ++at;
      continue;
    }
    char32_t c = 0;
    const int length = DecodeUtf8At(bytes, at, c);
    if (length == -1) return allow_cut_end;
    if (length == 0) return false;
    at += static_cast<std::size_t>(length);
  }
  return true;
}

std::size_t Utf8CutPoint(std::string_view text, std::size_t limit) {
  if (limit >= text.size()) return text.size();
  std::size_t cut = limit;
  // Back over continuation bytes to the lead byte of the character the limit splits.
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80 && limit - cut < 3) --cut;
  return (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80 ? limit : cut;
}

TTextFormat DetectTextFormat(std::string_view bytes, bool whole) {
  TTextFormat format;
  if (bytes.starts_with(kUtf8Bom)) {
    format.Bom = true;
  } else if (bytes.starts_with(kUtf16LEBom)) {
    format.Encoding = TTextEncoding::Utf16LE, format.Bom = true;
  } else if (bytes.starts_with(kUtf16BEBom)) {
    format.Encoding = TTextEncoding::Utf16BE, format.Bom = true;
  } else if (!IsValidUtf8(bytes, !whole)) {
    format.Encoding = TTextEncoding::Legacy;
  }
  // The first break, looked for in whole code units of the encoding.
  const std::size_t unit = format.Encoding == TTextEncoding::Utf16LE || format.Encoding == TTextEncoding::Utf16BE ? 2 : 1;
  const std::size_t low = format.Encoding == TTextEncoding::Utf16BE ? 1 : 0;
  const auto is = [&](std::size_t at, char c) {
    if (at + unit > bytes.size() || bytes[at + low] != c) return false;
    return unit == 1 || bytes[at + 1 - low] == 0;
  };
  for (std::size_t at = BomSize(format); at + unit <= bytes.size(); at += unit) {
    if (is(at, '\n')) {
      format.Breaks = TLineBreak::Lf;
      break;
    }
    if (is(at, '\r')) {
      format.Breaks = is(at + unit, '\n') ? TLineBreak::CrLf : TLineBreak::Cr;
      break;
    }
  }
  return format;
}

std::size_t BomSize(const TTextFormat& format) {
  if (!format.Bom) return 0;
  return format.Encoding == TTextEncoding::Utf8 ? kUtf8Bom.size() : format.Encoding == TTextEncoding::Legacy ? 0 : 2;
}

std::string DecodeText(std::string_view bytes, const TTextFormat& format, const TLegacyCodePage& legacy,
                       bool& lossless) {
  lossless = true;
  bytes.remove_prefix(std::min(BomSize(format), bytes.size()));
  switch (format.Encoding) {
    case TTextEncoding::Utf8: return DecodeUtf8(bytes, lossless);
    case TTextEncoding::Utf16LE: return DecodeUtf16(bytes, false, lossless);
    case TTextEncoding::Utf16BE: return DecodeUtf16(bytes, true, lossless);
    case TTextEncoding::Legacy: return legacy.Decode(bytes);
  }
  return {};
}

bool EncodeText(std::string_view utf8, const TTextFormat& format, const TLegacyCodePage& legacy,
                std::string& bytes, std::string* unrepresentable) {
  const std::string text = WithLineBreaks(utf8, format.Breaks);
  std::string out;
  switch (format.Encoding) {
    case TTextEncoding::Utf8:
      if (format.Bom) out = kUtf8Bom;
      out += text;
      break;
    case TTextEncoding::Utf16LE:
    case TTextEncoding::Utf16BE: {
      const bool big_endian = format.Encoding == TTextEncoding::Utf16BE;
      if (format.Bom) out = big_endian ? kUtf16BEBom : kUtf16LEBom;
      AppendUtf16(out, text, big_endian);
      break;
    }
    case TTextEncoding::Legacy:
      if (!legacy.Encode(text, out)) {
        if (unrepresentable) {
          // The first character that has no form of its own there.
          unrepresentable->clear();
          std::string one;
          for (std::size_t at = 0; at < text.size();) {
            char32_t c = 0;
            const int length = std::max(1, DecodeUtf8At(text, at, c));
            if (!legacy.Encode(text.substr(at, static_cast<std::size_t>(length)), one)) {
              *unrepresentable = text.substr(at, static_cast<std::size_t>(length));
              break;
            }
            at += static_cast<std::size_t>(length);
          }
        }
        return false;
      }
      break;
  }
  bytes = std::move(out);
  return true;
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  for (std::size_t at = 0; at < utf8.size();) {
    char32_t c = 0;
    const int length = DecodeUtf8At(utf8, at, c);
    if (length <= 0) c = kReplacement;
    at += static_cast<std::size_t>(std::max(1, length));
    if (c >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
  bool lossless = true;
  return Utf16UnitsToUtf8(utf16, lossless);
}

}  // namespace tw
