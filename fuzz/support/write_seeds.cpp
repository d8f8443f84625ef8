// Writes every target's seeds into fuzz/corpus/<Name>/seed-N, the starting corpus of a fuzzing run:
//   fuzz_write_seeds CORPUS_ROOT [TARGET]
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "fuzz/fuzz_target.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: fuzz_write_seeds CORPUS_ROOT [TARGET]\n");
    return 2;
  }
  for (const auto& target : tw::fuzz::Targets()) {
    if (argc > 2 && target.name != argv[2]) continue;
    if (!target.seeds) continue;
    auto dir = std::filesystem::path(argv[1]) / target.name;
    std::filesystem::create_directories(dir);
    int n = 0;
    for (const auto& seed : target.seeds()) {
      std::ofstream out(dir / ("seed-" + std::to_string(n++)), std::ios::binary);
      out.write(reinterpret_cast<const char*>(seed.data()), static_cast<std::streamsize>(seed.size()));
    }
  }
  return 0;
}
