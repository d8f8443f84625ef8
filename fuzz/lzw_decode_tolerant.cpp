// The LZW decoder in tolerant mode on untrusted code streams: damaged data only marks the frame;
// the one failure left is a sub-block the stream cannot deliver.
#include <cstdlib>

#include "fuzz/lzw_fuzz_input.h"

TW_FUZZ_TARGET(LzwDecodeTolerant) {
  tw::fuzz::lzw::Frame frame;
  if (!tw::fuzz::lzw::ParseFrame(data, size, frame)) return;
  bool damaged = false;
  tw::fuzz::Bytes pixels;
  try {
    pixels = tw::fuzz::lzw::DecodeChecked(frame, true, damaged);
  } catch (const tw::EReadError&) {
    return;
  } catch (...) {
    std::abort();
  }
  if (!damaged) tw::fuzz::lzw::CheckRoundTrip(frame, pixels);
}

TW_FUZZ_SEEDS(LzwDecodeTolerant) { return tw::fuzz::lzw::Seeds(); }
