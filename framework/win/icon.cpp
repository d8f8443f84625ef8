#include "framework/win/icon.h"

#include <cstring>

#include "framework/exception.h"
#include "framework/stream.h"
#include "framework/string_table.h"
#include "framework/win/canvas.h"

namespace tw {
namespace {

std::uint16_t Word(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::uint32_t Dword(const std::uint8_t* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
void PutWord(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void PutDword(std::vector<std::uint8_t>& out, std::uint32_t v) {
  PutWord(out, v & 0xFFFF);
  PutWord(out, v >> 16);
}

[[noreturn]] void InvalidIcon() { throw EInvalidGraphic(LoadStr(SInvalidIcon)); }

constexpr std::size_t kDirSize = 6;
constexpr std::size_t kEntrySize = 16;

}  // namespace

TIcon::~TIcon() = default;

TGraphicClass TIcon::Class() {
  return {"TIcon", [] { return std::unique_ptr<TGraphic>(new TIcon()); }};
}

void TIcon::SetWidth(int value) {
  if (value != width_) throw EInvalidGraphicOperation(LoadStr(SChangeIconSize));
}

void TIcon::SetHeight(int value) {
  if (value != height_) throw EInvalidGraphicOperation(LoadStr(SChangeIconSize));
}

void TIcon::SetHandle(HICON value) {
  if (value == handle_.Get()) return;
  handle_.Reset(value);
  file_.clear();
  width_ = height_ = 0;
  ICONINFO info{};
  if (value && GetIconInfo(value, &info)) {
    ScopedBitmap color(info.hbmColor), mask(info.hbmMask);
    BITMAP bm{};
    GetObjectA(mask.Get(), sizeof(bm), &bm);
    width_ = bm.bmWidth;
    // A monochrome icon's mask holds the AND and XOR halves one above the other.
    height_ = color ? bm.bmHeight : bm.bmHeight / 2;
  }
  Changed(this);
}

HICON TIcon::ReleaseHandle() {
  HICON handle = handle_.Take();
  file_.clear();
  width_ = height_ = 0;
  Changed(this);
  return handle;
}

void TIcon::LoadFromStream(TStream& stream) {
  const std::int64_t size = stream.Size() - stream.Position();
  if (size < static_cast<std::int64_t>(kDirSize) || size > 64 * 1024 * 1024) InvalidIcon();
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  stream.ReadBuffer(bytes.data(), size);
  const std::uint8_t* data = bytes.data();
  const std::size_t count = Word(data + 4);
  if (Word(data) != 0 || Word(data + 2) != 1 || count == 0 ||
      kDirSize + count * kEntrySize > bytes.size())
    InvalidIcon();
  const int wanted = GetSystemMetrics(SM_CXICON);
  std::size_t best = count;
  int best_distance = 0, best_bits = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t* entry = data + kDirSize + i * kEntrySize;
    const std::uint64_t length = Dword(entry + 8), offset = Dword(entry + 12);
    if (length == 0 || offset + length > bytes.size()) continue;
    const int width = entry[0] ? entry[0] : 256;
    const int bits = Word(entry + 6) ? Word(entry + 6) : (entry[2] ? 4 : 8);
    const int distance = std::abs(width - wanted);
    if (best == count || distance < best_distance ||
        (distance == best_distance && bits > best_bits)) {
      best = i;
      best_distance = distance;
      best_bits = bits;
    }
  }
  if (best == count) InvalidIcon();
  const std::uint8_t* entry = data + kDirSize + best * kEntrySize;
  const DWORD length = Dword(entry + 8), offset = Dword(entry + 12);
  HICON icon = CreateIconFromResourceEx(bytes.data() + offset, length, TRUE, 0x00030000, 0, 0,
                                        LR_DEFAULTCOLOR);
  if (!icon) InvalidIcon();
  SetHandle(icon);
  file_ = std::move(bytes);
}

std::vector<std::uint8_t> TIcon::IconFileOfHandle() const {
  ICONINFO info{};
  if (!handle_ || !GetIconInfo(handle_.Get(), &info)) InvalidIcon();
  ScopedBitmap color(info.hbmColor), mask(info.hbmMask);
  // The image is stored as a 32-bit DIB of twice the height (pixels, then the AND mask).
  const int width = width_, height = height_;
  const std::size_t pixel_bytes = static_cast<std::size_t>(width) * height * 4;
  const std::size_t mask_stride = ((width + 31) / 32) * 4;
  const std::size_t mask_bytes = mask_stride * height;
  std::vector<std::uint8_t> pixels(pixel_bytes), and_mask(mask_bytes);
  ScopedWindowDC screen(nullptr);
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colors[2];
  } info_header{};
  info_header.header = {sizeof(BITMAPINFOHEADER), width, height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  if (color) {
    GetDIBits(screen.Get(), color.Get(), 0, height, pixels.data(),
              reinterpret_cast<BITMAPINFO*>(&info_header), DIB_RGB_COLORS);
  }
  info_header.header = {sizeof(BITMAPINFOHEADER), width, color ? height : height * 2, 1, 1,
                        BI_RGB, 0, 0, 0, 0, 0};
  std::vector<std::uint8_t> mask_rows(mask_stride * (color ? height : height * 2));
  GetDIBits(screen.Get(), mask.Get(), 0, color ? height : height * 2, mask_rows.data(),
            reinterpret_cast<BITMAPINFO*>(&info_header), DIB_RGB_COLORS);
  // Bottom-up rows: a monochrome icon's AND half is the upper half, stored last.
  std::memcpy(and_mask.data(), mask_rows.data() + (color ? 0 : mask_bytes), mask_bytes);
  if (!color) {
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const bool white = mask_rows[y * mask_stride + x / 8] & (0x80 >> (x % 8));
        std::uint8_t* p = pixels.data() + (static_cast<std::size_t>(y) * width + x) * 4;
        p[0] = p[1] = p[2] = white ? 255 : 0;
      }
  }
  std::vector<std::uint8_t> out;
  PutWord(out, 0);
  PutWord(out, 1);
  PutWord(out, 1);
  out.push_back(static_cast<std::uint8_t>(width >= 256 ? 0 : width));
  out.push_back(static_cast<std::uint8_t>(height >= 256 ? 0 : height));
  out.push_back(0);
  out.push_back(0);
  PutWord(out, 1);
  PutWord(out, 32);
  PutDword(out, static_cast<std::uint32_t>(40 + pixel_bytes + mask_bytes));
  PutDword(out, static_cast<std::uint32_t>(kDirSize + kEntrySize));
  for (std::uint32_t v : {40u, static_cast<std::uint32_t>(width),
                          static_cast<std::uint32_t>(height * 2)})
    PutDword(out, v);
  PutWord(out, 1);
  PutWord(out, 32);
  for (int i = 0; i < 6; ++i) PutDword(out, 0);
  out.insert(out.end(), pixels.begin(), pixels.end());
  out.insert(out.end(), and_mask.begin(), and_mask.end());
  return out;
}

void TIcon::SaveToStream(TStream& stream) {
  if (!handle_) return;
  const std::vector<std::uint8_t> bytes = file_.empty() ? IconFileOfHandle() : file_;
  stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
}

void TIcon::Assign(const TPersistent& source) {
  auto* icon = dynamic_cast<const TIcon*>(&source);
  if (!icon) {
    TGraphic::Assign(source);
    return;
  }
  if (icon == this) return;
  HICON copy = icon->handle_ ? CopyIcon(icon->handle_.Get()) : nullptr;
  if (icon->handle_ && !copy) throw EOutOfResources(LoadStr(SOutOfResources));
  std::vector<std::uint8_t> file = icon->file_;
  if (copy) {
    SetHandle(copy);
  } else {
    handle_.Reset();
    width_ = height_ = 0;
    Changed(this);
  }
  file_ = std::move(file);
}

void TIcon::Draw(TCanvas& canvas, const TRect& rect) {
  if (!handle_) return;
  DrawIconEx(canvas.Handle(), rect.Left, rect.Top, handle_.Get(), rect.Width(), rect.Height(), 0,
             nullptr, DI_NORMAL);
}

}  // namespace tw
