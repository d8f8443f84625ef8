#pragma once
// TBitmap: the Windows bitmap picture. It holds either a DIB section (device-independent, with
// direct access to its rows) or a device-dependent bitmap, an optional palette, and a canvas to
// draw on it. It reads and writes bitmap files through TDib, converts to and from TDib, and
// draws itself stretched, or transparently with a key colour.

#include <windows.h>

#include <memory>

#include "framework/colors.h"
#include "framework/dib.h"
#include "framework/graphic.h"
#include "framework/picture_registry.h"
#include "framework/win/canvas.h"
#include "framework/win/handles.h"

namespace tw {

enum class TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit };
using enum TPixelFormat;
enum class TBitmapHandleType { bmDIB, bmDDB };
using enum TBitmapHandleType;
enum class TTransparentMode { tmAuto, tmFixed };
using enum TTransparentMode;

class TBitmap;

// The canvas of a bitmap: a memory device context with the bitmap selected, made on demand and
// let go whenever the bitmap changes its handle.
class TBitmapCanvas : public TCanvas {
public:
  explicit TBitmapCanvas(TBitmap& bitmap) : bitmap_(bitmap) {}
  ~TBitmapCanvas() override;
  std::string ClassName() const override { return "TBitmapCanvas"; }
  void FreeContext();

protected:
  void CreateHandle() override;

private:
  TBitmap& bitmap_;
  ScopedMemoryDC dc_;
  HGDIOBJ old_bitmap_ = nullptr;
  HGDIOBJ old_palette_ = nullptr;
};

class TBitmap : public TGraphic {
public:
  TBitmap();
  ~TBitmap() override;
  TBitmap(const TBitmap&) = delete;
  TBitmap& operator=(const TBitmap&) = delete;

  std::string ClassName() const override { return "TBitmap"; }
  static TGraphicClass Class();
  // Copies need no registration of the format.
  std::unique_ptr<TGraphic> NewOfSameClass() const override { return std::make_unique<TBitmap>(); }

  bool Empty() const override { return !handle_; }
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  // Resizing keeps the picture's top-left part.
  void SetWidth(int value) override { SetSize(value, height_); }
  void SetHeight(int value) override { SetSize(width_, value); }
  void SetSize(int width, int height);
  void Draw(TCanvas& canvas, const TRect& rect) override;

  void LoadFromStream(TStream& stream) override;
  void SaveToStream(TStream& stream) override;
  void LoadFromClipboardFormat(unsigned format, std::uintptr_t data,
                               std::uintptr_t palette) override;
  void SaveToClipboardFormat(unsigned& format, std::uintptr_t& data,
                             std::uintptr_t& palette) override;
  void Assign(const TPersistent& source) override;

  // The bitmap handle (made on demand for a non-empty size); it stays the bitmap's.
  HBITMAP Handle();
  // Takes VALUE over (and its size); a DIB section keeps its format, others count as
  // device-dependent.
  void SetHandle(HBITMAP value);
  // Gives the handle to the caller; the bitmap becomes empty.
  [[nodiscard]] HBITMAP ReleaseHandle();
  TBitmapHandleType HandleType() const { return handle_type_; }
  // Converts to a DIB section or a device-dependent bitmap, keeping the picture.
  void SetHandleType(TBitmapHandleType value);
  TPixelFormat PixelFormat() const { return pixel_format_; }
  // Converts the pixels to the new format (a DIB section).
  void SetPixelFormat(TPixelFormat value);
  bool Monochrome() const;
  void SetMonochrome(bool value);

  std::uintptr_t Palette() const override { return reinterpret_cast<std::uintptr_t>(palette_.Get()); }
  HPALETTE PaletteHandle() const { return palette_.Get(); }
  // Takes the palette over; a DIB section's colour table takes its entries.
  void SetPalette(std::uintptr_t value) override;
  [[nodiscard]] HPALETTE ReleasePalette();

  TColor TransparentColor();
  void SetTransparentColor(TColor value);
  TTransparentMode TransparentMode() const { return transparent_mode_; }
  void SetTransparentMode(TTransparentMode value);

  TCanvas& Canvas();
  // Row Y (from the top) of a DIB section; the bitmap becomes one if it is not.
  std::uint8_t* ScanLine(int y);

  // The pixels as a bottom-up DIB of the bitmap's depth (24 bits for device bitmaps).
  TDib ToDib();
  // Takes the pixels and palette of DIB as a DIB section.
  void AssignDib(const TDib& dib);

protected:
  void Changed(TObject* sender) override;

private:
  friend class TBitmapCanvas;
  void NewImage(HBITMAP handle, int width, int height, TBitmapHandleType type,
                TPixelFormat format);
  void FreeImage();
  static TPixelFormat FormatOfDepth(int bits);

  ScopedBitmap handle_;
  ScopedPalette palette_;
  int width_ = 0;
  int height_ = 0;
  TBitmapHandleType handle_type_ = bmDIB;
  TPixelFormat pixel_format_ = pfDevice;
  bool monochrome_ = false;
  TColor transparent_color_ = clDefault;
  TTransparentMode transparent_mode_ = tmAuto;
  std::unique_ptr<TBitmapCanvas> canvas_;
};

// The bits per pixel of a format (0 for the device's).
int PixelFormatBits(TPixelFormat format);

}  // namespace tw
