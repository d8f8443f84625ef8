// Compressing a bitmap into JPEG data.
#include <algorithm>

#include "viewers/jpeg_data.h"
#include "viewers/jpeg_session.h"

namespace tw {

TSharedImageRef<TJPEGData> TJPEGData::Compress(const TDib& bitmap, const TJPEGSettings& settings,
                                               const TJPEGProgressHandler& on_progress) {
  TSharedImageRef<TJPEGData> result(new TJPEGData);
  result->data_ = std::make_unique<TMemoryStream>();
  if (bitmap.Empty()) return result;

  // libjpeg reads 24- and 32-bit rows as they are stored; other depths go through a 24-bit copy.
  const TDib* source = &bitmap;
  TDib copy;
  J_COLOR_SPACE color_space = JCS_EXT_BGR;
  int components = 3;
  if (bitmap.BitsPerPixel() == 32) {
    color_space = JCS_EXT_BGRX;
    components = 4;
  } else if (bitmap.BitsPerPixel() != 24) {
    copy = bitmap.ToDepth24();
    source = &copy;
  }
  std::vector<JSAMPROW> rows(static_cast<std::size_t>(source->Height()));
  for (int y = 0; y < source->Height(); ++y) rows[y] = const_cast<JSAMPROW>(source->ScanLine(y));

  auto data = std::make_unique<TMemoryStream>();
  TJPEGCompressSession session(*data, on_progress);
  jpeg_compress_struct& info = session.Info();
  try {
    session.Guard([&] {
      info.image_width = static_cast<JDIMENSION>(source->Width());
      info.image_height = static_cast<JDIMENSION>(source->Height());
      info.input_components = components;
      info.in_color_space = color_space;
      jpeg_set_defaults(&info);
      jpeg_set_quality(&info, std::clamp(settings.Quality, 1, 100), TRUE);
      if (settings.GrayOutput) jpeg_set_colorspace(&info, JCS_GRAYSCALE);
      if (settings.WriteProgressive) jpeg_simple_progression(&info);
    });
    session.Report(psStarting, 0);
    session.Guard([&] {
      jpeg_start_compress(&info, TRUE);
      while (info.next_scanline < info.image_height) {
        if (jpeg_write_scanlines(&info, rows.data() + info.next_scanline, info.image_height - info.next_scanline) == 0)
          break;
      }
      jpeg_finish_compress(&info);
    });
  } catch (const EAbort&) {
    result->data_.reset();
    session.Report(psEnding, 0);
    return result;
  } catch (...) {
    try {
      session.Report(psEnding, 0);
    } catch (...) {
      // The compression failure is the one to pass on.
    }
    throw;
  }
  session.Report(psEnding, 100);
  result->data_ = std::move(data);
  result->image_width_ = source->Width();
  result->image_height_ = source->Height();
  result->grayscale_ = settings.GrayOutput;
  return result;
}

}  // namespace tw
