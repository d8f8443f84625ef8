// The program's process start-up and shutdown around the whole suite, as the entry point does.
#include <gtest/gtest.h>

#include <memory>

#include "app/win/program_setup.h"

namespace {

class ProgramEnvironment : public ::testing::Environment {
public:
  void SetUp() override { setup_ = std::make_unique<tw::TProgramSetup>(); }
  void TearDown() override { setup_.reset(); }

private:
  std::unique_ptr<tw::TProgramSetup> setup_;
};

const auto* const environment = ::testing::AddGlobalTestEnvironment(new ProgramEnvironment);

}  // namespace
