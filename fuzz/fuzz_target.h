#pragma once
// One fuzz target per reader of untrusted bytes. A target file says
//
//   TW_FUZZ_TARGET(BitmapFile) { ...feed data/size to the reader, swallow tw::Exception... }
//   TW_FUZZ_SEEDS(BitmapFile) { return {...byte strings made by the project's own writers...}; }
//
// Built with TW_FUZZ (clang, libFuzzer) each file becomes its own fuzzer; in the regular build
// every target is registered with the replay test, which feeds it its seeds and the files of
// fuzz/corpus/<Name>/.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tw::fuzz {

using Bytes = std::vector<std::uint8_t>;
using TargetFn = void (*)(const std::uint8_t* data, std::size_t size);
using SeedsFn = std::vector<Bytes> (*)();

struct Target {
  std::string name;
  TargetFn run = nullptr;
  SeedsFn seeds = nullptr;
};

std::vector<Target>& Targets();
Target& TargetNamed(const std::string& name);

struct Registrar {
  Registrar(const char* name, TargetFn run) { TargetNamed(name).run = run; }
  Registrar(const char* name, SeedsFn seeds) { TargetNamed(name).seeds = seeds; }
};

}  // namespace tw::fuzz

#ifdef TW_FUZZING
#define TW_FUZZ_TARGET(Name)                                                          \
  static void TwFuzz##Name(const std::uint8_t* data, std::size_t size);               \
  extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) { \
    TwFuzz##Name(data, size);                                                         \
    return 0;                                                                         \
  }                                                                                   \
  static void TwFuzz##Name(const std::uint8_t* data, std::size_t size)
#else
#define TW_FUZZ_TARGET(Name)                                                            \
  static void TwFuzz##Name(const std::uint8_t* data, std::size_t size);                 \
  static const ::tw::fuzz::Registrar tw_fuzz_registrar_##Name(#Name, &TwFuzz##Name);    \
  static void TwFuzz##Name(const std::uint8_t* data, std::size_t size)
#endif

#define TW_FUZZ_SEEDS(Name)                                                                   \
  static std::vector<::tw::fuzz::Bytes> TwFuzzSeeds##Name();                                  \
  [[maybe_unused]] static const ::tw::fuzz::Registrar tw_fuzz_seeds_##Name(#Name,             \
                                                                           &TwFuzzSeeds##Name); \
  static std::vector<::tw::fuzz::Bytes> TwFuzzSeeds##Name()
