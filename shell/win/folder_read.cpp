#include "shell/win/folder_read.h"

#include <iterator>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <utility>

#include "shell/win/pidl.h"

namespace tw {
namespace {

// Items go over in small batches at first, so that the first screenful shows early, then in
// larger ones; a slow folder still hands over what it has every so often.
constexpr std::size_t kFirstBatch = 64;
constexpr std::size_t kBatch = 1024;
constexpr ULONGLONG kBatchInterval = 50;

// The known ids by their bytes, with their places in the list of them.
std::unordered_map<std::string_view, std::size_t> KnownIdIndex(const TKnownIds& known) {
  std::unordered_map<std::string_view, std::size_t> index;
  index.reserve(known.ends.size());
  std::size_t begin = 0;
  for (std::size_t i = 0; i < known.ends.size(); ++i) {
    index.emplace(std::string_view(known.bytes).substr(begin, known.ends[i] - begin), i);
    begin = known.ends[i];
  }
  return index;
}

// COM for the calling thread, for as long as the object lives.
class TComApartment {
public:
  TComApartment() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~TComApartment() {
    if (SUCCEEDED(hr_)) CoUninitialize();
  }
  TComApartment(const TComApartment&) = delete;
  TComApartment& operator=(const TComApartment&) = delete;
  HRESULT Result() const { return hr_; }

private:
  HRESULT hr_;
};

}  // namespace

TFolderRead::TFolderRead(ShellItemId abs_id, TRequest request)
    : abs_id_(std::move(abs_id)), request_(std::move(request)) {}

std::shared_ptr<TFolderRead> TFolderRead::Start(const ItemIdList* abs_id, TRequest request) {
  std::shared_ptr<TFolderRead> read(new TFolderRead(CopyIdList(abs_id), std::move(request)));
  // The thread keeps the read alive by itself: nobody waits for a folder that does not answer.
  std::thread([read] { read->Run(); }).detach();
  return read;
}

void TFolderRead::Run() {
  {
    std::unique_lock<std::mutex> hold(lock_);
    go_signal_.wait(hold, [this] { return go_ || cancelled_; });
  }
  HRESULT result = E_ABORT;
  if (cancelled_) {
    Finish(result);
    return;
  }
  try {
    TComApartment apartment;
    result = FAILED(apartment.Result()) ? apartment.Result() : Read();
  } catch (const std::bad_alloc&) {
    result = E_OUTOFMEMORY;
  } catch (...) {
    result = E_UNEXPECTED;
  }
  Finish(result);
}

HRESULT TFolderRead::Read() {
  // An empty removable drive brings up no system dialog; the mode is this thread's alone.
  DWORD old_mode = 0;
  SetThreadErrorMode(GetThreadErrorMode() | SEM_FAILCRITICALERRORS, &old_mode);
  ComPtr<IShellFolder> folder;
  HRESULT hr = request_.binder(abs_id_.Get(), folder);
  if (FAILED(hr)) return hr;
  ComPtr<IEnumIDList> enumerator;
  // No owner window: one belongs to another thread, and nothing here is to ask the user.
  hr = folder->EnumObjects(nullptr, request_.flags, enumerator.Receive());
  if (FAILED(hr)) return hr;
  // A folder may answer S_FALSE with no enumerator when it has nothing to show.
  if (!enumerator) return S_OK;
  std::unordered_map<std::string_view, std::size_t> known;
  std::vector<bool> met;
  if (request_.known) {
    known = KnownIdIndex(*request_.known);
    met.assign(request_.known->ends.size(), false);
  }
  std::vector<TReadItem> batch;
  std::size_t batch_size = kFirstBatch;
  ULONGLONG delivered_at = GetTickCount64();
  while (!cancelled_) {
    TReadItem item;
    hr = enumerator->Next(1, PidlOut(item.id), nullptr);
    if (hr != S_OK) break;
    if (!known.empty()) {
      const auto found = known.find(IdByteView(item.id.Get()));
      if (found != known.end()) {
        met[found->second] = true;
        continue;
      }
    }
    item.attributes = request_.attribute_request;
    LPCITEMIDLIST ids[] = {item.id.Get()};
    if (FAILED(folder->GetAttributesOf(1, ids, &item.attributes))) continue;
    batch.push_back(std::move(item));
    if (batch.size() >= batch_size || GetTickCount64() - delivered_at >= kBatchInterval) {
      Deliver(batch);
      batch_size = kBatch;
      delivered_at = GetTickCount64();
    }
  }
  Deliver(batch);
  if (cancelled_) return E_ABORT;
  {
    std::lock_guard<std::mutex> hold(lock_);
    met_ = std::move(met);
  }
  return hr == S_FALSE ? S_OK : hr;
}

void TFolderRead::Deliver(std::vector<TReadItem>& items) {
  if (items.empty()) return;
  std::lock_guard<std::mutex> hold(lock_);
  if (cancelled_) return;
  waiting_.insert(waiting_.end(), std::make_move_iterator(items.begin()),
                  std::make_move_iterator(items.end()));
  items.clear();
  Notify();
}

void TFolderRead::Finish(HRESULT result) {
  std::lock_guard<std::mutex> hold(lock_);
  finished_ = true;
  result_ = result;
  if (!cancelled_) Notify();
}

void TFolderRead::Notify() {
  if (notified_) return;
  notified_ = PostMessageA(request_.window, request_.message, request_.tag, 0) != FALSE;
}

void TFolderRead::Take(std::vector<TReadItem>& items, bool& finished) {
  std::lock_guard<std::mutex> hold(lock_);
  if (items.empty())
    items.swap(waiting_);
  else
    items.insert(items.end(), std::make_move_iterator(waiting_.begin()),
                 std::make_move_iterator(waiting_.end()));
  waiting_.clear();
  notified_ = false;
  finished = finished_;
}

HRESULT TFolderRead::Result() const {
  std::lock_guard<std::mutex> hold(lock_);
  return result_;
}

std::vector<bool> TFolderRead::MetKnownIds() const {
  std::lock_guard<std::mutex> hold(lock_);
  return met_;
}

void TFolderRead::Go() {
  std::lock_guard<std::mutex> hold(lock_);
  go_ = true;
  go_signal_.notify_one();
}

void TFolderRead::Cancel() {
  std::lock_guard<std::mutex> hold(lock_);
  cancelled_ = true;
  waiting_.clear();
  go_signal_.notify_one();
}

}  // namespace tw
