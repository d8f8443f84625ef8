// The shell controls' process start-up and shutdown around the whole suite, as the program does.
#include <gtest/gtest.h>

#include "shell/win/shell_process.h"

namespace {

class ShellEnvironment : public ::testing::Environment {
public:
  void SetUp() override {
    tw::InitShellUtilities();
    tw::InitShellControls();
  }
  void TearDown() override { tw::DoneShellControls(); }
};

const auto* const environment = ::testing::AddGlobalTestEnvironment(new ShellEnvironment);

}  // namespace
