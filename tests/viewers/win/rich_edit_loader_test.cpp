// Long plain-text files load in slices from the message loop: the window answers meanwhile, and
// what arrives in the end is the whole file, unmodified, with nothing to undo and no change
// reported.
#include <windows.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "framework/exception.h"
#include "framework/win/application.h"
#include "tests/support/temp_folder.h"
#include "tests/support/win/pump.h"
#include "tests/viewers/win/rich_edit_test_support.h"

namespace tw {
namespace {

using test::PumpPending;
using test::PumpUntil;
using test::TempFolder;

// LINES lines "<tag> <number> ..." of 60 to 100 characters; the breaks are LF, CR and CR LF in
// turn.
struct Text {
  std::vector<std::string> lines;
  std::string bytes;
};

Text MakeText(size_t size, char tag) {
  static const char* const kBreaks[] = {"\r\n", "\n", "\r"};
  Text text;
  while (text.bytes.size() < size) {
    std::string line = std::string(1, tag) + " " + std::to_string(text.lines.size()) + " ";
    line.resize(60 + text.lines.size() % 41, tag);
    text.bytes += line + kBreaks[text.lines.size() % 3];
    text.lines.push_back(std::move(line));
  }
  return text;
}

// Dispatches one message at a time, as a program's message loop does, until DONE holds.
void DispatchUntil(const std::function<bool()>& done) {
  while (!done()) {
    MSG msg;
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

int TextLength(HWND window) {
  GETTEXTLENGTHEX query{GTL_NUMCHARS, CP_ACP};
  return static_cast<int>(SendMessageA(window, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&query), 0));
}

constexpr size_t kTwoMegabytes = 2u << 20;
// Many slices long, and quicker to wait for.
constexpr size_t kHalfAMegabyte = 1u << 19;

// A window that notes whether the editor was still loading when a posted message reached it.
struct PostedMessageProbe {
  static inline TTwRichEdit* editor = nullptr;
  static inline int handled = 0;
  static inline bool handled_while_loading = false;
  static LRESULT CALLBACK Proc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg != WM_APP) return DefWindowProcA(window, msg, wparam, lparam);
    ++handled;
    handled_while_loading = editor->Loading();
    return 0;
  }
  HWND window = nullptr;
  explicit PostedMessageProbe(TTwRichEdit* edit) {
    editor = edit;
    WNDCLASSA wc{};
    wc.lpfnWndProc = &Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TwPostedMessageProbe";
    RegisterClassA(&wc);
    window = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
  }
  ~PostedMessageProbe() { DestroyWindow(window); }
};

class RichEditLoaderTest : public test::RichEditTest {
protected:
  void SetUp() override {
    RichEditTest::SetUp();
    // One text line per line-list line: no wrapping at the window's edge.
    edit_->SetWordWrap(false);
  }
  bool LoadEnds() { return PumpUntil([&] { return !edit_->Loading(); }, 120000); }
  // The text as the control holds it, one CR per break: line for line the file's.
  void ExpectLines(const Text& text) {
    std::string expected;
    for (const std::string& line : text.lines) expected += line + "\r";
    EXPECT_EQ(edit_->Lines().Count(), static_cast<int>(text.lines.size()));
    const std::string got = edit_->TextRange(0, TextLength(edit_->Handle()));
    ASSERT_EQ(got.size(), expected.size());
    EXPECT_TRUE(got == expected) << "the text differs from the file from offset "
                                 << std::mismatch(got.begin(), got.end(), expected.begin()).first - got.begin();
  }

  TempFolder folder_;
};

TEST_F(RichEditLoaderTest, LongFileArrivesInSlicesWhileMessagesAreHandled) {
  const Text text = MakeText(kTwoMegabytes, 'a');
  const std::string path = folder_.Write("long.txt", text.bytes);
  // What any load reports, in one slice.
  int changes = 0, progress_reports = 0;
  edit_->OnChange = [&](TObject*) { ++changes; };
  edit_->Lines().LoadFile(folder_.Write("short.txt", "short"));
  const int changes_of_a_load = changes;
  changes = 0;
  edit_->OnChange = [&](TObject*) { ++changes; };
  edit_->OnLoadProgress = [&](TObject*) { ++progress_reports; };
  PostedMessageProbe probe(edit_);

  edit_->Lines().LoadFile(path);
  ASSERT_TRUE(edit_->Loading());
  EXPECT_EQ(edit_->Lines().Get(0), text.lines[0]);
  EXPECT_LT(TextLength(edit_->Handle()), static_cast<int>(text.bytes.size()) / 2);
  EXPECT_TRUE(GetWindowLongA(edit_->Handle(), GWL_STYLE) & ES_READONLY);
  // What has arrived can be searched; the selection stays while the rest comes.
  ASSERT_EQ(edit_->SearchText(text.lines[1], 0, 4096, soSelectMatch), static_cast<int>(text.lines[0].size()) + 1);
  PostMessageA(probe.window, WM_APP, 0, 0);

  ASSERT_TRUE(LoadEnds());
  EXPECT_EQ(probe.handled, 1);
  EXPECT_TRUE(probe.handled_while_loading);
  ExpectLines(text);
  EXPECT_EQ(edit_->SelStart(), static_cast<int>(text.lines[0].size()) + 1);
  EXPECT_EQ(edit_->SelLength(), static_cast<int>(text.lines[1].size()));
  EXPECT_FALSE(edit_->Modified());
  EXPECT_EQ(SendMessageA(edit_->Handle(), EM_CANUNDO, 0, 0), 0);
  EXPECT_EQ(changes, changes_of_a_load);
  EXPECT_GT(progress_reports, 2);
  EXPECT_EQ(edit_->LoadProgress(), 100);
  EXPECT_FALSE(GetWindowLongA(edit_->Handle(), GWL_STYLE) & ES_READONLY);
  EXPECT_EQ(SendMessageA(edit_->Handle(), EM_GETEVENTMASK, 0, 0) & ENM_CHANGE, ENM_CHANGE);
}

TEST_F(RichEditLoaderTest, CrLfAtEverySliceSeamIsOneBreak) {
  // Lines that put a CR LF across the seam of every read step (16 KB) or every slice (32 KB).
  for (size_t line_length : {16383u, 32767u}) {
    std::string bytes;
    int lines = 0;
    for (; bytes.size() < 200000; ++lines) bytes += std::string(line_length, 'x') + "\r\n";
    edit_->Lines().LoadFile(folder_.Write("seams.txt", bytes));
    ASSERT_TRUE(LoadEnds());
    EXPECT_EQ(edit_->Lines().Count(), lines) << "lines of " << line_length;
    EXPECT_EQ(TextLength(edit_->Handle()), lines * static_cast<int>(line_length + 1));
  }
}

TEST_F(RichEditLoaderTest, AnotherFileOrClearDuringALoadLeavesNothingOfTheFirst) {
  const std::string first = folder_.Write("first.txt", MakeText(kTwoMegabytes, 'a').bytes);
  const Text second = MakeText(kHalfAMegabyte / 2, 'b');
  const std::string second_path = folder_.Write("second.txt", second.bytes);
  edit_->Lines().LoadFile(first);
  DispatchUntil([&] { return edit_->LoadProgress() > 10; });
  ASSERT_TRUE(edit_->Loading());
  edit_->Lines().LoadFile(second_path);
  ASSERT_TRUE(LoadEnds());
  ExpectLines(second);

  edit_->Lines().LoadFile(first);
  edit_->Clear();
  EXPECT_FALSE(edit_->Loading());
  PumpPending();
  EXPECT_EQ(TextLength(edit_->Handle()), 0);
  EXPECT_FALSE(GetWindowLongA(edit_->Handle(), GWL_STYLE) & ES_READONLY);
}

// The save finishes the load first; the file loaded is free to be saved over afterwards.
TEST_F(RichEditLoaderTest, SaveDuringALoadWritesTheWholeFile) {
  const Text text = MakeText(kHalfAMegabyte, 'a');
  const std::string path = folder_.Write("long.txt", text.bytes);
  edit_->Lines().LoadFile(path);
  ASSERT_TRUE(edit_->Loading());
  std::string expected;
  for (const std::string& line : text.lines) expected += line + "\r\n";
  for (const std::string& target : {folder_.File("copy.txt"), path}) {
    edit_->Lines().SaveFile(target);
    EXPECT_FALSE(edit_->Loading());
    auto saved = test::ReadFileBytes(target);
    EXPECT_TRUE(std::string(saved.begin(), saved.end()) == expected) << target;
  }
}

TEST_F(RichEditLoaderTest, ALongFileOverTheLimitIsCutWhereTheLimitIs) {
  const Text text = MakeText(kHalfAMegabyte, 'a');
  const std::string path = folder_.Write("long.txt", text.bytes);
  edit_->SetMaxLength(1 << 18);
  edit_->Lines().LoadFile(path);
  ASSERT_TRUE(LoadEnds());
  EXPECT_TRUE(edit_->Truncated());
  EXPECT_EQ(TextLength(edit_->Handle()), 1 << 18);
  EXPECT_THROW(edit_->Lines().SaveFile(path), EInvalidOperation);
}

// Reads a few slices' worth and then fails, as a file on a vanished drive does.
class FailingReadConversion : public TConversion {
public:
  int ConvertReadStream(TStream& stream, char* buffer, int count) override {
    if (stream.Position() > 100000) throw EReadError("read failed");
    return TConversion::ConvertReadStream(stream, buffer, count);
  }
};

// What arrived of such a file is cut: it is never saved over the file, whether the failure comes
// from the message loop or from a save that finishes the load.
TEST_F(RichEditLoaderTest, AFileThatFailsMidwayIsReportedOnceAndIsNotSavedOver) {
  RegisterConversionFormat("twbroken", true, [] { return std::make_unique<FailingReadConversion>(); });
  const std::string bytes = MakeText(kHalfAMegabyte, 'a').bytes;
  const std::string path = folder_.Write("long.twbroken", bytes);
  std::vector<std::string> shown;
  Application->OnException = [&](TObject*, const Exception& e) { shown.push_back(e.Message()); };
  edit_->Lines().LoadFile(path);
  ASSERT_TRUE(LoadEnds());
  PumpPending();
  Application->OnException = nullptr;
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0], "read failed");
  EXPECT_FALSE(GetWindowLongA(edit_->Handle(), GWL_STYLE) & ES_READONLY);
  EXPECT_TRUE(edit_->Truncated());
  EXPECT_THROW(edit_->Lines().SaveFile(path), EInvalidOperation);

  edit_->Lines().LoadFile(path);
  ASSERT_TRUE(edit_->Loading());
  EXPECT_THROW(edit_->Lines().SaveFile(path), EReadError);
  EXPECT_TRUE(edit_->Truncated());
  EXPECT_THROW(edit_->Lines().SaveFile(path), EInvalidOperation);
  auto kept = test::ReadFileBytes(path);
  EXPECT_TRUE(std::string(kept.begin(), kept.end()) == bytes);
}

TEST_F(RichEditLoaderTest, ClosingDuringALoadStopsIt) {
  edit_->Lines().LoadFile(folder_.Write("long.txt", MakeText(kHalfAMegabyte, 'a').bytes));
  ASSERT_TRUE(edit_->Loading());
  delete form_;
  form_ = nullptr;
  PumpPending();
}

}  // namespace
}  // namespace tw
