// Replays every fuzz target's seeds and the files kept in fuzz/corpus/<Name>/ (inputs that once
// found faults among them) through the regular build, so that each test run checks them again.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "fuzz/fuzz_target.h"

namespace {

TEST(FuzzReplay, EveryTargetSurvivesItsSeedsAndCorpus) {
  ASSERT_FALSE(tw::fuzz::Targets().empty());
  for (const auto& target : tw::fuzz::Targets()) {
    SCOPED_TRACE(target.name);
    ASSERT_NE(target.run, nullptr);
    std::size_t inputs = 0;
    if (target.seeds) {
      for (const auto& seed : target.seeds()) {
        target.run(seed.data(), seed.size());
        ++inputs;
      }
    }
    auto dir = std::filesystem::path(TW_SOURCE_DIR) / "fuzz" / "corpus" / target.name;
    if (std::filesystem::is_directory(dir)) {
      for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        std::ifstream in(entry.path(), std::ios::binary);
        tw::fuzz::Bytes bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        target.run(bytes.data(), bytes.size());
        ++inputs;
      }
    }
    EXPECT_GT(inputs, 0u) << "a fuzz target without seeds or corpus";
  }
}

}  // namespace
