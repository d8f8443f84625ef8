#include "viewers/win/color_reduction_win.h"

#include <vector>

#include "framework/string_table.h"
#include "framework/win/handles.h"

namespace tw {
namespace {

// Module start-up: an unsupported request resets the cursor and says so in an information box.
const bool kNoticeInstalled = [] {
  SetReductionNotSupportedNotice([] {
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
    MessageBoxA(nullptr, LoadStr(SNotImplemented).c_str(), nullptr, MB_OK | MB_ICONINFORMATION);
  });
  return true;
}();

// Selects and realises a palette in a device context for the lifetime of the object.
class ScopedRealizedPalette {
public:
  ScopedRealizedPalette(HDC dc, HPALETTE palette) : dc_(dc) {
    if (!palette) return;
    old_ = SelectPalette(dc, palette, FALSE);
    RealizePalette(dc);
  }
  ScopedRealizedPalette(const ScopedRealizedPalette&) = delete;
  ScopedRealizedPalette& operator=(const ScopedRealizedPalette&) = delete;
  ~ScopedRealizedPalette() {
    if (old_) SelectPalette(dc_, old_, FALSE);
  }

private:
  HDC dc_;
  HPALETTE old_ = nullptr;
};

}  // namespace

bool TBitmapReductionSource::Valid() const {
  BITMAP bm{};
  return bitmap_ && GetObject(bitmap_, sizeof bm, &bm) == sizeof bm && bm.bmWidth > 0 && bm.bmHeight > 0;
}

int TBitmapReductionSource::PixelFormat() const {
  DIBSECTION ds{};
  int bits = 0;
  bool five_six_five = false;
  if (GetObject(bitmap_, sizeof ds, &ds) == sizeof ds) {
    bits = ds.dsBmih.biBitCount;
    five_six_five = ds.dsBmih.biCompression == BI_BITFIELDS && ds.dsBitfields[1] == 0x07E0;
  } else {
    BITMAP bm{};
    if (GetObject(bitmap_, sizeof bm, &bm) != sizeof bm) return pfDevice;
    bits = bm.bmBitsPixel * bm.bmPlanes;
  }
  switch (bits) {
    case 1: return pf1bit;
    case 4: return pf4bit;
    case 8: return pf8bit;
    case 16: return five_six_five ? pf16bit : pf15bit;
    case 24: return pf24bit;
    case 32: return pf32bit;
    default: return pfDevice;
  }
}

TDib TBitmapReductionSource::Pixels(int bits_per_pixel) const {
  BITMAP bm{};
  if (GetObject(bitmap_, sizeof bm, &bm) != sizeof bm) ReductionNotSupported();
  TDib dib(bm.bmWidth, bm.bmHeight, bits_per_pixel);
  // Header and a colour table of the largest size, as GetDIBits may fill one.
  std::vector<std::uint8_t> info(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
  auto* header = reinterpret_cast<BITMAPINFOHEADER*>(info.data());
  header->biSize = sizeof(BITMAPINFOHEADER);
  header->biWidth = bm.bmWidth;
  header->biHeight = bm.bmHeight;  // positive: bottom-up rows
  header->biPlanes = 1;
  header->biBitCount = static_cast<WORD>(bits_per_pixel);
  header->biCompression = BI_RGB;

  ScopedMemoryDC dc(CreateCompatibleDC(nullptr));
  if (!dc) ReductionNotSupported();
  int lines = 0;
  {
    ScopedRealizedPalette realized(dc.Get(), palette_);
    lines = GetDIBits(dc.Get(), bitmap_, 0, static_cast<UINT>(bm.bmHeight), dib.Bits(),
                      reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS);
  }
  if (lines != bm.bmHeight) ReductionNotSupported();
  const auto* table = reinterpret_cast<const RGBQUAD*>(info.data() + sizeof(BITMAPINFOHEADER));
  for (std::size_t i = 0; i < dib.Palette().size(); ++i)
    dib.Palette()[i] = TRGBQuad{table[i].rgbBlue, table[i].rgbGreen, table[i].rgbRed, 0};
  return dib;
}

std::unique_ptr<TMemoryStream> BitmapToDib(HBITMAP bitmap, int pixel_format, ReductionMethod method, HPALETTE palette) {
  return BitmapToDib(TBitmapReductionSource(bitmap, palette), pixel_format, method);
}

std::unique_ptr<TMemoryStream> ReduceByColorCount(HBITMAP bitmap, int colors, HPALETTE palette) {
  return ReduceByColorCount(TBitmapReductionSource(bitmap, palette), colors);
}

}  // namespace tw
