#pragma once
// What a data object hands out, read back for the drag and drop tests.

#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstdint>
#include <cstring>
#include <string>
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

// The names of a CF_HDROP block, checked against the layout on the way.
inline std::vector<std::string> HDropNames(const std::vector<std::uint8_t>& block) {
  std::vector<std::string> names;
  EXPECT_GE(block.size(), sizeof(DROPFILES) + 2);
  if (block.size() < sizeof(DROPFILES) + 2) return names;
  DROPFILES header;
  std::memcpy(&header, block.data(), sizeof(header));
  EXPECT_EQ(header.pFiles, sizeof(DROPFILES));
  EXPECT_EQ(header.fWide, FALSE);
  EXPECT_EQ(header.fNC, FALSE);
  std::size_t at = header.pFiles;
  while (at < block.size() && block[at] != 0) {
    const char* name = reinterpret_cast<const char*>(block.data() + at);
    names.emplace_back(name, strnlen(name, block.size() - at));
    at += names.back().size() + 1;
  }
  EXPECT_LT(at, block.size()) << "no final zero";
  return names;
}

}  // namespace tw::test
