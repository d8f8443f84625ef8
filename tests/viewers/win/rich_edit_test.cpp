#include <windows.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <utility>
#include <vector>

#include "framework/exception.h"
#include "tests/support/temp_folder.h"
#include "tests/viewers/win/rich_edit_test_support.h"

namespace tw {
namespace {

using test::RichEditTest;
using test::TempFolder;

std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof(name));
  return name;
}

TEST_F(RichEditTest, WindowIsCreatedWithTheControlsStylesAndSettings) {
  HWND w = edit_->Handle();
  EXPECT_GE(RichEditLevel(), 2);  // Wine ships riched20
  EXPECT_STRCASEEQ(ClassOf(w).c_str(), "RichEdit20A");
  LONG_PTR style = GetWindowLongPtrA(w, GWL_STYLE);
  EXPECT_TRUE(style & ES_SAVESEL);
  EXPECT_TRUE(style & ES_SELECTIONBAR);
  EXPECT_FALSE(style & WS_HSCROLL) << "word wrap leaves no horizontal scroll bar";
  // Wine's control hides a scroll bar it does not need; kept disabled, the bar stays.
  edit_->SetHideScrollBars(false);
  w = edit_->Handle();
  style = GetWindowLongPtrA(w, GWL_STYLE);
  EXPECT_TRUE(style & ES_DISABLENOSCROLL);
  EXPECT_TRUE(style & WS_VSCROLL);
  EXPECT_EQ(SendMessageA(w, EM_GETEVENTMASK, 0, 0), 0x42C0001);
  EXPECT_EQ(SendMessageA(w, EM_GETLIMITTEXT, 0, 0), 16777215) << "MaxLength 0";
  edit_->SetMaxLength(100);
  EXPECT_EQ(SendMessageA(w, EM_GETLIMITTEXT, 0, 0), 100);
  EXPECT_EQ(edit_->UndoLimit(), 100);
  EXPECT_TRUE(SendMessageA(w, EM_GETOPTIONS, 0, 0) & ECO_AUTOWORDSELECTION);
  EXPECT_EQ(SendMessageA(w, EM_GETTEXTMODE, 0, 0) & (TM_PLAINTEXT | TM_RICHTEXT), TM_PLAINTEXT);
  EXPECT_TRUE(edit_->AutoURLDetect());
}

TEST_F(RichEditTest, FileExtensionChoosesTheFormat) {
  TempFolder folder;
  const std::string rtf = "{\\rtf1 hello}";
  // Capital TXT is "txt": the rich text markup stays literal text even in a rich text editor.
  edit_->SetPlainText(false);
  edit_->Lines().LoadFile(folder.Write("NOTE.TXT", rtf));
  EXPECT_EQ(edit_->Lines().Get(0), rtf);
  // "rtf" streams as rich text even though the editor is in plain text mode.
  edit_->SetPlainText(true);
  edit_->Lines().LoadFile(folder.Write("doc.rtf", rtf));
  EXPECT_EQ(edit_->Lines().Get(0), "hello");
  edit_->Lines().LoadFile(folder.Write("other.log", rtf));
  EXPECT_EQ(edit_->Lines().Get(0), rtf);
  EXPECT_EQ(edit_->StreamFormat(), sfDefault) << "the format is restored after the call";
}

TEST_F(RichEditTest, MissingFileRaisesTheOpenError) {
  TempFolder folder;
  std::string name = folder.File("absent.txt");
  try {
    edit_->Lines().LoadFile(name);
    FAIL() << "no exception";
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.Message(), "Cannot open file " + name);
  }
  EXPECT_EQ(edit_->StreamFormat(), sfDefault);
}

// A stream whose every read fails.
class BrokenStream : public TMemoryStream {
public:
  std::int64_t Read(void*, std::int64_t) override { throw EReadError("broken"); }
};

TEST_F(RichEditTest, StreamThatFailsInBothFormatsRaisesLoadFailure) {
  BrokenStream stream;
  try {
    edit_->Lines().LoadStream(stream);
    FAIL() << "no exception";
  } catch (const EOutOfResources& e) {
    EXPECT_EQ(e.Message(), "Failed to Load Stream");
  }
}

TEST_F(RichEditTest, LoadingLeavesTheCaretAtTheStart) {
  TMemoryStream stream;
  stream.WriteBuffer("first\r\nsecond", 13);
  stream.SetPosition(0);
  edit_->Lines().LoadStream(stream);
  EXPECT_EQ(edit_->SelStart(), 0);
  EXPECT_EQ(edit_->SelLength(), 0);
  EXPECT_EQ(edit_->Lines().Count(), 2);
}

TEST_F(RichEditTest, ZeroByteCutsItsChunk) {
  TempFolder folder;
  edit_->Lines().LoadFile(folder.Write("zero.txt", std::string("ab\0cd\r\nef", 9)));
  EXPECT_EQ(WholeText(), "ab");
}

TEST_F(RichEditTest, LfCrAndCrLfAreEachOneLineBreak) {
  TempFolder folder;
  edit_->Lines().LoadFile(folder.Write("breaks.txt", "a\nb\rc\r\nd"));
  ASSERT_EQ(edit_->Lines().Count(), 4);
  EXPECT_EQ(edit_->Lines().Get(0), "a");
  EXPECT_EQ(edit_->Lines().Get(1), "b");
  EXPECT_EQ(edit_->Lines().Get(2), "c");
  EXPECT_EQ(edit_->Lines().Get(3), "d");
}

TEST_F(RichEditTest, CountIgnoresTheEmptyLastLine) {
  edit_->SetText("a\rb\r");
  EXPECT_EQ(edit_->Lines().Count(), 2);
  edit_->SetText("");
  EXPECT_EQ(edit_->Lines().Count(), 0);
  edit_->SetText("a\rb");
  EXPECT_EQ(edit_->Lines().Count(), 2);
}

TEST_F(RichEditTest, LongLineReadsBackCut) {
  edit_->SetWordWrap(false);  // a wrapped line would be several lines
  edit_->SetText(std::string(5000, 'x') + "\ry");
  EXPECT_EQ(edit_->Lines().Get(0), std::string(4096, 'x'));
  EXPECT_EQ(edit_->Lines().Get(1), "y");
}

TEST_F(RichEditTest, LineListEdits) {
  TRichEditStrings& lines = edit_->Lines();
  lines.Add("one");
  lines.Add("three");
  lines.Insert(1, "two");
  ASSERT_EQ(lines.Count(), 3);
  EXPECT_EQ(lines.Get(1), "two");
  lines.Put(2, "THREE");
  EXPECT_EQ(lines.Get(2), "THREE");
  lines.Delete(0);
  ASSERT_EQ(lines.Count(), 2);
  EXPECT_EQ(lines.Get(0), "two");
  lines.Delete(1);
  EXPECT_EQ(lines.Count(), 1);
  lines.Insert(7, "nowhere");  // neither line 7 nor line 6 exists
  EXPECT_EQ(lines.Count(), 1);
  // Appending after a text without a final break starts a new line.
  edit_->SetText("a");
  lines.Add("b");
  EXPECT_EQ(lines.Count(), 2);
  EXPECT_EQ(lines.Get(1), "b");
}

TEST_F(RichEditTest, DeletingALineOutOfRangeLeavesTheText) {
  edit_->SetText("one\rtwo\rthree");
  edit_->SetSelection(5, 5, false);  // the caret on line 1
  for (int index : {-1, -2, 3, 100}) edit_->Lines().Delete(index);
  EXPECT_EQ(WholeText(), "one\rtwo\rthree");
}

TEST_F(RichEditTest, SettingTheWholeTextDoesNotReportChanges) {
  int changes = 0;
  edit_->OnChange = [&](TObject*) { ++changes; };
  TStringList source;
  source.Add("x");
  source.Add("y");
  edit_->Lines().SetText("p\r\nq\r\nr");
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(edit_->Lines().Count(), 3);
  edit_->SetLines(source);
  EXPECT_EQ(edit_->Lines().Count(), 2);
  EXPECT_EQ(edit_->Lines().Get(1), "y");
}

TEST_F(RichEditTest, ReplacingTheSelectionSelectsTheInsertedText) {
  edit_->SetText("hello world");
  edit_->SetSelection(6, 11, false);
  int changes = 0;
  edit_->OnChange = [&](TObject*) { ++changes; };
  edit_->SetSelText("there");
  EXPECT_EQ(WholeText(), "hello there");
  EXPECT_EQ(edit_->SelStart(), 6);
  EXPECT_EQ(edit_->SelLength(), 5);
  EXPECT_EQ(edit_->SelectedText(), "there");
  EXPECT_EQ(changes, 1);
  edit_->Undo();
  EXPECT_EQ(WholeText(), "hello world");
  edit_->Redo();
  EXPECT_EQ(WholeText(), "hello there");
}

TEST_F(RichEditTest, SelectionEventFollowsTheSelection) {
  edit_->SetText("abcdef");
  int events = 0;
  edit_->OnSelectionChange = [&](TObject*) { ++events; };
  edit_->SetSelStart(2);
  edit_->SetSelLength(3);
  EXPECT_GE(events, 1);
  EXPECT_EQ(edit_->SelectedText(), "cde");
}

TEST_F(RichEditTest, ClearEmptiesTheTextAndTheModifiedFlag) {
  edit_->SetText("something");
  edit_->SetModified(true);
  edit_->Clear();
  EXPECT_EQ(edit_->Lines().Count(), 0);
  EXPECT_FALSE(edit_->Modified());
}

TEST_F(RichEditTest, RichTextAndModifiedFlagSurviveWindowRecreation) {
  edit_->SetPlainText(false);
  TMemoryStream rtf;
  const std::string doc = "{\\rtf1 plain {\\b bold} end\\par second}";
  rtf.WriteBuffer(doc.data(), static_cast<std::int64_t>(doc.size()));
  rtf.SetPosition(0);
  edit_->Lines().LoadStream(rtf);
  auto bold_at = [&](int start) {
    edit_->SetSelection(start, start + 2, false);
    CHARFORMATA format{};
    format.cbSize = sizeof(format);
    SendMessageA(edit_->Handle(), EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    return (format.dwEffects & CFE_BOLD) != 0;
  };
  ASSERT_TRUE(bold_at(7));
  edit_->SetModified(true);
  HWND before = edit_->Handle();
  edit_->SetSelectionBar(false);
  EXPECT_NE(edit_->Handle(), before);
  EXPECT_FALSE(GetWindowLongPtrA(edit_->Handle(), GWL_STYLE) & ES_SELECTIONBAR);
  EXPECT_EQ(edit_->Lines().Count(), 2);
  EXPECT_EQ(edit_->Lines().Get(0), "plain bold end");
  EXPECT_TRUE(edit_->Modified());
  // The text came back through rich text (the markup is not shown). Wine's rich text writer
  // does not keep character runs, so the bold run itself is not compared here.
  EXPECT_EQ(edit_->Lines().Get(1), "second");
}

TEST_F(RichEditTest, SwitchingToPlainTextKeepsTheText) {
  edit_->SetPlainText(false);
  edit_->SetText("keep\rthis");
  edit_->SetPlainText(true);
  EXPECT_EQ(SendMessageA(edit_->Handle(), EM_GETTEXTMODE, 0, 0) & TM_PLAINTEXT, TM_PLAINTEXT);
  ASSERT_EQ(edit_->Lines().Count(), 2);
  EXPECT_EQ(edit_->Lines().Get(1), "this");
}

TEST_F(RichEditTest, FontBecomesTheDefaultFormat) {
  edit_->Font().SetName("Courier New");
  edit_->Font().SetSize(14);
  edit_->Font().SetStyle(1 << fsItalic);
  edit_->Font().SetColor(clRed);
  CHARFORMAT2A format{};
  format.cbSize = sizeof(format);
  SendMessageA(edit_->Handle(), EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
  EXPECT_STREQ(format.szFaceName, "Courier New");
  EXPECT_EQ(format.yHeight, 14 * 20);
  EXPECT_TRUE(format.dwEffects & CFE_ITALIC);
  EXPECT_FALSE(format.dwEffects & CFE_AUTOCOLOR);
  EXPECT_EQ(format.crTextColor, RGB(255, 0, 0));
}

// Saving: the text goes to a new file first and replaces the target only when complete.
class FailingWriteConversion : public TConversion {
public:
  int ConvertWriteStream(TStream& stream, const char* buffer, int count) override {
    stream.WriteBuffer(buffer, std::min(count, 3));
    throw EWriteError("disk full");
  }
};

TEST_F(RichEditTest, SaveFailureLeavesTheExistingFileUntouched) {
  RegisterConversionFormat("twfail", true, [] { return std::make_unique<FailingWriteConversion>(); });
  TempFolder folder;
  std::string target = folder.Write("doc.twfail", "original contents");
  edit_->SetText("replacement text");
  try {
    edit_->Lines().SaveFile(target);
    FAIL() << "no exception";
  } catch (const EOutOfResources& e) {
    EXPECT_EQ(e.Message(), "Failed to Save Stream");
  }
  auto bytes = test::ReadFileBytes(target);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "original contents");
  int files = 0;
  for (auto& entry : std::filesystem::directory_iterator(folder.Path())) files += entry.is_regular_file();
  EXPECT_EQ(files, 1) << "no partial file is left behind";
}

TEST_F(RichEditTest, SaveReplacesTheFileAndReportsAnUncreatableOne) {
  TempFolder folder;
  std::string target = folder.Write("out.txt", "a much longer original text than the new one");
  edit_->SetText("new\rtext");
  edit_->Lines().SaveFile(target);
  auto bytes = test::ReadFileBytes(target);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "new\r\ntext");
  std::string bad = folder.File("no-such-folder\\out.txt");
  try {
    edit_->Lines().SaveFile(bad);
    FAIL() << "no exception";
  } catch (const EFCreateError& e) {
    EXPECT_EQ(e.Message(), "Cannot create file " + bad);
  }
}

TEST_F(RichEditTest, TextCutAtTheLimitIsMarkedAndNotSavedOverItsFile) {
  TempFolder folder;
  std::string original, shown;
  for (int i = 10; i < 30; ++i) {
    original += "line " + std::to_string(i) + "\r\n";
    shown += "line " + std::to_string(i) + "\r";
  }
  shown.resize(50);
  const std::string path = folder.Write("long.txt", original);
  edit_->SetMaxLength(50);
  edit_->Lines().LoadFile(path);
  EXPECT_TRUE(edit_->Truncated());
  EXPECT_EQ(WholeText(), shown);

  std::string upper = path;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  for (const std::string& name : {path, upper}) {
    try {
      edit_->Lines().SaveFile(name);
      ADD_FAILURE() << "saved over " << name;
    } catch (const EInvalidOperation& e) {
      EXPECT_NE(e.Message().find("another name"), std::string::npos) << e.Message();
    }
  }
  auto kept = test::ReadFileBytes(path);
  EXPECT_EQ(std::string(kept.begin(), kept.end()), original);
  // Under another name the shown text is saved as it is.
  const std::string copy = folder.File("copy.txt");
  edit_->Lines().SaveFile(copy);
  EXPECT_EQ(test::ReadFileBytes(copy).size(), 50u + 6u);  // six of its breaks are CR LF in the file

  // A file of exactly the limit is whole; a cleared editor holds nothing cut.
  edit_->Lines().LoadFile(folder.Write("fits.txt", original.substr(0, 56)));
  EXPECT_FALSE(edit_->Truncated());
  edit_->Lines().LoadFile(path);
  edit_->Clear();
  EXPECT_FALSE(edit_->Truncated());
  edit_->Lines().SaveFile(path);
  EXPECT_TRUE(test::ReadFileBytes(path).empty());
}

// A text cut on load is still cut after anything that carries it into a new window or mode, or
// loads into its selection.
TEST_F(RichEditTest, ACutTextStaysCutWhenItsWindowOrModeChanges) {
  TempFolder folder;
  std::string original;
  for (int i = 10; i < 30; ++i) original += "line " + std::to_string(i) + "\r\n";
  const std::string path = folder.Write("long.txt", original);
  edit_->SetMaxLength(50);
  const std::vector<std::pair<const char*, std::function<void()>>> carries = {
      {"WordWrap", [&] { edit_->SetWordWrap(!edit_->WordWrap()); }},
      {"HideScrollBars", [&] { edit_->SetHideScrollBars(!edit_->HideScrollBars()); }},
      {"SelectionBar", [&] { edit_->SetSelectionBar(!edit_->SelectionBar()); }},
      {"AllowObjects", [&] { edit_->SetAllowObjects(!edit_->AllowObjects()); }},
      {"PlainText", [&] { edit_->SetPlainText(!edit_->PlainText()); }},
  };
  for (const auto& [name, carry] : carries) {
    edit_->Lines().LoadFile(path);
    const std::string shown = WholeText();
    carry();
    EXPECT_TRUE(edit_->Truncated()) << name;
    EXPECT_EQ(WholeText(), shown) << name;
    EXPECT_THROW(edit_->Lines().SaveFile(path), EInvalidOperation) << name;
  }
  // A load into the selection keeps the cut text around it (in rich text mode: Wine's control
  // in plain text mode replaces the whole text).
  ASSERT_FALSE(edit_->PlainText());
  edit_->Lines().LoadFile(path);
  edit_->SetStreamFormat(sfPlainText);
  edit_->SetStreamMode(smSelection);
  edit_->SetSelection(0, 4, false);
  TMemoryStream insert(std::vector<std::uint8_t>{'x'});
  edit_->Lines().LoadStream(insert);
  edit_->SetStreamMode(0);
  EXPECT_EQ(edit_->Lines().Get(0), "x 10");
  EXPECT_TRUE(edit_->Truncated());
  EXPECT_THROW(edit_->Lines().SaveFile(path), EInvalidOperation);
  auto kept = test::ReadFileBytes(path);
  EXPECT_EQ(std::string(kept.begin(), kept.end()), original);
}

// A new window takes over the whole text, with its formatting and modified flag, whatever stream
// format and mode the user chose for loading and saving.
TEST_F(RichEditTest, ANewWindowTakesTheWholeTextWhateverTheStreamSettings) {
  edit_->SetPlainText(false);
  auto centred = [&](int line) {
    const int start = static_cast<int>(SendMessageA(edit_->Handle(), EM_LINEINDEX, line, 0));
    edit_->SetSelection(start, start, false);
    PARAFORMAT format{};
    format.cbSize = sizeof(format);
    SendMessageA(edit_->Handle(), EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&format));
    return format.wAlignment == PFA_CENTER;
  };
  const std::pair<TRichStreamFormat, TRichStreamModes> settings[] = {
      {sfDefault, smSelection}, {sfPlainText, 0}, {sfRichText, smNoObjects | smPlainRtf}};
  for (const auto& [format, mode] : settings) {
    edit_->SetStreamFormat(sfRichText);
    edit_->SetStreamMode(0);
    const std::string doc = "{\\rtf1 plain text\\par\\qc second\\par}";
    TMemoryStream rtf(std::vector<std::uint8_t>(doc.begin(), doc.end()));
    edit_->Lines().LoadStream(rtf);
    ASSERT_TRUE(centred(1));
    edit_->SetSelection(1, 3, false);
    edit_->SetModified(false);
    edit_->SetStreamFormat(format);
    edit_->SetStreamMode(mode);
    edit_->SetSelectionBar(!edit_->SelectionBar());
    const std::string with =
        "format " + std::to_string(static_cast<int>(format)) + ", mode " + std::to_string(mode);
    EXPECT_EQ(edit_->Lines().Count(), 2) << with;
    EXPECT_EQ(edit_->Lines().Get(0), "plain text") << with;
    EXPECT_EQ(edit_->Lines().Get(1), "second") << with;
    EXPECT_TRUE(centred(1)) << with;
    EXPECT_FALSE(edit_->Modified()) << with;
    EXPECT_EQ(edit_->StreamFormat(), format);
    EXPECT_EQ(edit_->StreamMode(), mode);
  }
}

// Rich text keeps its own rules: the user's legacy code page in \\ansicpg, every character beyond
// it as \\uN, so that any reader gets the scripts back whatever the process's code page.
TEST_F(RichEditTest, RtfSavesAsRichTextWithEveryScript) {
  TempFolder folder;
  edit_->SetPlainText(false);
  const std::string text = "styled caf\xC3\xA9 \xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1 \xE6\x97\xA5\xE6\x9C\xAC";
  edit_->SetText(text);
  std::string target = folder.File("out.rtf");
  edit_->Lines().SaveFile(target);
  auto bytes = test::ReadFileBytes(target);
  const std::string rtf(bytes.begin(), bytes.end());
  EXPECT_EQ(rtf.rfind("{\\rtf1", 0), 0u) << rtf;
  EXPECT_NE(rtf.find("\\ansicpg1252"), std::string::npos) << rtf;
  EXPECT_NE(rtf.find("\\u26085"), std::string::npos) << rtf;  // U+65E5
  edit_->Clear();
  edit_->Lines().LoadFile(target);
  EXPECT_EQ(edit_->Lines().Get(0), text) << rtf;

  // Rich text without a code page of its own is in the legacy one.
  edit_->Lines().LoadFile(folder.Write("legacy.rtf", "{\\rtf1 caf\\'e9}"));
  EXPECT_EQ(edit_->Lines().Get(0), "caf\xC3\xA9");
}

}  // namespace
}  // namespace tw
