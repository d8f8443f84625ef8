// Filling the list from its folder, accepting and filtering items, the incremental refresh, and
// the texts and images the control asks for as it shows items.
#include <algorithm>
#include <unordered_map>

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

std::string_view IdBytesOf(const ItemIdList* id) {
  return {reinterpret_cast<const char*>(id), IdListSize(id)};
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

HRESULT TPTCustomShellList::Enumerate(IShellFolder* folder, ComPtr<IEnumIDList>& items) {
  DWORD flags = SHCONTF_FOLDERS | SHCONTF_NONFOLDERS;
  if (options_.Contains(ptsloShowHidden)) flags |= SHCONTF_INCLUDEHIDDEN;
  const HRESULT hr = folder->EnumObjects(OwnerWindow(), flags, items.Receive());
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
    folder_id_ = CopyIdList(abs_id);
    PickUpAllocator();
    folder_object_ = ComPtr<IShellFolder>(folder);
    details_.Reset();
    folder->CreateViewObject(OwnerWindow(), IID_IShellDetails, details_.ReceiveVoid());
    SetUpColumns();

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

std::unique_ptr<TPTShListData> TPTCustomShellList::EnumeratedItem(IShellFolder* folder,
                                                                  ShellItemId id) {
  DWORD attributes = kAddItemAttributeRequest;
  LPCITEMIDLIST items[] = {id.Get()};
  if (FAILED(folder->GetAttributesOf(1, items, &attributes))) return nullptr;
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
  records_.reserve(records_.size() + records.size());
  for (auto& record : records) {
    // Known as a record before the view's insert step asks for it.
    records_.insert(record.get());
    try {
      Items().AddItem(std::string(), record.get());
    } catch (...) {
      records_.erase(record.get());
      throw;
    }
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
  IShellFolder* folder = folder_object_.Get();
  BeginFill();
  Items().BeginUpdate();
  try {
    // Vanished items go; the others fetch their names, sizes and dates anew.
    std::vector<TListItem*> gone;
    std::vector<TPTShListData*> records;
    std::vector<TListItem*> items;
    for (int i = 0, count = Items().Count(); i < count; ++i) {
      TPTShListData* data = ItemData(i);
      if (!data) continue;
      if (data->IsValid()) {
        data->ResetCaches();
        records.push_back(data);
        items.push_back(Items().Item(i));
      } else {
        gone.push_back(Items().Item(i));
      }
    }
    for (TListItem* item : gone) item->Delete();

    ComPtr<IEnumIDList> enumerator;
    if (SUCCEEDED(Enumerate(folder, enumerator)) && enumerator) {
      // Most items come back with the very same bytes; a changed item (a new size or date) is
      // still the same item when the folder says so.
      std::unordered_map<std::string_view, std::size_t> known;
      for (std::size_t i = 0; i < records.size(); ++i)
        known.emplace(IdBytesOf(records[i]->RelativeId()), i);
      std::vector<bool> seen(records.size(), false);
      std::vector<std::unique_ptr<TPTShListData>> added;
      HRESULT next;
      for (;;) {
        ShellItemId id;
        next = enumerator->Next(1, PidlOut(id), nullptr);
        if (next != S_OK) break;
        auto found = known.find(IdBytesOf(id.Get()));
        std::size_t match = found != known.end() ? found->second : records.size();
        for (std::size_t i = 0; i < records.size() && match == records.size(); ++i)
          if (folder->CompareIDs(0, records[i]->RelativeId(), id.Get()) == 0) match = i;
        if (match < records.size()) {
          seen[match] = true;
          continue;
        }
        try {
          if (auto record = EnumeratedItem(folder, std::move(id))) added.push_back(std::move(record));
        } catch (...) {
          ShowWarning(LoadStr(SAddNewShellItemFailed));
          throw;
        }
      }
      // A complete enumeration is the folder's word on what it holds: an item it no longer
      // returns (hidden now, or gone where the folder cannot tell) leaves the list.
      if (next == S_FALSE) {
        for (std::size_t i = 0; i < records.size(); ++i)
          if (!seen[i]) items[i]->Delete();
      }
      AddItems(added);
    }
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
      const auto& stored = item->SubItems();
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
