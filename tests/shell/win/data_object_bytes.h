#pragma once
// What a data object hands out, read back for the drag and drop tests.

#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstdint>
#include <cstring>
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace tw::test {

// The bytes DATA hands out for FORMAT (empty when it hands out nothing).
inline std::vector<std::uint8_t> DataBytes(IDataObject* data, CLIPFORMAT format) {
  FORMATETC wanted{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium{};
  if (data->GetData(&wanted, &medium) != S_OK) return {};
  const auto* bytes = static_cast<const std::uint8_t*>(GlobalLock(medium.hGlobal));
  std::vector<std::uint8_t> block(bytes, bytes + GlobalSize(medium.hGlobal));
  GlobalUnlock(medium.hGlobal);
  ReleaseStgMedium(&medium);
  return block;
}

inline std::uint32_t Get32(const std::vector<std::uint8_t>& block, std::size_t at) {
  std::uint32_t value = 0;
  std::memcpy(&value, block.data() + at, sizeof(value));
  return value;
}

inline std::string Utf8(std::wstring_view wide) {
  std::string text(wide.size() * 3, '\0');
  text.resize(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                                           text.data(), static_cast<int>(text.size()), nullptr, nullptr)));
  return text;
}

// The UTF-16 text of a CF_UNICODETEXT block, up to its zero, in UTF-8.
inline std::string UnicodeText(const std::vector<std::uint8_t>& block) {
  const std::wstring_view wide(reinterpret_cast<const wchar_t*>(block.data()), block.size() / sizeof(wchar_t));
  return Utf8(wide.substr(0, std::min(wide.find(L'\0'), wide.size())));
}

// The names of a CF_HDROP block (wide), in UTF-8, checked against the layout on the way.
inline std::vector<std::string> HDropNames(const std::vector<std::uint8_t>& block) {
  std::vector<std::string> names;
  EXPECT_GE(block.size(), sizeof(DROPFILES) + 2);
  if (block.size() < sizeof(DROPFILES) + 2) return names;
  DROPFILES header;
  std::memcpy(&header, block.data(), sizeof(header));
  EXPECT_EQ(header.pFiles, sizeof(DROPFILES));
  EXPECT_EQ(header.fWide, TRUE);
  EXPECT_EQ(header.fNC, FALSE);
  std::wstring_view wide(reinterpret_cast<const wchar_t*>(block.data() + header.pFiles),
                         (block.size() - header.pFiles) / sizeof(wchar_t));
  std::size_t at = 0;
  while (at < wide.size() && wide[at] != 0) {
    const std::size_t end = std::min(wide.find(L'\0', at), wide.size());
    names.push_back(Utf8(wide.substr(at, end - at)));
    at = end + 1;
  }
  EXPECT_LT(at, wide.size()) << "no final zero";
  return names;
}

}  // namespace tw::test
