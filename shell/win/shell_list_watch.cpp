// Watching the shown folder for changes and refreshing once per burst of them.
#include "shell/win/change_handler_thread.h"
#include "shell/win/shell_folders.h"
#include "framework/win/messages.h"
#include "shell/win/shell_list.h"

namespace tw {
namespace {

constexpr unsigned kFocusedRefreshDelay = 400;
constexpr unsigned kUnfocusedRefreshDelay = 2000;

}  // namespace

void TPTCustomShellList::StartWatching() {
  refresh_timer_.SetEnabled(false);
  // A change of the list's own still unreported belongs to the watch being replaced.
  own_change_ = false;
  if (!watcher_)
    watcher_ = std::make_unique<TChangeHandlerThread>(Handle(), WM_TW_FOLDER_CHANGED);
  else
    watcher_->RemoveAllWatches();
  int slot = -1;
  watching_ = watcher_->AddWatch(IdListToPath(folder_id_.Get()),
                                 FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME, slot,
                                 false);
}

void TPTCustomShellList::StopWatching() {
  if (watcher_) watcher_->RemoveAllWatches();
  watching_ = false;
  own_change_ = false;
}

void TPTCustomShellList::FolderChangeNotified() {
  if (own_change_ || dragging_) {
    own_change_ = false;
    return;
  }
  refresh_timer_.SetEnabled(false);
  refresh_timer_.SetInterval(Focused() ? kFocusedRefreshDelay : kUnfocusedRefreshDelay);
  refresh_timer_.SetEnabled(true);
}

void TPTCustomShellList::RefreshTimerFired() {
  refresh_timer_.SetEnabled(false);
  if (combo_) combo_->FlushPendingSync(false);
  if (tree_) tree_->FlushPendingSync(false);
  RefreshItems();
}

}  // namespace tw
