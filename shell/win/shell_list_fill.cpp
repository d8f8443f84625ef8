// Filling the list from its folder, accepting and filtering items, the incremental refresh, and
// the texts and images the control asks for as it shows items.
#include <algorithm>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "framework/natural_merge_sort.h"
#include "framework/string_table.h"
#include "shell/shell_attribute_masks.h"
#include "shell/shell_list_texts.h"
#include "shell/win/critical_errors_off.h"
#include "shell/win/pidl.h"
#include "shell/win/shell_errors.h"
#include "shell/win/shell_folders.h"
#include "shell/win/shell_list.h"
#include "shell/win/shell_list_hourglass.h"
#include "shell/win/shell_names.h"
#include "shell/win/wide_text.h"
#include "shell/win/window_helpers.h"

namespace tw {
namespace {

// Names compare without regard to case as the file system compares them: upper-cased as UTF-16.
std::string UpperCase(std::wstring text) {
  if (!text.empty()) CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
  return FromWide(text.c_str());
}

std::string FileNamePart(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

void TPTCustomShellList::FillList() {
  if (!HandleAllocated()) return;
  if (dragging_ || IsEditing()) {
    fill_pending_ = true;
    return;
  }
  FillNow();
}

void TPTCustomShellList::FillNow() {
  if (!HandleAllocated()) return;
  fill_pending_ = false;
  refresh_pending_ = false;
  CancelRead();
  if (fills_in_background_ && !Designing()) {
    StartFillRead();
    return;
  }
  TShellListHourglass hourglass;
  // One bracket from clearing to the end of the fill: the control hears of the new items once.
  Items().BeginUpdate();
  try {
    Items().Clear();
    ComPtr<IShellFolder> folder;
    const ItemIdList* id = folder_.GetIdList();
    CheckResult(BindToFolder(id, folder));
    // The locator's id is borrowed and may change during the fill: the fill keeps its own copy.
    ShellItemId folder_id = CopyIdList(id);
    BeginFill();
    try {
      FillFolder(folder.Get(), folder_id.Get());
    } catch (...) {
      EndFill();
      throw;
    }
    EndFill();
  } catch (...) {
    Items().EndUpdate();
    throw;
  }
  Items().EndUpdate();
  if (options_.Contains(ptsloDynamicRefresh) && !Designing()) StartWatching();
}

void TPTCustomShellList::PickUpAllocator() {
  if (allocator_) return;
  CheckResult(SHGetMalloc(allocator_.Receive()));
}

DWORD TPTCustomShellList::EnumerationFlags() const {
  DWORD flags = SHCONTF_FOLDERS | SHCONTF_NONFOLDERS;
  if (options_.Contains(ptsloShowHidden)) flags |= SHCONTF_INCLUDEHIDDEN;
  return flags;
}

HRESULT TPTCustomShellList::Enumerate(IShellFolder* folder, ComPtr<IEnumIDList>& items) {
  const HRESULT hr = folder->EnumObjects(OwnerWindow(), EnumerationFlags(), items.Receive());
  // A folder may answer S_FALSE with no enumerator when it has nothing to show.
  if (hr == S_FALSE && !items) return S_FALSE;
  return hr;
}

void TPTCustomShellList::FillFolder(IShellFolder* folder, const ItemIdList* abs_id) {
  Items().BeginUpdate();
  TCriticalErrorsOff critical_errors_off;
  ShellItemId old_id = std::move(folder_id_);
  ComPtr<IShellFolder> old_folder = folder_object_;
  ComPtr<IShellDetails> old_details = details_;
  try {
    TakeFolder(folder, abs_id);

    ComPtr<IEnumIDList> enumerator;
    const HRESULT hr = Enumerate(folder, enumerator);
    CheckResult(hr);
    std::vector<std::unique_ptr<TPTShListData>> records;
    records.reserve(500);
    if (enumerator) {
      HRESULT next;
      for (;;) {
        ShellItemId item;
        next = enumerator->Next(1, PidlOut(item), nullptr);
        if (next != S_OK) break;
        if (auto record = EnumeratedItem(folder, std::move(item))) records.push_back(std::move(record));
      }
      if (next != S_FALSE) RaiseShellError(next);
    }
    Items().SetCountHint(static_cast<int>(records.size()));
    AddItems(records);
    Sort();
    if (Items().Count() > 0) Items().Item(0)->SetFocused(true);
  } catch (...) {
    // The list shows nothing of the new folder: go back to the old one.
    Items().Clear();
    folder_id_ = std::move(old_id);
    folder_object_ = old_folder;
    details_ = old_details;
    Items().EndUpdate();
    throw;
  }
  Items().EndUpdate();
  ++fill_count_;
  if (OnFillComplete) OnFillComplete(this);
}

void TPTCustomShellList::TakeFolder(IShellFolder* folder, const ItemIdList* abs_id) {
  folder_id_ = CopyIdList(abs_id);
  PickUpAllocator();
  folder_object_ = ComPtr<IShellFolder>(folder);
  details_.Reset();
  folder->CreateViewObject(OwnerWindow(), IID_IShellDetails, details_.ReceiveVoid());
  SetUpColumns();
}

std::unique_ptr<TPTShListData> TPTCustomShellList::EnumeratedItem(IShellFolder* folder,
                                                                  ShellItemId id) {
  DWORD attributes = kAddItemAttributeRequest;
  LPCITEMIDLIST items[] = {id.Get()};
  if (FAILED(folder->GetAttributesOf(1, items, &attributes))) return nullptr;
  return AcceptedItem(folder, std::move(id), attributes);
}

std::unique_ptr<TPTShListData> TPTCustomShellList::AcceptedItem(IShellFolder* folder,
                                                                ShellItemId id, DWORD attributes) {
  if (!options_.Contains(ptsloNonFilesystemAncestors) &&
      !(attributes & (SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR)))
    return nullptr;
  if (options_.Contains(ptsloHideFoldersWhenLinkedToTree) && tree_ &&
      (attributes & (SFGAO_FOLDER | SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR)) ==
          (SFGAO_FOLDER | SFGAO_FILESYSTEM))
    return nullptr;
  if (!AcceptItem(folder, id.Get(), attributes)) return nullptr;
  return std::make_unique<TPTShListData>(this, std::move(id), attributes);
}

bool TPTCustomShellList::AcceptItem(IShellFolder* folder, const ItemIdList* rel_id,
                                    DWORD attributes) {
  bool keep = true;
  if (filter_set_ && !(attributes & SFGAO_FOLDER))
    keep = MatchesFilter(FileNamePart(GetDisplayName(folder, rel_id, dnkForParsing)), attributes);
  if (keep && OnAddItem) {
    BOOL allow = TRUE;
    OnAddItem(this, folder, folder_id_.Get(), rel_id, static_cast<int>(attributes), allow);
    keep = allow != FALSE;
  }
  return keep;
}

void TPTCustomShellList::BeginFill() {
  filter_set_.reset();
  if (FilterShowsEverything(file_filter_)) return;
  std::string path = folder_.GetPath();
  if (path.empty()) return;
  path = IncludeTrailingChar(path, '\\');
  auto names = std::make_unique<std::set<std::string>>();
  TCriticalErrorsOff critical_errors_off;
  for (const std::string& pattern : patterns_) {
    WIN32_FIND_DATAW found{};
    HANDLE find = FindFirstFileW(ToWide(path + pattern).c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) continue;
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        names->insert(UpperCase(found.cFileName));
    } while (FindNextFileW(find, &found));
    FindClose(find);
  }
  filter_set_ = std::move(names);
}

bool TPTCustomShellList::MatchesFilter(const std::string& Name, DWORD Attributes) {
  if (Attributes & SFGAO_FOLDER) return true;
  return !filter_set_ || filter_set_->count(UpperCase(ToWide(Name))) != 0;
}

void TPTCustomShellList::EndFill() { filter_set_.reset(); }

void TPTCustomShellList::AddItems(std::vector<std::unique_ptr<TPTShListData>>& records) {
  for (auto& record : records) {
    // Marked as a record before the view's insert step asks for it.
    Items().AddViewItem(record.get());
    record.release();
  }
}

void TPTCustomShellList::RefreshItems() {
  if (!HandleAllocated() || !folder_object_) return;
  if (dragging_ || IsEditing()) {
    refresh_pending_ = true;
    return;
  }
  RefreshNow();
}

void TPTCustomShellList::RunPostponedWork() {
  if (fill_pending_)
    FillNow();
  else if (refresh_pending_)
    RefreshNow();
}

void TPTCustomShellList::RefreshNow() {
  refresh_pending_ = false;
  if (!HandleAllocated() || !folder_object_) return;
  if (fills_in_background_ && !Designing()) {
    StartRefreshRead();
    return;
  }
  std::vector<TReadItem> enumerated;
  HRESULT result = E_FAIL;
  ComPtr<IEnumIDList> enumerator;
  if (SUCCEEDED(Enumerate(folder_object_.Get(), enumerator)) && enumerator) {
    for (;;) {
      TReadItem item;
      result = enumerator->Next(1, PidlOut(item.id), nullptr);
      if (result != S_OK) break;
      enumerated.push_back(std::move(item));
    }
  }
  MergeRefresh(enumerated, result != S_FALSE);
}

void TPTCustomShellList::MarkMetRecords(const TKnownRecords& known,
                                        const std::vector<TPTShListData*>& records,
                                        std::vector<bool>& seen) {
  if (known.met.size() != known.records.size()) return;
  // Nothing was added, deleted or sorted meanwhile: the places are the same.
  if (known.records == records) {
    for (std::size_t i = 0; i < records.size(); ++i)
      if (known.met[i]) seen[i] = true;
    return;
  }
  std::unordered_set<const TPTShListData*> met;
  for (std::size_t i = 0; i < known.records.size(); ++i)
    if (known.met[i]) met.insert(known.records[i]);
  for (std::size_t i = 0; i < records.size(); ++i)
    if (met.count(records[i])) seen[i] = true;
}

void TPTCustomShellList::MergeRefresh(std::vector<TReadItem>& enumerated, bool incomplete,
                                      const TKnownRecords* known) {
  IShellFolder* folder = folder_object_.Get();
  BeginFill();
  Items().BeginUpdate();
  try {
    // Every record fetches its name, size and date anew.
    std::vector<TPTShListData*> records;
    std::vector<TListItem*> items;
    for (int i = 0, count = Items().Count(); i < count; ++i) {
      if (TPTShListData* data = ItemData(i)) {
        data->ResetCaches();
        records.push_back(data);
        items.push_back(Items().Item(i));
      }
    }
    // Most items come back with the very same bytes (a read told of the list's ids has matched
    // those already). A changed item (a new size or date) is still the same item when the folder
    // says so; only the items no bytes matched are put to the folder, so the cost stays linear
    // however many items there are.
    std::vector<bool> seen(records.size(), false);
    if (known) MarkMetRecords(*known, records, seen);
    std::unordered_map<std::string_view, std::size_t> by_bytes;
    for (std::size_t i = 0; i < records.size(); ++i)
      if (!seen[i]) by_bytes.emplace(IdByteView(records[i]->RelativeId()), i);
    std::vector<TReadItem*> unmatched;
    for (TReadItem& item : enumerated) {
      auto found = by_bytes.find(IdByteView(item.id.Get()));
      if (found != by_bytes.end())
        seen[found->second] = true;
      else
        unmatched.push_back(&item);
    }
    // Both sides sorted by the folder's name order and walked together: equal names are the
    // same item.
    std::vector<std::size_t> unseen;
    for (std::size_t i = 0; i < records.size(); ++i)
      if (!seen[i]) unseen.push_back(i);
    auto by_name = [folder](const ItemIdList* a, const ItemIdList* b) {
      const HRESULT hr = folder->CompareIDs(0, a, b);
      return FAILED(hr) ? 0 : static_cast<short>(HRESULT_CODE(hr));
    };
    NaturalMergeSort(unseen, [&](std::size_t a, std::size_t b) {
      return by_name(records[a]->RelativeId(), records[b]->RelativeId());
    });
    NaturalMergeSort(unmatched, [&](const TReadItem* a, const TReadItem* b) {
      return by_name(a->id.Get(), b->id.Get());
    });
    std::vector<std::unique_ptr<TPTShListData>> added;
    std::size_t next_unseen = 0;
    for (TReadItem* item : unmatched) {
      int order = 1;
      while (next_unseen < unseen.size() &&
             (order = by_name(records[unseen[next_unseen]]->RelativeId(), item->id.Get())) < 0)
        ++next_unseen;
      if (next_unseen < unseen.size() && order == 0) {
        seen[unseen[next_unseen++]] = true;
        continue;
      }
      try {
        auto record = item->attributes ? AcceptedItem(folder, std::move(item->id), item->attributes)
                                       : EnumeratedItem(folder, std::move(item->id));
        if (record) added.push_back(std::move(record));
      } catch (...) {
        ShowWarning(LoadStr(SAddNewShellItemFailed));
        throw;
      }
    }
    // A complete enumeration is the folder's word on what it holds: an item it no longer
    // returns (hidden now, or gone where the folder cannot tell) leaves the list. After a
    // failed one only the items the folder no longer validates go.
    std::vector<TListItem*> gone;
    for (std::size_t i = 0; i < records.size(); ++i)
      if (!seen[i] && (!incomplete || !records[i]->IsValid())) gone.push_back(items[i]);
    for (TListItem* item : gone) item->Delete();
    AddItems(added);
  } catch (...) {
    Items().EndUpdate();
    EndFill();
    throw;
  }
  Items().EndUpdate();
  EndFill();
}

void TPTCustomShellList::DoGetDispInfo(NMLVDISPINFOA& info) {
  TListItem* item = Items().Item(info.item.iItem);
  TPTShListData* data = DataOf(item);
  if (!data) {
    TPTCustomListView::DoGetDispInfo(info);
    return;
  }
  if (info.item.mask & LVIF_TEXT) {
    const int column = info.item.iSubItem;
    if (column == 0) {
      CopyDispText(info, item->Caption().empty() ? data->DisplayName() : item->Caption());
    } else {
      // A text other code stored in the item wins; the record answers for the columns it has.
      const auto& stored = std::as_const(*item).SubItems();
      const auto index = static_cast<std::size_t>(column - 1);
      CopyDispText(info, index < stored.size() && !stored[index].empty()
                             ? stored[index]
                             : data->ColumnText(column));
    }
  }
  if ((info.item.mask & LVIF_IMAGE) && info.item.iSubItem == 0)
    info.item.iImage = item->ImageIndex() >= 1 ? item->ImageIndex() : data->IconIndex();
}

}  // namespace tw
