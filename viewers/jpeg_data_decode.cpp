// Decoding: the decompression set-up shared with the scaled size, and the output passes.
#include <algorithm>

#include "viewers/jpeg_data.h"
#include "viewers/jpeg_session.h"

namespace tw {
namespace {

// The final pass's quality settings, kept while buffered-image mode shows the scans quickly.
struct DecodePlan {
  bool buffered = false;
  J_DCT_METHOD dct_method = JDCT_ISLOW;
  boolean two_pass_quantize = TRUE;
  J_DITHER_MODE dither_mode = JDITHER_FS;
};

DecodePlan SetUp(TJPEGDecompressSession& session, const TJPEGSettings& settings) {
  ReadCheckedHeader(session);
  jpeg_decompress_struct& info = session.Info();
  DecodePlan plan;
  info.scale_num = 1;
  info.scale_denom = 1u << std::clamp(settings.ScaleShift, 0, 3);
  info.do_block_smoothing = settings.BlockSmoothing ? TRUE : FALSE;

  if (settings.GrayOutput) {
    info.out_color_space = JCS_GRAYSCALE;
  } else if (settings.OutputDepth != 1) {
    // 24 bits: libjpeg writes the rows in the bitmap's own blue-green-red order.
    info.out_color_space = JCS_EXT_BGR;
  } else if (info.jpeg_color_space != JCS_GRAYSCALE) {
    // The quantizer's colour map is read back as red, green, blue.
    info.out_color_space = JCS_RGB;
  }
  if (settings.OutputDepth == 1 || settings.GrayOutput) {
    info.quantize_colors = TRUE;
    info.desired_number_of_colors = 236;
  }
  if (settings.SpeedMode == 1) {
    info.dct_method = JDCT_IFAST;
    info.two_pass_quantize = FALSE;
    info.dither_mode = JDITHER_ORDERED;
  }

  plan.dct_method = info.dct_method;
  plan.two_pass_quantize = info.two_pass_quantize;
  plan.dither_mode = info.dither_mode;
  if (settings.ShowProgressive && jpeg_has_multiple_scans(&info)) {
    plan.buffered = true;
    info.buffered_image = TRUE;
    info.enable_2pass_quant = plan.two_pass_quantize;
    info.dct_method = JDCT_IFAST;
    info.two_pass_quantize = FALSE;
    info.dither_mode = JDITHER_ORDERED;
  }
  return plan;
}

// libjpeg's colour map as a colour table: gray entries when the output has one component.
std::vector<TRGBQuad> LibraryPalette(const jpeg_decompress_struct& info) {
  std::vector<TRGBQuad> colors(static_cast<std::size_t>(std::clamp(info.actual_number_of_colors, 0, 256)));
  const bool gray = info.out_color_components == 1;
  for (std::size_t i = 0; i < colors.size(); ++i) {
    colors[i].Red = info.colormap[0][i];
    colors[i].Green = gray ? info.colormap[0][i] : info.colormap[1][i];
    colors[i].Blue = gray ? info.colormap[0][i] : info.colormap[2][i];
  }
  return colors;
}

}  // namespace

void TJPEGData::ScaledSize(const TJPEGSettings& settings, int& width, int& height) const {
  TJPEGDecompressSession session(data_ ? data_->Memory() : nullptr, data_ ? data_->Bytes().size() : 0);
  SetUp(session, settings);
  jpeg_decompress_struct& info = session.Info();
  session.Guard([&] { jpeg_calc_output_dimensions(&info); });
  width = static_cast<int>(info.output_width);
  height = static_cast<int>(info.output_height);
}

TJPEGDecodeResult TJPEGData::Decode(TJPEGPixelTarget& target, const TJPEGDecodeRequest& request) const {
  TJPEGDecompressSession session(data_ ? data_->Memory() : nullptr, data_ ? data_->Bytes().size() : 0,
                                 request.OnProgress, request.ProgressInterval);
  const DecodePlan plan = SetUp(session, request.Settings);
  jpeg_decompress_struct& info = session.Info();
  const bool eight_bit = info.quantize_colors;
  // A held palette can only steer colour output: libjpeg drops an external map for gray output,
  // whose indices would then not match the colours of the held palette.
  const bool held_palette = eight_bit && !request.Palette.empty() && info.out_color_space == JCS_RGB;

  TJPEGDecodeResult result;
  std::vector<JSAMPROW> rows;
  auto read_rows = [&] {
    while (info.output_scanline < info.output_height) {
      if (jpeg_read_scanlines(&info, rows.data() + info.output_scanline, info.output_height - info.output_scanline) == 0)
        break;
    }
  };
  auto take_library_palette = [&] {
    target.SetPalette(LibraryPalette(info));
    result.PaletteModified = true;
  };

  try {
    session.Report(psStarting, 0);
    if (held_palette) {
      const int count = static_cast<int>(std::min<std::size_t>(request.Palette.size(), 256));
      session.Guard([&] {
        info.colormap = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE, count, 3);
      });
      for (int i = 0; i < count; ++i) {
        info.colormap[0][i] = request.Palette[i].Red;
        info.colormap[1][i] = request.Palette[i].Green;
        info.colormap[2][i] = request.Palette[i].Blue;
      }
      info.actual_number_of_colors = count;
    }

    session.Guard([&] { jpeg_start_decompress(&info); });
    target.SetSize(static_cast<int>(info.output_width), static_cast<int>(info.output_height), eight_bit ? 8 : 24);
    if (held_palette) target.SetPalette(request.Palette);
    rows.resize(info.output_height);
    for (JDIMENSION y = 0; y < info.output_height; ++y) rows[y] = target.ScanLine(static_cast<int>(y));

    if (plan.buffered) {
      bool first_pass = true;
      bool input_complete = false;
      session.Guard([&] { input_complete = jpeg_input_complete(&info); });
      while (!input_complete) {
        session.Guard([&] {
          jpeg_start_output(&info, info.input_scan_number);
          read_rows();
        });
        if (first_pass && eight_bit && !held_palette) take_library_palette();
        first_pass = false;
        session.Guard([&] {
          jpeg_finish_output(&info);
          input_complete = jpeg_input_complete(&info);
        });
      }
      session.Guard([&] {
        info.dct_method = plan.dct_method;
        info.dither_mode = plan.dither_mode;
        info.two_pass_quantize = plan.two_pass_quantize;
        // libjpeg re-runs the two-pass quantizer only when the previous pass's map is dropped.
        if (eight_bit && !held_palette && plan.two_pass_quantize) info.colormap = nullptr;
        jpeg_start_output(&info, info.input_scan_number);
      });
      // A final two-pass quantization chose a new colour map for the final rows.
      if (eight_bit && !held_palette && (plan.two_pass_quantize || !result.PaletteModified)) take_library_palette();
      session.Guard([&] {
        read_rows();
        jpeg_finish_output(&info);
      });
    } else {
      if (eight_bit && !held_palette) take_library_palette();
      session.Guard(read_rows);
    }
    session.Guard([&] { jpeg_finish_decompress(&info); });
  } catch (const EAbort&) {
    result.Aborted = true;
  } catch (...) {
    try {
      session.Report(psEnding, 0, result.PaletteModified);
    } catch (...) {
      // The decoding failure is the one to pass on.
    }
    throw;
  }
  session.Report(psEnding, result.Aborted ? 0 : 100, result.PaletteModified);
  return result;
}

TDib TJPEGData::DecodeToDib(const TJPEGSettings& settings) const {
  TDibPixelTarget target;
  TJPEGDecodeRequest request;
  request.Settings = settings;
  Decode(target, request);
  return std::move(target.Dib());
}

}  // namespace tw
