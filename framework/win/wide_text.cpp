#include "framework/win/wide_text.h"

#include <windows.h>

namespace tw {

std::wstring ToWide(const std::string& text) {
  if (text.empty()) return {};
  const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

std::string FromWide(const wchar_t* text) {
  if (!text || !*text) return {};
  const int length = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (length <= 1) return {};
  std::string narrow(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, -1, narrow.data(), length, nullptr, nullptr);
  narrow.pop_back();  // the terminator
  return narrow;
}

std::string ModuleFileName() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      return FromWide(path.c_str());
    }
    path.resize(path.size() * 2);
  }
}

std::size_t TextCutPoint(std::string_view text, std::size_t room) {
  if (text.size() <= room) return text.size();
  if (GetACP() == CP_UTF8) {
    std::size_t cut = room;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    return cut;
  }
  std::size_t at = 0;
  while (at < room) {
    const std::size_t step = IsDBCSLeadByte(static_cast<BYTE>(text[at])) ? 2 : 1;
    if (at + step > room) break;
    at += step;
  }
  return at;
}

unsigned UserLegacyCodePage() {
  unsigned code_page = 0;
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                     reinterpret_cast<LPWSTR>(&code_page), sizeof(code_page) / sizeof(WCHAR)) == 0 ||
      code_page == 0 || code_page == CP_UTF8)
    return 1252;
  return code_page;
}

}  // namespace tw
