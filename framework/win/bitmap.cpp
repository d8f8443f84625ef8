#include "framework/win/bitmap.h"

#include <cstring>
#include <vector>

#include "framework/exception.h"
#include "framework/picture_registry.h"
#include "framework/stream.h"
#include "framework/string_table.h"

namespace tw {
namespace {

// A BITMAPINFO with room for a full colour table.
struct DibInfo {
  BITMAPINFOHEADER header{};
  RGBQUAD colors[256]{};
  BITMAPINFO* Get() { return reinterpret_cast<BITMAPINFO*>(this); }
};

DibInfo MakeInfo(int width, int height, int bits, const std::vector<TRGBQuad>& palette) {
  DibInfo info;
  info.header.biSize = sizeof(BITMAPINFOHEADER);
  info.header.biWidth = width;
  info.header.biHeight = height;
  info.header.biPlanes = 1;
  info.header.biBitCount = static_cast<WORD>(bits);
  info.header.biCompression = BI_RGB;
  if (bits <= 8) {
    const std::size_t count = std::min<std::size_t>(palette.size(), std::size_t{1} << bits);
    for (std::size_t i = 0; i < count; ++i)
      info.colors[i] = {palette[i].Blue, palette[i].Green, palette[i].Red, 0};
    info.header.biClrUsed = static_cast<DWORD>(count);
  } else if (bits == 16) {
    // 5-6-5 masks: the 15-bit format is plain BI_RGB at 16 bits.
    info.header.biCompression = BI_BITFIELDS;
    auto* masks = reinterpret_cast<DWORD*>(info.colors);
    masks[0] = 0xF800;
    masks[1] = 0x07E0;
    masks[2] = 0x001F;
  }
  return info;
}

// The default colour table of a new DIB of BITS bits per pixel.
std::vector<TRGBQuad> DefaultPalette(int bits) {
  std::vector<TRGBQuad> palette;
  if (bits == 1) {
    palette = {{0, 0, 0, 0}, {255, 255, 255, 0}};
  } else if (bits == 4 || bits == 8) {
    ScopedPalette halftone;
    HPALETTE source = bits == 4 ? static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE))
                                : (halftone.Reset(CreateHalftonePalette(nullptr)), halftone.Get());
    PALETTEENTRY entries[256]{};
    UINT count = GetPaletteEntries(source, 0, 1u << bits, entries);
    for (UINT i = 0; i < count; ++i)
      palette.push_back({entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0});
  }
  return palette;
}

HPALETTE PaletteFromTable(const std::vector<TRGBQuad>& table) {
  if (table.empty()) return nullptr;
  std::vector<BYTE> storage(sizeof(LOGPALETTE) + table.size() * sizeof(PALETTEENTRY));
  auto* log = reinterpret_cast<LOGPALETTE*>(storage.data());
  log->palVersion = 0x300;
  log->palNumEntries = static_cast<WORD>(table.size());
  for (std::size_t i = 0; i < table.size(); ++i)
    log->palPalEntry[i] = {table[i].Red, table[i].Green, table[i].Blue, 0};
  return CreatePalette(log);
}

std::vector<TRGBQuad> TableFromPalette(HPALETTE palette) {
  std::vector<TRGBQuad> table;
  if (!palette) return table;
  WORD count = 0;
  GetObjectA(palette, sizeof(count), &count);
  std::vector<PALETTEENTRY> entries(count);
  count = static_cast<WORD>(GetPaletteEntries(palette, 0, count, entries.data()));
  for (WORD i = 0; i < count; ++i)
    table.push_back({entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0});
  return table;
}

HPALETTE CopyPalette(HPALETTE palette) { return PaletteFromTable(TableFromPalette(palette)); }

HBITMAP NewDibSection(int width, int height, int bits, const std::vector<TRGBQuad>& palette,
                      void** pixels) {
  if (width <= 0 || height <= 0) return nullptr;
  // Sizes whose pixels cannot even be counted in 32 bits are refused before GDI sees them.
  if (TDib::RowBytes(width, bits) * height > 0x7FFFFFFFLL)
    throw EOutOfResources(LoadStr(SBitmapTooLarge));
  DibInfo info = MakeInfo(width, height, bits, palette);
  void* bits_pointer = nullptr;
  HBITMAP handle =
      CreateDIBSection(nullptr, info.Get(), DIB_RGB_COLORS, &bits_pointer, nullptr, 0);
  if (!handle) throw EOutOfResources(LoadStr(SOutOfResources));
  if (pixels) *pixels = bits_pointer;
  return handle;
}

HBITMAP NewDeviceBitmap(int width, int height, bool monochrome) {
  if (width <= 0 || height <= 0) return nullptr;
  HBITMAP handle;
  if (monochrome) {
    handle = CreateBitmap(width, height, 1, 1, nullptr);
  } else {
    ScopedWindowDC screen(nullptr);
    handle = CreateCompatibleBitmap(screen.Get(), width, height);
  }
  if (!handle) throw EOutOfResources(LoadStr(SOutOfResources));
  return handle;
}

// Copies the top-left WIDTH x HEIGHT of SOURCE onto TARGET.
void CopyPixels(HBITMAP target, HBITMAP source, int width, int height, HPALETTE palette) {
  ScopedMemoryDC target_dc(CreateCompatibleDC(nullptr));
  ScopedMemoryDC source_dc(CreateCompatibleDC(nullptr));
  ScopedSelectObject select_target(target_dc.Get(), target);
  ScopedSelectObject select_source(source_dc.Get(), source);
  HPALETTE old_target = nullptr, old_source = nullptr;
  if (palette) {
    old_target = SelectPalette(target_dc.Get(), palette, TRUE);
    old_source = SelectPalette(source_dc.Get(), palette, TRUE);
    RealizePalette(target_dc.Get());
  }
  // Monochrome targets map colours by the background colour: white stays white.
  SetBkColor(target_dc.Get(), RGB(255, 255, 255));
  SetTextColor(target_dc.Get(), RGB(0, 0, 0));
  BitBlt(target_dc.Get(), 0, 0, width, height, source_dc.Get(), 0, 0, SRCCOPY);
  if (palette) {
    SelectPalette(target_dc.Get(), old_target, TRUE);
    SelectPalette(source_dc.Get(), old_source, TRUE);
  }
}

}  // namespace

int PixelFormatBits(TPixelFormat format) {
  static constexpr int kBits[] = {0, 1, 4, 8, 16, 16, 24, 32};
  return kBits[static_cast<int>(format)];
}

TBitmapCanvas::~TBitmapCanvas() { FreeContext(); }

void TBitmapCanvas::CreateHandle() {
  ScopedMemoryDC dc(CreateCompatibleDC(nullptr));
  if (!dc) throw EOutOfResources(LoadStr(SOutOfResources));
  HBITMAP bitmap = bitmap_.Handle();
  old_bitmap_ = bitmap ? SelectObject(dc.Get(), bitmap) : nullptr;
  old_palette_ = bitmap_.palette_ ? SelectPalette(dc.Get(), bitmap_.palette_.Get(), TRUE) : nullptr;
  if (old_palette_) RealizePalette(dc.Get());
  dc_ = std::move(dc);
  SetHandle(dc_.Get());
}

void TBitmapCanvas::FreeContext() {
  if (!dc_) return;
  SetHandle(nullptr);
  if (old_bitmap_) SelectObject(dc_.Get(), old_bitmap_);
  if (old_palette_) SelectPalette(dc_.Get(), static_cast<HPALETTE>(old_palette_), TRUE);
  old_bitmap_ = old_palette_ = nullptr;
  dc_.Reset();
}

TBitmap::TBitmap() = default;

TBitmap::~TBitmap() {
  // The canvas lets go of the bitmap before the handle is deleted.
  canvas_.reset();
}

TGraphicClass TBitmap::Class() {
  return {"TBitmap", [] { return std::unique_ptr<TGraphic>(new TBitmap()); }};
}

TPixelFormat TBitmap::FormatOfDepth(int bits) {
  switch (bits) {
    case 1: return pf1bit;
    case 4: return pf4bit;
    case 8: return pf8bit;
    case 16: return pf16bit;
    case 24: return pf24bit;
    case 32: return pf32bit;
    default: return pfDevice;
  }
}

void TBitmap::FreeImage() {
  if (canvas_) canvas_->FreeContext();
  handle_.Reset();
}

void TBitmap::NewImage(HBITMAP handle, int width, int height, TBitmapHandleType type,
                       TPixelFormat format) {
  if (canvas_) canvas_->FreeContext();
  handle_.Reset(handle);
  width_ = handle ? width : 0;
  height_ = handle ? height : 0;
  handle_type_ = type;
  pixel_format_ = format;
  BITMAP bm{};
  monochrome_ = handle && GetObjectA(handle, sizeof(bm), &bm) && bm.bmBitsPixel == 1 &&
                bm.bmPlanes == 1;
}

HBITMAP TBitmap::Handle() { return handle_.Get(); }

void TBitmap::SetHandle(HBITMAP value) {
  if (value == handle_.Get()) return;
  DIBSECTION section{};
  BITMAP bm{};
  if (value && GetObjectA(value, sizeof(section), &section) == sizeof(section)) {
    NewImage(value, section.dsBm.bmWidth, std::abs(section.dsBm.bmHeight), bmDIB,
             FormatOfDepth(section.dsBm.bmBitsPixel));
  } else if (value && GetObjectA(value, sizeof(bm), &bm)) {
    NewImage(value, bm.bmWidth, bm.bmHeight, bmDDB, pfDevice);
  } else {
    NewImage(nullptr, 0, 0, bmDIB, pfDevice);
  }
  Changed(this);
}

HBITMAP TBitmap::ReleaseHandle() {
  if (canvas_) canvas_->FreeContext();
  HBITMAP handle = handle_.Take();
  width_ = height_ = 0;
  Changed(this);
  return handle;
}

void TBitmap::SetSize(int width, int height) {
  if (width == width_ && height == height_) return;
  if (width <= 0 || height <= 0) {
    NewImage(nullptr, 0, 0, handle_type_, pixel_format_);
    Changed(this);
    return;
  }
  HBITMAP made;
  if (handle_type_ == bmDIB && pixel_format_ != pfDevice) {
    const int bits = PixelFormatBits(pixel_format_);
    std::vector<TRGBQuad> table =
        palette_ ? TableFromPalette(palette_.Get()) : DefaultPalette(bits);
    made = NewDibSection(width, height, bits, table, nullptr);
  } else if (handle_type_ == bmDIB) {
    made = NewDibSection(width, height, 24, {}, nullptr);
  } else {
    made = NewDeviceBitmap(width, height, monochrome_);
  }
  ScopedBitmap replacement(made);
  if (handle_) {
    if (canvas_) canvas_->FreeContext();
    CopyPixels(replacement.Get(), handle_.Get(), std::min(width, width_),
               std::min(height, height_), palette_.Get());
  }
  const TPixelFormat format =
      handle_type_ == bmDIB && pixel_format_ == pfDevice ? pf24bit : pixel_format_;
  NewImage(replacement.Take(), width, height, handle_type_, format);
  Changed(this);
}

void TBitmap::SetHandleType(TBitmapHandleType value) {
  if (value == handle_type_) return;
  if (!handle_) {
    handle_type_ = value;
    return;
  }
  if (value == bmDIB) {
    AssignDib(ToDib());
    return;
  }
  ScopedBitmap made(NewDeviceBitmap(width_, height_, monochrome_));
  if (canvas_) canvas_->FreeContext();
  CopyPixels(made.Get(), handle_.Get(), width_, height_, palette_.Get());
  NewImage(made.Take(), width_, height_, bmDDB, pfDevice);
  Changed(this);
}

void TBitmap::SetPixelFormat(TPixelFormat value) {
  if (value == pixel_format_) return;
  if (value == pfDevice) {
    SetHandleType(bmDDB);
    pixel_format_ = pfDevice;
    return;
  }
  const int bits = PixelFormatBits(value);
  if (!handle_) {
    handle_type_ = bmDIB;
    pixel_format_ = value;
    return;
  }
  std::vector<TRGBQuad> table = bits <= 8 ? DefaultPalette(bits) : std::vector<TRGBQuad>{};
  void* pixels = nullptr;
  ScopedBitmap made(NewDibSection(width_, height_, value == pf15bit ? 16 : bits, table, &pixels));
  if (value == pf15bit) {
    // A plain 16-bit DIB is 5-5-5: make it again without the 5-6-5 masks.
    DibInfo info = MakeInfo(width_, height_, 16, {});
    info.header.biCompression = BI_RGB;
    made.Reset(CreateDIBSection(nullptr, info.Get(), DIB_RGB_COLORS, &pixels, nullptr, 0));
    if (!made) throw EOutOfResources(LoadStr(SOutOfResources));
  }
  if (canvas_) canvas_->FreeContext();
  CopyPixels(made.Get(), handle_.Get(), width_, height_, nullptr);
  palette_.Reset(bits <= 8 ? PaletteFromTable(table) : nullptr);
  NewImage(made.Take(), width_, height_, bmDIB, value);
  Changed(this);
}

bool TBitmap::Monochrome() const { return monochrome_; }

void TBitmap::SetMonochrome(bool value) {
  if (value == monochrome_) return;
  if (!handle_) {
    monochrome_ = value;
    return;
  }
  ScopedBitmap made(NewDeviceBitmap(width_, height_, value));
  if (canvas_) canvas_->FreeContext();
  CopyPixels(made.Get(), handle_.Get(), width_, height_, palette_.Get());
  NewImage(made.Take(), width_, height_, bmDDB, pfDevice);
  Changed(this);
}

void TBitmap::SetPalette(std::uintptr_t value) {
  auto palette = reinterpret_cast<HPALETTE>(value);
  if (palette == palette_.Get()) return;
  if (canvas_) canvas_->FreeContext();
  palette_.Reset(palette);
  if (handle_ && handle_type_ == bmDIB && PixelFormatBits(pixel_format_) <= 8 && palette) {
    std::vector<TRGBQuad> table = TableFromPalette(palette);
    std::vector<RGBQUAD> colors;
    for (const auto& q : table) colors.push_back({q.Blue, q.Green, q.Red, 0});
    ScopedMemoryDC dc(CreateCompatibleDC(nullptr));
    ScopedSelectObject select(dc.Get(), handle_.Get());
    SetDIBColorTable(dc.Get(), 0, static_cast<UINT>(colors.size()), colors.data());
  }
  SetPaletteModified(true);
  Changed(this);
}

HPALETTE TBitmap::ReleasePalette() {
  if (canvas_) canvas_->FreeContext();
  return palette_.Take();
}

TColor TBitmap::TransparentColor() {
  if (transparent_mode_ == tmFixed && transparent_color_ != clDefault) return transparent_color_;
  if (!handle_) return clDefault;
  // The automatic key is the colour of the bottom-left pixel.
  return static_cast<TColor>(GetPixel(Canvas().Handle(), 0, height_ - 1) & 0xFFFFFF);
}

void TBitmap::SetTransparentColor(TColor value) {
  transparent_color_ = value;
  transparent_mode_ = value == clDefault ? tmAuto : tmFixed;
  Changed(this);
}

void TBitmap::SetTransparentMode(TTransparentMode value) {
  if (value == transparent_mode_) return;
  transparent_mode_ = value;
  if (value == tmAuto) transparent_color_ = clDefault;
  Changed(this);
}

TCanvas& TBitmap::Canvas() {
  if (!canvas_) {
    canvas_ = std::make_unique<TBitmapCanvas>(*this);
    canvas_->OnChange = [this](TObject*) { Changed(this); };
  }
  return *canvas_;
}

std::uint8_t* TBitmap::ScanLine(int y) {
  if (handle_type_ != bmDIB || pixel_format_ == pfDevice) SetPixelFormat(pf24bit);
  if (!handle_ || y < 0 || y >= height_)
    throw EInvalidGraphicOperation(FmtLoadStr(SListIndexError, y));
  GdiFlush();
  DIBSECTION section{};
  GetObjectA(handle_.Get(), sizeof(section), &section);
  auto* bits = static_cast<std::uint8_t*>(section.dsBm.bmBits);
  const std::int64_t stride = TDib::RowBytes(width_, section.dsBm.bmBitsPixel);
  const bool bottom_up = section.dsBmih.biHeight > 0;
  return bits + (bottom_up ? height_ - 1 - y : y) * stride;
}

TDib TBitmap::ToDib() {
  if (!handle_) return TDib();
  int bits = 24;
  if (handle_type_ == bmDIB && pixel_format_ != pfDevice) {
    const int own = PixelFormatBits(pixel_format_);
    if (own == 1 || own == 4 || own == 8 || own == 32) bits = own;
  } else if (monochrome_) {
    bits = 1;
  }
  TDib dib(width_, height_, bits);
  DibInfo info = MakeInfo(width_, height_, bits, {});
  if (canvas_) canvas_->FreeContext();
  ScopedWindowDC screen(nullptr);
  HPALETTE old_palette = palette_ ? SelectPalette(screen.Get(), palette_.Get(), TRUE) : nullptr;
  const int rows = GetDIBits(screen.Get(), handle_.Get(), 0, height_, dib.Bits(), info.Get(),
                             DIB_RGB_COLORS);
  if (old_palette) SelectPalette(screen.Get(), old_palette, TRUE);
  if (rows != height_) throw EInvalidGraphic(LoadStr(SInvalidBitmap));
  if (bits <= 8) {
    dib.Palette().resize(std::size_t{1} << bits);
    for (std::size_t i = 0; i < dib.Palette().size(); ++i)
      dib.Palette()[i] = {info.colors[i].rgbBlue, info.colors[i].rgbGreen, info.colors[i].rgbRed,
                          0};
  }
  return dib;
}

void TBitmap::AssignDib(const TDib& dib) {
  if (dib.Empty()) {
    palette_.Reset();
    NewImage(nullptr, 0, 0, bmDIB, pfDevice);
    Changed(this);
    return;
  }
  void* pixels = nullptr;
  ScopedBitmap made(
      NewDibSection(dib.Width(), dib.Height(), dib.BitsPerPixel(), dib.Palette(), &pixels));
  // Our DIB sections are bottom-up with rows padded to 32 bits, exactly as TDib stores them.
  std::memcpy(pixels, dib.Bits(), dib.ImageSize());
  palette_.Reset(dib.BitsPerPixel() <= 8 ? PaletteFromTable(dib.Palette()) : nullptr);
  NewImage(made.Take(), dib.Width(), dib.Height(), bmDIB, FormatOfDepth(dib.BitsPerPixel()));
  Changed(this);
}

void TBitmap::LoadFromStream(TStream& stream) {
  TDib dib;
  dib.LoadFromBitmapFile(stream);
  AssignDib(dib);
}

void TBitmap::SaveToStream(TStream& stream) { ToDib().SaveToBitmapFile(stream); }

void TBitmap::LoadFromClipboardFormat(unsigned format, std::uintptr_t data,
                                      std::uintptr_t palette) {
  if (format != CF_BITMAP || !data) throw EInvalidGraphic(LoadStr(SInvalidBitmap));
  // The clipboard keeps its bitmap: the picture takes a copy.
  HBITMAP copy = static_cast<HBITMAP>(
      CopyImage(reinterpret_cast<HBITMAP>(data), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (!copy) throw EInvalidGraphic(LoadStr(SInvalidBitmap));
  palette_.Reset(palette ? CopyPalette(reinterpret_cast<HPALETTE>(palette)) : nullptr);
  SetHandle(copy);
}

void TBitmap::SaveToClipboardFormat(unsigned& format, std::uintptr_t& data,
                                    std::uintptr_t& palette) {
  format = CF_BITMAP;
  if (canvas_) canvas_->FreeContext();
  data = reinterpret_cast<std::uintptr_t>(
      handle_ ? CopyImage(handle_.Get(), IMAGE_BITMAP, 0, 0, 0) : nullptr);
  palette = reinterpret_cast<std::uintptr_t>(palette_ ? CopyPalette(palette_.Get()) : nullptr);
}

void TBitmap::Assign(const TPersistent& source) {
  auto* bitmap = dynamic_cast<const TBitmap*>(&source);
  if (!bitmap) {
    TGraphic::Assign(source);
    return;
  }
  if (bitmap == this) return;
  auto& from = const_cast<TBitmap&>(*bitmap);
  if (from.canvas_) from.canvas_->FreeContext();
  HBITMAP copy = nullptr;
  if (from.handle_) {
    copy = static_cast<HBITMAP>(CopyImage(from.handle_.Get(), IMAGE_BITMAP, 0, 0,
                                          from.handle_type_ == bmDIB ? LR_CREATEDIBSECTION : 0));
    if (!copy) throw EOutOfResources(LoadStr(SOutOfResources));
  }
  palette_.Reset(from.palette_ ? CopyPalette(from.palette_.Get()) : nullptr);
  transparent_color_ = from.transparent_color_;
  transparent_mode_ = from.transparent_mode_;
  SetTransparent(from.Transparent());
  if (copy)
    SetHandle(copy);
  else {
    NewImage(nullptr, 0, 0, from.handle_type_, from.pixel_format_);
    Changed(this);
  }
}

void TBitmap::Draw(TCanvas& canvas, const TRect& rect) {
  if (!handle_) return;
  HDC target = canvas.Handle();
  HDC source = Canvas().Handle();
  HPALETTE old_palette = nullptr;
  if (palette_) {
    old_palette = SelectPalette(target, palette_.Get(), TRUE);
    RealizePalette(target);
  }
  if (Transparent()) {
    TransparentBlt(target, rect.Left, rect.Top, rect.Width(), rect.Height(), source, 0, 0,
                   width_, height_, ColorToRGB(TransparentColor()));
  } else {
    SetStretchBltMode(target, COLORONCOLOR);
    StretchBlt(target, rect.Left, rect.Top, rect.Width(), rect.Height(), source, 0, 0, width_,
               height_, SRCCOPY);
  }
  if (old_palette) SelectPalette(target, old_palette, TRUE);
}

void TBitmap::Changed(TObject* sender) { TGraphic::Changed(sender); }

}  // namespace tw
