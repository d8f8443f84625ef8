// Fills and refreshes that read the folder on a thread of their own (TFolderRead). The reading
// thread only enumerates and asks attributes; filtering, OnAddItem and every other event run
// here, on the message loop, with the list's own folder object, a slice of items at a time.
#include <utility>

#include "framework/win/messages.h"
#include "shell/shell_attribute_masks.h"
#include "shell/win/shell_errors.h"
#include "shell/win/shell_folders.h"
#include "shell/win/shell_list.h"

namespace tw {
namespace {

// A slice of arrived items keeps the message loop for at most about this many milliseconds and
// adds at most this many items (adding them to the list is most of a slice's cost).
constexpr ULONGLONG kSliceTime = 30;
constexpr std::size_t kSliceItems = 2048;
// How often the control hears of new items while slices follow each other, in milliseconds.
constexpr ULONGLONG kShowInterval = 200;
// The folder-read message's lParam that lets the reading thread begin; 0 when items arrived.
constexpr LPARAM kReadGo = 1;

}  // namespace

// A read already running goes on; a synchronous fill or refresh asked for later cancels it.
void TPTCustomShellList::SetFillsInBackground(bool value) { fills_in_background_ = value; }

TFolderRead::TBinder TPTCustomShellList::ReadBinder() { return &BindToFolder; }

void TPTCustomShellList::StartFillRead() {
  ComPtr<IShellFolder> folder;
  const ItemIdList* id = folder_.GetIdList();
  auto read = std::make_unique<TRunningRead>();
  Items().BeginUpdate();
  try {
    Items().Clear();
    CheckResult(BindToFolder(id, folder));
    BeginFill();
    read->old_id = std::move(folder_id_);
    read->old_folder = folder_object_;
    read->old_details = details_;
    try {
      TakeFolder(folder.Get(), CopyIdList(id).Get());
    } catch (...) {
      folder_id_ = std::move(read->old_id);
      folder_object_ = read->old_folder;
      details_ = read->old_details;
      EndFill();
      throw;
    }
  } catch (...) {
    Items().EndUpdate();
    throw;
  }
  Items().EndUpdate();
  read_ = std::move(read);
  StartRead(rkFill);
  ++fill_count_;
  // Changes during the read are heard, and refresh the list once it is whole.
  if (options_.Contains(ptsloDynamicRefresh) && !Designing()) StartWatching();
  if (OnFillProgress) OnFillProgress(this);
}

void TPTCustomShellList::StartRefreshRead() {
  // A fill still reading brings the folder as it is now; the refresh runs when it ends.
  if (Filling()) {
    refresh_pending_ = true;
    return;
  }
  CancelRead();
  read_ = std::make_unique<TRunningRead>();
  // The read is given the ids of the items shown: of a folder of 100,000 items it then hands
  // over only what is new or changed.
  auto known = std::make_shared<TKnownIds>();
  for (int i = 0, count = Items().Count(); i < count; ++i) {
    if (TPTShListData* data = ItemData(i)) {
      known->bytes.append(IdByteView(data->RelativeId()));
      known->ends.push_back(known->bytes.size());
      read_->known_records.push_back(data);
    }
  }
  StartRead(rkRefresh, std::move(known));
}

void TPTCustomShellList::StartRead(TReadKind kind, std::shared_ptr<const TKnownIds> known) {
  TFolderRead::TRequest request{Handle(), WM_TW_FOLDER_READ, ++read_tag_, EnumerationFlags(),
                                kAddItemAttributeRequest, ReadBinder(), std::move(known)};
  read_->kind = kind;
  read_->tag = request.tag;
  try {
    read_->read = TFolderRead::Start(folder_id_.Get(), std::move(request));
    // The thread reads once the message loop is back: what runs on after the folder changed
    // (the tree and the combo following it) is not held up behind the read.
    PostMessageA(Handle(), WM_TW_FOLDER_READ, read_->tag, kReadGo);
  } catch (...) {
    // No thread could be made: the list is as if the read had failed at once.
    if (kind == rkFill)
      FailFillRead();
    else
      read_.reset();
    throw;
  }
}

void TPTCustomShellList::CancelRead() {
  if (!read_) return;
  if (read_->read) read_->read->Cancel();
  ShowReadItems(*read_);
  const bool was_filling = Filling();
  read_.reset();
  if (was_filling) {
    EndFill();
    // A list being destroyed raises no events: their handlers' objects may be gone already.
    if (OnFillProgress && !HasState(csDestroying)) OnFillProgress(this);
  }
}

void TPTCustomShellList::ReadArrived(WPARAM tag, LPARAM what) {
  // A message of a read cancelled since.
  if (!read_ || read_->tag != tag) return;
  if (what == kReadGo) {
    read_->read->Go();
    return;
  }
  TRunningRead& read = *read_;
  bool finished = false;
  read.read->Take(read.items, finished);
  if (read.kind == rkRefresh) {
    if (!finished) return;
    const HRESULT result = read.read->Result();
    std::vector<TReadItem> items = std::move(read.items);
    const TKnownRecords known{std::move(read.known_records), read.read->MetKnownIds()};
    read_.reset();
    // An edit or drag of the list's own began meanwhile: the refresh waits for its end.
    if (dragging_ || IsEditing())
      refresh_pending_ = true;
    else if (folder_object_)
      MergeRefresh(items, result != S_OK, &known);
    return;
  }
  try {
    AddReadItems(read);
  } catch (...) {
    FailFillRead();
    throw;
  }
  if (read.next < read.items.size()) {
    // More than a slice waits: the rest after the messages that came meanwhile.
    if (GetTickCount64() - read.shown_at >= kShowInterval) ShowReadItems(read);
    PostMessageA(Handle(), WM_TW_FOLDER_READ, tag, 0);
    return;
  }
  // Caught up with the reading thread: everything read so far shows.
  ShowReadItems(read);
  read.items.clear();
  read.next = 0;
  if (!finished) return;
  const HRESULT result = read.read->Result();
  if (FAILED(result)) {
    // Reported once, as a synchronous fill reports it; the list shows nothing of the folder.
    FailFillRead();
    RaiseShellError(result);
  }
  CompleteFillRead();
}

void TPTCustomShellList::AddReadItems(TRunningRead& read) {
  if (read.next >= read.items.size()) return;
  IShellFolder* folder = folder_object_.Get();
  const ULONGLONG deadline = GetTickCount64() + kSliceTime;
  std::vector<std::unique_ptr<TPTShListData>> records;
  while (read.next < read.items.size()) {
    TReadItem& item = read.items[read.next++];
    if (auto record = AcceptedItem(folder, std::move(item.id), item.attributes))
      records.push_back(std::move(record));
    if (records.size() >= kSliceItems || (read.next % 64 == 0 && GetTickCount64() >= deadline))
      break;
  }
  if (records.empty()) return;
  const int first = Items().Count();
  if (!read.holding_update) {
    Items().BeginUpdate();
    read.holding_update = true;
  }
  AddItems(records);
  if (sort_column_ != 0) CustomSortTail(&CompareItems, reinterpret_cast<LPARAM>(this), first);
  if (first == 0) {
    Items().Item(0)->SetFocused(true);
    // The first screenful shows at once.
    ShowReadItems(read);
  }
  if (OnFillProgress) OnFillProgress(this);
}

void TPTCustomShellList::ShowReadItems(TRunningRead& read) {
  read.shown_at = GetTickCount64();
  if (!std::exchange(read.holding_update, false)) return;
  Items().EndUpdate();
}

void TPTCustomShellList::CompleteFillRead() {
  read_.reset();
  EndFill();
  if (OnFillProgress) OnFillProgress(this);
  if (OnFillComplete) OnFillComplete(this);
  // A refresh asked for while the folder was being read.
  if (refresh_pending_ && !dragging_ && !IsEditing()) RefreshNow();
}

void TPTCustomShellList::FailFillRead() {
  std::unique_ptr<TRunningRead> read = std::move(read_);
  if (!read) return;
  if (read->read) read->read->Cancel();
  ShowReadItems(*read);
  EndFill();
  Items().Clear();
  folder_id_ = std::move(read->old_id);
  folder_object_ = read->old_folder;
  details_ = read->old_details;
  // The watch goes back to the folder shown before.
  if (options_.Contains(ptsloDynamicRefresh) && !Designing()) {
    if (folder_id_)
      StartWatching();
    else
      StopWatching();
  }
  if (OnFillProgress) OnFillProgress(this);
}

}  // namespace tw
