#include "viewers/win/gif_image_win.h"

#include <windows.h>

#include <cstring>

#include "framework/exception.h"
#include "framework/stream.h"
#include "framework/string_table.h"
#include "framework/win/bitmap.h"
#include "framework/win/icon.h"
#include "viewers/animated_cursor.h"
#include "viewers/gif/gif_image.h"
#include "viewers/win/animated_cursor_graphic.h"
#include "viewers/win/imaging_decoder.h"

namespace tw {
namespace {

unsigned gif_clipboard_format = 0;

// The frame's pixels as a bitmap, made once from the decoded pixels and kept with the frame.
class TFrameBitmapCache : public TGifDrawCache {
public:
  explicit TFrameBitmapCache(const TDib& pixels) : source(&pixels) { bitmap.AssignDib(pixels); }
  const TDib* source;
  TBitmap bitmap;
};

TBitmap& FrameDrawingBitmap(TGIFFrame& frame) {
  const TDib& pixels = frame.FrameBitmap();
  auto* cache = dynamic_cast<TFrameBitmapCache*>(frame.DrawCache.get());
  if (!cache || cache->source != &pixels) {
    frame.DrawCache = std::make_unique<TFrameBitmapCache>(pixels);
    cache = static_cast<TFrameBitmapCache*>(frame.DrawCache.get());
  }
  return cache->bitmap;
}

void DrawFrame(TGIFFrame& frame, TCanvas& canvas, const TRect& rect, bool transparent) {
  TBitmap& bitmap = FrameDrawingBitmap(frame);
  if (bitmap.Empty()) return;
  const bool keyed = transparent && frame.KeyColor != clNone;
  if (keyed) bitmap.SetTransparentColor(frame.KeyColor);
  bitmap.SetTransparent(keyed);
  TRect target = rect;
  if (target.Width() < 1) target.Right = target.Left + bitmap.Width();
  if (target.Height() < 1) target.Bottom = target.Top + bitmap.Height();
  canvas.StretchDraw(target, bitmap);
}

// The palette of the current frame's drawing bitmap, which owns it (none for true colour).
std::uintptr_t FramePalette(TGIFImage& image) {
  image.CurrentBitmap();
  const int index = image.CurrentFrame() >= 0 && image.CurrentFrame() < image.FrameCount() ? image.CurrentFrame() : 0;
  return FrameDrawingBitmap(image.FrameAt(index)).Palette();
}

// Bitmaps give their pixels and transparent colour; other graphics are drawn over fuchsia,
// which becomes the key colour when they are transparent.
bool GraphicToPixels(const TGraphic& graphic, TDib& pixels, TColor& key) {
  auto& source = const_cast<TGraphic&>(graphic);
  if (auto* bitmap = dynamic_cast<TBitmap*>(&source)) {
    pixels = bitmap->ToDib();
    key = bitmap->Transparent() ? bitmap->TransparentColor() : clNone;
    return true;
  }
  TBitmap canvas_bitmap;
  canvas_bitmap.SetPixelFormat(pf24bit);
  canvas_bitmap.SetSize(graphic.Width(), graphic.Height());
  TCanvas& canvas = canvas_bitmap.Canvas();
  canvas.Brush().SetColor(clFuchsia);
  canvas.FillRect(Rect(0, 0, graphic.Width(), graphic.Height()));
  canvas.Draw(0, 0, source);
  pixels = canvas_bitmap.ToDib();
  key = graphic.Transparent() ? static_cast<TColor>(GetNearestColor(canvas.Handle(), ColorToRGB(clFuchsia))) : clNone;
  return true;
}

bool FrameToGraphic(const TGIFFrame& frame, TPersistent& dest) {
  auto* bitmap = dynamic_cast<TBitmap*>(&dest);
  if (!bitmap) return false;
  auto& source = const_cast<TGIFFrame&>(frame);
  bitmap->AssignDib(source.FrameBitmap());
  if (frame.KeyColor != clNone) {
    bitmap->SetTransparentColor(
        static_cast<TColor>(GetNearestColor(bitmap->Canvas().Handle(), ColorToRGB(frame.KeyColor))));
    bitmap->SetTransparent(true);
  }
  return true;
}

void LoadFromClipboard(TGIFImage& image, unsigned format, std::uintptr_t data, std::uintptr_t palette) {
  if (gif_clipboard_format && IsClipboardFormatAvailable(gif_clipboard_format)) {
    HGLOBAL global = GetClipboardData(gif_clipboard_format);
    const SIZE_T size = global ? GlobalSize(global) : 0;
    const void* bytes = global ? GlobalLock(global) : nullptr;
    if (!bytes) throw EInvalidGraphic(LoadStr(SInvalidImage));
    TMemoryStream stream;
    stream.WriteBuffer(bytes, static_cast<std::int64_t>(size));
    GlobalUnlock(global);
    stream.SetPosition(0);
    std::uint8_t length[4] = {};
    stream.ReadBuffer(length, 4);
    image.ReadGif(length[0] | length[1] << 8 | length[2] << 16 | static_cast<std::int32_t>(length[3]) << 24, stream,
                  false);
    if (image.FrameCount() > 0) {
      image.SetCurrentFrame(0);
      if (IsClipboardFormatAvailable(CF_BITMAP)) {
        TBitmap bitmap;
        bitmap.LoadFromClipboardFormat(CF_BITMAP, reinterpret_cast<std::uintptr_t>(GetClipboardData(CF_BITMAP)), 0);
        image.FrameAt(0).Bitmap = std::make_unique<TDib>(bitmap.ToDib());
        image.FrameAt(0).DrawCache.reset();
      }
    }
    return;
  }
  TBitmap bitmap;
  bitmap.LoadFromClipboardFormat(format, data, palette);
  image.Assign(bitmap);
}

void SaveToClipboard(TGIFImage& image, unsigned& format, std::uintptr_t& data, std::uintptr_t& palette) {
  if (image.FrameCount() == 0) return;
  TBitmap bitmap;
  bitmap.AssignDib(image.FrameAt(0).FrameBitmap());
  bitmap.SaveToClipboardFormat(format, data, palette);
  for (int i = 0; i < image.FrameCount(); ++i)
    if (!image.FrameAt(i).Item->HasCode()) return;
  TMemoryStream stream;
  image.WriteGif(stream, true);
  HGLOBAL global = GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(stream.Size()));
  if (!global) throw EOutOfResources(LoadStr(SOutOfResources));
  try {
    void* target = GlobalLock(global);
    if (!target) throw EOutOfResources(LoadStr(SOutOfResources));
    std::memcpy(target, stream.Memory(), static_cast<std::size_t>(stream.Size()));
    GlobalUnlock(global);
    if (!SetClipboardData(gif_clipboard_format, global)) throw EOutOfResources(LoadStr(SOutOfResources));
  } catch (...) {
    GlobalFree(global);
    throw;
  }
}

// Icons get the first frame, bitmaps the reduced strip of all frames over their brush colour.
bool CursorToGraphic(const TAnimatedCursorImage& cursor, TPersistent& dest) {
  if (auto* icon = dynamic_cast<TIcon*>(&dest)) {
    if (cursor.FrameCount() == 0 || !cursor.FrameIcon(0)) return true;
    TMemoryStream bytes(cursor.FrameIcon(0)->Bytes());
    icon->LoadFromStream(bytes);
    return true;
  }
  if (auto* bitmap = dynamic_cast<TBitmap*>(&dest)) {
    const TColor background = static_cast<TColor>(ColorToRGB(bitmap->Canvas().Brush().Color()));
    auto strip = cursor.ReducedFrameStrip(false, static_cast<std::uint32_t>(background));
    if (strip->Size() == 0) {
      TBitmap empty;
      bitmap->Assign(empty);
      return true;
    }
    strip->SetPosition(0);
    bitmap->LoadFromStream(*strip);
    return true;
  }
  return false;
}

}  // namespace

unsigned GifClipboardFormat() { return gif_clipboard_format; }

void InitGifImageModule() {
  if (gif_clipboard_format) return;
  gif_clipboard_format = ::RegisterClipboardFormatA("GIF Image");
  TGifPlatform& platform = GifPlatform();
  platform.DrawFrame = DrawFrame;
  platform.Palette = FramePalette;
  platform.GraphicToPixels = GraphicToPixels;
  platform.FrameToGraphic = FrameToGraphic;
  platform.LoadFromClipboardFormat = LoadFromClipboard;
  platform.SaveToClipboardFormat = SaveToClipboard;
  platform.ColorToRGB = [](TColor color) { return static_cast<TColor>(ColorToRGB(color)); };
  AnimatedCursorPlatformAssign() = CursorToGraphic;
  IconPngDecoder() = [](const std::uint8_t* data, std::size_t size) { return DecodeWithImaging(data, size, false); };
  RegisterGifImage(gif_clipboard_format);
  RegisterAnimatedCursorGraphic();
  if (const unsigned icon_format = ::RegisterClipboardFormatA("Vireo Icon"))
    RegisterGraphicClipboardFormat(icon_format, TIcon::Class());
}

void DoneGifImageModule() {
  UnregisterGifImage();
  UnregisterAnimatedCursorGraphic();
}

}  // namespace tw
