// Reading and decoding whole GIF files, written by giflib: a single-frame photo-like 1920 x 1080
// picture and a 100-frame animation. Each reader's fastest run (in thread CPU time) is also
// reported as a multiple of giflib's fastest whole-file read and decode of the same file in the
// same run (counter "x_giflib"; below 1 is faster than giflib).
#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <random>
#include <vector>

#include "bench/thread_cpu_time.h"
#include "framework/stream.h"
#include "viewers/gif/gif_image.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct MemoryFile {
  const Bytes* bytes = nullptr;
  Bytes written;
  std::size_t at = 0;
};

int ReadMemory(GifFileType* gif, GifByteType* buffer, int count) {
  auto* file = static_cast<MemoryFile*>(gif->UserData);
  const int n = static_cast<int>(std::min<std::size_t>(count, file->bytes->size() - file->at));
  std::memcpy(buffer, file->bytes->data() + file->at, n);
  file->at += n;
  return n;
}

int WriteMemory(GifFileType* gif, const GifByteType* buffer, int count) {
  static_cast<MemoryFile*>(gif->UserData)->written.insert(static_cast<MemoryFile*>(gif->UserData)->written.end(),
                                                         buffer, buffer + count);
  return count;
}

// A giflib-written file of FRAMES frames of WIDTH x HEIGHT with PIXEL(frame, x, y) as index
// into a 256-entry gradient table.
Bytes MakeFile(int width, int height, int frames, const std::function<int(int, int, int)>& pixel) {
  MemoryFile file;
  int error = 0;
  GifFileType* gif = EGifOpen(&file, WriteMemory, &error);
  std::vector<GifColorType> colours(256);
  for (int i = 0; i < 256; ++i)
    colours[static_cast<std::size_t>(i)] = {static_cast<GifByteType>(i), static_cast<GifByteType>(255 - i / 2),
                                            static_cast<GifByteType>((i * 3) & 255)};
  ColorMapObject* map = GifMakeMapObject(256, colours.data());
  EGifSetGifVersion(gif, true);
  EGifPutScreenDesc(gif, width, height, 8, 0, map);
  std::vector<GifPixelType> line(static_cast<std::size_t>(width));
  for (int f = 0; f < frames; ++f) {
    GraphicsControlBlock gcb{};
    gcb.DelayTime = 4;
    gcb.TransparentColor = NO_TRANSPARENT_COLOR;
    GifByteType ext[4];
    EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(EGifGCBToExtension(&gcb, ext)), ext);
    EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) line[static_cast<std::size_t>(x)] = static_cast<GifPixelType>(pixel(f, x, y));
      EGifPutLine(gif, line.data(), width);
    }
  }
  EGifCloseFile(gif, &error);
  GifFreeMapObject(map);
  return file.written;
}

const Bytes& Photo() {
  static const Bytes file = [] {
    std::mt19937 random(11);
    std::uniform_int_distribution<int> noise(-6, 6);
    return MakeFile(1920, 1080, 1, [&](int, int x, int y) {
      const double fx = x / 1920.0, fy = y / 1080.0;
      const int base = static_cast<int>(128 + 90 * std::sin(5 * fx + 2 * fy) + 30 * std::cos(9 * fy));
      return std::clamp(base + noise(random), 0, 255);
    });
  }();
  return file;
}

const Bytes& Animation() {
  static const Bytes file = [] {
    return MakeFile(320, 240, 100, [](int f, int x, int y) {
      const int dx = x - 160 - static_cast<int>(100 * std::sin(f * 0.1)), dy = y - 120;
      return dx * dx + dy * dy < 2500 ? 200 + (x + f) % 40 : ((x / 16 + y / 16 + f / 10) % 2) * 64 + (y % 8);
    });
  }();
  return file;
}

void GiflibDecode(const Bytes& bytes) {
  MemoryFile file{&bytes};
  int error = 0;
  GifFileType* gif = DGifOpen(&file, ReadMemory, &error);
  DGifSlurp(gif);
  benchmark::DoNotOptimize(gif->SavedImages[gif->ImageCount - 1].RasterBits);
  DGifCloseFile(gif, &error);
}

void OurDecode(const Bytes& bytes) {
  tw::TMemoryStream stream(bytes);
  tw::TGIFImage image;
  image.ReadGif(stream.Size(), stream, false);
  for (int i = 0; i < image.FrameCount(); ++i) benchmark::DoNotOptimize(image.FrameAt(i).FrameBitmap().Bits());
}

using tw::bench::CpuSeconds;

template <class F>
double BestSeconds(F&& run, int times) {
  double best = 1e9;
  for (int i = 0; i < times; ++i) {
    const double start = CpuSeconds();
    run();
    best = std::min(best, CpuSeconds() - start);
  }
  return best;
}

const Bytes& FileOf(int which) { return which == 0 ? Photo() : Animation(); }

double GiflibSeconds(int which) {
  static double seconds[2] = {0, 0};
  if (seconds[which] == 0) seconds[which] = BestSeconds([&] { GiflibDecode(FileOf(which)); }, 15);
  return seconds[which];
}

void Measure(benchmark::State& state, void (*decode)(const Bytes&)) {
  const int which = static_cast<int>(state.range(0));
  const Bytes& bytes = FileOf(which);
  double best = 1e9;
  for (auto _ : state) {
    const double start = CpuSeconds();
    decode(bytes);
    best = std::min(best, CpuSeconds() - start);
  }
  state.counters["x_giflib"] = best / GiflibSeconds(which);
  state.SetLabel(which == 0 ? "photo 1920x1080" : "animation 100 x 320x240");
}

void BM_GiflibReadAndDecode(benchmark::State& state) { Measure(state, GiflibDecode); }
void BM_GifImageReadAndDecode(benchmark::State& state) { Measure(state, OurDecode); }

BENCHMARK(BM_GiflibReadAndDecode)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GifImageReadAndDecode)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
