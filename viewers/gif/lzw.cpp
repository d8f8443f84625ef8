#include "viewers/gif/lzw.h"

#include <algorithm>
#include <exception>
#include <limits>

#include "framework/exception.h"
#include "framework/string_table.h"
#include "viewers/gif/lzw_run.h"

namespace tw {

std::int64_t LzwRowStride(std::int64_t width, int bits_per_pixel) {
  return (width * bits_per_pixel + 31) / 32 * 4;
}

int NextInterlaceRow(int row, int height, int& pass) {
  static constexpr int kStep[4] = {8, 8, 4, 2};
  if (pass < 0 || pass > 3) return height;
  const std::int64_t next = std::int64_t{row} + kStep[pass];
  if (next < height) return static_cast<int>(next);
  switch (pass) {
    case 0:
      pass = 1;
      if (height > 4) return 4;
      [[fallthrough]];
    case 1:
      pass = 2;
      if (height > 2) return 2;
      [[fallthrough]];
    case 2:
      pass = 3;
      return 1;
    default:
      return static_cast<int>(std::min<std::int64_t>(next, std::numeric_limits<int>::max()));
  }
}

namespace lzw_detail {

void RunWithProgress(const TLzwProgress& progress, const std::function<void()>& body) {
  if (progress) progress(psStarting, 0, {});
  try {
    body();
  } catch (const Exception& e) {
    if (progress) progress(psEnding, 0, e.Message());
    throw;
  } catch (const std::exception& e) {
    if (progress) progress(psEnding, 0, e.what());
    throw;
  }
  if (progress) progress(psEnding, 100, {});
}

std::int64_t CheckPixelLayout(int width, int height, int bits_per_pixel, std::size_t buffer_size,
                              int failure) {
  if (bits_per_pixel != 1 && bits_per_pixel != 4 && bits_per_pixel != 8)
    throw EInvalidGraphicOperation(LoadStr(failure));
  if (width <= 0 || height <= 0) return 0;
  const std::int64_t stride = LzwRowStride(width, bits_per_pixel);
  if (static_cast<std::uint64_t>(stride) * static_cast<std::uint64_t>(height) > buffer_size)
    throw EInvalidGraphicOperation(LoadStr(SInvalidGraphicOperation));
  return stride;
}

}  // namespace lzw_detail
}  // namespace tw
