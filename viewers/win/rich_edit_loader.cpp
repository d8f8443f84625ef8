#include "viewers/win/rich_edit_loader.h"

#include <windows.h>
#include <richedit.h>

#include "viewers/wide_text_slices.h"
#include "viewers/win/rich_edit.h"
#include "viewers/win/rich_edit_control.h"

namespace tw {

namespace {

// The control appends slices for this long before the message loop gets its turn.
constexpr double kStepMilliseconds = 30;
// The timer's shortest period; the next step is due as soon as the queue is empty.
constexpr unsigned kStepInterval = USER_TIMER_MINIMUM;

double Milliseconds() {
  LARGE_INTEGER counter, frequency;
  QueryPerformanceCounter(&counter);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

}  // namespace

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

TRichEditLoader::TRichEditLoader(TTwCustomRichEdit& editor, std::unique_ptr<TStream> file, TConversion* conversion,
                                 std::string file_name)
    : editor_(editor),
      file_(std::move(file)),
      chunker_(std::make_unique<TReadChunker>(conversion ? *conversion : copy_, *file_)),
      file_name_(std::move(file_name)),
      size_(file_->Size()),
      slice_(kLoadSlice + 1) {}

TRichEditLoader::TRichEditLoader(TTwCustomRichEdit& editor, std::u16string text, std::size_t from,
                                 std::string file_name, bool cut)
    : editor_(editor),
      text_(std::move(text)),
      text_at_(from),
      text_cut_(cut),
      file_name_(std::move(file_name)),
      size_(static_cast<std::int64_t>(text_.size())) {}

TRichEditLoader::~TRichEditLoader() = default;

void TRichEditLoader::Start() {
  HWND window = editor_.Handle();
  active_ = true;
  change_notify_ = (SendMessageA(window, EM_GETEVENTMASK, 0, 0) & ENM_CHANGE) != 0;
  editor_.EnableChangeNotify(false);
  SendMessageA(window, EM_SETREADONLY, TRUE, 0);
  timer_.SetInterval(kStepInterval);
  timer_.SetOnTimer([this](TObject*) { Step(); });
  timer_.SetEnabled(true);
}

int TRichEditLoader::Progress() const {
  if (!chunker_) return size_ <= 0 ? 100 : static_cast<int>(static_cast<std::int64_t>(text_at_) * 100 / size_);
  if (!file_ || size_ <= 0) return 100;
  return static_cast<int>(file_->Position() * 100 / size_);
}

void TRichEditLoader::Step() {
  const double start = Milliseconds();
  bool more = true;
  try {
    do {
      more = AppendSlice();
    } while (more && Milliseconds() - start < kStepMilliseconds);
  } catch (...) {
    // A file that fails to read is reported once, by the timer, and read no further.
    End(false);
    throw;
  }
  if (!more) End(true);
  // Last: a handler of the event may start another load and so end this object.
  editor_.LoadProgressed();
}

void TRichEditLoader::Finish() {
  if (!active_) return;
  try {
    while (AppendSlice()) {
    }
  } catch (...) {
    End(false);
    throw;
  }
  End(true);
}

void TRichEditLoader::Cancel() {
  if (active_) End(false);
}

bool TRichEditLoader::AppendSlice() {
  if (!chunker_) {
    if (text_at_ >= text_.size()) return false;
    const std::size_t end = WideSliceEnd(text_, text_at_, kLoadSlice / 2);
    AppendAtEnd([&](HWND window) {
      ReplaceSelectionWide(window, std::u16string_view(text_).substr(text_at_, end - text_at_));
    });
    text_at_ = end;
    return true;
  }
  const int length = chunker_->Next(slice_.data(), kLoadSlice);
  if (length == 0) return false;
  slice_[static_cast<size_t>(length)] = '\0';
  AppendAtEnd([&](HWND window) {
    SendMessageA(window, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(slice_.data()));
  });
  return true;
}

template <class Insert>
void TRichEditLoader::AppendAtEnd(Insert insert) {
  HWND window = editor_.Handle();
  // The slice goes in at the end while the user's selection and view stay, and without the
  // events an edit raises.
  CHARRANGE selection{};
  SendMessageA(window, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
  POINT scroll{};
  SendMessageA(window, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll));
  const LRESULT mask = SendMessageA(window, EM_GETEVENTMASK, 0, 0);
  SendMessageA(window, EM_SETEVENTMASK, 0, mask & ~LRESULT{ENM_CHANGE | ENM_SELCHANGE});
  SendMessageA(window, WM_SETREDRAW, FALSE, 0);
  const LONG end = ControlTextLength(window);
  CHARRANGE at_end{end, end};
  SendMessageA(window, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&at_end));
  editor_.lines_updating_ = true;
  insert(window);
  editor_.lines_updating_ = false;
  SendMessageA(window, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&selection));
  SendMessageA(window, EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll));
  SendMessageA(window, EM_SETMODIFY, FALSE, 0);
  SendMessageA(window, EM_SETEVENTMASK, 0, mask);
  SendMessageA(window, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(window, nullptr, FALSE);
}

void TRichEditLoader::End(bool whole) {
  active_ = false;
  timer_.SetEnabled(false);
  // Nothing reads the file any more: let it go, so that the text can be saved over it.
  file_.reset();
  // An editor being destroyed has nothing more to set.
  if (!editor_.HandleAllocated()) return;
  HWND window = editor_.Handle();
  SendMessageA(window, EM_SETREADONLY, editor_.ReadOnly(), 0);
  if (change_notify_) editor_.EnableChangeNotify(true);
  // A load that stops short of the file's end, for whatever reason, leaves a cut text.
  editor_.truncated_ = !whole || (chunker_ ? chunker_->Cut() : text_cut_);
  editor_.truncated_file_ = editor_.truncated_ ? file_name_ : std::string();
  if (!whole) return;
  SendMessageA(window, EM_EMPTYUNDOBUFFER, 0, 0);
  editor_.SetModified(false);
}

}  // namespace tw
