// Colour reduction of a 1920 x 1080 photo-like picture, each method as a multiple of a memcpy
// of the same pixel buffer measured in the same run (counter "x_memcpy"), with the vector rows
// where the processor has them and with the plain code alone; and the per-pixel work the
// adaptive methods cannot do without, timed alone.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "bench/thread_cpu_time.h"
#include "viewers/color_reduction.h"
#include "viewers/color_reduction_vector.h"

namespace {

using tw::bench::CpuSeconds;

constexpr int kWidth = 1920, kHeight = 1080;

// Smooth gradients plus noise: many distinct colours, as in a photograph.
const tw::TDib& Photo() {
  static const tw::TDib photo = [] {
    tw::TDib dib(kWidth, kHeight, 24);
    std::mt19937 random(7);
    std::uniform_int_distribution<int> noise(-12, 12);
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) {
        std::uint8_t* p = dib.ScanLine(y) + 3 * x;
        const double fx = static_cast<double>(x) / kWidth, fy = static_cast<double>(y) / kHeight;
        const int base[3] = {static_cast<int>(255 * fx * fy), static_cast<int>(128 + 100 * std::sin(6 * fx + 3 * fy)),
                             static_cast<int>(255 * (1 - fy))};
        for (int c = 0; c < 3; ++c) p[c] = static_cast<std::uint8_t>(std::clamp(base[c] + noise(random), 0, 255));
      }
    return dib;
  }();
  return photo;
}

double MemcpySeconds() {
  static const double seconds = [] {
    const tw::TDib& photo = Photo();
    std::vector<std::uint8_t> target(photo.ImageSize());
    double best = 1e9;
    for (int i = 0; i < 50; ++i) {
      const double start = CpuSeconds();
      std::memcpy(target.data(), photo.Bits(), photo.ImageSize());
      benchmark::DoNotOptimize(target.data());
      benchmark::ClobberMemory();
      best = std::min(best, CpuSeconds() - start);
    }
    return best;
  }();
  return seconds;
}

void BM_Memcpy(benchmark::State& state) {
  const tw::TDib& photo = Photo();
  std::vector<std::uint8_t> target(photo.ImageSize());
  for (auto _ : state) {
    std::memcpy(target.data(), photo.Bits(), photo.ImageSize());
    benchmark::DoNotOptimize(target.data());
    benchmark::ClobberMemory();
  }
  state.counters["x_memcpy"] = 1.0;
}
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);

constexpr const char* kMethodNames[] = {"popularity", "median cut", "levels 784", "levels 666", "channel dither", "gray"};

// Fastest run of METHOD against the fastest memcpy, both in thread CPU time.
void Reduce(benchmark::State& state, bool vector_rows) {
  const auto method = static_cast<tw::ReductionMethod>(state.range(0));
  const tw::TDib& photo = Photo();
  std::vector<std::uint8_t> target(static_cast<std::size_t>(tw::TDib::RowBytes(kWidth, 8)) * kHeight);
  std::array<tw::TRGBQuad, 256> palette{};
  const bool was = tw::reduction::VectorRowsEnabled();
  tw::reduction::SetVectorRowsEnabled(vector_rows);
  double best = 1e9;
  for (auto _ : state) {
    const double start = CpuSeconds();
    tw::ReducePixels(photo.Bits(), target.data(), kWidth, kHeight, method, palette);
    benchmark::DoNotOptimize(target.data());
    benchmark::ClobberMemory();
    best = std::min(best, CpuSeconds() - start);
  }
  tw::reduction::SetVectorRowsEnabled(was);
  state.counters["x_memcpy"] = best / MemcpySeconds();
  state.SetLabel(kMethodNames[state.range(0)]);
}

void BM_Reduce(benchmark::State& state) { Reduce(state, true); }
BENCHMARK(BM_Reduce)
    ->ArgName("method")
    ->DenseRange(tw::rmPopularity, tw::rmGray)
    ->Unit(benchmark::kMillisecond);

// The per-pixel floor of the two adaptive methods: counting the picture's 4-bit cells, already
// worked out, into four tables (one scattered increment per pixel), and looking each cell's index
// up in a 4096-entry table (two loads per pixel), each against the memcpy.
const std::vector<std::uint16_t>& PhotoCells() {
  static const std::vector<std::uint16_t> cells = [] {
    const tw::TDib& photo = Photo();
    std::vector<std::uint16_t> all(static_cast<std::size_t>(kWidth) * kHeight);
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) {
        const std::uint8_t* p = photo.ScanLine(y) + 3 * x;
        all[static_cast<std::size_t>(y) * kWidth + static_cast<std::size_t>(x)] =
            static_cast<std::uint16_t>((p[2] >> 4) << 8 | (p[1] >> 4) << 4 | p[0] >> 4);
      }
    return all;
  }();
  return cells;
}

template <class Pass>
void Floor(benchmark::State& state, Pass pass) {
  double best = 1e9;
  for (auto _ : state) {
    const double start = CpuSeconds();
    pass();
    best = std::min(best, CpuSeconds() - start);
  }
  state.counters["x_memcpy"] = best / MemcpySeconds();
}

void BM_FloorCount(benchmark::State& state) {
  const auto& cells = PhotoCells();
  constexpr std::size_t kStride = 4096 + 64;
  std::vector<std::uint32_t> counts(4 * kStride);
  Floor(state, [&] {
    std::fill(counts.begin(), counts.end(), 0);
    for (std::size_t x = 0; x + 4 <= cells.size(); x += 4) {
      ++counts[cells[x]];
      ++counts[kStride + cells[x + 1]];
      ++counts[2 * kStride + cells[x + 2]];
      ++counts[3 * kStride + cells[x + 3]];
    }
    benchmark::DoNotOptimize(counts.data());
    benchmark::ClobberMemory();
  });
}
BENCHMARK(BM_FloorCount)->Unit(benchmark::kMillisecond);

void BM_FloorMap(benchmark::State& state) {
  const auto& cells = PhotoCells();
  std::array<std::uint8_t, 4096> index_of;
  for (std::size_t c = 0; c < index_of.size(); ++c) index_of[c] = static_cast<std::uint8_t>(c * 7);
  std::vector<std::uint8_t> out(cells.size());
  Floor(state, [&] {
    tw::reduction::MapRow(cells.data(), static_cast<int>(cells.size()), index_of.data(), out.data());
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  });
}
BENCHMARK(BM_FloorMap)->Unit(benchmark::kMillisecond);

// The same with the plain code alone, as on processors without AVX2.
void BM_ReducePlain(benchmark::State& state) { Reduce(state, false); }
BENCHMARK(BM_ReducePlain)
    ->ArgName("method")
    ->DenseRange(tw::rmPopularity, tw::rmGray)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
