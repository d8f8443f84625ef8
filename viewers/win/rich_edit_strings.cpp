#include <algorithm>
#include <cctype>
#include <cstring>

#include "framework/exception.h"
#include "framework/win/wide_text.h"
#include "framework/string_table.h"
#include "framework/win/messages.h"
#include "viewers/win/rich_edit.h"
#include "viewers/win/rich_edit_control.h"
#include "viewers/win/rich_edit_loader.h"

namespace tw {

namespace {

constexpr int kLineBufferSize = 4096;

// A file stream over the system's file calls, so that every failed write is seen at once.
class SystemFileStream : public TStream {
public:
  explicit SystemFileStream(HANDLE file) : file_(file) {}
  ~SystemFileStream() override { CloseHandle(file_); }
  SystemFileStream(const SystemFileStream&) = delete;
  SystemFileStream& operator=(const SystemFileStream&) = delete;

  std::int64_t Read(void* buffer, std::int64_t count) override {
    DWORD done = 0;
    if (count <= 0 || !ReadFile(file_, buffer, static_cast<DWORD>(std::min<std::int64_t>(count, 1 << 30)), &done, nullptr))
      return 0;
    return done;
  }
  std::int64_t Write(const void* buffer, std::int64_t count) override {
    DWORD done = 0;
    if (count <= 0 || !WriteFile(file_, buffer, static_cast<DWORD>(std::min<std::int64_t>(count, 1 << 30)), &done, nullptr))
      return 0;
    return done;
  }
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override {
    LARGE_INTEGER distance, position;
    distance.QuadPart = offset;
    DWORD method = origin == TSeekOrigin::soBeginning ? FILE_BEGIN
                   : origin == TSeekOrigin::soCurrent ? FILE_CURRENT
                                                      : FILE_END;
    if (!SetFilePointerEx(file_, distance, &position, method)) return -1;
    return position.QuadPart;
  }
  void SetSize(std::int64_t size) override {
    Seek(size, TSeekOrigin::soBeginning);
    SetEndOfFile(file_);
  }
  bool Flush() { return FlushFileBuffers(file_) != 0; }

private:
  HANDLE file_;
};

// Whether two names name one file: by the file's identity where both exist (letter case,
// relative parts, short names), else by the full path.
bool SameFile(const std::string& a, const std::string& b) {
  auto identity = [](const std::string& name, BY_HANDLE_FILE_INFORMATION& info) {
    HANDLE file = CreateFileA(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool known = GetFileInformationByHandle(file, &info) != 0;
    CloseHandle(file);
    return known;
  };
  BY_HANDLE_FILE_INFORMATION x{}, y{};
  if (identity(a, x) && identity(b, y))
    return x.dwVolumeSerialNumber == y.dwVolumeSerialNumber && x.nFileIndexHigh == y.nFileIndexHigh &&
           x.nFileIndexLow == y.nFileIndexLow;
  auto full = [](const std::string& name) {
    const std::wstring wide = ToWide(name);
    std::wstring path(GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr), L'\0');
    const DWORD length = GetFullPathNameW(wide.c_str(), static_cast<DWORD>(path.size()), path.data(), nullptr);
    return length > 0 && length < path.size() ? path.substr(0, length) : wide;
  };
  return lstrcmpiW(full(a).c_str(), full(b).c_str()) == 0;
}

std::string ExtensionOf(const std::string& file_name) {
  size_t start = file_name.find_last_of("\\/:");
  start = start == std::string::npos ? 0 : start + 1;
  size_t dot = file_name.rfind('.');
  if (dot == std::string::npos || dot < start) return {};
  std::string ext = file_name.substr(dot + 1);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  return ext;
}

std::string FolderOf(const std::string& file_name) {
  size_t end = file_name.find_last_of("\\/:");
  return end == std::string::npos ? std::string(".") : file_name.substr(0, end + 1);
}

}  // namespace

int TRichEditStrings::Count() const {
  HWND window = editor_.Handle();
  int count = static_cast<int>(SendMessageA(window, EM_GETLINECOUNT, 0, 0));
  LRESULT last = SendMessageA(window, EM_LINEINDEX, count - 1, 0);
  if (SendMessageA(window, EM_LINELENGTH, last, 0) == 0) --count;
  return count;
}

std::string TRichEditStrings::Get(int index) const {
  char buffer[kLineBufferSize];
  *reinterpret_cast<WORD*>(buffer) = kLineBufferSize;
  int length = static_cast<int>(SendMessageA(editor_.Handle(), EM_GETLINE, index, reinterpret_cast<LPARAM>(buffer)));
  length = std::clamp(length, 0, kLineBufferSize);
  if (length >= 2 && buffer[length - 2] == '\r' && buffer[length - 1] == '\n') {
    length -= 2;
  } else if (RichEditLevel() >= 2 && length >= 1 && buffer[length - 1] == '\r') {
    length -= 1;
  }
  return std::string(buffer, static_cast<size_t>(length));
}

void TRichEditStrings::ReplaceRange(int start, int end, const std::string& s) {
  // Line edits apply to the whole file.
  editor_.FinishLoad();
  HWND window = editor_.Handle();
  CHARRANGE range{start, end};
  SendMessageA(window, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
  editor_.lines_updating_ = true;
  try {
    SendMessageA(window, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(s.c_str()));
  } catch (...) {
    editor_.lines_updating_ = false;
    throw;
  }
  editor_.lines_updating_ = false;
}

void TRichEditStrings::Put(int index, const std::string& s) {
  if (index < 0) return;
  HWND window = editor_.Handle();
  int start = static_cast<int>(SendMessageA(window, EM_LINEINDEX, index, 0));
  if (start < 0) return;
  int length = static_cast<int>(SendMessageA(window, EM_LINELENGTH, start, 0));
  ReplaceRange(start, start + length, s);
}

void TRichEditStrings::Insert(int index, const std::string& s) {
  if (index < 0) return;
  HWND window = editor_.Handle();
  const char* line_break = RichEditLevel() == 1 ? "\r\n" : "\r";
  std::string text;
  int position = static_cast<int>(SendMessageA(window, EM_LINEINDEX, index, 0));
  if (position >= 0) {
    text = s + line_break;
  } else {
    int previous = static_cast<int>(SendMessageA(window, EM_LINEINDEX, index - 1, 0));
    if (previous < 0) return;
    int length = static_cast<int>(SendMessageA(window, EM_LINELENGTH, previous, 0));
    if (length == 0) return;
    position = previous + length;
    text = line_break + s;
  }
  ReplaceRange(position, position, text);
  if (RichEditLevel() == 1 && editor_.SelStart() != position + static_cast<int>(text.size()))
    throw EOutOfResources(LoadStr(SRichEditInsertError));
}

void TRichEditStrings::Delete(int index) {
  // EM_LINEINDEX takes -1 for the caret's line: no index below 0 names a line here.
  if (index < 0) return;
  HWND window = editor_.Handle();
  int start = static_cast<int>(SendMessageA(window, EM_LINEINDEX, index, 0));
  if (start < 0) return;
  int end = static_cast<int>(SendMessageA(window, EM_LINEINDEX, index + 1, 0));
  if (end < 0) end = start + static_cast<int>(SendMessageA(window, EM_LINELENGTH, start, 0));
  ReplaceRange(start, end, "");
}

void TRichEditStrings::Clear() { editor_.Clear(); }

void TRichEditStrings::SetText(const std::string& text) {
  editor_.CancelLoad();
  editor_.EnableChangeNotify(false);
  try {
    TStrings::SetText(text);
  } catch (...) {
    editor_.EnableChangeNotify(true);
    throw;
  }
  editor_.EnableChangeNotify(true);
}

void TRichEditStrings::AddStrings(const TStrings& strings) {
  TNotifyEvent selection_change = std::move(editor_.OnSelectionChange);
  editor_.OnSelectionChange = nullptr;
  try {
    TStrings::AddStrings(strings);
  } catch (...) {
    editor_.OnSelectionChange = std::move(selection_change);
    throw;
  }
  editor_.OnSelectionChange = std::move(selection_change);
}

void TRichEditStrings::SetUpdateState(bool updating) {
  if (!editor_.Showing()) return;
  SendMessageA(editor_.Handle(), WM_SETREDRAW, !updating, 0);
  if (!updating) {
    editor_.Invalidate();
    editor_.Update();
    editor_.Perform(CM_TEXTCHANGED);
  }
}

bool TRichEditStrings::StreamIn(TReadChunker& chunker, WPARAM flags, std::int64_t quota) {
  // The load replaces the whole text; a long one is better gone before (DropLongText).
  if (!(flags & SFF_SELECTION)) editor_.DropLongText();
  return StreamIntoControl(editor_.Handle(), chunker, flags, quota);
}

// Plain text is handed over up to the limit and no further: some controls stop there by
// themselves, others (Wine's) take everything, and either way the rest must be known to be
// missing.
void TRichEditStrings::LimitPlainText(TReadChunker& chunker, WPARAM flags) const {
  if (!(flags & SF_RTF)) chunker.SetCharacterLimit(RoomForLoad(flags), RichEditLevel() >= 2);
}

void TRichEditStrings::LoadStream(TStream& stream) { ReadStream(stream); }

bool TRichEditStrings::ReadStream(TStream& stream) {
  editor_.CancelLoad();
  TConversion fallback;
  TConversion& conversion = conversion_ ? *conversion_ : fallback;
  const std::int64_t position = stream.Position();
  bool cut = false;
  auto attempt = [&](WPARAM flags) {
    TReadChunker chunker(conversion, stream);
    LimitPlainText(chunker, flags);
    const bool loaded = StreamIn(chunker, flags, -1);
    // Rich text cannot be counted on the way in: a text that reaches the limit counts as cut.
    cut = (flags & SF_RTF) ? ControlTextLength(editor_.Handle()) >= editor_.TextLimit() : chunker.Cut();
    return loaded;
  };
  WPARAM flags = StreamFlags(format_, mode_, editor_.PlainText(), false);
  if (!attempt(flags)) {
    stream.SetPosition(position);
    flags = (flags & SF_RTF) ? SF_TEXT : SF_RTF;
    if (!attempt(flags)) throw EOutOfResources(LoadStr(SLoadStreamFailed));
  }
  // A load into the selection keeps the text around it, and with it the mark of a cut text.
  if (!(flags & SFF_SELECTION)) {
    editor_.truncated_ = false;
    editor_.truncated_file_.clear();
    editor_.text_format_ = {};
  }
  editor_.truncated_ = editor_.truncated_ || cut;
  editor_.SetSelection(0, 0, true);
  return cut;
}

void TRichEditStrings::LoadInSlices(std::unique_ptr<TStream> file, const std::string& file_name, WPARAM flags) {
  auto loader = std::make_unique<TRichEditLoader>(editor_, std::move(file), conversion_.get(), file_name);
  LimitPlainText(loader->Chunker(), flags);
  if (!StreamIn(loader->Chunker(), flags, kLoadSlice)) {
    // What the control refuses as plain text goes the whole way, with its retry.
    loader->File().SetPosition(0);
    if (ReadStream(loader->File())) editor_.truncated_file_ = file_name;
    return;
  }
  editor_.truncated_ = false;
  editor_.truncated_file_.clear();
  editor_.SetSelection(0, 0, true);
  editor_.StartLoad(std::move(loader));
}

std::int64_t TRichEditStrings::RoomForLoad(WPARAM flags) const {
  const std::int64_t limit = editor_.TextLimit();
  if (!(flags & SFF_SELECTION)) return limit;
  // The text around the selection stays.
  const int kept = ControlTextLength(editor_.Handle()) - editor_.SelLength();
  return std::max<std::int64_t>(0, limit - kept);
}

void TRichEditStrings::SaveStream(TStream& stream) const {
  // Never a part of a file: a running load ends first.
  editor_.FinishLoad();
  TConversion fallback;
  TConversion* conversion = conversion_ ? conversion_.get() : &fallback;
  const WPARAM flags = StreamFlags(format_, mode_, editor_.PlainText(), true);
  if (!StreamOutOfControl(editor_.Handle(), *conversion, stream, flags))
    throw EOutOfResources(LoadStr(SSaveStreamFailed));
}

template <class Action>
void TRichEditStrings::WithFileFormat(const std::string& file_name, Action action) {
  const std::string extension = ExtensionOf(file_name);
  const auto& list = ConversionFormatList();
  auto entry = std::find_if(list.begin(), list.end(),
                            [&](const TConversionFormat& f) { return f.Extension == extension; });
  const TRichStreamFormat old_format = format_;
  try {
    if (entry != list.end()) {
      if (!conversion_) conversion_ = entry->ConversionClass();
      format_ = entry->PlainText ? sfPlainText : sfRichText;
    }
    action();
  } catch (...) {
    format_ = old_format;
    conversion_.reset();
    throw;
  }
  format_ = old_format;
}

void TRichEditStrings::LoadFile(const std::string& file_name) {
  // Before anything may drop the conversion the running load reads through.
  editor_.CancelLoad();
  WithFileFormat(file_name, [&] {
    auto file = std::make_unique<TFileStream>(file_name, fmOpenRead | fmShareDenyNone);
    const WPARAM flags = StreamFlags(format_, mode_, editor_.PlainText(), false);
    if (IsTextFileTransfer(flags)) return LoadTextFile(*file, file_name, flags);
    // Plain text longer than a slice shows its first slice at once and gets the rest from the
    // message loop. Rich text cannot be cut into slices safely: it loads in one go.
    if ((flags & (SF_RTF | SFF_SELECTION)) || file->Size() <= kLoadSlice) {
      if (ReadStream(*file)) editor_.truncated_file_ = file_name;
    } else {
      LoadInSlices(std::move(file), file_name, flags);
    }
  });
}

void TRichEditStrings::SaveFile(const std::string& file_name) {
  editor_.FinishLoad();
  // Written back over its own file, a cut text would lose the file's end.
  if (editor_.truncated_ && !editor_.truncated_file_.empty() && SameFile(file_name, editor_.truncated_file_))
    throw EInvalidOperation(FmtLoadStr(SSaveTruncatedText, editor_.TextLimit(), file_name));
  WithFileFormat(file_name, [&] {
    // A text file's bytes are made first: a text its encoding cannot hold writes nothing.
    const bool text_file = IsTextFileTransfer(StreamFlags(format_, mode_, editor_.PlainText(), true));
    const std::string text_bytes = text_file ? EncodedTextFile() : std::string();
    // The text goes to a new file in the target's folder; only a complete file replaces the
    // target, so a failed save never leaves a truncated file in its place.
    wchar_t temp_name[MAX_PATH] = {};
    if (!GetTempFileNameW(ToWide(FolderOf(file_name)).c_str(), L"twe", 0, temp_name))
      throw EFCreateError(FmtLoadStr(SFCreateError, file_name));
    try {
      HANDLE handle = CreateFileW(temp_name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
      if (handle == INVALID_HANDLE_VALUE) throw EFCreateError(FmtLoadStr(SFCreateError, file_name));
      SystemFileStream file(handle);
      if (text_file) {
        file.WriteBuffer(text_bytes.data(), static_cast<std::int64_t>(text_bytes.size()));
      } else {
        SaveStream(file);
      }
      if (!file.Flush()) throw EWriteError(LoadStr(SWriteError));
    } catch (...) {
      DeleteFileW(temp_name);
      throw;
    }
    if (!MoveFileExW(temp_name, ToWide(file_name).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      DeleteFileW(temp_name);
      throw EFCreateError(FmtLoadStr(SFCreateError, file_name));
    }
  });
}

}  // namespace tw
