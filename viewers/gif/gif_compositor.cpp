#include "viewers/gif/gif_compositor.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "framework/exception.h"
#include "framework/string_table.h"
#include "viewers/gif/gif_image.h"
#include "viewers/gif/gif_index_row.h"

namespace tw {
namespace {

enum Disposal { kNone = 0, kLeave = 1, kRestoreBackground = 2, kRestorePrevious = 3 };

constexpr int kShortestDelayMs = 20;
constexpr int kSlowedDelayMs = 100;

std::uint32_t* Row(TDib& screen, int y) { return reinterpret_cast<std::uint32_t*>(screen.ScanLine(y)); }

// Palette index of pixel X in a row of BPP (1, 4 or 8) bits per pixel.
int IndexAt(const std::uint8_t* row, int x, int bpp) {
  if (bpp == 8) return row[x];
  if (bpp == 4) return (x & 1) ? row[x / 2] & 15 : row[x / 2] >> 4;
  return (row[x / 8] >> (7 - x % 8)) & 1;
}

}  // namespace

int GifPlaybackDelayMs(const TGIFFrame& frame) {
  return frame.DelayMs < kShortestDelayMs ? kSlowedDelayMs : frame.DelayMs;
}

int GifTransparentIndex(TGIFFrame& frame) {
  if (const TExtension* control = frame.GraphicControl()) return (control->Header[1] & 1) ? control->Header[4] : -1;
  if (frame.KeyColor == clNone || frame.FrameBitmap().BitsPerPixel() > 8) return -1;
  const auto& palette = frame.FrameBitmap().Palette();
  const TColor key = GifColorToRGB(frame.KeyColor);
  for (std::size_t i = 0; i < palette.size(); ++i)
    if (RGBToColor(palette[i].Red, palette[i].Green, palette[i].Blue) == key) return static_cast<int>(i);
  return -1;
}

TGifCompositor::TGifCompositor(TGIFImage& image) : image_(image) {
  if (!DecodedPictureFits(image.LogicalWidth(), image.LogicalHeight(), 32))
    throw EInvalidGraphicOperation(LoadStr(SGIFBadData));
  screen_ = TDib(image.LogicalWidth(), image.LogicalHeight(), 32);
}

TRect TGifCompositor::Clipped(const TGIFFrame& frame) const {
  const TPoint size = frame.StoredSize();
  return TRect{std::clamp(frame.Origin.X, 0, screen_.Width()), std::clamp(frame.Origin.Y, 0, screen_.Height()),
               std::clamp(frame.Origin.X + size.X, 0, screen_.Width()),
               std::clamp(frame.Origin.Y + size.Y, 0, screen_.Height())};
}

void TGifCompositor::Dispose() {
  if (frame_ < 0) return;
  const int width = area_.Width();
  if (disposal_ == kRestorePrevious && previous_is_whole_) {
    std::swap(screen_, previous_);
    return;
  }
  // A frame wholly outside the screen left nothing to undo (and saved nothing).
  if (width == 0) return;
  if (disposal_ == kRestoreBackground) {
    for (int y = area_.Top; y < area_.Bottom; ++y) std::fill_n(Row(screen_, y) + area_.Left, width, 0u);
  } else if (disposal_ == kRestorePrevious) {
    for (int y = area_.Top; y < area_.Bottom; ++y)
      std::memcpy(Row(screen_, y) + area_.Left, saved_.data() + static_cast<std::size_t>(y - area_.Top) * width, 4u * width);
  }
}

bool TGifCompositor::Draw(int index) {
  TGIFFrame& frame = image_.FrameAt(index);
  const TDib* pixels = nullptr;
  int transparent = -1;
  try {
    pixels = &frame.FrameBitmap();
    transparent = GifTransparentIndex(frame);
  } catch (const Exception&) {
    return false;
  }
  if (frame.Damaged) return false;
  area_ = Clipped(frame);
  const int width = area_.Width();
  // A frame over the whole screen that is to be undone is drawn onto a second screen, which then
  // takes the first's place: the first is kept as it was for undoing it, without a copy.
  disposal_ = frame.DisposalCode;
  const bool undone = disposal_ == kRestorePrevious;
  previous_is_whole_ = undone && area_ == TRect{0, 0, screen_.Width(), screen_.Height()};
  const bool save = undone && !previous_is_whole_ && width > 0;
  if (previous_is_whole_ && (previous_.Width() != screen_.Width() || previous_.Height() != screen_.Height()))
    previous_ = TDib(screen_.Width(), screen_.Height(), 32);
  if (save) saved_.resize(static_cast<std::size_t>(width) * area_.Height());
  TDib& drawn = previous_is_whole_ ? previous_ : screen_;
  std::array<std::uint32_t, 256> colors{};
  const auto& palette = pixels->Palette();
  for (std::size_t i = 0; i < palette.size(); ++i)
    colors[i] = 0xFF000000u | static_cast<std::uint32_t>(palette[i].Red) << 16 |
                static_cast<std::uint32_t>(palette[i].Green) << 8 | palette[i].Blue;
  const TIndexRowPainter painter(colors.data(), transparent);
  const int bpp = pixels->BitsPerPixel();
  for (int y = area_.Top; y < area_.Bottom; ++y) {
    const std::uint8_t* in = pixels->ScanLine(y - frame.Origin.Y);
    const std::uint32_t* below = Row(screen_, y);
    std::uint32_t* out = Row(drawn, y);
    // Saved a row at a time, so that drawing finds the row still in the cache.
    if (save) std::memcpy(saved_.data() + static_cast<std::size_t>(y - area_.Top) * width, below + area_.Left, 4u * width);
    const int x0 = area_.Left - frame.Origin.X;
    below += area_.Left;
    out += area_.Left;
    if (bpp == 8) {
      painter.Draw(in + x0, below, out, width);
    } else if (bpp >= 24) {
      // Frames made from true-colour pixels: their key colour is what is transparent.
      const TColor key = frame.KeyColor == clNone ? clNone : GifColorToRGB(frame.KeyColor);
      for (int x = 0; x < width; ++x) {
        const std::uint8_t* p = in + static_cast<std::size_t>(x0 + x) * (bpp / 8);
        out[x] = RGBToColor(p[2], p[1], p[0]) == key
                     ? below[x]
                     : 0xFF000000u | static_cast<std::uint32_t>(p[2]) << 16 | p[1] << 8 | p[0];
      }
    } else {
      for (int x = 0; x < width; ++x) {
        const int i = IndexAt(in, x0 + x, bpp);
        out[x] = i == transparent ? below[x] : colors[static_cast<std::size_t>(i)];
      }
    }
  }
  if (previous_is_whole_) std::swap(screen_, previous_);
  frame_ = index;
  return true;
}

bool TGifCompositor::Advance() {
  if (image_.FrameCount() == 0) return false;
  const int next = frame_ + 1 < image_.FrameCount() ? frame_ + 1 : 0;
  // Check the next frame before the shown one is disposed of, so that a failure keeps it.
  try {
    TGIFFrame& frame = image_.FrameAt(next);
    frame.FrameBitmap();
    if (frame.Damaged) return false;
  } catch (const Exception&) {
    return false;
  }
  if (next == 0) {
    std::fill_n(screen_.Bits(), screen_.ImageSize(), std::uint8_t{0});
  } else {
    Dispose();
  }
  return Draw(next);
}

}  // namespace tw
