// One frame of a GIF picture: its pixels, decoding, comments, drawing and assignment.
#include <algorithm>

#include "framework/exception.h"
#include "framework/string_table.h"
#include "viewers/gif/gif_image.h"
#include "viewers/gif/lzw.h"

namespace tw {

int GifColorTable::IndexOf(TColor color) const {
  for (int i = 0; i < Count; ++i)
    if (Color(i) == color) return i;
  return -1;
}

std::uint8_t TExtension::Label(TExtensionKind kind) {
  static constexpr std::uint8_t kLabels[] = {0xF9, 0x01, 0xFF, 0xFE};
  return kLabels[kind];
}

void TExtension::Assign(const TPersistent& source) {
  const auto* extension = dynamic_cast<const TExtension*>(&source);
  if (!extension) return TPersistent::Assign(source);
  if (extension == this) return;
  Kind = extension->Kind;
  Header = extension->Header;
  if (extension->SubBlocks) {
    if (!SubBlocks) SubBlocks = std::make_unique<std::vector<std::string>>();
    *SubBlocks = *extension->SubBlocks;
  }
}

TColor GifColorToRGB(TColor color) {
  if (const auto& resolve = GifPlatform().ColorToRGB) return resolve(color);
  if (IsSystemColor(color)) return color == clWindow ? clWhite : clBlack;
  return color & 0xFFFFFF;
}

TGifPlatform& GifPlatform() {
  static TGifPlatform platform;
  return platform;
}

TGIFFrame::TGIFFrame(TGIFImage* owner) : Owner(owner) { ResetFrame(); }

TGIFFrame::~TGIFFrame() = default;

void TGIFFrame::ResetFrame() {
  Item = TSharedImageRef<TGIFItem>(new TGIFItem);
  GrayReduced = false;
  Damaged = false;
  KeyColor = clNone;
  Origin = {};
  Interlaced = false;
  HasLocalTable = false;
  DelayMs = 0;
  DisposalCode = 0;
}

void TGIFFrame::Progress(int stage, int percent, const std::string& message) {
  if (Owner)
    Owner->Progress(Owner, static_cast<TProgressStage>(stage), static_cast<std::uint8_t>(percent), false, TRect{},
                    message);
}

TDib TGIFFrame::DecodePixels() {
  const TGIFItem& item = *Item;
  const int table_bits = item.BitsPerPixel;
  int bit_count;
  if (table_bits == 1)
    bit_count = 1;
  else if (table_bits >= 2 && table_bits <= 4)
    bit_count = 4;
  else if (table_bits >= 5 && table_bits <= 8)
    bit_count = 8;
  else
    throw EInvalidGraphicOperation(LoadStr(SGIFBadColorCount));
  // A few hundred bytes can declare a frame of 65535 x 65535.
  if (!DecodedPictureFits(item.ImageWidth, item.ImageHeight, bit_count))
    throw EInvalidGraphicOperation(LoadStr(SGIFBadData));
  TDib pixels(item.ImageWidth, item.ImageHeight, bit_count);
  auto& palette = pixels.Palette();
  for (int i = 0; i < static_cast<int>(palette.size()); ++i) {
    if (i < item.ColorTable.Count) {
      const auto& e = item.ColorTable.Entries[static_cast<std::size_t>(i)];
      palette[static_cast<std::size_t>(i)] = {e[2], e[1], e[0], 0};
    } else {
      palette[static_cast<std::size_t>(i)] = {128, 128, 128, 128};
    }
  }
  if (pixels.Empty() || !item.CodeStream) return pixels;
  item.CodeStream->SetPosition(0);
  bool damaged = false;
  TLzwProgress progress;
  if (Owner && Owner->OnProgress)
    progress = [this](TProgressStage stage, int percent, const std::string& message) {
      Progress(stage, percent, message);
    };
  LzwDecode(*item.CodeStream, item.ImageWidth, item.ImageHeight, bit_count, Interlaced, progress, damaged,
            std::span<std::uint8_t>(pixels.Bits(), pixels.ImageSize()), table_bits, GifTolerateDamage);
  Damaged = Damaged || damaged;
  return pixels;
}

std::unique_ptr<TMemoryStream> TGIFFrame::DecodeToDib() {
  auto stream = std::make_unique<TMemoryStream>();
  DecodePixels().SaveToBitmapFile(*stream);
  stream->SetPosition(0);
  return stream;
}

TDib& TGIFFrame::FrameBitmap() {
  if (Bitmap && !Bitmap->Empty()) return *Bitmap;
  Bitmap = std::make_unique<TDib>();
  DrawCache.reset();
  if (Item->HasCode()) *Bitmap = DecodePixels();
  return *Bitmap;
}

int TGIFFrame::Width() {
  if (!Bitmap && !Item->HasCode()) return 0;
  return FrameBitmap().Width();
}

int TGIFFrame::Height() {
  if (!Bitmap && !Item->HasCode()) return 0;
  return FrameBitmap().Height();
}

TPoint TGIFFrame::StoredSize() const {
  if (Bitmap && !Bitmap->Empty()) return {Bitmap->Width(), Bitmap->Height()};
  if (Item->HasCode()) return {Item->ImageWidth, Item->ImageHeight};
  return {};
}

TExtension* TGIFFrame::GraphicControl() const {
  for (const auto& extension : Extensions)
    if (extension->Kind == ekGraphicControl) return extension.get();
  return nullptr;
}

std::vector<std::string>* TGIFFrame::FrameComment(bool create) {
  for (auto it = Extensions.rbegin(); it != Extensions.rend(); ++it) {
    TExtension& extension = **it;
    if (extension.Kind != ekComment) continue;
    if (!extension.SubBlocks) {
      if (!create) return nullptr;
      extension.SubBlocks = std::make_unique<std::vector<std::string>>();
    }
    return extension.SubBlocks.get();
  }
  if (!create) return nullptr;
  auto comment = std::make_unique<TExtension>();
  comment->Kind = ekComment;
  comment->SubBlocks = std::make_unique<std::vector<std::string>>();
  Extensions.push_back(std::move(comment));
  return Extensions.back()->SubBlocks.get();
}

void TGIFFrame::DrawFrame(TCanvas& canvas, const TRect& rect, bool transparent) {
  if (const auto& draw = GifPlatform().DrawFrame) draw(*this, canvas, rect, transparent);
}

void TGIFFrame::AssignNothing() {
  ResetFrame();
  Bitmap.reset();
  DrawCache.reset();
  if (Owner) Owner->RecalcLogicalSize();
}

void TGIFFrame::AssignPixels(const TDib& pixels, TColor key) {
  if (pixels.Empty()) return AssignNothing();
  ResetFrame();
  Bitmap = std::make_unique<TDib>(pixels);
  DrawCache.reset();
  KeyColor = key;
  if (Owner) Owner->RecalcLogicalSize();
}

void TGIFFrame::Assign(const TPersistent& source) {
  if (&source == this) return;
  if (const auto* frame = dynamic_cast<const TGIFFrame*>(&source)) {
    Item = frame->Item;
    HasLocalTable = Owner == frame->Owner ? frame->HasLocalTable : true;
    Origin = frame->Origin;
    Interlaced = frame->Interlaced;
    // Without pixels of the source the shared code is what this frame shows.
    Bitmap = frame->Bitmap ? std::make_unique<TDib>(*frame->Bitmap) : nullptr;
    DrawCache.reset();
    KeyColor = frame->KeyColor;
    DelayMs = frame->DelayMs;
    DisposalCode = frame->DisposalCode;
    GrayReduced = frame->GrayReduced;
    Damaged = frame->Damaged;
    auto* source_comment = const_cast<TGIFFrame*>(frame)->FrameComment(false);
    if (source_comment && !source_comment->empty()) *FrameComment(true) = *source_comment;
    if (Owner) Owner->RecalcLogicalSize();
    return;
  }
  if (const auto* image = dynamic_cast<const TGIFImage*>(&source)) {
    if (image->FrameCount() == 0) return;
    return Assign(image->FrameAt(std::max(image->CurrentFrame(), 0)));
  }
  if (const auto* graphic = dynamic_cast<const TGraphic*>(&source)) {
    if (graphic->Empty()) return AssignNothing();
    TDib pixels;
    TColor key = clNone;
    const auto& convert = GifPlatform().GraphicToPixels;
    if (convert && convert(*graphic, pixels, key)) return AssignPixels(pixels, key);
  }
  TPersistent::Assign(source);
}

void TGIFFrame::AssignTo(TPersistent& dest) const {
  if (dynamic_cast<TGIFFrame*>(&dest) || dynamic_cast<TGIFImage*>(&dest)) return dest.Assign(*this);
  if (const auto& give = GifPlatform().FrameToGraphic; give && give(*this, dest)) return;
  TPersistent::AssignTo(dest);
}

}  // namespace tw
