#include "viewers/win/jpeg_image.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "framework/exception.h"
#include "framework/stream.h"
#include "framework/string_table.h"

namespace tw {
namespace {

int ScreenBitsPerPixel() {
  ScopedWindowDC screen(nullptr);
  return GetDeviceCaps(screen.Get(), BITSPIXEL) * GetDeviceCaps(screen.Get(), PLANES);
}

std::vector<TRGBQuad> PaletteColors(HPALETTE palette) {
  std::vector<PALETTEENTRY> entries(256);
  const UINT count = GetPaletteEntries(palette, 0, 256, entries.data());
  std::vector<TRGBQuad> colors(count);
  for (UINT i = 0; i < count; ++i) colors[i] = {entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
  return colors;
}

HPALETTE NewPalette(const std::vector<TRGBQuad>& colors) {
  struct {
    WORD version;
    WORD count;
    PALETTEENTRY entries[256];
  } log{0x300, 0, {}};
  log.count = static_cast<WORD>(std::min<std::size_t>(colors.size(), 256));
  for (WORD i = 0; i < log.count; ++i) log.entries[i] = {colors[i].Red, colors[i].Green, colors[i].Blue, 0};
  HPALETTE palette = CreatePalette(reinterpret_cast<LOGPALETTE*>(&log));
  if (!palette) throw EOutOfResources(LoadStr(SOutOfResources));
  return palette;
}

// Decoded rows go straight into the bitmap's DIB section.
class TBitmapPixelTarget : public TJPEGPixelTarget {
public:
  explicit TBitmapPixelTarget(TBitmap& bitmap) : bitmap_(bitmap) {}
  void SetSize(int width, int height, int bits_per_pixel) override {
    bitmap_.SetPixelFormat(bits_per_pixel == 8 ? pf8bit : pf24bit);
    bitmap_.SetSize(width, height);
  }
  std::uint8_t* ScanLine(int y) override { return bitmap_.ScanLine(y); }
  void SetPalette(const std::vector<TRGBQuad>& colors) override {
    bitmap_.SetPalette(reinterpret_cast<std::uintptr_t>(NewPalette(colors)));
  }

private:
  TBitmap& bitmap_;
};

// Registers at start-up wherever the class is linked in.
const bool registered = (RegisterJPEGImage(), true);

}  // namespace

int OutputDepthForScreen(int bits_per_pixel) { return bits_per_pixel <= 8 ? 1 : 0; }

void RegisterJPEGImage() {
  static const bool done = [] {
    JpegDefaults.OutputDepth = OutputDepthForScreen(ScreenBitsPerPixel());
    RegisterFileFormat("jpeg", LoadStr(SJPEGImageDescription), TJPEGImage::Class());
    RegisterFileFormat("jpg", LoadStr(SJPEGImageDescription), TJPEGImage::Class());
    return true;
  }();
  (void)done;
}

TGraphicClass TJPEGImage::Class() {
  return {"TJPEGImage", [] { return std::unique_ptr<TGraphic>(new TJPEGImage); }};
}

TJPEGImage::TJPEGImage() : data_(new TJPEGData), settings_(JpegDefaults) {}

TJPEGImage::~TJPEGImage() = default;

void TJPEGImage::DropDecodedBitmap() {
  // A picture decoded with the old setting is decoded again when next needed.
  if (bitmap_ && data_->HasData()) {
    bitmap_.reset();
    Changed(this);
  }
}

void TJPEGImage::ReportProgress(const TJPEGProgress& p) {
  Progress(this, p.Stage, static_cast<std::uint8_t>(p.PercentDone), p.RedrawNow, p.R, {});
}

void TJPEGImage::Decode() {
  auto bitmap = std::make_unique<TBitmap>();
  TBitmapPixelTarget target(*bitmap);
  TJPEGDecodeRequest request;
  request.Settings = settings_;
  request.OnProgress = [this](const TJPEGProgress& p) { ReportProgress(p); };
  const bool eight_bit = settings_.OutputDepth == 1 || settings_.GrayOutput;
  if (palette_) {
    if (eight_bit)
      request.Palette = PaletteColors(palette_.Get());
    else
      palette_.Reset();
  }
  // The bitmap is visible (for drawing from the progress event) while the scans come in.
  bitmap_ = std::move(bitmap);
  TJPEGDecodeResult result;
  try {
    result = data_->Decode(target, request);
  } catch (...) {
    // The failure is reported once; until the data or the decoding settings change the
    // picture is an empty bitmap, which draws nothing, rather than a decode failing at every
    // paint.
    bitmap_ = std::make_unique<TBitmap>();
    throw;
  }
  if (result.PaletteModified) {
    SetPaletteModified(true);
    Changed(this);
  }
}

TBitmap& TJPEGImage::Bitmap() {
  if (!bitmap_) {
    if (data_->HasData())
      Decode();
    else
      bitmap_ = std::make_unique<TBitmap>();
  }
  return *bitmap_;
}

int TJPEGImage::ScaledWidth() const {
  if (!data_->HasData()) return bitmap_ ? bitmap_->Width() : 0;
  int width = 0, height = 0;
  data_->ScaledSize(settings_, width, height);
  return width;
}

int TJPEGImage::ScaledHeight() const {
  if (!data_->HasData()) return bitmap_ ? bitmap_->Height() : 0;
  int width = 0, height = 0;
  data_->ScaledSize(settings_, width, height);
  return height;
}

void TJPEGImage::Compress() {
  const TDib dib = bitmap_ ? bitmap_->ToDib() : TDib();
  data_ = TJPEGData::Compress(dib, settings_, [this](const TJPEGProgress& p) { ReportProgress(p); });
}

bool TJPEGImage::Empty() const {
  if (data_->HasData()) return false;
  return !bitmap_ || bitmap_->Empty();
}

int TJPEGImage::Width() const { return bitmap_ ? bitmap_->Width() : data_->ImageWidth(); }

int TJPEGImage::Height() const { return bitmap_ ? bitmap_->Height() : data_->ImageHeight(); }

void TJPEGImage::SetWidth(int) { throw EInvalidGraphicOperation(LoadStr(SJPEGCannotResize)); }

void TJPEGImage::SetHeight(int) { throw EInvalidGraphicOperation(LoadStr(SJPEGCannotResize)); }

void TJPEGImage::Draw(TCanvas& canvas, const TRect& rect) { canvas.StretchDraw(rect, Bitmap()); }

void TJPEGImage::LoadFromStream(TStream& stream) {
  TSharedImageRef<TJPEGData> data(new TJPEGData);
  settings_.WriteProgressive = data->LoadFromStream(stream);
  data_ = std::move(data);
  bitmap_.reset();
  SetPaletteModified(true);
  Changed(this);
}

void TJPEGImage::SaveToStream(TStream& stream) {
  if (!data_->HasData()) Compress();
  data_->SaveToStream(stream);
}

void TJPEGImage::ReadData(TStream& stream) {
  std::int32_t size = 0;
  stream.ReadBuffer(&size, 4);
  TSharedImageRef<TJPEGData> data(new TJPEGData);
  settings_.WriteProgressive = data->LoadFromStream(stream, std::max(size, 0));
  data_ = std::move(data);
  bitmap_.reset();
  SetPaletteModified(true);
  Changed(this);
}

// A picture that only has a bitmap is compressed first, so that the stored property keeps it.
void TJPEGImage::WriteData(TStream& stream) {
  if (!data_->HasData() && bitmap_ && !bitmap_->Empty()) Compress();
  const std::int32_t size = data_->HasData() ? static_cast<std::int32_t>(data_->Data()->Bytes().size()) : 0;
  stream.WriteBuffer(&size, 4);
  data_->SaveToStream(stream);
}

void TJPEGImage::LoadFromClipboardFormat(unsigned format, std::uintptr_t data, std::uintptr_t palette) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->LoadFromClipboardFormat(format, data, palette);
  data_ = TSharedImageRef<TJPEGData>(new TJPEGData);
  bitmap_ = std::move(bitmap);
  Changed(this);
}

void TJPEGImage::SaveToClipboardFormat(unsigned& format, std::uintptr_t& data, std::uintptr_t& palette) {
  Bitmap().SaveToClipboardFormat(format, data, palette);
}

bool TJPEGImage::Equals(TGraphic& graphic) {
  auto* other = dynamic_cast<TJPEGImage*>(&graphic);
  return other && other->data_.Get() == data_.Get();
}

std::uintptr_t TJPEGImage::Palette() const {
  if (bitmap_) return bitmap_->Palette();
  if (palette_) return reinterpret_cast<std::uintptr_t>(palette_.Get());
  if (settings_.OutputDepth == 1) return 0;
  if (ScreenBitsPerPixel() <= 8) {
    ScopedWindowDC screen(nullptr);
    palette_.Reset(CreateHalftonePalette(screen.Get()));
  }
  return reinterpret_cast<std::uintptr_t>(palette_.Get());
}

void TJPEGImage::SetPalette(std::uintptr_t value) {
  if (value == Palette()) return;
  auto palette = reinterpret_cast<HPALETTE>(value);
  // Only a bitmap decoded from the data is dropped: one that was assigned is the only copy.
  const bool dropped = bitmap_ && data_->HasData() && bitmap_->PaletteHandle() != palette;
  if (dropped) bitmap_.reset();
  palette_.Reset(palette);
  if (dropped) {
    SetPaletteModified(true);
    Changed(this);
  }
}

void TJPEGImage::Assign(const TPersistent& source) {
  if (auto* jpeg = dynamic_cast<const TJPEGImage*>(&source)) {
    if (jpeg == this) return;
    std::unique_ptr<TBitmap> bitmap;
    if (jpeg->bitmap_) {
      bitmap = std::make_unique<TBitmap>();
      bitmap->Assign(*jpeg->bitmap_);
    }
    data_ = jpeg->data_;
    bitmap_ = std::move(bitmap);
    Changed(this);
    return;
  }
  if (auto* source_bitmap = dynamic_cast<const TBitmap*>(&source)) {
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->Assign(*source_bitmap);
    data_ = TSharedImageRef<TJPEGData>(new TJPEGData);
    bitmap_ = std::move(bitmap);
    Changed(this);
    return;
  }
  TGraphic::Assign(source);
}

void TJPEGImage::AssignTo(TPersistent& dest) const {
  if (auto* bitmap = dynamic_cast<TBitmap*>(&dest)) {
    bitmap->Assign(const_cast<TJPEGImage*>(this)->Bitmap());
    return;
  }
  TGraphic::AssignTo(dest);
}

}  // namespace tw
