#pragma once
// Message boxes answered from a timer while their modal loop runs, for tests of code that asks
// or reports through one.

#include <string>

namespace tw::test {

// Answers the next message box of this thread with BUTTON (IDOK, IDYES, IDNO, ...).
void AnswerNextMessageBox(int button);

// The caption and text of the box answered last; empty before the first.
struct AnsweredMessageBox {
  std::string caption;
  std::string text;
};
const AnsweredMessageBox& LastAnsweredMessageBox();

}  // namespace tw::test
