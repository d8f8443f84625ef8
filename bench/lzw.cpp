// LZW decode and encode throughput against giflib on the same photo-like 8-bit 1920x1080 picture.
// Ends with the ratios (giflib's time / ours: above 1 means we are faster) and both encoders'
// compressed sizes.
#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "framework/stream.h"
#include "viewers/gif/lzw.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

// Smooth shading with texture and sensor-like noise, as a 256-colour photo comes out of a
// palette reduction. Rows are stored bottom-up as the coder expects; 1920 bytes need no padding.
const Bytes& PhotoPixels() {
  static const Bytes pixels = [] {
    Bytes p(static_cast<std::size_t>(kWidth) * kHeight);
    std::mt19937 rng(1234);
    std::normal_distribution<double> noise(0.0, 2.5);
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) {
        const double shade = 128 + 60 * std::sin(x * 0.004 + y * 0.002) + 40 * std::cos(y * 0.007) +
                             15 * std::sin(x * 0.05) * std::cos(y * 0.043);
        const double v = std::clamp(shade + noise(rng), 0.0, 255.0);
        p[static_cast<std::size_t>(kHeight - 1 - y) * kWidth + x] = static_cast<std::uint8_t>(v);
      }
    return p;
  }();
  return pixels;
}

const std::uint8_t* TopDownRow(int y) {
  return PhotoPixels().data() + static_cast<std::size_t>(kHeight - 1 - y) * kWidth;
}

Bytes OurStream() {
  tw::TMemoryStream out;
  tw::LzwEncode(out, kWidth, kHeight, 8, false, nullptr, PhotoPixels());
  return out.Bytes();
}

struct MemoryFile {
  const Bytes* in = nullptr;
  std::size_t at = 0;
  Bytes out;
};

int ReadMemory(GifFileType* gif, GifByteType* buffer, int count) {
  auto* file = static_cast<MemoryFile*>(gif->UserData);
  const int n = static_cast<int>(std::min<std::size_t>(count, file->in->size() - file->at));
  std::memcpy(buffer, file->in->data() + file->at, n);
  file->at += n;
  return n;
}

int WriteMemory(GifFileType* gif, const GifByteType* buffer, int count) {
  auto* file = static_cast<MemoryFile*>(gif->UserData);
  file->out.insert(file->out.end(), buffer, buffer + count);
  return count;
}

// A complete GIF file of the picture written by giflib (gray global table).
Bytes GiflibFile() {
  MemoryFile file;
  int error = 0;
  GifFileType* gif = EGifOpen(&file, WriteMemory, &error);
  std::vector<GifColorType> gray(256);
  for (int i = 0; i < 256; ++i) gray[i] = {static_cast<GifByteType>(i), static_cast<GifByteType>(i), static_cast<GifByteType>(i)};
  ColorMapObject* map = GifMakeMapObject(256, gray.data());
  EGifPutScreenDesc(gif, kWidth, kHeight, 8, 0, map);
  EGifPutImageDesc(gif, 0, 0, kWidth, kHeight, false, nullptr);
  for (int y = 0; y < kHeight; ++y) EGifPutLine(gif, const_cast<GifPixelType*>(TopDownRow(y)), kWidth);
  EGifCloseFile(gif, &error);
  GifFreeMapObject(map);
  return file.out;
}

// The code stream inside a one-frame file with a 256-entry global table and no extensions.
Bytes CodeStreamOf(const Bytes& file) {
  std::size_t at = 6 + 7 + 3 * 256 + 10;
  const std::size_t begin = at++;
  while (file[at] != 0) at += 1 + file[at];
  return Bytes(file.begin() + begin, file.begin() + at + 1);
}

// The same frame with another code stream: header, screen, table and descriptor from FILE.
Bytes WithCodeStream(const Bytes& file, const Bytes& stream) {
  const std::size_t header = 6 + 7 + 3 * 256 + 10;
  Bytes out(header + stream.size() + 1, ';');
  std::copy_n(file.data(), header, out.data());
  std::copy_n(stream.data(), stream.size(), out.data() + header);
  return out;
}

void DecodeHere(benchmark::State& state, const Bytes& stream) {
  Bytes pixels(PhotoPixels().size());
  bool damaged = false;
  for (auto _ : state) {
    tw::TMemoryStream in(stream);
    tw::LzwDecode(in, kWidth, kHeight, 8, false, nullptr, damaged, pixels, 8, false);
    benchmark::DoNotOptimize(pixels.data());
  }
  if (pixels != PhotoPixels()) state.SkipWithError("decoded pixels differ");
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(pixels.size()));
}

void DecodeGiflib(benchmark::State& state, const Bytes& file) {
  Bytes pixels(PhotoPixels().size());
  for (auto _ : state) {
    MemoryFile memory{&file};
    int error = 0;
    GifFileType* gif = DGifOpen(&memory, ReadMemory, &error);
    GifRecordType record;
    do DGifGetRecordType(gif, &record);
    while (record != IMAGE_DESC_RECORD_TYPE);
    DGifGetImageDesc(gif);
    for (int y = 0; y < kHeight; ++y)
      DGifGetLine(gif, pixels.data() + static_cast<std::size_t>(kHeight - 1 - y) * kWidth, kWidth);
    DGifCloseFile(gif, &error);
    benchmark::DoNotOptimize(pixels.data());
  }
  if (pixels != PhotoPixels()) state.SkipWithError("decoded pixels differ");
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(pixels.size()));
}

void BM_DecodeOurStream_Tarnwick(benchmark::State& state) {
  static const Bytes stream = OurStream();
  DecodeHere(state, stream);
}

void BM_DecodeOurStream_Giflib(benchmark::State& state) {
  static const Bytes file = WithCodeStream(GiflibFile(), OurStream());
  DecodeGiflib(state, file);
}

void BM_DecodeGiflibStream_Tarnwick(benchmark::State& state) {
  static const Bytes stream = CodeStreamOf(GiflibFile());
  DecodeHere(state, stream);
}

void BM_DecodeGiflibStream_Giflib(benchmark::State& state) {
  static const Bytes file = GiflibFile();
  DecodeGiflib(state, file);
}

void BM_Encode_Tarnwick(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(OurStream());
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(PhotoPixels().size()));
}

void BM_Encode_Giflib(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(GiflibFile());
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(PhotoPixels().size()));
}

BENCHMARK(BM_DecodeOurStream_Tarnwick)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeOurStream_Giflib)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeGiflibStream_Tarnwick)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeGiflibStream_Giflib)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Encode_Tarnwick)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Encode_Giflib)->Unit(benchmark::kMillisecond);

// Collects each benchmark's time per iteration while printing as usual.
class CollectingReporter : public benchmark::ConsoleReporter {
public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs)
      if (run.run_type == Run::RT_Iteration && !run.error_occurred) times[run.benchmark_name()] = run.GetAdjustedCPUTime();
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> times;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  CollectingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  auto ratio = [&](const char* ours, const char* theirs) {
    const auto a = reporter.times.find(ours), b = reporter.times.find(theirs);
    if (a == reporter.times.end() || b == reporter.times.end() || a->second <= 0) return;
    std::printf("%-34s giflib/ours = %.2f\n", ours, b->second / a->second);
  };
  ratio("BM_DecodeOurStream_Tarnwick", "BM_DecodeOurStream_Giflib");
  ratio("BM_DecodeGiflibStream_Tarnwick", "BM_DecodeGiflibStream_Giflib");
  ratio("BM_Encode_Tarnwick", "BM_Encode_Giflib");
  std::printf("compressed code stream: ours %zu bytes, giflib %zu bytes (%zu pixels)\n",
              OurStream().size(), CodeStreamOf(GiflibFile()).size(), PhotoPixels().size());
  benchmark::Shutdown();
  return 0;
}
