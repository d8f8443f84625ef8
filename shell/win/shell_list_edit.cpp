// Creating new folders and renaming items in place.
#include <utility>

#include "framework/string_table.h"
#include "framework/win/messages.h"
#include "shell/win/pidl.h"
#include "shell/win/shell_errors.h"
#include "shell/win/shell_folders.h"
#include "shell/win/shell_list.h"
#include "shell/win/shell_list_hourglass.h"
#include "shell/win/wide_text.h"
#include "shell/win/window_helpers.h"

namespace tw {
namespace {

constexpr int kNewFolderAttempts = 50;

// "Unable to create the folder '%2'\r\n\r\n%1" with the system's text for ERROR and NAME.
std::string CreateFolderFailedText(DWORD error, const std::string& name) {
  std::string text = LoadStr(SCreateFolderFailed);
  auto put = [&text](const std::string& mark, const std::string& value) {
    const std::size_t at = text.find(mark);
    if (at != std::string::npos) text.replace(at, mark.size(), value);
  };
  put("%2", name);
  put("%1", SysErrorMessage(error));
  return text;
}

}  // namespace

void TPTCustomShellList::ShowWarning(const std::string& text) {
  MessageBoxA(OwnerWindow(), text.c_str(), nullptr, MB_OK | MB_ICONWARNING);
}

bool TPTCustomShellList::CreateNewFolder(bool StartRename) {
  const std::string base = LoadStr(SNewFolder);
  std::string path = folder_object_ ? IdListToPath(folder_id_.Get()) : std::string();
  if (path.empty()) {
    // A virtual folder (My Computer, the printers) holds no directories: nothing is made, not
    // even in the process's current directory.
    ShowWarning(CreateFolderFailedText(ERROR_NOT_SUPPORTED, base));
    return false;
  }
  path = IncludeTrailingChar(path, '\\');
  // Only a watched folder reports the change back; a flag nobody clears would swallow the next
  // change made by someone else.
  own_change_ = watching_;
  std::string created;
  for (int n = 1; n <= kNewFolderAttempts && created.empty(); ++n) {
    const std::string name = n == 1 ? base : base + Format(" (%d)", n);
    if (CreateDirectoryA((path + name).c_str(), nullptr)) {
      created = name;
      break;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_ALREADY_EXISTS) {
      own_change_ = false;
      ShowWarning(CreateFolderFailedText(error, name));
      return false;
    }
  }
  if (created.empty()) {
    own_change_ = false;
    ShowWarning(CreateFolderFailedText(ERROR_ALREADY_EXISTS, base));
    return false;
  }
  AddNewFolder(created);
  if (StartRename) {
    new_folder_name_ = created;
    PostMessageA(Handle(), WM_TW_START_RENAME, 0, 0);
  }
  return true;
}

void TPTCustomShellList::AddNewFolder(const std::string& name) {
  // A fill still reading may bring the folder itself; an edit or drag holds back every change.
  if (Filling() || dragging_ || IsEditing()) {
    RefreshItems();
    return;
  }
  // Only the new folder joins the list: a refresh would list a large folder anew.
  std::wstring wide;
  ShellItemId id;
  ULONG eaten = 0;
  if (!ToWidePath(name, wide) ||
      FAILED(folder_object_->ParseDisplayName(OwnerWindow(), nullptr, wide.data(), &eaten,
                                              PidlOut(id), nullptr))) {
    RefreshItems();
    return;
  }
  std::vector<std::unique_ptr<TPTShListData>> records;
  if (auto record = EnumeratedItem(folder_object_.Get(), std::move(id)))
    records.push_back(std::move(record));
  Items().BeginUpdate();
  try {
    AddItems(records);
  } catch (...) {
    Items().EndUpdate();
    throw;
  }
  Items().EndUpdate();
  // A refresh still reading may have missed the folder: it starts again.
  if (read_) StartRefreshRead();
}

void TPTCustomShellList::StartRenameNewFolder() {
  for (int i = 0, count = Items().Count(); i < count; ++i) {
    TPTShListData* data = ItemData(i);
    if (!data || data->DisplayName() != new_folder_name_) continue;
    TListItem* item = Items().Item(i);
    SetItemFocused(item);
    item->MakeVisible(false);
    item->EditCaption();
    return;
  }
}

bool TPTCustomShellList::CanEdit(TListItem* item) {
  TPTShListData* data = DataOf(item);
  if (!data || Designing() || !data->CanRename()) return false;
  return TPTCustomListView::CanEdit(item);
}

void TPTCustomShellList::Edit(TListItem* item, const char* text) {
  TPTShListData* data = DataOf(item);
  renamed_item_ = item;
  if (text && data && folder_object_) {
    own_change_ = watching_;
    TShellListHourglass hourglass;
    std::wstring name;
    ShellItemId renamed;
    HRESULT hr = HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    if (ToWidePath(text, name))
      hr = folder_object_->SetNameOf(OwnerWindow(), data->RelativeId(), name.c_str(), 0x20,
                                     PidlOut(renamed));
    if (SUCCEEDED(hr) && renamed) {
      data->SetRelativeId(std::move(renamed));
      item->Update();
    } else if (SUCCEEDED(hr)) {
      // The folder renamed the item without handing out its new id: find it again.
      refresh_pending_ = true;
    } else {
      own_change_ = false;
    }
  }
  // The edit is over, also when it was cancelled, even while the control still holds its edit
  // window: what was asked for meanwhile runs now. It may take the item away.
  RunPostponedWork();
  TListItem* live_item = std::exchange(renamed_item_, nullptr);
  if (!text || !data) return;
  std::string s = text;
  if (OnEdited) OnEdited(this, live_item, s);
}

}  // namespace tw
