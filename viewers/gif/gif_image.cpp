// The GIF picture as a graphic: frames, size, transparency, streams, assignment, registration.
#include <algorithm>

#include "framework/exception.h"
#include "framework/string_table.h"
#include "viewers/animated_cursor.h"
#include "viewers/gif/gif_image.h"

namespace tw {
namespace {

constexpr std::int64_t kCursorRateToMs = 100;  // sixtieths of a second: rate * 100 / 6 ms

std::int64_t ReadLength(TStream& stream) {
  std::uint8_t b[4];
  stream.ReadBuffer(b, 4);
  return static_cast<std::int32_t>(b[0] | b[1] << 8 | b[2] << 16 | static_cast<std::uint32_t>(b[3]) << 24);
}

}  // namespace

TGIFImage::TGIFImage() {
  ClearImage();
  SetTransparent(true);
}

TGIFImage::~TGIFImage() {
  OnChange = nullptr;
  shared_ = {};
  frames_.clear();
}

TGIFFrame& TGIFImage::FrameAt(int index) const {
  if (index < 0 || index >= FrameCount()) throw EListError(FmtLoadStr(SListIndexError, index));
  return *frames_[static_cast<std::size_t>(index)];
}

void TGIFImage::ClearImage() {
  shared_ = TSharedImageRef<TGIFData>(new TGIFData);
  frames_.clear();
  current_frame_ = -1;
  back_color_ = clNone;
  loop_count_ = 1;
  loop_enabled_ = false;
  format_version_ = 0;
}

TGIFFrame& TGIFImage::AddFrame() {
  frames_.push_back(std::make_unique<TGIFFrame>(this));
  current_frame_ = FrameCount() - 1;
  return *frames_.back();
}

int TGIFImage::AppendFrame(const TGraphic& graphic) {
  TGIFFrame& frame = AddFrame();
  try {
    frame.Assign(graphic);
  } catch (...) {
    DeleteFrame(FrameCount() - 1);
    throw;
  }
  if (format_version_ == 0) format_version_ = 1;
  if (FrameCount() > 1) format_version_ = 2;
  return FrameCount() - 1;
}

int TGIFImage::AppendFrame(const TDib& pixels, TColor key) {
  AddFrame().AssignPixels(pixels, key);
  if (format_version_ == 0) format_version_ = 1;
  if (FrameCount() > 1) format_version_ = 2;
  return FrameCount() - 1;
}

void TGIFImage::DeleteFrame(int index) {
  FrameAt(index);
  frames_.erase(frames_.begin() + index);
  if (current_frame_ >= FrameCount()) current_frame_ = FrameCount() - 1;
}

TDib& TGIFImage::CurrentBitmap() {
  if (frames_.empty()) {
    AppendFrame(TDib());
    current_frame_ = 0;
    return frames_.front()->FrameBitmap();
  }
  const int index = current_frame_ >= 0 && current_frame_ < FrameCount() ? current_frame_ : 0;
  return frames_[static_cast<std::size_t>(index)]->FrameBitmap();
}

void TGIFImage::RecalcLogicalSize() {
  int width = 0, height = 0;
  for (const auto& frame : frames_) {
    const TPoint size = frame->StoredSize();
    width = std::max(width, size.X + frame->Origin.X);
    height = std::max(height, size.Y + frame->Origin.Y);
  }
  logical_width_ = static_cast<std::uint16_t>(width);
  logical_height_ = static_cast<std::uint16_t>(height);
}

bool TGIFImage::Empty() const {
  if (frames_.empty()) return true;
  const int index = current_frame_ >= 0 && current_frame_ < FrameCount() ? current_frame_ : 0;
  const TGIFFrame& frame = *frames_[static_cast<std::size_t>(index)];
  return !frame.Bitmap && !frame.Item->HasCode();
}

int TGIFImage::Width() const {
  if (Empty() || current_frame_ < 0 || current_frame_ >= FrameCount()) return 0;
  return frames_[static_cast<std::size_t>(current_frame_)]->Width();
}

int TGIFImage::Height() const {
  if (Empty() || current_frame_ < 0 || current_frame_ >= FrameCount()) return 0;
  return frames_[static_cast<std::size_t>(current_frame_)]->Height();
}

void TGIFImage::SetWidth(int) { throw EInvalidGraphicOperation(LoadStr(SGIFCannotResize)); }

void TGIFImage::SetHeight(int) { throw EInvalidGraphicOperation(LoadStr(SGIFCannotResize)); }

void TGIFImage::Draw(TCanvas& canvas, const TRect& rect) {
  if (current_frame_ < 0 || current_frame_ >= FrameCount()) return;
  frames_[static_cast<std::size_t>(current_frame_)]->DrawFrame(canvas, rect, Transparent());
}

bool TGIFImage::Transparent() const {
  if (!TGraphic::Transparent()) return false;
  return std::any_of(frames_.begin(), frames_.end(), [](const auto& f) { return f->KeyColor != clNone; });
}

std::uintptr_t TGIFImage::Palette() const {
  const auto& palette = GifPlatform().Palette;
  if (frames_.empty() || !palette) return 0;
  return palette(const_cast<TGIFImage&>(*this));
}

bool TGIFImage::Equals(TGraphic& graphic) {
  const auto* other = dynamic_cast<const TGIFImage*>(&graphic);
  return other && other->shared_.Get() == shared_.Get();
}

void TGIFImage::LoadFromStream(TStream& stream) { ReadGif(stream.Size() - stream.Position(), stream, true); }

void TGIFImage::SaveToStream(TStream& stream) { WriteGif(stream, false); }

void TGIFImage::ReadData(TStream& stream) { ReadGif(ReadLength(stream), stream, true); }

void TGIFImage::WriteData(TStream& stream) { WriteGif(stream, true); }

void TGIFImage::LoadFromClipboardFormat(unsigned format, std::uintptr_t data, std::uintptr_t palette) {
  const auto& load = GifPlatform().LoadFromClipboardFormat;
  if (!load) return TGraphic::LoadFromClipboardFormat(format, data, palette);
  load(*this, format, data, palette);
}

void TGIFImage::SaveToClipboardFormat(unsigned& format, std::uintptr_t& data, std::uintptr_t& palette) {
  const auto& save = GifPlatform().SaveToClipboardFormat;
  if (!save) return TGraphic::SaveToClipboardFormat(format, data, palette);
  save(*this, format, data, palette);
}

void TGIFImage::AssignNothing() {
  ClearImage();
  RaiseChange();
}

void TGIFImage::Assign(const TPersistent& source) {
  if (&source == this) return;
  if (const auto* image = dynamic_cast<const TGIFImage*>(&source)) {
    shared_ = image->shared_;
    format_version_ = image->format_version_;
    back_color_ = image->back_color_;
    loop_count_ = image->loop_count_;
    loop_enabled_ = image->loop_enabled_;
    frames_.clear();
    for (const auto& from : image->frames_) {
      auto frame = std::make_unique<TGIFFrame>(this);
      frame->Assign(*from);
      frame->HasLocalTable = from->HasLocalTable;
      frames_.push_back(std::move(frame));
    }
    logical_width_ = image->logical_width_;
    logical_height_ = image->logical_height_;
    current_frame_ = image->current_frame_;
    return RaiseChange();
  }
  if (const auto* frame = dynamic_cast<const TGIFFrame*>(&source)) {
    ClearImage();
    if (frame->Owner) {
      const TGIFData& from = frame->Owner->SharedData();
      shared_->AspectByte = from.AspectByte;
      shared_->GlobalBits = from.GlobalBits;
      shared_->ColorResolution = from.ColorResolution;
      shared_->GlobalTable = from.GlobalTable;
    }
    AddFrame().Assign(*frame);
    if (format_version_ == 0) format_version_ = 1;
    return RaiseChange();
  }
  if (const auto* cursor = dynamic_cast<const TAnimatedCursorImage*>(&source)) return AssignCursor(*cursor);
  if (const auto* graphic = dynamic_cast<const TGraphic*>(&source); graphic && graphic->ClassName() == "TBitmap") {
    ClearImage();
    AppendFrame(*graphic);
    return RaiseChange();
  }
  TGraphic::Assign(source);
}

void TGIFImage::AssignCursor(const TAnimatedCursorImage& cursor) {
  ClearImage();
  back_color_ = clWindow;
  for (int i = 0; i < cursor.FrameCount(); ++i) {
    const TIconFrame& from = cursor.Frame(i);
    // As a bitmap given an icon: the icon drawn over fuchsia, which becomes the key colour.
    TDib pixels;
    if (from.Icon && !from.Icon->Empty()) {
      pixels = TDib(from.Icon->Width(), from.Icon->Height(), 24);
      for (int y = 0; y < pixels.Height(); ++y) {
        std::uint8_t* row = pixels.ScanLine(y);
        for (int x = 0; x < pixels.Width(); ++x) {
          row[3 * x] = ColorBlue(clFuchsia);
          row[3 * x + 1] = ColorGreen(clFuchsia);
          row[3 * x + 2] = ColorRed(clFuchsia);
        }
      }
      from.Icon->DrawOnto(pixels, 0, 0);
    }
    const int index = AppendFrame(pixels, pixels.Empty() ? clNone : clFuchsia);
    // Like a read delay, a rate beyond the 16-bit field is kept modulo 65536.
    const std::int64_t ms = static_cast<std::uint32_t>(from.Rate) * kCursorRateToMs / 6;
    FrameAt(index).DelayMs = static_cast<std::uint16_t>(ms & 0xFFFF);
  }
  RaiseChange();
}

void TGIFImage::AssignTo(TPersistent& dest) const {
  if (dynamic_cast<TGIFImage*>(&dest)) return dest.Assign(*this);
  if (!dynamic_cast<TGraphic*>(&dest)) return TGraphic::AssignTo(dest);
  if (Empty()) return;
  auto& self = const_cast<TGIFImage&>(*this);
  if (current_frame_ < 0) self.CurrentBitmap();
  const int index = current_frame_ >= 0 && current_frame_ < FrameCount() ? current_frame_ : 0;
  self.FrameAt(index).AssignTo(dest);
}

TGraphicClass GifImageClass() {
  return {"TGIFImage", [] { return std::unique_ptr<TGraphic>(new TGIFImage); }};
}

void RegisterGifImage(unsigned clipboard_format) {
  RegisterFileFormat("gif", LoadStr(SGIFImageDescription), GifImageClass());
  if (clipboard_format) RegisterGraphicClipboardFormat(clipboard_format, GifImageClass());
}

void UnregisterGifImage() { UnregisterGraphicClass("TGIFImage"); }

}  // namespace tw
