#include "framework/win/metafile.h"

#include <cstring>
#include <vector>

#include "framework/exception.h"
#include "framework/stream.h"
#include "framework/string_table.h"
#include "framework/win/canvas.h"

namespace tw {
namespace {

constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr std::size_t kPlaceableSize = 22;
constexpr std::size_t kWmfHeaderSize = 18;

std::uint16_t Word(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::uint32_t Dword(const std::uint8_t* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

[[noreturn]] void InvalidMetafile() { throw EInvalidGraphic(LoadStr(SInvalidMetafile)); }

// A Windows metafile's own header: type 1 or 2, a header of nine words, and a total size that
// the data holds.
bool IsWindowsMetafile(const std::uint8_t* data, std::size_t size) {
  if (size < kWmfHeaderSize) return false;
  const std::uint16_t type = Word(data), header_words = Word(data + 2);
  const std::uint64_t total_bytes = std::uint64_t{Dword(data + 6)} * 2;
  return (type == 1 || type == 2) && header_words == 9 && total_bytes >= kWmfHeaderSize &&
         total_bytes <= size;
}

}  // namespace

TMetafile::~TMetafile() { Clear(); }

TGraphicClass TMetafile::Class() {
  return {"TMetafile", [] { return std::unique_ptr<TGraphic>(new TMetafile()); }};
}

void TMetafile::Clear() {
  if (handle_) DeleteEnhMetaFile(handle_);
  handle_ = nullptr;
  mm_width_ = mm_height_ = 0;
}

int TMetafile::Width() const { return MulDiv(mm_width_, ScreenPixelsPerInch(), 2540); }
int TMetafile::Height() const { return MulDiv(mm_height_, ScreenPixelsPerInch(), 2540); }

void TMetafile::SetWidth(int value) { SetMMWidth(MulDiv(value, 2540, ScreenPixelsPerInch())); }
void TMetafile::SetHeight(int value) { SetMMHeight(MulDiv(value, 2540, ScreenPixelsPerInch())); }

void TMetafile::SetMMWidth(int value) {
  if (mm_width_ == value) return;
  mm_width_ = value;
  Changed(this);
}

void TMetafile::SetMMHeight(int value) {
  if (mm_height_ == value) return;
  mm_height_ = value;
  Changed(this);
}

void TMetafile::Adopt(HENHMETAFILE value, bool enhanced) {
  Clear();
  handle_ = value;
  enhanced_ = enhanced;
  ENHMETAHEADER header{};
  if (handle_ && GetEnhMetaFileHeader(handle_, sizeof(header), &header)) {
    // The frame is inclusive, in hundredths of a millimetre.
    mm_width_ = header.rclFrame.right - header.rclFrame.left;
    mm_height_ = header.rclFrame.bottom - header.rclFrame.top;
  }
}

void TMetafile::SetHandle(HENHMETAFILE value) {
  if (value == handle_) return;
  Adopt(value, true);
  Changed(this);
}

void TMetafile::LoadFromStream(TStream& stream) {
  const std::int64_t size = stream.Size() - stream.Position();
  if (size < static_cast<std::int64_t>(kWmfHeaderSize) || size > 256 * 1024 * 1024)
    InvalidMetafile();
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  stream.ReadBuffer(bytes.data(), size);
  const std::uint8_t* data = bytes.data();
  HENHMETAFILE handle = nullptr;
  bool enhanced = false;
  int mm_width = 0, mm_height = 0;
  if (bytes.size() >= sizeof(ENHMETAHEADER) && Dword(data) == EMR_HEADER &&
      Dword(data + 40) == ENHMETA_SIGNATURE) {
    const std::uint32_t header_size = Dword(data + 4), total = Dword(data + 48);
    if (header_size < 88 || header_size > total || total > bytes.size()) InvalidMetafile();
    handle = SetEnhMetaFileBits(total, data);
    enhanced = true;
  } else if (Dword(data) == kPlaceableKey) {
    if (!IsWindowsMetafile(data + kPlaceableSize, bytes.size() - kPlaceableSize))
      InvalidMetafile();
    // The placeable header gives the picture's bounds in units of which "inch" make an inch.
    const auto left = static_cast<std::int16_t>(Word(data + 6));
    const auto top = static_cast<std::int16_t>(Word(data + 8));
    const auto right = static_cast<std::int16_t>(Word(data + 10));
    const auto bottom = static_cast<std::int16_t>(Word(data + 12));
    const int inch = Word(data + 14) ? Word(data + 14) : 1440;
    mm_width = MulDiv(right - left, 2540, inch);
    mm_height = MulDiv(bottom - top, 2540, inch);
    METAFILEPICT picture{MM_ANISOTROPIC, mm_width, mm_height, nullptr};
    const std::uint8_t* wmf = data + kPlaceableSize;
    handle = SetWinMetaFileBits(Dword(wmf + 6) * 2, wmf, nullptr, &picture);
  } else if (IsWindowsMetafile(data, bytes.size())) {
    handle = SetWinMetaFileBits(Dword(data + 6) * 2, data, nullptr, nullptr);
  } else {
    InvalidMetafile();
  }
  if (!handle) InvalidMetafile();
  Adopt(handle, enhanced);
  if (mm_width > 0 && mm_height > 0) {
    mm_width_ = mm_width;
    mm_height_ = mm_height;
  }
  Changed(this);
}

void TMetafile::SaveToStream(TStream& stream) {
  if (!handle_) return;
  if (enhanced_) {
    const UINT size = GetEnhMetaFileBits(handle_, 0, nullptr);
    std::vector<std::uint8_t> bytes(size);
    if (!size || GetEnhMetaFileBits(handle_, size, bytes.data()) != size) InvalidMetafile();
    stream.WriteBuffer(bytes.data(), size);
    return;
  }
  ScopedWindowDC screen(nullptr);
  const UINT size = GetWinMetaFileBits(handle_, 0, nullptr, MM_ANISOTROPIC, screen.Get());
  std::vector<std::uint8_t> bytes(size);
  if (!size || GetWinMetaFileBits(handle_, size, bytes.data(), MM_ANISOTROPIC, screen.Get()) != size)
    InvalidMetafile();
  // The placeable header: key, handle 0, bounds in 1440ths of an inch, reserved, checksum.
  std::uint16_t header[11] = {};
  header[0] = static_cast<std::uint16_t>(kPlaceableKey & 0xFFFF);
  header[1] = static_cast<std::uint16_t>(kPlaceableKey >> 16);
  header[5] = static_cast<std::uint16_t>(MulDiv(mm_width_, 1440, 2540));
  header[6] = static_cast<std::uint16_t>(MulDiv(mm_height_, 1440, 2540));
  header[7] = 1440;
  for (int i = 0; i < 10; ++i) header[10] ^= header[i];
  stream.WriteBuffer(header, sizeof(header));
  stream.WriteBuffer(bytes.data(), size);
}

void TMetafile::LoadFromClipboardFormat(unsigned format, std::uintptr_t data, std::uintptr_t) {
  if (format != CF_ENHMETAFILE || !data) InvalidMetafile();
  // The clipboard keeps its metafile: the picture takes a copy.
  HENHMETAFILE copy = CopyEnhMetaFileA(reinterpret_cast<HENHMETAFILE>(data), nullptr);
  if (!copy) InvalidMetafile();
  SetHandle(copy);
}

void TMetafile::SaveToClipboardFormat(unsigned& format, std::uintptr_t& data,
                                      std::uintptr_t& palette) {
  format = CF_ENHMETAFILE;
  data = reinterpret_cast<std::uintptr_t>(handle_ ? CopyEnhMetaFileA(handle_, nullptr) : nullptr);
  palette = 0;
}

void TMetafile::Assign(const TPersistent& source) {
  auto* metafile = dynamic_cast<const TMetafile*>(&source);
  if (!metafile) {
    TGraphic::Assign(source);
    return;
  }
  if (metafile == this) return;
  HENHMETAFILE copy = metafile->handle_ ? CopyEnhMetaFileA(metafile->handle_, nullptr) : nullptr;
  if (metafile->handle_ && !copy) throw EOutOfResources(LoadStr(SOutOfResources));
  Adopt(copy, metafile->enhanced_);
  mm_width_ = metafile->mm_width_;
  mm_height_ = metafile->mm_height_;
  Changed(this);
}

void TMetafile::Draw(TCanvas& canvas, const TRect& rect) {
  if (!handle_) return;
  // The frame rectangle is inclusive: the last row and column are part of the picture.
  RECT r{rect.Left, rect.Top, rect.Right - 1, rect.Bottom - 1};
  PlayEnhMetaFile(canvas.Handle(), handle_, &r);
}

}  // namespace tw
