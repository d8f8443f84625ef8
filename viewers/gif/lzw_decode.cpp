#include <algorithm>
#include <bit>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "framework/exception.h"
#include "framework/stream.h"
#include "framework/string_table.h"
#include "viewers/gif/lzw.h"
#include "viewers/gif/lzw_run.h"

namespace tw {
namespace {

using lzw_detail::kMaxCodeBits;
using lzw_detail::kTableSize;

// A chain of more string codes than this loops through stale table entries: the data is damaged.
constexpr int kMaxChain = 4096;
// The longest string a code can expand to: a full chain, its root, and the pixel a code not yet
// in the table adds.
constexpr int kMaxString = kMaxChain + 2;

inline std::uint32_t LoadLittleEndian32(const std::uint8_t* bytes) {
  if constexpr (std::endian::native == std::endian::little) {
    std::uint32_t value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
  } else {
    return bytes[0] | std::uint32_t{bytes[1]} << 8 | std::uint32_t{bytes[2]} << 16 |
           std::uint32_t{bytes[3]} << 24;
  }
}

// Reads codes least significant bit first from the data sub-blocks of a stream. The bits of one
// sub-block sit in a buffer together with the at most two bytes left over from the previous one;
// three zero bytes after the valid bits let a code be taken with one unaligned 32-bit read.
class CodeReader {
public:
  CodeReader(TStream& stream, const TLzwProgress& progress) : stream_(stream), progress_(progress) {
    if (progress_) size_ = stream_.Size();
  }

  struct Bits {
    unsigned pos;  // the next unread bit
    unsigned end;  // the end of the valid bits
  };

  // Makes WIDTH bits available from BITS.pos, reading further sub-blocks as needed; returns the
  // moved positions, or none when the data ends first: at the terminator, or where the stream
  // ends without one. Positions travel by value so that the caller's stay in registers.
  std::optional<Bits> Refill(Bits bits, int width) {
    while (bits.pos + width > bits.end) {
      if (exhausted_) return std::nullopt;
      const unsigned from = bits.pos >> 3;
      const unsigned keep = (bits.end >> 3) - from;
      std::memmove(buffer_, buffer_ + from, keep);
      bits.pos &= 7;
      bits.end = keep * 8;
      std::uint8_t count = 0;
      if (stream_.Read(&count, 1) != 1 || count == 0) {
        exhausted_ = true;
        return std::nullopt;
      }
      stream_.ReadBuffer(buffer_ + keep, count);
      std::memset(buffer_ + keep + count, 0, 3);
      bits.end += 8u * count;
      ReportPosition();
    }
    return bits;
  }

  const std::uint8_t* Buffer() const { return buffer_; }

private:
  void ReportPosition() {
    if (!progress_ || size_ <= 0) return;
    const int percent = static_cast<int>(stream_.Position() * 100 / size_);
    if (percent == last_percent_) return;
    last_percent_ = percent;
    progress_(psRunning, percent, {});
  }

  TStream& stream_;
  const TLzwProgress& progress_;
  std::int64_t size_ = 0;
  int last_percent_ = -1;
  bool exhausted_ = false;
  std::uint8_t buffer_[2 + 255 + 3] = {};
};

// Packs decoded rows of one-byte pixels into the bottom-up pixel buffer, in plain or interlaced
// row order. Values are cut to the buffer's depth so that a colour table deeper than the buffer
// cannot spill into neighbouring pixels.
class RowWriter {
public:
  RowWriter(std::span<std::uint8_t> pixels, int width, int height, int bits_per_pixel,
            std::int64_t stride, bool interlaced)
      : pixels_(pixels), width_(width), height_(height), bits_(bits_per_pixel), stride_(stride),
        interlaced_(interlaced) {}

  bool Done() const { return y_ >= height_; }

  // Stores a complete row and moves to the next one.
  void PutRow(const std::uint8_t* line) {
    Pack(line, width_);
    y_ = interlaced_ ? NextInterlaceRow(y_, height_, pass_) : y_ + 1;
  }

  // Stores the first COUNT pixels of the current row, which decoding left unfinished.
  void PutPartialRow(const std::uint8_t* line, int count) {
    if (!Done() && count > 0) Pack(line, count);
  }

private:
  void Pack(const std::uint8_t* line, int count) {
    std::uint8_t* row = pixels_.data() + (height_ - 1 - y_) * stride_;
    switch (bits_) {
      case 8:
        std::memcpy(row, line, count);
        break;
      case 4: {
        int x = 0;
        for (; x + 1 < count; x += 2) *row++ = static_cast<std::uint8_t>((line[x] & 15) << 4 | (line[x + 1] & 15));
        if (x < count) *row = static_cast<std::uint8_t>((line[x] & 15) << 4);
        break;
      }
      default:
        for (int x = 0; x < count; x += 8) {
          const int n = std::min(8, count - x);
          unsigned byte = 0;
          for (int i = 0; i < n; ++i) byte |= (line[x + i] & 1u) << (7 - i);
          *row++ = static_cast<std::uint8_t>(byte);
        }
        break;
    }
  }

  std::span<std::uint8_t> pixels_;
  int width_, height_, bits_;
  std::int64_t stride_;
  bool interlaced_;
  int y_ = 0;
  int pass_ = 0;
};

// Per-call tables. Every code keeps the length of its string as well, so that a string can be
// written straight into the row from its last pixel back; the chain is still walked and checked,
// and a length that does not match the chain (stale entries after damaged data) falls back to
// the bounded stack expansion.
struct DecoderTables {
  std::uint16_t prefix[kTableSize] = {};
  std::uint8_t suffix[kTableSize] = {};
  std::uint16_t length[kTableSize] = {};
  std::uint8_t stack[kMaxString] = {};
};

// Expands a string whose stored length does not match its chain, as stale entries left by
// damaged data can make it: walks the chain onto a stack, then writes it to OUT in pixel order.
// Returns the pixel count, or 0 when the chain is endless.
unsigned ExpandThroughStack(DecoderTables& tables, unsigned string_code, bool beyond_table,
                            unsigned first, unsigned pixel_mask, std::uint8_t* out) {
  int n = 0;
  if (beyond_table) tables.stack[n++] = static_cast<std::uint8_t>(first);
  unsigned walk = string_code;
  while (walk > pixel_mask) {
    if (n > kMaxChain) return 0;
    tables.stack[n++] = tables.suffix[walk];
    walk = tables.prefix[walk];
  }
  tables.stack[n++] = static_cast<std::uint8_t>(walk);
  for (int k = 0; k < n; ++k) out[k] = tables.stack[n - 1 - k];
  return n;
}

void DecodeFrame(TStream& stream, int width, int height, int bits_per_pixel, bool interlaced,
                 const TLzwProgress& progress, bool& damaged, std::span<std::uint8_t> pixels,
                 int table_bits, bool tolerant) {
  if (table_bits < 1 || table_bits > 8) throw EInvalidGraphicOperation(LoadStr(SGIFBadColorCount));
  const std::int64_t stride =
      lzw_detail::CheckPixelLayout(width, height, bits_per_pixel, pixels.size(), SGIFBadColorCount);

  std::uint8_t min_code_size = 0;
  stream.ReadBuffer(&min_code_size, 1);
  if (min_code_size < 2 || min_code_size > 9) {
    if (!tolerant) throw EInvalidGraphicOperation(LoadStr(SGIFCodeSizeRange));
    damaged = true;
    min_code_size = std::clamp<std::uint8_t>(min_code_size, 2, 9);
  }
  if (stride == 0) return;

  const unsigned clear = 1u << min_code_size;
  const unsigned end_code = clear + 1;
  const unsigned pixel_mask = (1u << table_bits) - 1;

  auto tables = std::make_unique<DecoderTables>();
  for (unsigned code = 0; code < kTableSize; ++code) tables->length[code] = code <= pixel_mask ? 1 : 2;
  std::uint16_t* const prefix = tables->prefix;
  std::uint8_t* const suffix = tables->suffix;
  std::uint16_t* const length = tables->length;

  // One row of pixels plus room for the longest string that starts on its last pixel.
  std::vector<std::uint8_t> line_buffer(static_cast<std::size_t>(width) + kMaxString);
  std::uint8_t* const line = line_buffer.data();
  int filled = 0;

  RowWriter rows(pixels, width, height, bits_per_pixel, stride, interlaced);
  CodeReader reader(stream, progress);
  unsigned pos = 0, end = 0;
  int code_width = min_code_size + 1;
  unsigned code_mask = (1u << code_width) - 1;
  unsigned capacity = 1u << code_width;
  unsigned next = clear + 2;
  unsigned prev = 0;
  unsigned first = 0;
  bool full = false;
  // The first code of the stream, and the first after every clear code, is output alone and
  // adds no table entry.
  bool starting = true;

  auto read_code = [&](unsigned& code) {
    if (pos + code_width > end) {
      const auto bits = reader.Refill({pos, end}, code_width);
      if (!bits) return false;
      pos = bits->pos;
      end = bits->end;
    }
    code = (LoadLittleEndian32(reader.Buffer() + (pos >> 3)) >> (pos & 7)) & code_mask;
    pos += code_width;
    return true;
  };

  bool ran_out = false;
  try {
    unsigned code = 0;
    while (!rows.Done()) {
      if (!read_code(code)) {
        ran_out = true;
        break;
      }
      if (code == end_code) break;
      if (code == clear) {
        code_width = min_code_size + 1;
        capacity = 1u << code_width;
        code_mask = capacity - 1;
        next = clear + 2;
        full = false;
        starting = true;
        continue;
      }
      if (starting) {
        starting = false;
        prev = code;
        first = code & pixel_mask;
        line[filled++] = static_cast<std::uint8_t>(first);
      } else {
        // A code beyond the table stands for the previous string followed by its own first pixel.
        const bool beyond_table = code >= next;
        const unsigned string_code = beyond_table ? prev : code;
        std::uint8_t* const out = line + filled;
        unsigned count = length[string_code];
        unsigned walk = string_code;
        unsigned i = count - 1;
        if (count <= kMaxChain) {
          for (; i > 0 && walk > pixel_mask; --i) {
            out[i] = suffix[walk];
            walk = prefix[walk];
          }
        }
        if (i == 0 && walk <= pixel_mask) {
          out[0] = static_cast<std::uint8_t>(walk);
          if (beyond_table) out[count++] = static_cast<std::uint8_t>(first);
          first = walk;
        } else {
          count = ExpandThroughStack(*tables, string_code, beyond_table, first, pixel_mask, out);
          if (count == 0) {
            if (!tolerant) throw EInvalidGraphicOperation(LoadStr(SGIFBadData));
            damaged = true;
            break;
          }
          first = out[0];
        }
        filled += count;

        if (!full) {
          prefix[next] = static_cast<std::uint16_t>(prev);
          suffix[next] = static_cast<std::uint8_t>(first);
          const unsigned prev_length = length[prev];
          length[next] = static_cast<std::uint16_t>(
              next <= pixel_mask ? 1 : std::min(prev_length + 1, unsigned{UINT16_MAX}));
          if (++next >= capacity) {
            if (code_width == kMaxCodeBits) {
              full = true;
            } else {
              ++code_width;
              capacity <<= 1;
              code_mask = capacity - 1;
            }
          }
        }
        prev = code;
      }

      if (filled >= width) {
        int done = 0;
        do {
          rows.PutRow(line + done);
          done += width;
        } while (!rows.Done() && filled - done >= width);
        std::memmove(line, line + done, filled - done);
        filled -= done;
      }
    }
  } catch (...) {
    rows.PutPartialRow(line, filled);
    throw;
  }
  // Pixels of an unfinished row reach the buffer however decoding ended.
  rows.PutPartialRow(line, filled);
  if (ran_out) damaged = true;
}

}  // namespace

void LzwDecode(TStream& code_stream, int width, int height, int bits_per_pixel, bool interlaced,
               const TLzwProgress& progress, bool& damaged, std::span<std::uint8_t> pixels,
               int table_bits, bool tolerant) {
  damaged = false;
  lzw_detail::RunWithProgress(progress, [&] {
    DecodeFrame(code_stream, width, height, bits_per_pixel, interlaced, progress, damaged, pixels,
                table_bits, tolerant);
  });
}

}  // namespace tw
