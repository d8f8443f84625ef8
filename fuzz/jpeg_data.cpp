// JPEG files from untrusted bytes: loading and decoding must either fail with a tw::Exception
// or give a picture of the size the header announced.
#include <cstdlib>

#include "framework/dib.h"
#include "framework/exception.h"
#include "framework/stream.h"
#include "fuzz/fuzz_target.h"
#include "viewers/jpeg_data.h"

namespace {

// Headers up to this many pixels are decoded too; bigger ones only have their header read, so
// that a run spends its time on the decoder's logic rather than on filling huge pictures.
constexpr long long kMaxDecodedPixels = 4'000'000;

tw::fuzz::Bytes Compressed(const tw::TDib& dib, bool gray, bool progressive, int quality) {
  tw::TJPEGSettings settings;
  settings.GrayOutput = gray;
  settings.WriteProgressive = progressive;
  settings.Quality = quality;
  return tw::TJPEGData::Compress(dib, settings)->Data()->Bytes();
}

}  // namespace

TW_FUZZ_TARGET(JpegData) {
  if (size == 0) return;
  // The first byte picks the decoding settings, the rest is the file.
  const std::uint8_t choice = data[0];
  tw::TJPEGData jpeg;
  tw::TMemoryStream stream(tw::fuzz::Bytes(data + 1, data + size));
  try {
    jpeg.LoadFromStream(stream);
    if (!jpeg.HasData()) return;
    if (static_cast<long long>(jpeg.ImageWidth()) * jpeg.ImageHeight() > kMaxDecodedPixels) return;
    tw::TJPEGSettings settings;
    settings.ScaleShift = choice & 3;
    settings.OutputDepth = choice >> 2 & 1;
    settings.GrayOutput = (choice >> 3 & 1) != 0;
    settings.ShowProgressive = (choice >> 4 & 1) != 0;
    settings.SpeedMode = choice >> 5 & 1;
    settings.BlockSmoothing = (choice >> 6 & 1) != 0;
    int width = 0, height = 0;
    jpeg.ScaledSize(settings, width, height);
    const tw::TDib dib = jpeg.DecodeToDib(settings);
    if (dib.Width() != width || dib.Height() != height) std::abort();
  } catch (const tw::Exception&) {
  }
}

TW_FUZZ_SEEDS(JpegData) {
  std::vector<tw::fuzz::Bytes> seeds;
  tw::TDib dib(24, 17, 24);
  for (std::size_t i = 0; i < dib.ImageSize(); ++i) dib.Bits()[i] = static_cast<std::uint8_t>(i * 7 + i / 50);
  std::uint8_t choice = 0;
  for (const bool gray : {false, true})
    for (const bool progressive : {false, true})
      for (const int quality : {20, 90}) {
        tw::fuzz::Bytes seed = {choice};
        choice = static_cast<std::uint8_t>(choice + 37);
        const tw::fuzz::Bytes file = Compressed(dib, gray, progressive, quality);
        seed.insert(seed.end(), file.begin(), file.end());
        seeds.push_back(seed);
      }
  return seeds;
}
