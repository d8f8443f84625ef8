// Watching the drives for folders that come and go, and refreshing after a burst of changes.
#include <algorithm>
#include <cctype>

#include "framework/win/messages.h"
#include "shell/win/change_handler_thread.h"
#include "shell/win/shell_folders.h"
#include "shell/win/shell_tree.h"

namespace tw {
namespace {

// The root of PATH's drive with a trailing backslash: "C:\" for "C:\a\b", "\\server\share\" for
// "\\server\share\a"; empty when PATH names no drive. A drive letter is given in upper case.
std::string DriveRootOf(const std::string& path) {
  if (path.size() >= 2 && path[1] == ':')
    return std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])))) +
           ":\\";
  if (path.size() > 2 && path[0] == '\\' && path[1] == '\\') {
    const std::size_t server_end = path.find('\\', 2);
    if (server_end == std::string::npos || server_end == 2) return {};
    const std::size_t share_end = path.find('\\', server_end + 1);
    if (share_end == server_end + 1) return {};
    return path.substr(0, share_end) + "\\";
  }
  return {};
}

// Folder names, and file names too when the tree shows files.
DWORD WatchFilter(TPTShellTreeOptions options) {
  return options.Contains(ptstoIncludeNonFolders)
             ? FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_FILE_NAME
             : FILE_NOTIFY_CHANGE_DIR_NAME;
}

bool IsWatchedDriveType(UINT type) {
  return type == DRIVE_FIXED || type == DRIVE_REMOTE || type == DRIVE_RAMDISK;
}

}  // namespace

void TPTCustomShellTree::EnsureWatcher() {
  if (!watcher_) watcher_ = std::make_unique<TChangeHandlerThread>(Handle(), WM_TW_FOLDER_CHANGED);
}

void TPTCustomShellTree::StartChangeWatch() {
  EnsureWatcher();
  watcher_->RemoveAllWatches();
  watched_folders_.clear();
  watched_roots_.clear();
  const DWORD drives = GetLogicalDrives();
  for (int letter = 0; letter < 26; ++letter) {
    if (!(drives & (1u << letter))) continue;
    const std::string root = std::string(1, static_cast<char>('A' + letter)) + ":\\";
    if (IsWatchedDriveType(GetDriveTypeA(root.c_str()))) AddChangeWatch(root);
  }
  watching_drives_ = true;
  WatchExpandedFolders(nullptr);
}

void TPTCustomShellTree::WatchExpandedFolders(TTreeNode* parent) {
  TTreeNode* node = parent ? parent->GetFirstChild() : Items().GetFirstNode();
  for (; node; node = node->GetNextSibling()) {
    if (!node->Expanded()) continue;
    WatchExpandedFolder(node);
    WatchExpandedFolders(node);
  }
}

void TPTCustomShellTree::StopChangeWatch() {
  if (watcher_) watcher_->RemoveAllWatches();
  watching_drives_ = false;
  watched_folders_.clear();
  watched_roots_.clear();
}

void TPTCustomShellTree::Expand(TTreeNode* node) {
  TPTCustomTreeView::Expand(node);
  WatchExpandedFolder(node);
}

void TPTCustomShellTree::Collapse(TTreeNode* node) {
  UnwatchFolder(node);
  TPTCustomTreeView::Collapse(node);
}

void TPTCustomShellTree::WatchExpandedFolder(TTreeNode* node) {
  TPTShTreeData* data = GetNodeData(node);
  if (!watcher_ || !watching_drives_ || !data || watched_folders_.count(node)) return;
  const std::string path = IdListToPath(data->AbsoluteId());
  if (path.empty()) return;
  int slot = -1;
  // When the slots run out the drives' watches are left to see the change.
  if (watcher_->AddWatch(path, WatchFilter(options_), slot, false)) watched_folders_[node] = slot;
}

void TPTCustomShellTree::UnwatchFolder(const TTreeNode* node) {
  const auto watched = watched_folders_.find(node);
  if (watched == watched_folders_.end()) return;
  if (watcher_) watcher_->RemoveWatch(watched->second);
  watched_folders_.erase(watched);
}

void TPTCustomShellTree::AddChangeWatch(const std::string& path) {
  EnsureWatcher();
  if (path.empty()) {
    watcher_->RemoveAllWatches();
    watched_folders_.clear();
    watched_roots_.clear();
    return;
  }
  const std::string root = DriveRootOf(path);
  if (root.empty()) return;
  int slot = -1;
  if (watcher_->AddWatch(root, WatchFilter(options_), slot, true)) watched_roots_[root] = slot;
}

void TPTCustomShellTree::ExpectRenameNotice(TTreeNode* node) {
  rename_notice_slots_.clear();
  if (!watcher_ || !node->Parent()) return;
  const auto folder = watched_folders_.find(node->Parent());
  if (folder != watched_folders_.end()) rename_notice_slots_.push_back(folder->second);
  TPTShTreeData* parent = GetNodeData(node->Parent());
  const auto root =
      parent ? watched_roots_.find(DriveRootOf(IdListToPath(parent->AbsoluteId())))
             : watched_roots_.end();
  if (root != watched_roots_.end()) rename_notice_slots_.push_back(root->second);
}

void TPTCustomShellTree::FolderChangeNotified(int slot) {
  const auto of_rename = [this](int s) {
    return std::find(rename_notice_slots_.begin(), rename_notice_slots_.end(), s) !=
           rename_notice_slots_.end();
  };
  // The change a rename here made refreshes nothing, nor does one seen while a drag out of the
  // tree runs (a refresh asked for meanwhile runs at the drag's end). A notice from a watch that
  // cannot see the renamed item reports another change.
  if (!dragging_ && !of_rename(slot)) {
    ScheduleRefresh();
    return;
  }
  // One change is reported by every watch that sees it: its notices come together.
  bool other = false;
  MSG waiting;
  while (PeekMessageA(&waiting, Handle(), WM_TW_FOLDER_CHANGED, WM_TW_FOLDER_CHANGED, PM_REMOVE))
    other |= !dragging_ && !of_rename(static_cast<int>(waiting.wParam));
  rename_notice_slots_.clear();
  if (other) ScheduleRefresh();
}

}  // namespace tw
