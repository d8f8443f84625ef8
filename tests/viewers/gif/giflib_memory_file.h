#pragma once
// giflib reading from and writing to memory, for the tests that use it as an oracle.

#include <gif_lib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace tw::test {

struct MemoryFile {
  std::vector<std::uint8_t> bytes;
  std::size_t at = 0;
};

inline int ReadMemory(GifFileType* gif, GifByteType* buffer, int count) {
  auto* file = static_cast<MemoryFile*>(gif->UserData);
  const int n = static_cast<int>(std::min<std::size_t>(count, file->bytes.size() - file->at));
  std::memcpy(buffer, file->bytes.data() + file->at, n);
  file->at += n;
  return n;
}

inline int WriteMemory(GifFileType* gif, const GifByteType* buffer, int count) {
  auto* file = static_cast<MemoryFile*>(gif->UserData);
  file->bytes.insert(file->bytes.end(), buffer, buffer + count);
  return count;
}

}  // namespace tw::test
