// JPEG decoding through the adapter (header, set-up, rows straight into a TDib) against
// libjpeg-turbo's own decompression loop into a plain buffer, on the same files in the same
// run. Ends with the ratio adapter / library of the CPU time per decode for every file (the
// machine's cores are shared, so wall time says more about the neighbours); the adapter should
// stay within 1.1.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "framework/dib.h"
#include "framework/stream.h"
#include "viewers/jpeg_data.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Gradients, soft shapes and fine grain, so that the file compresses like a photograph.
std::vector<std::uint8_t> PhotoPixels(int width, int height) {
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
  std::uint32_t noise = 12345;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      noise = noise * 1664525u + 1013904223u;
      const int grain = static_cast<int>(noise >> 28) - 8;
      const double fx = static_cast<double>(x) / width, fy = static_cast<double>(y) / height;
      const double shape = std::sin(9.0 * fx) * std::cos(7.0 * fy) + std::sin(40.0 * fx * fy);
      auto clamp = [](double v) { return static_cast<std::uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); };
      std::uint8_t* p = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
      p[0] = clamp(120 + 80 * shape + 50 * fx + grain);
      p[1] = clamp(100 + 60 * shape * fy + 70 * fy + grain);
      p[2] = clamp(90 + 70 * std::cos(5.0 * fx + 3.0 * fy) + grain);
    }
  return rgb;
}

// Compressed by libjpeg itself, quality 90, 4:2:0.
Bytes MakeFile(int width, int height, bool progressive) {
  const auto rgb = PhotoPixels(width, height);
  jpeg_compress_struct info{};
  jpeg_error_mgr error{};
  info.err = jpeg_std_error(&error);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = width;
  info.image_height = height;
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 90, TRUE);
  if (progressive) jpeg_simple_progression(&info);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(&rgb[static_cast<std::size_t>(info.next_scanline) * width * 3]);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  Bytes file(buffer, buffer + size);
  jpeg_destroy_compress(&info);
  std::free(buffer);
  return file;
}

struct File {
  std::string name;
  Bytes bytes;
};

const std::vector<File>& Files() {
  static const std::vector<File> files = {
      {"photo_12mp", MakeFile(4000, 3000, false)},
      {"photo_640x480", MakeFile(640, 480, false)},
      {"photo_2mp_progressive", MakeFile(1600, 1200, true)},
  };
  return files;
}

void Adapter(benchmark::State& state, const File& file) {
  tw::TJPEGData data;
  tw::TMemoryStream stream(file.bytes);
  data.LoadFromStream(stream);
  const tw::TJPEGSettings settings;  // 24 bits, full size, best quality
  for (auto _ : state) {
    tw::TDib dib = data.DecodeToDib(settings);
    benchmark::DoNotOptimize(dib.Bits());
  }
}

// The library's own loop: header, start, rows into one plain buffer, finish.
void Library(benchmark::State& state, const File& file) {
  for (auto _ : state) {
    jpeg_decompress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, file.bytes.data(), file.bytes.size());
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&info);
    const std::size_t stride = (info.output_width * 3 + 3) & ~std::size_t{3};
    std::unique_ptr<std::uint8_t[]> pixels(new std::uint8_t[stride * info.output_height]);
    while (info.output_scanline < info.output_height) {
      JSAMPROW row = pixels.get() + stride * info.output_scanline;
      jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    benchmark::DoNotOptimize(pixels.get());
  }
}

// Collects each run's time per iteration to print the ratios at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
  void ReportRuns(const std::vector<Run>& runs) override {
    // One run per benchmark, or with repetitions their median.
    for (const Run& run : runs) {
      if (run.error_occurred) continue;
      if (run.run_type == Run::RT_Iteration || run.aggregate_name == "median")
        times_[run.run_name.str()] = run.GetAdjustedCPUTime();
    }
    ConsoleReporter::ReportRuns(runs);
  }
  void PrintRatios() const {
    for (const File& file : Files()) {
      const auto adapter = times_.find("adapter/" + file.name);
      const auto library = times_.find("libjpeg/" + file.name);
      if (adapter == times_.end() || library == times_.end()) continue;
      std::printf("ratio adapter/libjpeg %-24s %.3f\n", file.name.c_str(), adapter->second / library->second);
    }
  }

private:
  std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
  for (const File& file : Files()) {
    benchmark::RegisterBenchmark(("adapter/" + file.name).c_str(), Adapter, file)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("libjpeg/" + file.name).c_str(), Library, file)->Unit(benchmark::kMillisecond);
  }
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
