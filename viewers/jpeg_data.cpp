#include "viewers/jpeg_data.h"

#include <algorithm>
#include <climits>

#include "framework/string_table.h"
#include "viewers/jpeg_session.h"

namespace tw {

TJPEGSettings JpegDefaults;

namespace {

std::int64_t CeilDiv(std::int64_t a, std::int64_t b) { return (a + b - 1) / b; }

// libjpeg keeps every DCT coefficient of a file of several scans: 64 of 2 bytes per 8x8 block
// of each component, at the component's own sampling.
std::int64_t CoefficientBytes(const jpeg_decompress_struct& info) {
  int max_h = 1;
  int max_v = 1;
  for (int i = 0; i < info.num_components; ++i) {
    max_h = std::max(max_h, info.comp_info[i].h_samp_factor);
    max_v = std::max(max_v, info.comp_info[i].v_samp_factor);
  }
  std::int64_t bytes = 0;
  for (int i = 0; i < info.num_components; ++i) {
    const jpeg_component_info& c = info.comp_info[i];
    const std::int64_t columns = CeilDiv(CeilDiv(std::int64_t{info.image_width} * c.h_samp_factor, max_h), DCTSIZE);
    const std::int64_t rows = CeilDiv(CeilDiv(std::int64_t{info.image_height} * c.v_samp_factor, max_v), DCTSIZE);
    bytes += columns * rows * DCTSIZE2 * static_cast<std::int64_t>(sizeof(JCOEF));
  }
  return bytes;
}

}  // namespace

void ReadCheckedHeader(TJPEGDecompressSession& session) {
  jpeg_decompress_struct& info = session.Info();
  session.Guard([&] { jpeg_read_header(&info, TRUE); });
  // libjpeg keeps every coefficient of a file of several scans besides the rows.
  const std::int64_t coefficients = jpeg_has_multiple_scans(&info) ? CoefficientBytes(info) : 0;
  if (!DecodedPictureFits(info.image_width, info.image_height, 24, coefficients))
    throw EJPEG(LoadStr(SBitmapTooLarge));
}

bool TJPEGData::LoadFromStream(TStream& stream, std::int64_t size) {
  const std::int64_t available = std::max<std::int64_t>(stream.Size() - stream.Position(), 0);
  const std::int64_t count = size >= 0 ? size : available;
  // A declared size beyond the stream's end is refused before anything is allocated for it.
  if (count > available) throw EReadError(LoadStr(SReadError));
  // libjpeg's memory source counts in unsigned long, 32 bits on Windows.
  if (static_cast<std::uint64_t>(count) > ULONG_MAX) throw EJPEG(LoadStr(SBitmapTooLarge));

  auto data = std::make_unique<TMemoryStream>();
  data->SetSize(count);
  stream.ReadBuffer(data->Memory(), count);

  int width = 0;
  int height = 0;
  bool gray = false;
  bool multiple_scans = false;
  if (count > 0) {
    TJPEGDecompressSession session(data->Memory(), static_cast<std::size_t>(count));
    ReadCheckedHeader(session);
    const jpeg_decompress_struct& info = session.Info();
    width = static_cast<int>(info.image_width);
    height = static_cast<int>(info.image_height);
    gray = info.jpeg_color_space == JCS_GRAYSCALE;
    multiple_scans = jpeg_has_multiple_scans(&session.Info());
  }
  data_ = std::move(data);
  image_width_ = width;
  image_height_ = height;
  grayscale_ = gray;
  return multiple_scans;
}

void TJPEGData::SaveToStream(TStream& stream) const {
  if (HasData()) stream.WriteBuffer(data_->Memory(), static_cast<std::int64_t>(data_->Bytes().size()));
}

void TDibPixelTarget::SetSize(int width, int height, int bits_per_pixel) {
  dib_ = TDib(width, height, bits_per_pixel);
}

void TDibPixelTarget::SetPalette(const std::vector<TRGBQuad>& colors) {
  auto& palette = dib_.Palette();
  std::fill(palette.begin(), palette.end(), TRGBQuad{});
  std::copy_n(colors.begin(), std::min(colors.size(), palette.size()), palette.begin());
}

}  // namespace tw
