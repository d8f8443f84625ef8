#include "viewers/rtf_unicode.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "viewers/text_encoding.h"

namespace tw {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsHex(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

int HexValue(char c) { return IsDigit(c) ? c - '0' : (c | 0x20) - 'a' + 10; }

// The number after CONTROL (such as "\ansicpg") in RTF, or FALLBACK.
unsigned NumberAfter(std::string_view rtf, std::string_view control, unsigned fallback) {
  const std::size_t at = rtf.find(control);
  if (at == std::string_view::npos) return fallback;
  unsigned value = 0;
  bool any = false;
  for (std::size_t i = at + control.size(); i < rtf.size() && IsDigit(rtf[i]); ++i) {
    value = value * 10 + static_cast<unsigned>(rtf[i] - '0');
    any = true;
  }
  return any ? value : fallback;
}

// Copies rich text token by token, following the groups for the stand-in count (\ucN, one by
// default) that a \uN escape put in must be followed by. A run of \'hh bytes goes to HEX_RUN and
// a run of raw bytes beyond ASCII to RAW_RUN, each of which answers it as UTF-8 that is then
// written as \uN escapes (a \'hh run answered with nothing stays as it was).
class TRtfRewriter {
public:
  explicit TRtfRewriter(std::string_view rtf) : rtf_(rtf) { out_.reserve(rtf.size() + rtf.size() / 8); }

  template <class HexRun, class RawRun>
  std::string Run(HexRun hex_run, RawRun raw_run) {
    while (at_ < rtf_.size()) {
      const char c = rtf_[at_];
      if (stand_ins_ > 0 && c != '{' && c != '}') {
        // The stand-ins of a \uN the text holds go through as they are.
        --stand_ins_;
        CopyStandIn();
      } else if (static_cast<unsigned char>(c) >= 0x80) {
        const std::size_t end = std::find_if(rtf_.begin() + static_cast<std::ptrdiff_t>(at_), rtf_.end(),
                                             [](char b) { return static_cast<unsigned char>(b) < 0x80; }) -
                                rtf_.begin();
        Escape(raw_run(rtf_.substr(at_, end - at_)));
        at_ = end;
      } else if (c == '{') {
        stand_ins_ = 0;
        skips_.push_back(skips_.back());
        out_ += rtf_[at_++];
      } else if (c == '}') {
        stand_ins_ = 0;
        if (skips_.size() > 1) skips_.pop_back();
        out_ += rtf_[at_++];
      } else if (c == '\\' && at_ + 1 < rtf_.size()) {
        ControlWord(hex_run);
      } else {
        out_ += rtf_[at_++];
      }
    }
    return std::move(out_);
  }

  // Puts REPLACEMENT where the text opens with HEADER (a brace and a control word); false when
  // it does not.
  bool ReplaceHeader(std::string_view header, std::string_view replacement) {
    if (!rtf_.starts_with(header)) return false;
    out_ = replacement;
    at_ = header.size();
    skips_.push_back(skips_.back());
    return true;
  }

private:
  // One stand-in: a \'hh byte, a control word or a character.
  void CopyStandIn() {
    std::size_t end = at_ + 1;
    if (rtf_[at_] == '\\' && end < rtf_.size()) {
      if (rtf_[end] == '\'') {
        end = std::min(rtf_.size(), at_ + 4);
      } else {
        end = WordEnd(at_);
      }
    }
    out_.append(rtf_.substr(at_, end - at_));
    at_ = end;
  }

  // The end of the control word or symbol at AT, its number and delimiting space included.
  std::size_t WordEnd(std::size_t at) const {
    std::size_t end = at + 1;
    while (end < rtf_.size() && rtf_[end] >= 'a' && rtf_[end] <= 'z') ++end;
    if (end == at + 1) return std::min(rtf_.size(), at + 2);
    if (end < rtf_.size() && rtf_[end] == '-') ++end;
    while (end < rtf_.size() && IsDigit(rtf_[end])) ++end;
    if (end < rtf_.size() && rtf_[end] == ' ') ++end;
    return end;
  }

  template <class HexRun>
  void ControlWord(HexRun hex_run) {
    if (rtf_[at_ + 1] == '\'') {
      // A run of bytes decodes as one: a double-byte character spans two of them.
      std::string bytes;
      std::size_t end = at_;
      while (end + 3 < rtf_.size() && rtf_[end] == '\\' && rtf_[end + 1] == '\'' && IsHex(rtf_[end + 2]) &&
             IsHex(rtf_[end + 3])) {
        bytes += static_cast<char>(HexValue(rtf_[end + 2]) * 16 + HexValue(rtf_[end + 3]));
        end += 4;
      }
      const std::string utf8 = bytes.empty() ? std::string() : hex_run(bytes);
      if (utf8.empty()) {
        out_.append(rtf_.substr(at_, std::max<std::size_t>(end - at_, 2)));
      } else {
        Escape(utf8);
      }
      at_ = std::max(end, at_ + 2);
      return;
    }
    std::size_t letters_end = at_ + 1;
    while (letters_end < rtf_.size() && rtf_[letters_end] >= 'a' && rtf_[letters_end] <= 'z') ++letters_end;
    const std::string_view word = rtf_.substr(at_ + 1, letters_end - at_ - 1);
    std::size_t end = WordEnd(at_);
    const long number = std::strtol(std::string(rtf_.substr(letters_end, end - letters_end)).c_str(), nullptr, 10);
    if (word == "uc") skips_.back() = std::max(0L, number);
    if (word == "u") stand_ins_ = skips_.back();
    if (word == "bin") end = std::min(rtf_.size(), end + static_cast<std::size_t>(std::max(0L, number)));
    out_.append(rtf_.substr(at_, end - at_));
    at_ = end;
  }

  // UTF8 as \uN escapes (N signed, as rich text writes it), each followed by its stand-ins.
  void Escape(std::string_view utf8) {
    for (char16_t unit : Utf8ToUtf16(utf8)) {
      out_ += "\\u" + std::to_string(static_cast<std::int16_t>(unit));
      // A space ends the control word where no stand-in follows.
      out_ += skips_.back() > 0 ? std::string(static_cast<std::size_t>(skips_.back()), '?') : std::string(" ");
    }
  }

  std::string_view rtf_;
  std::size_t at_ = 0;
  std::string out_;
  std::vector<long> skips_{1};
  // Stand-ins still to come after a \uN of the text.
  long stand_ins_ = 0;
};

}  // namespace

std::string RtfInCommonForm(std::string_view rtf, unsigned code_page) {
  TRtfRewriter rewriter(rtf);
  const std::string header = "{\\rtf1\\ansi\\ansicpg" + std::to_string(code_page);
  if (!rewriter.ReplaceHeader("{\\urtf8", header)) rewriter.ReplaceHeader("{\\urtf", header);
  return rewriter.Run([](std::string_view) { return std::string(); },
                      [](std::string_view utf8) { return std::string(utf8); });
}

std::string RtfBytesAsUnicode(std::string_view rtf, unsigned default_code_page, const TCodePageDecoder& decode) {
  if (rtf.find("\\fcharset") != std::string_view::npos) return std::string(rtf);
  // Rich text in UTF-8 holds its characters as they are; other rich text's bytes, raw or \'hh,
  // are in its code page.
  const unsigned code_page = rtf.starts_with("{\\urtf") ? 65001 : NumberAfter(rtf, "\\ansicpg", default_code_page);
  const auto in_code_page = [&](std::string_view bytes) { return decode(bytes, code_page); };
  return TRtfRewriter(rtf).Run(in_code_page, in_code_page);
}

}  // namespace tw
