// The editor's read chunker on arbitrary file bytes, at a capacity taken from the input: no
// chunk overflows its capacity or ends between the CR and LF of a break, every chunk before the
// last is full (or one byte short to keep a CR LF whole), and text without zero bytes
// comes out with every line break as CR LF and nothing else changed.
#include <cstdlib>
#include <string>

#include "fuzz/fuzz_target.h"
#include "framework/stream.h"
#include "viewers/rich_edit_conversion.h"

TW_FUZZ_TARGET(RichEditChunks) {
  if (size < 2) return;
  const int capacity = 4 + (data[0] | (data[1] << 8)) % 8192;
  tw::fuzz::Bytes input(data + 2, data + size);
  tw::TMemoryStream stream(input);
  tw::TConversion conversion;
  tw::TReadChunker chunker(conversion, stream);
  std::string out;
  std::string chunk(static_cast<size_t>(capacity), '\0');
  int previous = capacity;
  for (int n; (n = chunker.Next(chunk.data(), capacity)) > 0;) {
    const bool opens_with_break = n >= 2 && chunk[0] == '\r' && chunk[1] == '\n';
    if (n > capacity || chunk[static_cast<size_t>(n) - 1] == '\r') std::abort();
    if (previous != capacity && !(previous == capacity - 1 && opens_with_break)) std::abort();
    previous = n;
    out.append(chunk.data(), static_cast<size_t>(n));
  }
  bool has_zero = false;
  std::string expected;
  for (size_t i = 0; i < input.size(); ++i) {
    char c = static_cast<char>(input[i]);
    if (c == '\0') has_zero = true;
    if (c == '\r' || c == '\n') {
      expected += "\r\n";
      if (c == '\r' && i + 1 < input.size() && input[i + 1] == '\n') ++i;
    } else {
      expected += c;
    }
  }
  if (!has_zero && out != expected) std::abort();
}

TW_FUZZ_SEEDS(RichEditChunks) {
  auto seed = [](int capacity, const std::string& text) {
    tw::fuzz::Bytes bytes{static_cast<std::uint8_t>(capacity & 0xFF), static_cast<std::uint8_t>(capacity >> 8)};
    bytes.insert(bytes.end(), text.begin(), text.end());
    return bytes;
  };
  return {seed(4, "ab\r\ncd\ref\ngh"), seed(4092, std::string(5000, 'x') + "\r\n"),
          seed(6, std::string("a\r\0b\r\n", 6))};
}
