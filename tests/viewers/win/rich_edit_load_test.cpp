// Loading over a long text: the editor drops it with its window (Wine's control removes a long
// text in time growing with the square of its length). These tests pin down that the outcome is
// what loading over a short text gives: the same text, settings, flags and events.
#include <windows.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tests/support/temp_folder.h"
#include "tests/support/win/pump.h"
#include "tests/viewers/win/rich_edit_test_support.h"

namespace tw {
namespace {

using test::RichEditTest;
using test::TempFolder;

// Lines of 60 to 100 letters; the line breaks are LF, CR or CR LF as BREAKS picks them in turn.
struct Text {
  std::vector<std::string> lines;
  std::string bytes;
};

Text MakeText(size_t size, const std::vector<std::string>& breaks, unsigned seed) {
  std::mt19937 random(seed);
  Text text;
  while (text.bytes.size() < size) {
    std::string line;
    const size_t length = 60 + random() % 41;
    while (line.size() < length) line += static_cast<char>('a' + random() % 26);
    text.lines.push_back(line);
    text.bytes += line + breaks[text.lines.size() % breaks.size()];
  }
  return text;
}

void Load(TTwRichEdit& edit, const std::string& bytes) {
  TMemoryStream stream(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
  edit.Lines().LoadStream(stream);
}

int TextLength(HWND window) {
  GETTEXTLENGTHEX query{GTL_NUMCHARS, CP_ACP};
  return static_cast<int>(SendMessageA(window, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&query), 0));
}

void ExpectLines(TTwRichEdit& edit, const Text& text) {
  for (size_t i = 0; i < text.lines.size(); ++i)
    ASSERT_EQ(edit.Lines().Get(static_cast<int>(i)), text.lines[i]) << "line " << i;
  EXPECT_EQ(edit.Lines().Count(), static_cast<int>(text.lines.size()));
}

// Far longer than what the control removes quickly, and many read chunks long.
constexpr size_t kLong = 300 * 1024;

// One text line per line-list line: no wrapping at the window's edge.
class RichEditLoadTest : public RichEditTest {
protected:
  void SetUp() override {
    RichEditTest::SetUp();
    edit_->SetWordWrap(false);
  }
};

TEST_F(RichEditLoadTest, LoadOverALongTextGivesTheNewTextWithTheSettingsKept) {
  edit_->SetUndoLimit(7);
  edit_->SetMaxLength(1 << 22);
  edit_->Font().SetName("Courier New");
  Load(*edit_, MakeText(kLong, {"\r\n"}, 1).bytes);
  // Breaks of every kind; at this size some CR LF pairs straddle two read steps.
  const Text second = MakeText(kLong, {"\n", "\r", "\r\n"}, 2);
  TempFolder folder;
  edit_->Lines().LoadFile(folder.Write("second.txt", second.bytes));
  // Long enough to arrive in slices.
  ASSERT_TRUE(test::PumpUntil([&] { return !edit_->Loading(); }, 60000));
  ExpectLines(*edit_, second);
  HWND w = edit_->Handle();
  EXPECT_TRUE(IsWindow(w));
  EXPECT_EQ(GetParent(w), form_->Handle());
  EXPECT_EQ(SendMessageA(w, EM_GETEVENTMASK, 0, 0), 0x42C0001);
  EXPECT_EQ(SendMessageA(w, EM_GETLIMITTEXT, 0, 0), 1 << 22);
  EXPECT_EQ(SendMessageA(w, EM_GETTEXTMODE, 0, 0) & (TM_PLAINTEXT | TM_RICHTEXT), TM_PLAINTEXT);
  EXPECT_EQ(edit_->UndoLimit(), 7);
  CHARFORMATA format{};
  format.cbSize = sizeof(format);
  SendMessageA(w, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
  EXPECT_STREQ(format.szFaceName, "Courier New");
  EXPECT_EQ(edit_->SelStart(), 0);
  EXPECT_EQ(edit_->SelLength(), 0);
}

// Whatever was there before, a load leaves the same modified flag and raises the same events.
TEST_F(RichEditLoadTest, LoadOverALongTextFlagsAndNotifiesAsOverAShortOne) {
  const std::string next = MakeText(kLong, {"\r\n"}, 3).bytes;
  struct Outcome {
    bool modified;
    int changes;
    int selection_changes;
  };
  auto load_over = [&](const std::string& before, bool modified_before) {
    Load(*edit_, before);
    edit_->SetModified(modified_before);
    Outcome outcome{false, 0, 0};
    edit_->OnChange = [&](TObject*) { ++outcome.changes; };
    edit_->OnSelectionChange = [&](TObject*) { ++outcome.selection_changes; };
    Load(*edit_, next);
    outcome.modified = edit_->Modified();
    edit_->OnChange = nullptr;
    edit_->OnSelectionChange = nullptr;
    return outcome;
  };
  const std::string long_text = MakeText(kLong, {"\r\n"}, 4).bytes;
  for (bool modified : {false, true}) {
    const Outcome over_short = load_over("short\r\ntext", modified);
    const Outcome over_long = load_over(long_text, modified);
    EXPECT_EQ(over_long.modified, over_short.modified) << "modified before: " << modified;
    EXPECT_EQ(over_long.changes, over_short.changes) << "modified before: " << modified;
    EXPECT_EQ(over_long.selection_changes > 0, over_short.selection_changes > 0);
  }
}

TEST_F(RichEditLoadTest, ClearingALongTextActsAsClearingAShortOne) {
  auto clear_after = [&](const std::string& text) {
    Load(*edit_, text);
    edit_->SetModified(true);
    int changes = 0;
    edit_->OnChange = [&](TObject*) { ++changes; };
    edit_->Clear();
    edit_->OnChange = nullptr;
    EXPECT_EQ(TextLength(edit_->Handle()), 0);
    EXPECT_EQ(edit_->Lines().Count(), 0);
    EXPECT_FALSE(edit_->Modified());
    return changes;
  };
  EXPECT_EQ(clear_after(MakeText(kLong, {"\r\n"}, 5).bytes), clear_after("short\r\ntext"));
  // The emptied control takes text again.
  edit_->Lines().Add("after");
  EXPECT_EQ(edit_->Lines().Get(0), "after");
}

// Regression: the new window came with the full event mask, so setting the whole text over a
// long one reported the additions as changes although notification was off.
TEST_F(RichEditLoadTest, SettingTheWholeTextOverALongOneDoesNotReportChanges) {
  Load(*edit_, MakeText(kLong, {"\r\n"}, 6).bytes);
  int changes = 0;
  edit_->OnChange = [&](TObject*) { ++changes; };
  edit_->Lines().SetText("p\r\nq\r\nr");
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(edit_->Lines().Count(), 3);
  EXPECT_EQ(SendMessageA(edit_->Handle(), EM_GETEVENTMASK, 0, 0) & ENM_CHANGE, ENM_CHANGE);
}

TEST_F(RichEditLoadTest, FocusStaysWithTheEditorAcrossALoadOverALongText) {
  Load(*edit_, MakeText(kLong, {"\r\n"}, 7).bytes);
  SetFocus(edit_->Handle());
  ASSERT_EQ(GetFocus(), edit_->Handle());
  Load(*edit_, MakeText(kLong, {"\r\n"}, 8).bytes);
  EXPECT_EQ(GetFocus(), edit_->Handle());
}

TEST_F(RichEditLoadTest, SwitchingTheModeOfALongTextKeepsIt) {
  const Text text = MakeText(kLong, {"\r\n"}, 9);
  edit_->SetPlainText(false);
  Load(*edit_, text.bytes);
  edit_->SetPlainText(true);
  EXPECT_EQ(SendMessageA(edit_->Handle(), EM_GETTEXTMODE, 0, 0) & (TM_PLAINTEXT | TM_RICHTEXT), TM_PLAINTEXT);
  ExpectLines(*edit_, text);
}

// Adding to a long text with the selection mode keeps what is there.
TEST_F(RichEditLoadTest, LoadingIntoTheSelectionKeepsALongText) {
  // Wine's control in plain text mode replaces the whole text even for a selection load.
  edit_->SetPlainText(false);
  edit_->SetStreamFormat(sfPlainText);
  const Text text = MakeText(kLong, {"\r\n"}, 10);
  Load(*edit_, text.bytes);
  const int length = TextLength(edit_->Handle());
  edit_->SetSelection(length, length, false);
  edit_->SetStreamMode(smSelection);
  Load(*edit_, "tail");
  edit_->SetStreamMode(0);
  EXPECT_EQ(TextLength(edit_->Handle()), length + 4);
  EXPECT_EQ(edit_->Lines().Get(0), text.lines[0]);
  EXPECT_EQ(edit_->Lines().Get(static_cast<int>(text.lines.size()) - 1), text.lines.back());
}

}  // namespace
}  // namespace tw
