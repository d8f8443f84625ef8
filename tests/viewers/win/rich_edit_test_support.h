#pragma once
// A shown form holding one text page editor, as the main window holds it.

#include <gtest/gtest.h>

#include "framework/win/form.h"
#include "viewers/win/rich_edit.h"

namespace tw::test {

class RichEditTest : public ::testing::Test {
protected:
  void SetUp() override {
    form_ = new TForm(nullptr);
    form_->SetBounds(0, 0, 500, 400);
    edit_ = new TTwRichEdit(form_);
    edit_->SetParent(form_);
    edit_->SetBounds(0, 0, 400, 300);
    edit_->SetPlainText(true);
    form_->Show();
  }
  void TearDown() override { delete form_; }

  std::string WholeText() { return edit_->TextRange(0, GetWindowTextLengthA(edit_->Handle())); }

  TForm* form_ = nullptr;
  TTwRichEdit* edit_ = nullptr;
};

}  // namespace tw::test
