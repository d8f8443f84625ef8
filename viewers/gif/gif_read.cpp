// Reading GIF files: header, screen descriptor, tables, extension runs and frames.
#include <algorithm>
#include <cstring>

#include "framework/exception.h"
#include "framework/string_table.h"
#include "viewers/gif/gif_image.h"

namespace tw {
namespace {

constexpr std::uint8_t kExtensionIntroducer = 0x21;  // '!'
constexpr std::uint8_t kImageSeparator = 0x2C;       // ','
constexpr std::uint8_t kTrailer = 0x3B;              // ';'
constexpr int kMaxLoopCount = 30000;

[[noreturn]] void ReadFailure() { throw EReadError(LoadStr(SReadError)); }

std::uint16_t Le16(const std::uint8_t* b) { return static_cast<std::uint16_t>(b[0] | b[1] << 8); }

bool SameIgnoringCase(const std::uint8_t* bytes, const char* text) {
  for (; *text; ++bytes, ++text) {
    const auto lower = [](int c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; };
    if (lower(*bytes) != lower(static_cast<unsigned char>(*text))) return false;
  }
  return true;
}

// The bytes of the file still unread.
struct Cursor {
  const std::uint8_t* at;
  const std::uint8_t* end;
  std::size_t Left() const { return static_cast<std::size_t>(end - at); }
  bool AtEnd() const { return at >= end; }
  // Reads up to COUNT bytes into OUT (the rest stays as it was); returns the count read.
  std::size_t Read(void* out, std::size_t count) {
    const std::size_t n = std::min(count, Left());
    if (n) std::memcpy(out, at, n);
    at += n;
    return n;
  }
  std::uint8_t Byte() { return AtEnd() ? 0 : *at++; }
};

// Data sub-blocks up to a zero length byte or the end of the data; a short block keeps what
// there is.
std::vector<std::string> ReadSubBlocks(Cursor& in) {
  std::vector<std::string> blocks;
  while (!in.AtEnd()) {
    const std::size_t length = in.Byte();
    if (length == 0) break;
    const std::size_t n = std::min(length, in.Left());
    blocks.emplace_back(reinterpret_cast<const char*>(in.at), n);
    in.at += n;
  }
  return blocks;
}

int Log2OfCount(std::int32_t count) {
  for (int bits = 1; bits <= 8; ++bits)
    if (count == 1 << bits) return bits;
  throw EInvalidGraphicOperation(LoadStr(SGIFBadColorCount));
}

}  // namespace

void TGIFImage::ReadGif(std::int64_t n, TStream& stream, bool decode_first) {
  ClearImage();
  if (n > 0) {
    // The length is checked against the data present before anything is allocated for it.
    if (n > stream.Size() - stream.Position()) ReadFailure();
    // Bytes already in memory are read where they are; others are copied first.
    std::vector<std::uint8_t> bytes;
    const std::uint8_t* data;
    if (auto* memory = dynamic_cast<TMemoryStream*>(&stream)) {
      data = memory->Memory() + memory->Position();
      memory->Seek(n, TSeekOrigin::soCurrent);
    } else {
      bytes.resize(static_cast<std::size_t>(n));
      stream.ReadBuffer(bytes.data(), n);
      data = bytes.data();
    }
    ReadFile(data, static_cast<std::size_t>(n));
    if (!frames_.empty()) {
      current_frame_ = 0;
      if (decode_first) {
        try {
          CurrentBitmap();
        } catch (...) {
          frames_.erase(frames_.begin());
          current_frame_ = frames_.empty() ? -1 : 0;
          throw;
        }
      }
    }
  }
  SetPaletteModified(true);
  RaiseChange();
}

void TGIFImage::ReadFile(const std::uint8_t* data, std::size_t size) {
  Cursor in{data, data + size};
  std::uint8_t header[6];
  if (in.Read(header, 3) != 3 || !SameIgnoringCase(header, "GIF"))
    throw EInvalidGraphicOperation(LoadStr(SGIFUnknownVersion));
  if (in.Read(header + 3, 3) != 3) throw EInvalidGraphicOperation(LoadStr(SGIFUnknownVersion));
  if (SameIgnoringCase(header + 3, "87a"))
    format_version_ = 1;
  else if (SameIgnoringCase(header + 3, "89a"))
    format_version_ = 2;
  else
    throw EInvalidGraphicOperation(LoadStr(SGIFUnknownVersion));

  std::uint8_t screen[7];
  if (in.Read(screen, 7) != 7) ReadFailure();
  TGIFData& shared = *shared_;
  logical_width_ = Le16(screen);
  logical_height_ = Le16(screen + 2);
  const std::uint8_t packed = screen[4];
  shared.AspectByte = screen[6];
  shared.GlobalBits = static_cast<std::uint8_t>((packed & 7) + 1);
  shared.ColorResolution = static_cast<std::uint8_t>(((packed >> 4) & 7) + 1);
  if (packed & 0x80) {
    GifColorTable& table = shared.GlobalTable;
    table.Count = 1 << shared.GlobalBits;
    in.Read(table.Entries.data(), 3 * static_cast<std::size_t>(table.Count));
    if (screen[5] < table.Count) back_color_ = table.Color(screen[5]);
  }

  std::uint8_t introducer = in.Byte();
  while (introducer != 0 && introducer != kTrailer && !in.AtEnd()) {
    // A run of extensions; graphic control and comment extensions are kept for what follows.
    std::vector<std::unique_ptr<TExtension>> run;
    while (introducer == kExtensionIntroducer) {
      const std::uint8_t label = in.Byte();
      auto extension = std::make_unique<TExtension>();
      std::size_t header_size = 0;
      switch (label) {
        case 0xF9: extension->Kind = ekGraphicControl; header_size = 6; break;
        case 0xFE: extension->Kind = ekComment; break;
        case 0x01: extension->Kind = ekPlainText; header_size = 13; break;
        case 0xFF: extension->Kind = ekApplication; header_size = 12; break;
        default: throw EInvalidGraphicOperation(FmtLoadStr(SGIFUnknownExtension, static_cast<int>(label)));
      }
      extension->Header.assign(header_size, 0);
      in.Read(extension->Header.data(), header_size);
      if (extension->Kind != ekGraphicControl)
        extension->SubBlocks = std::make_unique<std::vector<std::string>>(ReadSubBlocks(in));
      switch (extension->Kind) {
        case ekPlainText:
          // Text drawn over the picture is not shown; what was to modify it goes with it.
          run.clear();
          break;
        case ekApplication: {
          const auto& h = extension->Header;
          const auto& blocks = *extension->SubBlocks;
          const bool looping = h[0] == 11 && (std::memcmp(h.data() + 1, "NETSCAPE2.0", 11) == 0 ||
                                              std::memcmp(h.data() + 1, "ANIMEXTS1.0", 11) == 0);
          if (looping && !blocks.empty() && blocks[0].size() >= 3 && blocks[0][0] == 1) {
            const int count = static_cast<std::uint8_t>(blocks[0][1]) + 256 * static_cast<std::uint8_t>(blocks[0][2]);
            loop_enabled_ = true;
            loop_count_ = static_cast<std::uint16_t>(std::min(count, kMaxLoopCount));
          }
          break;
        }
        default: run.push_back(std::move(extension)); break;
      }
      introducer = in.AtEnd() ? kTrailer : in.Byte();
    }

    if (introducer == kImageSeparator) {
      auto frame = std::make_unique<TGIFFrame>(this);
      if (shared.GlobalTable.Count > 0)
        frame->Item->BitsPerPixel = static_cast<std::uint8_t>(Log2OfCount(shared.GlobalTable.Count));
      frame->Read(in.at, in.end, std::move(run));
      frames_.push_back(std::move(frame));
      if (in.AtEnd()) {
        introducer = kTrailer;
      } else {
        introducer = in.Byte();
        while (introducer == 0 && !in.AtEnd()) introducer = in.Byte();
        if (introducer != kExtensionIntroducer && introducer != kImageSeparator && introducer != kTrailer)
          introducer = 0;
      }
    } else if (shared.CommentLines.empty() && !run.empty()) {
      for (const auto& extension : run) {
        if (extension->Kind != ekComment) continue;
        if (!shared.CommentLines.empty()) shared.CommentLines.emplace_back("\r\n\r\n");
        for (const auto& line : *extension->SubBlocks) shared.CommentLines.push_back(line);
      }
    } else if (introducer != 0 && introducer != kTrailer) {
      ReadFailure();
    }
  }
}

void TGIFFrame::Read(const std::uint8_t*& at, const std::uint8_t* end,
                     std::vector<std::unique_ptr<TExtension>> extensions) {
  Extensions = std::move(extensions);
  Cursor in{at, end};
  TGIFItem& item = *Item;
  item.CodeStream = std::make_unique<TMemoryStream>();
  try {
    std::uint8_t descriptor[9];
    if (in.Read(descriptor, 9) != 9) ReadFailure();
    const std::uint8_t packed = descriptor[8];
    Interlaced = (packed & 0x40) != 0;
    if (packed & 0x80) {
      item.BitsPerPixel = static_cast<std::uint8_t>((packed & 7) + 1);
      HasLocalTable = true;
      item.ColorTable = {};
      item.ColorTable.Count = 1 << item.BitsPerPixel;
      const std::size_t bytes = 3 * static_cast<std::size_t>(item.ColorTable.Count);
      if (in.Read(item.ColorTable.Entries.data(), bytes) != bytes) ReadFailure();
    } else {
      HasLocalTable = false;
      item.ColorTable = {};
    }

    // The code stream is copied as it stands: the minimum code size byte and the sub-blocks up
    // to and including the terminator, found first and copied in one piece.
    if (in.AtEnd()) ReadFailure();
    const std::uint8_t* start = in.at++;
    while (!in.AtEnd()) {
      const std::size_t length = *in.at;
      if (in.Left() - 1 < length) {
        Damaged = true;
        break;
      }
      in.at += 1 + length;
      if (length == 0) break;
    }
    item.CodeStream->WriteBuffer(start, in.at - start);
    if (Damaged) ++in.at;  // the length byte of the block that is cut off
    if (Damaged && !GifTolerateDamage) ReadFailure();
    item.CodeStream->SetPosition(0);

    const std::uint16_t width = Le16(descriptor + 4);
    const std::uint16_t height = Le16(descriptor + 6);
    const TGIFImage* owner = Owner;
    Origin = {Le16(descriptor), Le16(descriptor + 2)};
    item.ImageWidth = width ? width : (owner ? owner->LogicalWidth() : 0);
    item.ImageHeight = height ? height : (owner ? owner->LogicalHeight() : 0);
    item.DescriptorFlags = packed;
    if (!HasLocalTable && owner) item.ColorTable = owner->SharedData().GlobalTable;

    DelayMs = 0;
    for (const auto& extension : Extensions) {
      if (extension->Kind != ekGraphicControl) continue;
      const auto& h = extension->Header;
      if (h[1] & 1) {
        if (h[4] < item.ColorTable.Count) KeyColor = item.ColorTable.Color(h[4]);
      } else {
        KeyColor = clNone;
      }
      // The 16-bit field keeps a delay of 6554 hundredths or more modulo 65536, as stored files
      // written by earlier versions expect.
      const std::uint32_t delay = (Le16(h.data() + 2) * 10u) & 0xFFFF;
      DelayMs = static_cast<std::uint16_t>(std::max<std::uint32_t>(delay, DelayMs));
      DisposalCode = static_cast<std::uint8_t>((h[1] >> 2) & 7);
    }
  } catch (...) {
    item.CodeStream.reset();
    throw;
  }
  at = in.at;
}

}  // namespace tw
