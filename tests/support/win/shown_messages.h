#pragma once
// The messages of the exceptions the application would show the user, collected for a test
// instead: a fixture collects them from its set-up and expects none at its tear-down.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/win/application.h"

namespace tw::test {

inline void CollectShownMessages(std::vector<std::string>& shown) {
  Application->OnException = [&shown](TObject*, const Exception& e) { shown.push_back(e.Message()); };
}

// Stops collecting; a message shown meanwhile fails the test.
inline void ExpectNothingShown(const std::vector<std::string>& shown) {
  Application->OnException = nullptr;
  EXPECT_TRUE(shown.empty()) << shown.front();
}

}  // namespace tw::test
