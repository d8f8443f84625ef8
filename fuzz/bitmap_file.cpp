// Bitmap file images from untrusted bytes: loading must fail cleanly or give a picture that
// saves and loads back unchanged.
#include <cstdlib>

#include "framework/dib.h"
#include "framework/exception.h"
#include "framework/stream.h"
#include "fuzz/fuzz_target.h"

namespace {

tw::fuzz::Bytes Saved(const tw::TDib& dib) {
  tw::TMemoryStream stream;
  dib.SaveToBitmapFile(stream);
  return stream.Bytes();
}

void CheckRoundTrip(const tw::TDib& dib) {
  tw::TMemoryStream again(Saved(dib));
  tw::TDib back;
  back.LoadFromBitmapFile(again);
  if (!(back == dib)) std::abort();
}

}  // namespace

TW_FUZZ_TARGET(BitmapFile) {
  const tw::fuzz::Bytes bytes(data, data + size);
  for (bool packed : {false, true}) {
    tw::TMemoryStream stream(bytes);
    tw::TDib dib;
    try {
      if (packed)
        dib.LoadFromPackedDib(stream);
      else
        dib.LoadFromBitmapFile(stream);
    } catch (const tw::Exception&) {
      continue;
    }
    CheckRoundTrip(dib);
  }
}

TW_FUZZ_SEEDS(BitmapFile) {
  std::vector<tw::fuzz::Bytes> seeds;
  for (int bpp : {1, 4, 8, 24, 32}) {
    for (int width : {1, 5, 17}) {
      tw::TDib dib(width, 3, bpp);
      for (std::size_t i = 0; i < dib.ImageSize(); ++i) dib.Bits()[i] = static_cast<std::uint8_t>(i * 29 + bpp);
      for (std::size_t i = 0; i < dib.Palette().size(); ++i)
        dib.Palette()[i] = tw::TRGBQuad{static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i * 7),
                                        static_cast<std::uint8_t>(255 - i), 0};
      seeds.push_back(Saved(dib));
    }
  }
  return seeds;
}
