#include <cstring>
#include <memory>
#include <vector>

#include "framework/exception.h"
#include "framework/stream.h"
#include "framework/string_table.h"
#include "viewers/gif/lzw.h"
#include "viewers/gif/lzw_run.h"

namespace tw {
namespace {

using lzw_detail::kMaxCodeBits;

// The encoder assigns codes up to this one and then starts over with a clear code.
constexpr unsigned kLastAssignedCode = 4094;

// Strings are found through an open-addressing table of this many slots with linear probing,
// hashed on the string's prefix code and last pixel. (A hash chained through the string's
// length, ((pixel + length + 4) * hash) mod 17777, degenerates: 17777 = 29 * 613, so every string
// longer than 599 pixels hashes to slot 0 and flat areas take quadratic time. The codes written
// do not depend on the hash, only on which strings are in the table.) A slot holds its string's code (bits 20..31), the code of the string without its last pixel
// (bits 8..19) and that last pixel (bits 0..7); code 4095 is never assigned, so an empty slot
// (all bits set) never matches a string.
constexpr unsigned kHashSlots = 17777;
constexpr std::uint32_t kEmptySlot = 0xFFFFFFFF;

// Fibonacci hashing of the 20-bit key, reduced to the slot range by a multiply.
inline unsigned SlotOf(std::uint32_t key) {
  return static_cast<unsigned>((std::uint64_t{key * 0x9E3779B1u} * kHashSlots) >> 32);
}

// Packs codes least significant bit first into data sub-blocks of 255 bytes. The block buffer
// keeps its length byte in front so that each full block leaves in a single write.
class CodeWriter {
public:
  explicit CodeWriter(TStream& target) : target_(target) {}

  void Put(unsigned code, int width) {
    bits_ |= std::uint64_t{code} << bit_count_;
    bit_count_ += width;
    while (bit_count_ >= 8) {
      block_[++block_size_] = static_cast<std::uint8_t>(bits_);
      bits_ >>= 8;
      bit_count_ -= 8;
      if (block_size_ == 255) WriteBlock();
    }
  }

  // Writes the last, partial byte and block, then the block terminator.
  void Finish() {
    if (bit_count_ > 0) {
      block_[++block_size_] = static_cast<std::uint8_t>(bits_);
      bits_ = 0;
      bit_count_ = 0;
    }
    if (block_size_ > 0) WriteBlock();
    const std::uint8_t terminator = 0;
    target_.WriteBuffer(&terminator, 1);
  }

private:
  void WriteBlock() {
    block_[0] = static_cast<std::uint8_t>(block_size_);
    target_.WriteBuffer(block_, block_size_ + 1);
    block_size_ = 0;
  }

  TStream& target_;
  std::uint64_t bits_ = 0;
  int bit_count_ = 0;
  int block_size_ = 0;
  std::uint8_t block_[256] = {};
};

// One row's pixels as one byte each: 8-bit rows are used in place, 1- and 4-bit rows unpacked
// (leftmost pixel from the high bits).
const std::uint8_t* RowPixels(const std::uint8_t* row, int width, int bits_per_pixel,
                              std::vector<std::uint8_t>& unpacked) {
  if (bits_per_pixel == 8) return row;
  std::uint8_t* out = unpacked.data();
  if (bits_per_pixel == 4) {
    for (int x = 0; x < width; ++x) out[x] = (x & 1) ? row[x >> 1] & 15 : row[x >> 1] >> 4;
  } else {
    for (int x = 0; x < width; ++x) out[x] = (row[x >> 3] >> (7 - (x & 7))) & 1;
  }
  return out;
}

void EncodeFrame(TStream& target, int width, int height, int bits_per_pixel, bool interlaced,
                 const TLzwProgress& progress, std::span<const std::uint8_t> pixels) {
  const std::int64_t stride =
      lzw_detail::CheckPixelLayout(width, height, bits_per_pixel, pixels.size(), SGIFEncodeError);

  const int initial_width = bits_per_pixel == 1 ? 3 : bits_per_pixel + 1;
  const std::uint8_t min_code_size = static_cast<std::uint8_t>(initial_width - 1);
  target.WriteBuffer(&min_code_size, 1);

  const unsigned clear = 1u << min_code_size;
  const unsigned end_code = clear + 1;
  CodeWriter writer(target);
  auto slots = std::make_unique<std::uint32_t[]>(kHashSlots);
  std::memset(slots.get(), 0xFF, kHashSlots * sizeof(std::uint32_t));

  unsigned last_code = end_code;
  int code_width = initial_width;
  unsigned capacity = 1u << initial_width;
  // The string being extended, as its code; none right after a clear code.
  unsigned prefix = 0;
  bool pending = false;
  writer.Put(clear, code_width);

  std::vector<std::uint8_t> unpacked(stride > 0 ? width : 0);
  int rows_done = 0;
  int pass = 0;
  for (int y = 0; y < height && stride > 0;) {
    const std::uint8_t* row =
        RowPixels(pixels.data() + (height - 1 - y) * stride, width, bits_per_pixel, unpacked);
    for (int x = 0; x < width; ++x) {
      const unsigned pixel = row[x];
      if (!pending) {
        prefix = pixel;
        pending = true;
        continue;
      }
      const std::uint32_t key = prefix << 8 | pixel;
      unsigned slot = SlotOf(key);
      std::uint32_t entry;
      while ((entry = slots[slot]) != kEmptySlot && (entry & 0xFFFFF) != key)
        if (++slot == kHashSlots) slot = 0;
      if (entry != kEmptySlot) {
        prefix = entry >> 20;
        continue;
      }
      writer.Put(prefix, code_width);
      slots[slot] = ++last_code << 20 | key;
      prefix = pixel;
      // Widths grow after the code equal to the capacity has been assigned, which is where a
      // decoder's next free code reaches its capacity.
      if (last_code >= capacity) {
        capacity <<= 1;
        ++code_width;
      } else if (last_code >= kLastAssignedCode) {
        writer.Put(prefix, code_width);
        writer.Put(clear, code_width);
        pending = false;
        last_code = end_code;
        code_width = initial_width;
        capacity = 1u << initial_width;
        std::memset(slots.get(), 0xFF, kHashSlots * sizeof(std::uint32_t));
      }
    }
    y = interlaced ? NextInterlaceRow(y, height, pass) : y + 1;
    ++rows_done;
    if (progress) progress(psRunning, static_cast<int>(std::int64_t{rows_done} * 100 / height), {});
  }

  writer.Put(prefix, code_width);
  // A decoder adds an entry for the final string; when that entry fills its capacity it already
  // reads the end code one bit wider.
  const bool decoder_grows = last_code + 1 >= capacity && code_width < kMaxCodeBits;
  writer.Put(end_code, decoder_grows ? code_width + 1 : code_width);
  writer.Finish();
}

}  // namespace

void LzwEncode(TStream& target, int width, int height, int bits_per_pixel, bool interlaced,
               const TLzwProgress& progress, std::span<const std::uint8_t> pixels) {
  lzw_detail::RunWithProgress(progress, [&] {
    EncodeFrame(target, width, height, bits_per_pixel, interlaced, progress, pixels);
  });
}

}  // namespace tw
