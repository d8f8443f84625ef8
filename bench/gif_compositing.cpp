// Compositing one frame of a 1920 x 1080 animation onto its screen, as playback does at every
// frame, as a multiple of a memcpy of the same frame's composite (32 bits per pixel) measured in
// the same run (counter "x_memcpy"). Beside it, what the frame cannot do without is timed alone
// ("floor_x_memcpy"): a pass that reads an index per pixel and rewrites every screen pixel (its
// transparent pixels need what is below), without the palette lookup; restoring to the previous
// screen, the pass writes a second screen from the first, which is kept for the restoring.
// The frames are decoded beforehand: decoding is measured by bench_gif.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "bench/thread_cpu_time.h"
#include "framework/stream.h"
#include "viewers/gif/gif_compositor.h"
#include "viewers/gif/gif_image.h"

namespace {

using tw::bench::CpuSeconds;

constexpr int kWidth = 1920, kHeight = 1080;

// Two full-screen frames of 256 colours; the second, the one timed, leaves its transparent
// pixels (a tenth of them) showing the first. Its disposal is the benchmark's argument: 1
// (leave), the common case, or 3 (restore to previous), the costliest, which keeps what the
// frame covers for undoing it.
tw::TGIFImage& Animation(int disposal) {
  static tw::TGIFImage images[4];
  tw::TGIFImage& read = images[disposal];
  if (read.FrameCount() == 0) {
    tw::TGIFImage made;
    for (int f = 0; f < 2; ++f) {
      tw::TDib pixels(kWidth, kHeight, 8);
      for (int i = 0; i < 256; ++i)
        pixels.Palette()[static_cast<std::size_t>(i)] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                                                         static_cast<std::uint8_t>(i * 7), 0};
      for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) pixels.ScanLine(y)[x] = static_cast<std::uint8_t>(x % 10 == 0 ? 0 : 1 + (x * 3 + y * (f + 1)) % 250);
      const int index = made.AppendFrame(pixels, f == 1 ? tw::RGBToColor(0, 255, 0) : tw::clNone);
      made.FrameAt(index).DisposalCode = static_cast<std::uint8_t>(f == 1 ? disposal : 1);
    }
    // Through a file, as the picture is when previewed: frames with code and a colour table.
    tw::TMemoryStream file;
    made.SaveToStream(file);
    file.SetPosition(0);
    read.LoadFromStream(file);
    for (int i = 0; i < read.FrameCount(); ++i) read.FrameAt(i).FrameBitmap();
  }
  return read;
}

// The anchor is timed next to every composite, so that both see the same machine.
void BM_CompositeFrame(benchmark::State& state) {
  const int disposal = static_cast<int>(state.range(0));
  tw::TGifCompositor compositor(Animation(disposal));
  compositor.Advance();
  const tw::TDib& screen = compositor.Screen();
  std::vector<std::uint8_t> copy(screen.ImageSize()), saved(screen.ImageSize());
  const std::vector<std::uint8_t> indices(screen.ImageSize() / 4, 1);
  double best = 1e9, best_memcpy = 1e9, best_floor = 1e9;
  for (auto _ : state) {
    double start = CpuSeconds();
    std::memcpy(copy.data(), screen.Bits(), screen.ImageSize());
    benchmark::DoNotOptimize(copy.data());
    benchmark::ClobberMemory();
    best_memcpy = std::min(best_memcpy, CpuSeconds() - start);
    start = CpuSeconds();
    auto* pixels = reinterpret_cast<std::uint32_t*>(copy.data());
    if (disposal == 3) {
      const auto* below = reinterpret_cast<const std::uint32_t*>(screen.Bits());
      pixels = reinterpret_cast<std::uint32_t*>(saved.data());
      for (std::size_t i = 0; i < indices.size(); ++i) pixels[i] = below[i] ^ indices[i];
    } else {
      for (std::size_t i = 0; i < indices.size(); ++i) pixels[i] ^= indices[i];
    }
    benchmark::DoNotOptimize(pixels);
    benchmark::ClobberMemory();
    best_floor = std::min(best_floor, CpuSeconds() - start);
    // Timed: frame 1 over frame 0 (with restore to previous, drawn onto the second screen).
    if (compositor.Frame() == 1) compositor.Advance();
    start = CpuSeconds();
    compositor.Advance();
    benchmark::DoNotOptimize(compositor.Screen().Bits());
    best = std::min(best, CpuSeconds() - start);
  }
  state.counters["x_memcpy"] = best / best_memcpy;
  state.counters["floor_x_memcpy"] = best_floor / best_memcpy;
  state.counters["composite_ms"] = best * 1e3;
  state.counters["memcpy_ms"] = best_memcpy * 1e3;
  state.SetLabel(disposal == 3 ? "1920x1080, transparency, restore to previous" : "1920x1080, transparency, leave");
}

BENCHMARK(BM_CompositeFrame)->Arg(1)->Arg(3)->Iterations(40)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
