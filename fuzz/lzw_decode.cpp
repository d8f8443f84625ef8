// The LZW decoder in strict mode on untrusted code streams: it fails with the coder's or the
// stream's exception or decodes; a clean decode survives an encode-decode round trip.
#include "fuzz/lzw_fuzz_input.h"

TW_FUZZ_TARGET(LzwDecode) {
  tw::fuzz::lzw::Frame frame;
  if (!tw::fuzz::lzw::ParseFrame(data, size, frame)) return;
  bool damaged = false;
  tw::fuzz::Bytes pixels;
  try {
    pixels = tw::fuzz::lzw::DecodeChecked(frame, false, damaged);
  } catch (const tw::Exception&) {
    return;
  }
  if (!damaged) tw::fuzz::lzw::CheckRoundTrip(frame, pixels);
}

TW_FUZZ_SEEDS(LzwDecode) { return tw::fuzz::lzw::Seeds(); }
