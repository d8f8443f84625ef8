#pragma once
// The GIF LZW coder: converts between one frame's code stream (minimum code size byte, data
// sub-blocks, terminator) and a device-independent pixel buffer of 1, 4 or 8 bits per pixel
// (bottom-up rows padded to 32 bits; inside a byte the leftmost pixel takes the high bits).
// Each call owns its tables for its own duration; nothing survives between calls.

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "framework/events.h"

namespace tw {

class TStream;

// Optional progress sink: (stage, percent 0..100, message). The message is empty except in the
// ending report of a failed run, where it holds the failure's text. The sink may throw (EAbort)
// to stop the run; the failure then passes out of the coder.
using TLzwProgress = std::function<void(TProgressStage stage, int percent, const std::string& message)>;

// Bytes of one stored pixel row: WIDTH pixels of BITS_PER_PIXEL bits padded to 32 bits.
std::int64_t LzwRowStride(std::int64_t width, int bits_per_pixel);

// The row that follows ROW in GIF's four-pass interlaced order for an image of HEIGHT rows,
// advancing PASS (0..3). A result at or beyond HEIGHT ends the image.
int NextInterlaceRow(int row, int height, int& pass);

// Reads one frame's code stream from CODE_STREAM's position and writes its pixels into PIXELS,
// which holds HEIGHT rows of LzwRowStride(WIDTH, BITS_PER_PIXEL) bytes, zero-filled by the
// caller. TABLE_BITS (1..8) is the bit depth of the frame's colour table: codes up to
// 2^TABLE_BITS - 1 are pixel values. DAMAGED is cleared at entry and set when the data was
// damaged and decoding ended early (tolerant mode), or when the data ran out before the image
// was complete. In strict mode a damaged code chain fails with EInvalidGraphicOperation
// (SGIFBadData) and a minimum code size outside 2..9 with EInvalidGraphicOperation
// (SGIFCodeSizeRange); a sub-block that the stream cannot deliver fails with EReadError.
// Pixels decoded before a failure stay in PIXELS.
void LzwDecode(TStream& code_stream, int width, int height, int bits_per_pixel, bool interlaced,
               const TLzwProgress& progress, bool& damaged, std::span<std::uint8_t> pixels,
               int table_bits, bool tolerant);

// Appends the complete code stream of the WIDTH x HEIGHT pixels (1, 4 or 8 bits per pixel, rows
// laid out as for LzwDecode) to TARGET: minimum code size byte (2, 4 or 8), sub-blocks of at
// most 255 bytes, terminator.
void LzwEncode(TStream& target, int width, int height, int bits_per_pixel, bool interlaced,
               const TLzwProgress& progress, std::span<const std::uint8_t> pixels);

}  // namespace tw
