#pragma once
// TTwCustomRichEdit: the text page editor over the Windows rich edit control. It adds to the
// memo a choice of control library at start, plain-text and rich-text loading and saving by
// file extension, line access through TRichEditStrings, searching with the find and replace
// dialogs, page-by-page printing and the control's notifications as events. TTwRichEdit
// publishes its properties.
//
// The implementation is split by concern: rich_edit_library.cpp (the control library and the
// file formats), rich_edit.cpp (the window's life and the text carried into a new one),
// rich_edit_properties.cpp (properties), rich_edit_messages.cpp (messages and notifications),
// rich_edit_control.cpp (the stream transfers every part uses), rich_edit_strings.cpp (lines,
// streams, files), rich_edit_loader.cpp (loads in slices), rich_edit_search.cpp (selection,
// search, dialogs), rich_edit_print.cpp (printing), rich_edit_objects.cpp (closing the
// embedded objects, their verb menu and properties dialog). Its character and paragraph formats
// are read and written through TTwTextAttributes and TTwParaAttributes; TRichEditOleCallback is
// the control's container callback for embedded objects.

#include <windows.h>
#include <richedit.h>
#include <richole.h>

// The line list's GetObject member keeps its name (the system call is GetObjectA).
#undef GetObject

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/strings.h"
#include "framework/types.h"
#include "framework/win/com_ptr.h"
#include "framework/win/find_dialogs.h"
#include "framework/win/memo.h"
#include "viewers/rich_edit_conversion.h"
#include "viewers/text_encoding.h"

namespace tw {

class TRichEditLoader;
class TTwCustomRichEdit;
class TPopupMenu;
class TRichEditOleCallback;
class TTwParaAttributes;
class TTwTextAttributes;

enum class TRichStreamFormat { sfDefault, sfRichText, sfPlainText };
using enum TRichStreamFormat;

// Bit i is the i-th element of each set.
using TRichStreamModes = std::uint16_t;
inline constexpr TRichStreamModes smSelection = 1 << 0;
inline constexpr TRichStreamModes smPlainRtf = 1 << 1;
inline constexpr TRichStreamModes smNoObjects = 1 << 2;
inline constexpr TRichStreamModes smUnicode = 1 << 3;

// In element order these are the control's language flags 1, 2, 4 and 8.
using TRichLangOptions = std::uint16_t;
inline constexpr TRichLangOptions rlAutoKeyboard = 1 << 0;
inline constexpr TRichLangOptions rlAutoFont = 1 << 1;
inline constexpr TRichLangOptions rlImeCancelComplete = 1 << 2;
inline constexpr TRichLangOptions rlImeAlwaysSendNotify = 1 << 3;

using TRichSearchOptions = std::uint16_t;
inline constexpr TRichSearchOptions soWholeWord = 1 << 0;
inline constexpr TRichSearchOptions soMatchCase = 1 << 1;
inline constexpr TRichSearchOptions soBackward = 1 << 2;
inline constexpr TRichSearchOptions soSelectMatch = 1 << 3;

using TRichEditResizeEvent = std::function<void(TObject* Sender, const TRect& Rect)>;
using TRichEditProtectChange =
    std::function<void(TObject* Sender, int StartPos, int EndPos, bool& AllowChange)>;
using TRichEditProtectChangeEx = std::function<void(TObject* Sender, const TMessage& Message,
                                                    int StartPos, int EndPos, bool& AllowChange)>;
using TRichEditSaveClipboard =
    std::function<void(TObject* Sender, int NumObjects, int NumChars, bool& SaveClipboard)>;
using TRichEditFindErrorEvent = std::function<void(TObject* Sender, const std::string& FindText)>;
using TRichEditFindCloseEvent = std::function<void(TObject* Sender, TFindDialog* Dialog)>;
using TRichEditURLClickEvent =
    std::function<void(TObject* Sender, const std::string& URLText, TMouseButton Button)>;

// Process-wide state, set up once by InitRichEdit (every editor calls it; the program calls it
// at start-up). 1: only the first-generation library; 2: "RICHED20.DLL"; 3: "RICHED20.DLL" on
// Windows NT 5 or later.
void InitRichEdit();
int RichEditLevel();
// The clipboard formats "Embedded Object", "Link Source", "Rich Text Format" and "Rich Text
// Format Without Objects".
UINT CFEmbeddedObject();
UINT CFLinkSource();
UINT CFRtf();
UINT CFRtfNoObjs();

// Which conversion and format a file extension (lower case, no dot) loads and saves with.
struct TConversionFormat {
  TConversionClass ConversionClass;
  std::string Extension;
  bool PlainText = false;
};
// In search order: "txt" plain text, "rtf" rich text, both with TConversion.
const std::vector<TConversionFormat>& ConversionFormatList();
// Puts a format before the others, so that it is found first.
void RegisterConversionFormat(const std::string& extension, bool plain_text, TConversionClass conversion);

class TRichEditStrings : public TStrings {
public:
  explicit TRichEditStrings(TTwCustomRichEdit& editor) : editor_(editor) {}

  std::string ClassName() const override { return "TRichEditStrings"; }

  int Count() const override;
  // A line without its break, cut to 4096 bytes.
  std::string Get(int index) const override;
  void Put(int index, const std::string& s) override;
  void Insert(int index, const std::string& s) override;
  void Delete(int index) override;
  void Clear() override;
  void SetText(const std::string& text) override;
  void AddStrings(const TStrings& strings) override;

  TRichStreamFormat StreamFormat() const { return format_; }
  void SetStreamFormat(TRichStreamFormat value) { format_ = value; }
  TRichStreamModes StreamMode() const { return mode_; }
  void SetStreamMode(TRichStreamModes value) { mode_ = value; }

  // Replaces the text (or the selection, with smSelection) with the stream's contents from its
  // position on; content that fails in the chosen format is read again in the other one. Text
  // beyond the editor's TextLimit is left out and the editor marked Truncated; a text kept around
  // the selection keeps its mark.
  void LoadStream(TStream& stream);
  void SaveStream(TStream& stream) const;
  void LoadFromStream(TStream& stream) override { LoadStream(stream); }
  void SaveToStream(TStream& stream) const override { SaveStream(stream); }
  // Files load and save in the format their extension names in ConversionFormatList. A plain
  // text longer than a slice loads in slices from the message loop (TRichEditLoader). A save
  // writes a new file beside the target and puts it in the target's place only when the whole
  // text was written, so a failing save leaves the existing file as it was. A text cut at the
  // limit on load is not saved over the file it came from (EInvalidOperation).
  void LoadFile(const std::string& file_name);
  void SaveFile(const std::string& file_name);
  void LoadFromFile(const std::string& file_name) { LoadFile(file_name); }
  void SaveToFile(const std::string& file_name) { SaveFile(file_name); }

protected:
  void SetUpdateState(bool updating) override;

private:
  // Does the work of LoadStream; true when what it read was cut at the limit.
  bool ReadStream(TStream& stream);
  // Runs ACTION with the format and conversion of FILE_NAME's extension.
  template <class Action>
  void WithFileFormat(const std::string& file_name, Action action);
  // Replaces the selection with S as a line-list edit.
  void ReplaceRange(int start, int end, const std::string& s);
  // How many characters a load with the control's FLAGS may bring in under the text limit.
  std::int64_t RoomForLoad(WPARAM flags) const;
  void LimitPlainText(TReadChunker& chunker, WPARAM flags) const;
  // Streams CHUNKER's text in with FLAGS, at most QUOTA bytes of it unless QUOTA is negative;
  // false when the control reports an error.
  bool StreamIn(TReadChunker& chunker, WPARAM flags, std::int64_t quota);
  // Shows FILE's first slice and leaves the rest to a TRichEditLoader.
  void LoadInSlices(std::unique_ptr<TStream> file, const std::string& file_name, WPARAM flags);
  // Whether a file goes in and out with FLAGS as a text file in its own encoding: plain text,
  // whole, without a conversion of its own.
  bool IsTextFileTransfer(WPARAM flags) const;
  // Shows FILE's text, decoded from its encoding, the first slice at once and the rest from a
  // TRichEditLoader.
  void LoadTextFile(TStream& file, const std::string& file_name, WPARAM flags);
  // The text as the bytes of a file in the editor's TextFormat; EInvalidOperation when the
  // encoding cannot hold a character of it.
  std::string EncodedTextFile() const;

  TTwCustomRichEdit& editor_;
  TRichStreamFormat format_ = sfDefault;
  TRichStreamModes mode_ = 0;
  std::unique_ptr<TConversion> conversion_;
};

class TTwCustomRichEdit : public TCustomMemo {
public:
  explicit TTwCustomRichEdit(TComponent* AOwner);
  ~TTwCustomRichEdit() override;

  std::string ClassName() const override { return "TTwCustomRichEdit"; }

  TRichEditStrings& Lines() override { return *lines_; }
  void SetLines(const TStrings& value) { lines_->Assign(value); }

  // The context menu: PopupMenu, with the verbs and the properties of a selected embedded
  // object added while AutoVerbMenu is on.
  TPopupMenu* GetPopupMenu() override;
  // Opens the system's properties dialog on the selected object; true when the user confirmed.
  bool ObjectPropertiesDialog();

  // Closes every embedded object, empties the text and clears the modified flag.
  void Clear() override;
  void CloseObjects();
  void Redo();

  int SelStart() override;
  void SetSelStart(int value) override;
  int SelLength() override;
  void SetSelLength(int value) override;
  std::string SelText() override { return SelectedText(); }
  std::string SelectedText();
  void SetSelection(int start_pos, int end_pos, bool scroll_caret);
  std::string TextRange(int start_pos, int end_pos);
  // Client co-ordinates of the character at INDEX.
  TPoint CharPosition(int index);

  // Position of the match, or -1.
  int SearchText(const std::string& search_str, int start_pos, int length, TRichSearchOptions options);
  bool FindFromDialog(TFindDialog* dialog, bool adjust_pos, bool events);
  TFindDialog* ShowFindDialog(const std::string& text);
  TReplaceDialog* ShowReplaceDialog(const std::string& text, const std::string& replace_text);
  TFindDialog* FindDialog() const { return find_dialog_; }
  TReplaceDialog* ReplaceDialog() const { return replace_dialog_; }
  void PlaceFindDialog(TFindDialog* dialog);

  virtual void Print(const std::string& caption);
  // The printed area in printer pixels; empty prints on the whole page.
  const TRect& PrintArea() const { return print_area_; }
  void SetPrintArea(const TRect& value) { print_area_ = value; }

  bool AutoURLDetect();
  void SetAutoURLDetect(bool value);
  bool AutoVerbMenu() const { return auto_verb_menu_; }
  void SetAutoVerbMenu(bool value) { auto_verb_menu_ = value; }
  bool AllowObjects() const { return allow_objects_; }
  void SetAllowObjects(bool value);
  bool AllowInPlace() const { return allow_in_place_; }
  void SetAllowInPlace(bool value) { allow_in_place_ = value; }
  void SetHideSelection(bool value) override;
  bool HideScrollBars() const { return hide_scroll_bars_; }
  void SetHideScrollBars(bool value);
  bool SelectionBar() const { return selection_bar_; }
  void SetSelectionBar(bool value);
  TRichLangOptions LangOptions();
  void SetLangOptions(TRichLangOptions value);
  bool PlainText() const { return plain_text_; }
  virtual void SetPlainText(bool value);
  TRichStreamFormat StreamFormat() const { return lines_->StreamFormat(); }
  void SetStreamFormat(TRichStreamFormat value) { lines_->SetStreamFormat(value); }
  TRichStreamModes StreamMode() const { return lines_->StreamMode(); }
  void SetStreamMode(TRichStreamModes value) { lines_->SetStreamMode(value); }
  int UndoLimit() const { return undo_limit_; }
  void SetUndoLimit(int value);
  bool WordSelection() const { return word_selection_; }
  void SetWordSelection(bool value);
  void SetMaxLength(int value) override;
  // The most characters the control holds: MaxLength, or 16,777,215 when that is 0.
  int TextLimit() const;
  // True when the last load stopped short of the end, at the text limit or where the file failed
  // to read: the text is only the start of what was loaded, and "Save" refuses to write it over
  // the file it came from. Carrying the text into a new window or text mode keeps the mark.
  bool Truncated() const { return truncated_; }
  // The encoding, byte order mark and line breaks of the plain-text file the text was read from;
  // any other text (cleared, typed, set or loaded from a stream) is UTF-8 without a mark. Saving
  // to a plain-text file writes the text in it.
  const TTextFormat& TextFormat() const { return text_format_; }
  void SetTextFormat(const TTextFormat& value) { text_format_ = value; }
  // Whether TextFormat's encoding holds every character of the text; UNREPRESENTABLE names the
  // first one it does not.
  bool TextFitsItsFormat(std::string* unrepresentable = nullptr);
  // True while the rest of a long plain-text file is being appended from the message loop
  // (TRichEditLoader); the text is read-only meanwhile.
  bool Loading() const;
  // How much of the file being loaded has arrived, 0 to 100.
  int LoadProgress() const;
  // Appends what is left of a running load at once.
  void FinishLoad();
  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& value);

  // The character format of the default text (it follows Font), of the selection, and of the
  // selection and the word around it; the paragraph format of the selected paragraphs.
  TTwTextAttributes& DefaultAttributes() { return *default_attributes_; }
  TTwTextAttributes& SelectionAttributes() { return *selection_attributes_; }
  TTwTextAttributes& WordAttributes() { return *word_attributes_; }
  TTwParaAttributes& ParagraphAttributes() { return *paragraph_attributes_; }

  // True while a line-list edit replaces text.
  bool LinesUpdating() const { return lines_updating_; }
  // The control's embedded-object interface, while the window exists and objects are allowed.
  IRichEditOle* RichEditOle() const { return rich_edit_ole_.Get(); }
  // The container callback the control gets when objects are allowed.
  TRichEditOleCallback* OleCallback() const { return ole_callback_.get(); }
  // True while the control reads a text in that the editor did not write itself (a file, a
  // stream), as opposed to the text it carries across a new window.
  bool ReadingForeignText() const { return reading_foreign_text_; }

  TRichEditResizeEvent OnResizeRequest;
  TNotifyEvent OnSelectionChange;
  TRichEditProtectChange OnProtectChange;
  TRichEditProtectChangeEx OnProtectChangeEx;
  TRichEditSaveClipboard OnSaveClipboard;
  TRichEditFindErrorEvent OnTextNotFound;
  TRichEditFindCloseEvent OnCloseFindDialog;
  TRichEditURLClickEvent OnURLClick;
  // After each step of a load in slices, and when it ends.
  TNotifyEvent OnLoadProgress;

protected:
  virtual void TextNotFound(TFindDialog* dialog);
  virtual void RequestSize(const TRect& rect);
  virtual void CloseFindDialog(TFindDialog* dialog);
  virtual void SelectionChange();

  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Dispatch(TMessage& message) override;
  void CNNotify(TMessage& message) override;

private:
  friend class TRichEditStrings;
  friend class TRichEditLoader;
  // Stops a running load where it is.
  void CancelLoad();
  void StartLoad(std::unique_ptr<TRichEditLoader> loader);
  void LoadProgressed();
  // Turns the control's change notification off or back on.
  void EnableChangeNotify(bool value);
  // Empties a control holding a long text by giving it a new window; false when the text is
  // short enough to be removed by message.
  bool DropLongText();
  void UpdateTextMode();
  // The whole text in the editor's own format (plain text when PLAIN, else rich text) with that
  // format noted, for PutText to give a new window or text mode.
  std::unique_ptr<TMemoryStream> TakeText(bool plain);
  void PutText(TStream& text);
  void UpdateHostNames();
  void ReplaceSelection(TMessage& message);
  void PaintLevel1(TMessage& message);
  void LinkNotify(const ENLINK& link);
  void PrepareFindDialog(TFindDialog* dialog, const std::string& find_text, const std::string& replace_text);
  void ReplaceFromDialog(TReplaceDialog* dialog);

  std::unique_ptr<TRichEditStrings> lines_;
  std::unique_ptr<TTwTextAttributes> default_attributes_;
  std::unique_ptr<TTwTextAttributes> selection_attributes_;
  std::unique_ptr<TTwTextAttributes> word_attributes_;
  std::unique_ptr<TTwParaAttributes> paragraph_attributes_;
  bool auto_url_detect_ = true;
  bool auto_verb_menu_ = true;
  bool allow_objects_ = true;
  bool allow_in_place_ = true;
  bool hide_scroll_bars_ = true;
  bool selection_bar_ = true;
  TRichLangOptions lang_options_ = rlAutoFont;
  bool plain_text_ = false;
  int undo_limit_ = 100;
  bool word_selection_ = true;
  std::string title_;
  TRect print_area_{};
  bool lines_updating_ = false;
  TFindDialog* find_dialog_ = nullptr;
  TReplaceDialog* replace_dialog_ = nullptr;
  // The text carried across a re-creation of the window (TakeText), and the modified flag.
  std::unique_ptr<TMemoryStream> carried_text_;
  bool saved_modified_ = false;
  // True while the window goes to take its text with it (DropLongText): nothing is carried.
  bool discarding_text_ = false;
  bool truncated_ = false;
  TTextFormat text_format_;
  // The file whose text was cut, when a file was loaded.
  std::string truncated_file_;
  std::unique_ptr<TRichEditLoader> loader_;
  ComPtr<IRichEditOle> rich_edit_ole_;
  std::unique_ptr<TRichEditOleCallback> ole_callback_;
  // The menu of the selected object's verbs, made anew for each context menu.
  std::unique_ptr<TPopupMenu> verb_menu_;
  bool reading_foreign_text_ = false;
  bool reading_carried_text_ = false;
  // A link pressed and not yet released: its range and button.
  CHARRANGE url_range_{-1, -1};
  TMouseButton url_button_ = mbLeft;
};

class TTwRichEdit : public TTwCustomRichEdit {
public:
  using TTwCustomRichEdit::TTwCustomRichEdit;
  std::string ClassName() const override { return "TTwRichEdit"; }
};

}  // namespace tw
