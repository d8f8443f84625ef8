// GIF files from untrusted bytes: reading must fail cleanly or give frames that all decode
// (perhaps marked damaged), playing them composites every frame inside the screen, and whatever
// was read writes back into a file that reads again.
#include <cstdlib>

#include "framework/exception.h"
#include "framework/stream.h"
#include "fuzz/fuzz_target.h"
#include "tests/viewers/gif/gif_test_support.h"
#include "viewers/gif/gif_compositor.h"
#include "viewers/gif/gif_image.h"

namespace {

// Plays the animation once round and into its first frame again. Screens beyond a million
// pixels run the same code, only slower, so they are left out to keep runs fast.
void Play(tw::TGIFImage& image) {
  if (image.FrameCount() == 0 || std::int64_t{image.LogicalWidth()} * image.LogicalHeight() > (1 << 20)) return;
  tw::TGifCompositor compositor(image);
  for (int i = 0; i <= image.FrameCount(); ++i)
    if (!compositor.Advance()) return;
}

}  // namespace

TW_FUZZ_TARGET(GifRead) {
  tw::TMemoryStream stream(tw::fuzz::Bytes(data, data + size));
  tw::TGIFImage image;
  try {
    image.ReadGif(static_cast<std::int64_t>(size), stream, false);
  } catch (const tw::Exception&) {
  }
  bool all_decoded = true;
  for (int i = 0; i < image.FrameCount(); ++i) {
    // A few bytes can claim a picture of up to 65535 x 65535: one beyond the decoders' bound
    // must be refused without its pixels being made.
    const auto& item = *image.FrameAt(i).Item;
    const bool fits = tw::DecodedPictureFits(item.ImageWidth, item.ImageHeight, 8);
    try {
      const tw::TDib& pixels = image.FrameAt(i).FrameBitmap();
      if (!fits || pixels.Width() != item.ImageWidth) std::abort();
    } catch (const tw::EInvalidGraphicOperation&) {
      if (!fits && !image.FrameAt(i).Bitmap->Empty()) std::abort();
      all_decoded = false;
    } catch (const tw::Exception&) {
      if (!fits) std::abort();
      all_decoded = false;
    }
  }
  Play(image);
  if (!all_decoded || image.FrameCount() == 0) return;
  tw::TMemoryStream written;
  try {
    image.WriteGif(written, false);
  } catch (const tw::Exception&) {
    return;
  }
  written.SetPosition(0);
  tw::TGIFImage again;
  again.ReadGif(written.Size(), written, false);
  if (again.FrameCount() != image.FrameCount()) std::abort();
}

TW_FUZZ_SEEDS(GifRead) {
  using tw::gif_test::GifBuilder;
  auto written = [](tw::TGIFImage& image) {
    tw::TMemoryStream out;
    image.SaveToStream(out);
    return out.Bytes();
  };
  tw::TGIFImage animation;
  animation.AppendFrame(tw::gif_test::PalettePicture(9, 7, 8));
  animation.AppendFrame(tw::gif_test::PalettePicture(5, 3, 1, 1), tw::clBlack);
  animation.FrameAt(1).DelayMs = 120;
  animation.SetLoop(true, 3);
  animation.SharedData().CommentLines = {"seed"};
  return {GifBuilder().Image(4, 3).Trailer().bytes,
          GifBuilder(8, 8, 2).GraphicControl(5, 1).Comment({"c"}).Image(8, 8, 3, 3).Image(3, 2, 2, 0, 4, 5).Trailer().bytes,
          GifBuilder(6, 6, 1).Application("NETSCAPE2.0", {1, 2, 0}).PlainText().Image(6, 6, 1).Trailer().bytes,
          written(animation)};
}
