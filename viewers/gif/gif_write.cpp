// Writing GIF files: compressing frames held only as pixels, the frames' extensions, and the
// file itself.
#include <algorithm>
#include <cstring>

#include "framework/exception.h"
#include "framework/string_table.h"
#include "viewers/color_reduction.h"
#include "viewers/gif/gif_image.h"
#include "viewers/gif/lzw.h"

namespace tw {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& out, int value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

std::uint32_t Le32(const std::uint8_t* b) {
  return b[0] | b[1] << 8 | b[2] << 16 | static_cast<std::uint32_t>(b[3]) << 24;
}

int BitsForCount(std::int32_t count) {
  int bits = 1;
  while ((1 << bits) < count) ++bits;
  return bits;
}

// Each string as one sub-block of at most 255 bytes, empty strings skipped, then the terminator.
void PutSubBlocks(Bytes& out, const std::vector<std::string>& blocks) {
  for (const auto& block : blocks) {
    const std::size_t n = std::min<std::size_t>(block.size(), 255);
    if (n == 0) continue;
    out.push_back(static_cast<std::uint8_t>(n));
    out.insert(out.end(), block.begin(), block.begin() + static_cast<std::ptrdiff_t>(n));
  }
  out.push_back(0);
}

// A table of 2^bits entries, the entries beyond its Count zero.
void PutTable(Bytes& out, const GifColorTable& table, int bits) {
  for (int i = 0; i < (1 << bits); ++i) {
    const auto& e = table.Entries[static_cast<std::size_t>(i)];
    out.insert(out.end(), e.begin(), e.end());
  }
}

// A frame's code as it was read: the minimum code size byte and its whole sub-blocks, ended by a
// terminator even when the data read was cut short, so that what follows is not taken for more
// of this frame's data.
void PutCodeStream(Bytes& out, const Bytes& code) {
  if (code.empty()) return;
  std::size_t at = 1;
  while (at < code.size() && code[at] != 0 && at + 1 + code[at] <= code.size()) at += 1 + code[at];
  out.insert(out.end(), code.begin(), code.begin() + static_cast<std::ptrdiff_t>(at));
  out.push_back(0);
}

}  // namespace

void TGIFFrame::EncodeFrame() {
  if (!Bitmap || Bitmap->Empty()) throw EInvalidGraphicOperation(LoadStr(SGIFNoDataToWrite));
  std::unique_ptr<TMemoryStream> dib;
  const int bpp = Bitmap->BitsPerPixel();
  if (bpp == 1 || bpp == 4 || bpp == 8) {
    dib = std::make_unique<TMemoryStream>();
    Bitmap->SaveToBitmapFile(*dib);
    dib->SetPosition(0);
  } else {
    const ReductionMethod method = GrayReduced ? rmGray : DefaultReductionMethod;
    dib = BitmapToDib(*Bitmap, pf8bit, method);
    if (method == rmGray) GrayReduced = true;
  }
  try {
    EncodeFromDib(*dib);
  } catch (const EAbort&) {
    ResetFrame();
    throw;
  }
}

void TGIFFrame::EncodeFromDib(TMemoryStream& dib) {
  const std::uint8_t* file = dib.Memory();
  const auto size = static_cast<std::size_t>(dib.Size());
  constexpr std::size_t kHeaders = TBitmapFileHeader::kSize + TBitmapInfoHeader::kSize;
  if (size < kHeaders) throw EInvalidGraphicOperation(LoadStr(SGIFEncodeError));
  const std::uint32_t pixel_offset = Le32(file + 10);
  const auto width = static_cast<std::int32_t>(Le32(file + 18));
  const auto height = static_cast<std::int32_t>(Le32(file + 22));
  const int bit_count = file[28] | file[29] << 8;
  int colours;
  switch (bit_count) {
    case 1: colours = 2; break;
    case 4: colours = 16; break;
    case 8: colours = 256; break;
    default: throw EInvalidGraphicOperation(LoadStr(SGIFEncodeError));
  }
  const std::int64_t image_bytes = LzwRowStride(width, bit_count) * height;
  if (width <= 0 || height <= 0 || pixel_offset < kHeaders + 4u * colours ||
      pixel_offset + image_bytes > static_cast<std::int64_t>(size))
    throw EInvalidGraphicOperation(LoadStr(SGIFEncodeError));
  Interlaced = false;
  TGIFItem& item = *Item;
  item.ColorTable = {};
  item.ColorTable.Count = std::min(256, colours);
  for (int i = 0; i < item.ColorTable.Count; ++i) {
    const std::uint8_t* quad = file + kHeaders + 4 * i;
    item.ColorTable.Entries[static_cast<std::size_t>(i)] = {quad[2], quad[1], quad[0]};
  }
  if (item.CodeStream)
    item.CodeStream->Clear();
  else
    item.CodeStream = std::make_unique<TMemoryStream>();
  TLzwProgress progress;
  if (Owner && Owner->OnProgress)
    progress = [this](TProgressStage stage, int percent, const std::string& message) {
      Progress(stage, percent, message);
    };
  LzwEncode(*item.CodeStream, width, height, bit_count, false, progress,
            std::span<const std::uint8_t>(file + pixel_offset, static_cast<std::size_t>(image_bytes)));
  item.CodeStream->SetPosition(0);
  item.BitsPerPixel = static_cast<std::uint8_t>(BitsForCount(item.ColorTable.Count));
  if (Owner && Owner->SharedData().GlobalTable.Count > 0) {
    HasLocalTable = true;
  } else {
    HasLocalTable = false;
    if (Owner) {
      Owner->SharedData().GlobalTable = item.ColorTable;
      Owner->SharedData().GlobalBits = item.BitsPerPixel;
    }
  }
  item.ImageWidth = width;
  item.ImageHeight = height;
  if (Owner) {
    Owner->logical_width_ = static_cast<std::uint16_t>(std::max<int>(Owner->logical_width_, Origin.X + width));
    Owner->logical_height_ = static_cast<std::uint16_t>(std::max<int>(Owner->logical_height_, Origin.Y + height));
  }
}

void TGIFFrame::UpdateExtensions() {
  if (!GraphicControl() && (DelayMs != 0 || KeyColor != clNone || DisposalCode != 0)) {
    auto control = std::make_unique<TExtension>();
    control->Kind = ekGraphicControl;
    control->Header = {4, 0, 0, 0, 0, 0};
    Extensions.push_back(std::move(control));
  }
  for (auto& extension : Extensions) {
    if (extension->Kind != ekGraphicControl) continue;
    auto& h = extension->Header;
    h.resize(6);
    const int delay = DelayMs / 10;
    h[2] = static_cast<std::uint8_t>(delay);
    h[3] = static_cast<std::uint8_t>(delay >> 8);
    const int index = KeyColor == clNone ? -1 : Item->ColorTable.IndexOf(GifColorToRGB(KeyColor));
    if (index >= 0) {
      h[4] = static_cast<std::uint8_t>(index);
      h[1] |= 1;
    } else {
      h[1] &= ~1;
    }
    h[1] = static_cast<std::uint8_t>((h[1] & ~0x1C) | (DisposalCode & 7) << 2);
  }
  std::erase_if(Extensions, [](const std::unique_ptr<TExtension>& e) {
    return e->Kind == ekComment && (!e->SubBlocks || e->SubBlocks->empty());
  });
  if (!Extensions.empty() && Owner) Owner->format_version_ = 2;
}

void TGIFImage::EncodeAllFrames() {
  for (auto& frame : frames_) {
    if (frame->Item->HasCode()) continue;
    frame->Item->CodeStream.reset();
    frame->EncodeFrame();
  }
  for (auto& frame : frames_) frame->UpdateExtensions();
}

void TGIFImage::WriteGif(TStream& stream, bool with_length) {
  if (frames_.empty()) throw EInvalidGraphicOperation(LoadStr(SGIFNoDataToWrite));
  EncodeAllFrames();
  TGIFData& shared = *shared_;
  if (!shared.CommentLines.empty()) format_version_ = 2;

  Bytes out;
  const char* version = format_version_ == 2 ? "GIF89a" : "GIF87a";
  out.insert(out.end(), version, version + 6);

  RecalcLogicalSize();
  Put16(out, logical_width_);
  Put16(out, logical_height_);
  std::uint8_t packed = 0;
  std::uint8_t background = 0;
  const GifColorTable& global = shared.GlobalTable;
  int global_bits = 0;
  if (global.Count > 0) {
    for (int bits = 1; bits <= 8 && !global_bits; ++bits)
      if (global.Count == 1 << bits) global_bits = bits;
    if (!global_bits) throw EInvalidGraphicOperation(LoadStr(SGIFBadColorCount));
    // The colour resolution field repeats the table size; the sort flag stays clear.
    packed = static_cast<std::uint8_t>(0x80 + ((global_bits - 1) << 4) + (global_bits - 1));
    if (back_color_ != clNone) background = static_cast<std::uint8_t>(std::max(0, global.IndexOf(GifColorToRGB(back_color_))));
  }
  out.push_back(packed);
  out.push_back(background);
  out.push_back(shared.AspectByte);
  if (global.Count > 0) PutTable(out, global, global_bits);

  if (loop_enabled_ && frames_.size() > 1) {
    const std::uint8_t loop[] = {0x21, 0xFF, 0x0B, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3, 1,
                                 static_cast<std::uint8_t>(loop_count_), static_cast<std::uint8_t>(loop_count_ >> 8), 0};
    out.insert(out.end(), std::begin(loop), std::end(loop));
  }

  for (const auto& frame : frames_) {
    for (const auto& extension : frame->Extensions) {
      out.push_back(0x21);
      out.push_back(TExtension::Label(extension->Kind));
      out.insert(out.end(), extension->Header.begin(), extension->Header.end());
      if (extension->Kind != ekGraphicControl) PutSubBlocks(out, extension->SubBlocks ? *extension->SubBlocks : std::vector<std::string>{});
    }
    const TGIFItem& item = *frame->Item;
    out.push_back(0x2C);
    Put16(out, frame->Origin.X);
    Put16(out, frame->Origin.Y);
    Put16(out, item.ImageWidth);
    Put16(out, item.ImageHeight);
    std::uint8_t flags = 0;
    int local_bits = 0;
    if (frame->HasLocalTable) {
      local_bits = BitsForCount(item.ColorTable.Count);
      frame->Item->BitsPerPixel = static_cast<std::uint8_t>(local_bits);
      flags |= static_cast<std::uint8_t>(0x80 + local_bits - 1);
    }
    if (frame->Interlaced) flags |= 0x40;
    out.push_back(flags);
    if (frame->HasLocalTable) PutTable(out, item.ColorTable, local_bits);
    PutCodeStream(out, item.CodeStream->Bytes());
  }

  if (!shared.CommentLines.empty()) {
    out.push_back(0x21);
    out.push_back(0xFE);
    PutSubBlocks(out, shared.CommentLines);
  }
  out.push_back(0x3B);

  if (with_length) {
    const auto length = static_cast<std::uint32_t>(out.size());
    const std::uint8_t prefix[4] = {static_cast<std::uint8_t>(length), static_cast<std::uint8_t>(length >> 8),
                                    static_cast<std::uint8_t>(length >> 16), static_cast<std::uint8_t>(length >> 24)};
    stream.WriteBuffer(prefix, 4);
  }
  stream.WriteBuffer(out.data(), static_cast<std::int64_t>(out.size()));
}

}  // namespace tw
