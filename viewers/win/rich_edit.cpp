#include "viewers/win/rich_edit.h"

#include <algorithm>
#include <utility>
#include <cstring>

#include "framework/string_table.h"
#include "framework/type_info.h"
#include "framework/win/application.h"
#include "framework/win/handles.h"
#include "framework/win/messages.h"
#include "framework/win/popup_menu.h"
#include "viewers/win/para_attributes.h"
#include "viewers/win/rich_edit_loader.h"
#include "viewers/win/rich_edit_ole_callback.h"
#include "viewers/win/text_attributes.h"

namespace tw {

namespace {

constexpr DWORD kEventMask = ENM_CHANGE | ENM_SELCHANGE | ENM_PROTECTED | ENM_REQUESTRESIZE;
constexpr int kDefaultTextLimit = 0xFFFFFF;
constexpr UINT kNoOpenFileErrorBox = 0x8000;
// Up to this many characters the control removes a text quickly enough (DropLongText).
constexpr int kQuickEmptyLength = 16384;

struct RichEditLibrary {
  int level = 1;
  ScopedLibrary library;
  UINT formats[4] = {};
};

// A handle below 32 is how the loader reported failure to old callers; take it as failure too.
HMODULE LoadLibraryChecked(const char* name) {
  HMODULE module = LoadLibraryA(name);
  if (reinterpret_cast<UINT_PTR>(module) < 32) return nullptr;
  return module;
}

RichEditLibrary& Library() {
  static RichEditLibrary library = [] {
    RichEditLibrary lib;
    UINT old_mode = SetErrorMode(kNoOpenFileErrorBox);
    if (HMODULE module = LoadLibraryChecked("RICHED20.DLL")) {
      lib.library.Reset(module);
      lib.level = 2;
      OSVERSIONINFOA version{};
      version.dwOSVersionInfoSize = sizeof(version);
      if (GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT &&
          version.dwMajorVersion >= 5) {
        lib.level = 3;
      }
    } else if (HMODULE old = LoadLibraryChecked("RICHED32.DLL")) {
      lib.library.Reset(old);
    }
    SetErrorMode(old_mode);
    lib.formats[0] = RegisterClipboardFormatA("Embedded Object");
    lib.formats[1] = RegisterClipboardFormatA("Link Source");
    lib.formats[2] = RegisterClipboardFormatA(CF_RTF);
    lib.formats[3] = RegisterClipboardFormatA(CF_RTFNOOBJS);
    return lib;
  }();
  return library;
}

// Editors painting at level 1 share one guard: a paint request arriving while any of them
// paints only invalidates.
bool g_painting = false;

std::vector<TConversionFormat>& FormatList() {
  static std::vector<TConversionFormat> list = {
      {[] { return std::make_unique<TConversion>(); }, "txt", true},
      {[] { return std::make_unique<TConversion>(); }, "rtf", false},
  };
  return list;
}

bool IsBlank(const std::string& s) {
  return std::all_of(s.begin(), s.end(), [](unsigned char c) { return c <= ' '; });
}

using E = TTwCustomRichEdit;
const bool kRegistered =
    TTypeRegistry::Class<TTwRichEdit>("TTwRichEdit", "TWinControl")
        .Boolean("AutoURLDetect", &E::AutoURLDetect, &E::SetAutoURLDetect, true)
        .Boolean("AutoVerbMenu", &E::AutoVerbMenu, &E::SetAutoVerbMenu, true)
        .Boolean("AllowObjects", &E::AllowObjects, &E::SetAllowObjects, true)
        .Boolean("AllowInPlace", &E::AllowInPlace, &E::SetAllowInPlace, true)
        .Boolean("HideSelection", &E::HideSelection, &E::SetHideSelection, true)
        .Boolean("HideScrollBars", &E::HideScrollBars, &E::SetHideScrollBars, true)
        .Boolean("SelectionBar", &E::SelectionBar, &E::SetSelectionBar, true)
        .Boolean("PlainText", &E::PlainText, &E::SetPlainText, false)
        .Boolean("WordSelection", &E::WordSelection, &E::SetWordSelection, true)
        .Boolean("ReadOnly", &E::ReadOnly, &E::SetReadOnly, false)
        .Boolean("WordWrap", &E::WordWrap, &E::SetWordWrap, true)
        .Boolean("WantTabs", &E::WantTabs, &E::SetWantTabs, false)
        .Boolean("WantReturns", &E::WantReturns, &E::SetWantReturns, true)
        .Integer("UndoLimit", &E::UndoLimit, &E::SetUndoLimit, 100)
        .Integer("MaxLength", &E::MaxLength, &E::SetMaxLength, 0)
        .String("Title", &E::Title, &E::SetTitle)
        .Done();

// Sets a flag for its lifetime and gives it its value back however the work ends.
class FlagScope {
public:
  FlagScope(bool& flag, bool value) : flag_(flag), old_(std::exchange(flag, value)) {}
  ~FlagScope() { flag_ = old_; }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;

private:
  bool& flag_;
  bool old_;
};

// Gives the line list its stream format and mode back however the streaming in between ends.
class StreamSettingsKeeper {
public:
  explicit StreamSettingsKeeper(TRichEditStrings& lines)
      : lines_(lines), format_(lines.StreamFormat()), mode_(lines.StreamMode()) {}
  ~StreamSettingsKeeper() {
    lines_.SetStreamFormat(format_);
    lines_.SetStreamMode(mode_);
  }
  StreamSettingsKeeper(const StreamSettingsKeeper&) = delete;
  StreamSettingsKeeper& operator=(const StreamSettingsKeeper&) = delete;

private:
  TRichEditStrings& lines_;
  TRichStreamFormat format_;
  TRichStreamModes mode_;
};

}  // namespace

void InitRichEdit() { Library(); }
int RichEditLevel() { return Library().level; }
UINT CFEmbeddedObject() { return Library().formats[0]; }
UINT CFLinkSource() { return Library().formats[1]; }
UINT CFRtf() { return Library().formats[2]; }
UINT CFRtfNoObjs() { return Library().formats[3]; }

const std::vector<TConversionFormat>& ConversionFormatList() { return FormatList(); }

void RegisterConversionFormat(const std::string& extension, bool plain_text, TConversionClass conversion) {
  auto& list = FormatList();
  list.insert(list.begin(), TConversionFormat{std::move(conversion), extension, plain_text});
}

TTwCustomRichEdit::TTwCustomRichEdit(TComponent* AOwner)
    : TCustomMemo(AOwner),
      lines_(std::make_unique<TRichEditStrings>(*this)),
      default_attributes_(std::make_unique<TTwTextAttributes>(*this, atDefaultText)),
      selection_attributes_(std::make_unique<TTwTextAttributes>(*this, atSelected)),
      word_attributes_(std::make_unique<TTwTextAttributes>(*this, atWord)),
      paragraph_attributes_(std::make_unique<TTwParaAttributes>(*this)),
      ole_callback_(std::make_unique<TRichEditOleCallback>(*this)) {
  InitRichEdit();
  SetScrollBars(ssBoth);
}

TTwCustomRichEdit::~TTwCustomRichEdit() {
  Destroying();
  // The window goes while this object is whole, so that its destruction is handled here.
  DestroyHandle();
  delete find_dialog_;
  delete replace_dialog_;
}

void TTwCustomRichEdit::CreateParams(TCreateParams& params) {
  TCustomMemo::CreateParams(params);
  params.SysClassName = RichEditLevel() == 1 ? "RICHEDIT" : RICHEDIT_CLASSA;
  // The text mode can only change while the control is empty: the text comes in afterwards.
  params.Caption.clear();
  params.Style &= ~DWORD{WS_HSCROLL | WS_VSCROLL};
  params.Style |= ES_SAVESEL | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  if (ScrollBars() == ssVertical || ScrollBars() == ssBoth) params.Style |= WS_VSCROLL;
  if ((ScrollBars() == ssHorizontal || ScrollBars() == ssBoth) && !WordWrap()) params.Style |= WS_HSCROLL;
  if (!hide_scroll_bars_) params.Style |= ES_DISABLENOSCROLL;
  if (selection_bar_) params.Style |= ES_SELECTIONBAR;
  if (!HideSelection()) params.Style |= ES_NOHIDESEL;
}

void TTwCustomRichEdit::CreateWnd() {
  std::string pending_text = TControl::GetText();
  TCustomMemo::CreateWnd();
  HWND window = Handle();
  if (GetSystemMetrics(SM_DBCSENABLED) && PRIMARYLANGID(GetUserDefaultLangID()) != LANG_JAPANESE) {
    Font().SetCharset(DEFAULT_CHARSET);
  }
  DWORD mask = kEventMask;
  if (RichEditLevel() >= 2) mask |= ENM_LINK;
  SendMessageA(window, EM_SETEVENTMASK, 0, mask);
  SendMessageA(window, EM_SETBKGNDCOLOR, 0, ColorToRGB(Color()));
  SetMaxLength(MaxLength());
  SetWordSelection(word_selection_);
  if (RichEditLevel() >= 2) {
    SendMessageA(window, EM_AUTOURLDETECT, auto_url_detect_, 0);
    undo_limit_ = static_cast<int>(SendMessageA(window, EM_SETUNDOLIMIT, undo_limit_, 0));
    UpdateTextMode();
    SendMessageA(window, EM_SETLANGOPTIONS, 0, lang_options_);
  }
  if (allow_objects_) {
    SendMessageA(window, EM_SETOLECALLBACK, 0,
                 reinterpret_cast<LPARAM>(static_cast<IRichEditOleCallback*>(ole_callback_.get())));
    IRichEditOle* ole = nullptr;
    if (SendMessageA(window, EM_GETOLEINTERFACE, 0, reinterpret_cast<LPARAM>(&ole)) && ole) {
      rich_edit_ole_ = ComPtr<IRichEditOle>::Adopt(ole);
      UpdateHostNames();
    }
  }
  if (carried_text_) {
    std::unique_ptr<TMemoryStream> carried = std::move(carried_text_);
    const StreamSettingsKeeper keep(*lines_);
    std::uint8_t design = 0;
    carried->ReadBuffer(&design, 1);
    if (design == 1) {
      lines_->SetStreamFormat(sfPlainText);
      lines_->SetStreamMode(0);
    }
    const FlagScope own_text(reading_carried_text_, true);
    lines_->LoadStream(*carried);
  } else if (!pending_text.empty()) {
    SetWindowTextA(window, pending_text.c_str());
  }
  SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), 0);
  SetModified(saved_modified_);
}

void TTwCustomRichEdit::DestroyWnd() {
  // A new window carries the whole text; a window that goes for good stops the load.
  if (HasState(csDestroying)) {
    CancelLoad();
  } else if (!discarding_text_) {
    FinishLoad();
  }
  if (discarding_text_) {
    TCustomMemo::DestroyWnd();
    // The text the base kept on the way out is not to come back either.
    StoreText({});
    return;
  }
  if (!HasState(csDestroying)) {
    // A re-created window gets the text back with its formatting.
    saved_modified_ = Modified();
    auto carried = std::make_unique<TMemoryStream>();
    const bool design = HasState(csDesigning);
    const std::uint8_t flag = design ? 1 : 0;
    carried->WriteBuffer(&flag, 1);
    {
      const StreamSettingsKeeper keep(*lines_);
      if (design) {
        lines_->SetStreamFormat(sfPlainText);
        lines_->SetStreamMode(0);
      }
      lines_->SaveStream(*carried);
    }
    carried->SetPosition(0);
    carried_text_ = std::move(carried);
  }
  TCustomMemo::DestroyWnd();
}

void TTwCustomRichEdit::UpdateTextMode() {
  if (RichEditLevel() < 2 || !HandleAllocated()) return;
  WPARAM mode = (undo_limit_ > 1 ? TM_MULTILEVELUNDO : TM_SINGLELEVELUNDO) |
                (plain_text_ ? TM_PLAINTEXT : TM_RICHTEXT);
  SendMessageA(Handle(), EM_SETTEXTMODE, mode, 0);
}

void TTwCustomRichEdit::EnableChangeNotify(bool value) {
  if (!HandleAllocated()) return;
  LRESULT mask = SendMessageA(Handle(), EM_GETEVENTMASK, 0, 0);
  mask = value ? (mask | ENM_CHANGE) : (mask & ~LRESULT{ENM_CHANGE});
  SendMessageA(Handle(), EM_SETEVENTMASK, 0, mask);
}

// Wine's rich edit control takes time that grows with the square of the length to remove a
// long text (a megabyte takes the better part of a minute), while its window goes at once. So a
// long text goes with the window, which comes back empty with the same settings, event mask and
// modified flag, and without a change notification. This keeps replacing one preview by the
// next, clearing and switching the text mode linear in the length of the text.
bool TTwCustomRichEdit::DropLongText() {
  if (!HandleAllocated()) return false;
  GETTEXTLENGTHEX query{GTL_NUMCHARS, CP_ACP};
  const LRESULT length =
      SendMessageA(Handle(), EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&query), 0);
  if (length <= kQuickEmptyLength) return false;
  const LRESULT mask = SendMessageA(Handle(), EM_GETEVENTMASK, 0, 0);
  saved_modified_ = Modified();
  discarding_text_ = true;
  try {
    RecreateWnd();
  } catch (...) {
    discarding_text_ = false;
    throw;
  }
  discarding_text_ = false;
  SendMessageA(Handle(), EM_SETEVENTMASK, 0, mask);
  return true;
}

void TTwCustomRichEdit::SetPlainText(bool value) {
  if (value == plain_text_) return;
  if (!HandleAllocated() || RichEditLevel() < 2) {
    plain_text_ = value;
    return;
  }
  TMemoryStream stream;
  TRichStreamFormat format = lines_->StreamFormat();
  TRichStreamModes mode = lines_->StreamMode();
  lines_->SetStreamFormat(value || HasState(csDesigning) ? sfPlainText : sfRichText);
  lines_->SetStreamMode(0);
  try {
    lines_->SaveStream(stream);
    stream.SetPosition(0);
    EnableChangeNotify(false);
    try {
      DropLongText();
      // Even on an empty new window: the message also empties the undo list, and the mode
      // changes only with that list empty.
      SendMessageA(Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
      plain_text_ = value;
      UpdateTextMode();
    } catch (...) {
      EnableChangeNotify(true);
      throw;
    }
    EnableChangeNotify(true);
    lines_->LoadStream(stream);
  } catch (...) {
    lines_->SetStreamFormat(format);
    lines_->SetStreamMode(mode);
    throw;
  }
  lines_->SetStreamFormat(format);
  lines_->SetStreamMode(mode);
}

void TTwCustomRichEdit::Clear() {
  CancelLoad();
  CloseObjects();
  if (!DropLongText()) {
    TCustomMemo::Clear();
  } else if (SendMessageA(Handle(), EM_GETEVENTMASK, 0, 0) & ENM_CHANGE) {
    // The control reports emptying a text by message as a change.
    Change();
  }
  SetModified(false);
  truncated_ = false;
  truncated_file_.clear();
}

bool TTwCustomRichEdit::Loading() const { return loader_ && loader_->Active(); }

int TTwCustomRichEdit::LoadProgress() const { return Loading() ? loader_->Progress() : 100; }

void TTwCustomRichEdit::StartLoad(std::unique_ptr<TRichEditLoader> loader) {
  CancelLoad();
  loader_ = std::move(loader);
  loader_->Start();
  LoadProgressed();
}

void TTwCustomRichEdit::CancelLoad() {
  if (Loading()) loader_->Cancel();
}

void TTwCustomRichEdit::FinishLoad() {
  if (!Loading()) return;
  loader_->Finish();
  LoadProgressed();
}

void TTwCustomRichEdit::LoadProgressed() {
  if (OnLoadProgress) OnLoadProgress(this);
}

void TTwCustomRichEdit::CloseObjects() {
  if (!rich_edit_ole_) return;
  for (LONG i = rich_edit_ole_->GetObjectCount() - 1; i >= 0; --i) {
    REOBJECT object{};
    object.cbStruct = sizeof(object);
    // The interface was declared while GetObject still stood for GetObjectA.
    if (FAILED(rich_edit_ole_->GetObjectA(i, &object, REO_GETOBJ_POLEOBJ)) || !object.poleobj) continue;
    auto ole_object = ComPtr<IOleObject>::Adopt(object.poleobj);
    if (object.dwFlags & REO_INPLACEACTIVE) rich_edit_ole_->InPlaceDeactivate();
    ole_object->Close(OLECLOSE_NOSAVE);
  }
}

void TTwCustomRichEdit::Redo() { SendMessageA(Handle(), EM_REDO, 0, 0); }

void TTwCustomRichEdit::SetTitle(const std::string& value) {
  if (value == title_) return;
  title_ = value;
  UpdateHostNames();
}

void TTwCustomRichEdit::UpdateHostNames() {
  if (!rich_edit_ole_) return;
  std::string app_name = Application->Title();
  if (IsBlank(app_name)) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    const char* name = std::max(std::strrchr(path, '\\'), std::strrchr(path, '/'));
    app_name = name ? name + 1 : path;
  }
  std::string doc_name = IsBlank(title_) ? app_name : title_;
  rich_edit_ole_->SetHostNames(app_name.c_str(), doc_name.c_str());
}

bool TTwCustomRichEdit::AutoURLDetect() {
  if (HandleAllocated() && !HasState(csDesigning) && RichEditLevel() >= 2)
    auto_url_detect_ = SendMessageA(Handle(), EM_GETAUTOURLDETECT, 0, 0) != 0;
  return auto_url_detect_;
}

void TTwCustomRichEdit::SetAutoURLDetect(bool value) {
  auto_url_detect_ = value;
  if (HandleAllocated() && RichEditLevel() >= 2) SendMessageA(Handle(), EM_AUTOURLDETECT, value, 0);
}

TRichLangOptions TTwCustomRichEdit::LangOptions() {
  if (HandleAllocated() && !HasState(csDesigning) && RichEditLevel() >= 2)
    lang_options_ = static_cast<TRichLangOptions>(SendMessageA(Handle(), EM_GETLANGOPTIONS, 0, 0) & 0xF);
  return lang_options_;
}

void TTwCustomRichEdit::SetLangOptions(TRichLangOptions value) {
  lang_options_ = value;
  if (HandleAllocated() && RichEditLevel() >= 2) SendMessageA(Handle(), EM_SETLANGOPTIONS, 0, value);
}

void TTwCustomRichEdit::SetAllowObjects(bool value) {
  if (value == allow_objects_) return;
  allow_objects_ = value;
  RecreateWnd();
}

void TTwCustomRichEdit::SetHideScrollBars(bool value) {
  if (value == hide_scroll_bars_) return;
  hide_scroll_bars_ = value;
  RecreateWnd();
}

void TTwCustomRichEdit::SetSelectionBar(bool value) {
  if (value == selection_bar_) return;
  selection_bar_ = value;
  RecreateWnd();
}

void TTwCustomRichEdit::SetHideSelection(bool value) {
  if (value == HideSelection()) return;
  // The memo keeps the value; the control is told without a new window.
  StoreHideSelection(value);
  if (HandleAllocated()) SendMessageA(Handle(), EM_HIDESELECTION, value, 1);
}

void TTwCustomRichEdit::SetUndoLimit(int value) {
  if (value == undo_limit_) return;
  undo_limit_ = value;
  if (RichEditLevel() >= 2 && HandleAllocated())
    undo_limit_ = static_cast<int>(SendMessageA(Handle(), EM_SETUNDOLIMIT, value, 0));
}

void TTwCustomRichEdit::SetWordSelection(bool value) {
  word_selection_ = value;
  if (!HandleAllocated()) return;
  LRESULT options = SendMessageA(Handle(), EM_GETOPTIONS, 0, 0);
  options = value ? (options | ECO_AUTOWORDSELECTION) : (options & ~LRESULT{ECO_AUTOWORDSELECTION});
  SendMessageA(Handle(), EM_SETOPTIONS, ECOOP_SET, options);
}

void TTwCustomRichEdit::SetMaxLength(int value) {
  StoreMaxLength(value);
  if (HandleAllocated()) SendMessageA(Handle(), EM_EXLIMITTEXT, 0, TextLimit());
}

int TTwCustomRichEdit::TextLimit() const { return MaxLength() == 0 ? kDefaultTextLimit : MaxLength(); }

void TTwCustomRichEdit::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case EM_REPLACESEL:
      return ReplaceSelection(message);
    case EM_STREAMIN: {
      const FlagScope foreign(reading_foreign_text_, !reading_carried_text_);
      DefaultHandler(message);
      return;
    }
    case WM_SETFONT:
      DefaultHandler(message);
      if (HandleAllocated()) default_attributes_->Assign(Font());
      return;
    case CM_COLORCHANGED:
      TCustomMemo::Dispatch(message);
      if (HandleAllocated()) SendMessageA(Handle(), EM_SETBKGNDCOLOR, 0, ColorToRGB(Color()));
      return;
    case CM_UIDEACTIVATE:
      if (rich_edit_ole_) rich_edit_ole_->InPlaceDeactivate();
      return;
    case WM_DESTROY:
      CancelLoad();
      CloseObjects();
      rich_edit_ole_.Reset();
      break;
    case WM_PAINT:
      if (RichEditLevel() == 1) return PaintLevel1(message);
      break;
    default:
      break;
  }
  TCustomMemo::Dispatch(message);
}

void TTwCustomRichEdit::PaintLevel1(TMessage& message) {
  HWND window = Handle();
  RECT client;
  GetClientRect(window, &client);
  RECT strip{client.right - 3, client.top, client.right, client.bottom};
  RECT update;
  if (GetUpdateRect(window, &update, FALSE) && IntersectRect(&update, &update, &strip))
    InvalidateRect(window, &strip, FALSE);
  if (g_painting) {
    InvalidateRect(window, nullptr, FALSE);
    ValidateRect(window, nullptr);
    return;
  }
  g_painting = true;
  try {
    DefaultHandler(message);
  } catch (...) {
    g_painting = false;
    throw;
  }
  g_painting = false;
}

// The control's own replacement of the selection: the inserted text ends up selected, so that
// a following search starts beside it.
void TTwCustomRichEdit::ReplaceSelection(TMessage& message) {
  const int start = SelStart();
  const char* text = reinterpret_cast<const char*>(message.LParam);
  const int end = start + static_cast<int>(text ? std::strlen(text) : 0);
  if (undo_limit_ > 1 && RichEditLevel() > 1 && !lines_updating_) message.WParam = TRUE;
  DefaultHandler(message);
  if (!lines_updating_) SetSelection(start, end, true);
}

void TTwCustomRichEdit::SelectionChange() {
  if (OnSelectionChange) OnSelectionChange(this);
}

void TTwCustomRichEdit::RequestSize(const TRect& rect) {
  if (OnResizeRequest) OnResizeRequest(this, rect);
}

void TTwCustomRichEdit::CNNotify(TMessage& message) {
  const auto* header = reinterpret_cast<const NMHDR*>(message.LParam);
  switch (header->code) {
    case EN_REQUESTRESIZE: {
      const RECT& r = reinterpret_cast<const REQRESIZE*>(header)->rc;
      RequestSize({r.left, r.top, r.right, r.bottom});
      return;
    }
    case EN_SELCHANGE:
      SelectionChange();
      return;
    case EN_PROTECTED: {
      const auto* p = reinterpret_cast<const ENPROTECTED*>(header);
      bool allow = false;
      if (OnProtectChangeEx) {
        TMessage m{p->msg, p->wParam, p->lParam, 0};
        OnProtectChangeEx(this, m, p->chrg.cpMin, p->chrg.cpMax, allow);
      } else if (OnProtectChange) {
        OnProtectChange(this, p->chrg.cpMin, p->chrg.cpMax, allow);
      }
      message.Result = allow ? 0 : 1;
      return;
    }
    case EN_SAVECLIPBOARD: {
      const auto* s = reinterpret_cast<const ENSAVECLIPBOARD*>(header);
      bool save = true;
      if (OnSaveClipboard) OnSaveClipboard(this, s->cObjectCount, s->cch, save);
      message.Result = save ? 0 : 1;
      return;
    }
    case EN_LINK:
      LinkNotify(*reinterpret_cast<const ENLINK*>(header));
      return;
    default:
      DefaultHandler(message);
  }
}

// A link counts as clicked when the same button goes down and up on the same link.
void TTwCustomRichEdit::LinkNotify(const ENLINK& link) {
  switch (link.msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      url_range_ = link.chrg;
      url_button_ = link.msg == WM_LBUTTONDOWN ? mbLeft : mbRight;
      break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP: {
      TMouseButton button = link.msg == WM_LBUTTONUP ? mbLeft : mbRight;
      bool same = url_range_.cpMin == link.chrg.cpMin && url_range_.cpMax == link.chrg.cpMax &&
                  url_button_ == button;
      url_range_ = {-1, -1};
      if (same && OnURLClick) OnURLClick(this, TextRange(link.chrg.cpMin, link.chrg.cpMax), button);
      break;
    }
    default:
      break;
  }
}

}  // namespace tw
