#pragma once
// Plays a GIF picture the way viewers show an animation: each frame is drawn onto the logical
// screen at its origin, its transparent pixels leaving what is below, and after its delay it is
// disposed of by its method (none or leave: it stays; restore to background: its area becomes
// transparent; restore to previous: its area gets back what was there before it). The screen
// starts transparent, as viewers start it.

#include <cstdint>
#include <vector>

#include "framework/dib.h"
#include "framework/types.h"

namespace tw {

class TGIFImage;
class TGIFFrame;

// The time a frame is shown: its delay, with delays of 0 and 10 ms shown for 100 ms as common
// viewers show them (files meant for fast playback give 20 ms or more).
int GifPlaybackDelayMs(const TGIFFrame& frame);

// The palette index drawn transparent in FRAME: that of its graphic control extension, or for
// frames made from pixels the first entry of its key colour; -1 for none.
int GifTransparentIndex(TGIFFrame& frame);

class TGifCompositor {
public:
  // The screen is the image's logical screen; one that would not fit the decoders' bound
  // (DecodedPictureFits) is refused with EInvalidGraphicOperation 61094.
  explicit TGifCompositor(TGIFImage& image);

  // The composite: 32 bits per pixel, blue, green, red and alpha (0 or 255; transparent pixels
  // are all zero, so the colours count as premultiplied).
  const TDib& Screen() const { return screen_; }
  // The frame the screen shows, -1 before the first.
  int Frame() const { return frame_; }
  // Disposes of the frame shown and draws the next one (frame 0 after the last, on a cleared
  // screen). A frame that fails to decode or is damaged leaves the screen as it is and returns
  // false.
  bool Advance();

private:
  void Dispose();
  bool Draw(int index);
  TRect Clipped(const TGIFFrame& frame) const;

  TGIFImage& image_;
  TDib screen_;
  int frame_ = -1;
  // The area of the frame shown, the disposal it was drawn for, and what it covered when it is to
  // be restored afterwards: the whole previous screen when the frame covers it all, else a copy
  // of the area. Disposing goes by what drawing recorded, never by the frame as it is now.
  TRect area_;
  int disposal_ = 0;
  TDib previous_;
  bool previous_is_whole_ = false;
  std::vector<std::uint32_t> saved_;
};

}  // namespace tw
