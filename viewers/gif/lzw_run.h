#pragma once
// Shared plumbing of the LZW decoder and encoder.

#include <cstdint>
#include <functional>
#include <span>

#include "viewers/gif/lzw.h"

namespace tw::lzw_detail {

// The widest code and the size of the code tables.
inline constexpr int kMaxCodeBits = 12;
inline constexpr int kTableSize = 1 << kMaxCodeBits;

// Runs BODY between the starting report (0 %) and the ending report (100 %). A failure passing
// out of BODY is reported as (ending, 0, its message) and then passes on.
void RunWithProgress(const TLzwProgress& progress, const std::function<void()>& body);

// Checks the pixel layout shared by both directions and returns the row stride; FAILURE is the
// message id for a depth other than 1, 4 or 8. A buffer too small for the rows fails with
// EInvalidGraphicOperation.
std::int64_t CheckPixelLayout(int width, int height, int bits_per_pixel, std::size_t buffer_size,
                              int failure);

}  // namespace tw::lzw_detail
