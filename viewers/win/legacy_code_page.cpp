#include "viewers/win/legacy_code_page.h"

#include <windows.h>

#include <climits>

namespace tw {

TLegacyCodePage LegacyCodePage(unsigned code_page) {
  return {[code_page](std::string_view bytes) {
            if (bytes.empty() || bytes.size() > INT_MAX) return std::string();
            const int size = static_cast<int>(bytes.size());
            std::u16string wide(static_cast<std::size_t>(MultiByteToWideChar(code_page, 0, bytes.data(), size, nullptr, 0)),
                                u'\0');
            MultiByteToWideChar(code_page, 0, bytes.data(), size, reinterpret_cast<LPWSTR>(wide.data()),
                                static_cast<int>(wide.size()));
            return Utf16ToUtf8(wide);
          },
          [code_page](std::string_view utf8, std::string& bytes) {
            bytes.clear();
            const std::u16string wide = Utf8ToUtf16(utf8);
            if (wide.empty()) return true;
            if (wide.size() > INT_MAX / 4) return false;
            const auto* text = reinterpret_cast<LPCWSTR>(wide.data());
            const int length = static_cast<int>(wide.size());
            BOOL defaulted = FALSE;
            const int size =
                WideCharToMultiByte(code_page, WC_NO_BEST_FIT_CHARS, text, length, nullptr, 0, nullptr, &defaulted);
            if (size <= 0 || defaulted) return false;
            bytes.resize(static_cast<std::size_t>(size));
            WideCharToMultiByte(code_page, WC_NO_BEST_FIT_CHARS, text, length, bytes.data(), size, nullptr, &defaulted);
            return !defaulted;
          }};
}

}  // namespace tw
