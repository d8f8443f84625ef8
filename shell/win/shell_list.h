#pragma once
// TPTCustomShellList: a list view showing the contents of one shell folder (files and folders
// and virtual items alike). It fills itself through the folder's own enumeration, fetches names,
// icons and column texts only for the items the control shows, sorts through the folder's own
// comparison, filters files by wildcard patterns, opens items, renames them in place, creates
// new folders, refreshes itself when the file system changes and runs the shell's commands on
// its selection. TPTShellList only publishes its properties.
//
// The implementation is split by concern: shell_list.cpp (life cycle, properties, messages),
// shell_list_fill.cpp (filling, refreshing, texts on demand), shell_list_columns.cpp,
// shell_list_sort.cpp, shell_list_navigation.cpp (folder changes, going up, opening),
// shell_list_edit.cpp (new folders and renaming), shell_list_keys.cpp, shell_list_watch.cpp
// (change watching), shell_list_menu.cpp (verbs and the context menu) and
// shell_list_dragdrop.cpp (OLE drag and drop).

#include <shlobj.h>

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "framework/win/com_ptr.h"
#include "framework/win/image_list.h"
#include "framework/win/timer.h"
#include "shell/shell_list_options.h"
#include "shell/shell_locator.h"
#include "shell/win/context_menu.h"
#include "shell/win/custom_list_view.h"
#include "shell/win/folder_read.h"
#include "shell/win/shell_list_data.h"
#include "shell/win/view_drop_target.h"

namespace tw {

class TChangeHandlerThread;
class TPTCustomShellList;
using TDropTarget_shlv = TViewDropTarget<TPTCustomShellList>;

// What a list needs of the path combo that drives it.
class TPTShellListLink {
public:
  virtual ~TPTShellListLink() = default;
  // The component behind the link (the list hears when it is destroyed).
  virtual TComponent* LinkComponent() = 0;
  virtual void GoUp(int levels) = 0;
  // Setting this locator moves the linked control, which then moves the list.
  virtual TPTShellLocator& CurrentFolderLocator() = 0;
  // Carries out at once any action waiting on the control's timer.
  virtual void FlushPendingSync(bool flush_others) = 0;
  // LIST has dropped its link to this control (it linked another, or it goes): forget it.
  virtual void ListUnlinked(TPTCustomShellList* list) = 0;
};

// What a list needs of the folder tree that drives it.
class TPTShellListTreeLink : public TPTShellListLink {
public:
  // Selects (expanding to it) the folder ABS_ID.
  virtual void ExpandToIdList(const ItemIdList* abs_id) = 0;
};

using TPTShAddItemEvent = std::function<void(
    TObject* aSender, IShellFolder* aParentIShf, const ItemIdList* aParentAbsIdList,
    const ItemIdList* aItemRelIdList, int aAttribs, BOOL& afAllowAdd)>;
using TPTShListDeleteItemEvent =
    std::function<void(TObject* aSender, TListItem* aNode, TPTShListData* aShListData)>;
using TPTShDblClickOpenEvent = std::function<void(TObject* aSender, bool& afHandled)>;
using TPTShLvCustomDrawEvent = std::function<void(TObject* aSender, TPTLvCustomDraw& aCD,
                                                  TListItem* aItem, TPTShListData* aData)>;

class TPTCustomShellList : public TPTCustomListView {
public:
  explicit TPTCustomShellList(TComponent* AOwner);
  ~TPTCustomShellList() override;

  std::string ClassName() const override { return "TPTCustomShellList"; }

  // The shown folder; setting it navigates.
  TPTShellLocator& Folder() { return folder_; }
  void SetFolder(const TPTShellLocator& value) { folder_.Assign(value); }
  TPTShellListOptions Options() const { return options_; }
  void SetOptions(TPTShellListOptions value);
  const std::string& FileFilter() const { return file_filter_; }
  void SetFileFilter(const std::string& value);
  int SortColumn() const { return sort_column_; }
  // Sets the signed sort code (1 name, 2 size, 3 type, 4 modified; negative reverses) and sorts.
  void SetSortColumn(int value);

  // The folder object and absolute id of the shown folder (null before the first fill).
  IShellFolder* FolderObject() const { return folder_object_.Get(); }
  const ItemIdList* FolderId() const { return folder_id_.Get(); }
  // The folder's details object, when it offers its own columns.
  IShellDetails* DetailsObject() const { return details_.Get(); }

  void FillList();
  void RefreshItems();
  void GoUp(int Levels);
  bool CreateNewFolder(bool StartRename);
  void InvokeVerb(const std::string& Verb);
  void InvokeFolderVerb(const std::string& Verb);
  void OpenSelection();
  void OpenItem(TListItem* item);
  void NavigateTo(const ItemIdList* abs_id);
  void SelectAllItems();
  TPTShListData* SelectedData();
  TPTShListData* ItemData(int i);
  // The record of ITEM; null for an item that has none (one added by other code).
  TPTShListData* DataOf(const TListItem* item) const;
  // A linked tree selected the folder ABS_ID: show it, unless the list is being loaded.
  void SyncToIdList(const ItemIdList* abs_id);
  void FlushPendingSync(bool flushOthers);
  // Shows the shell's context menu of the selection at CLIENT_POINT; false when it showed none.
  bool ShowShellPopup(POINT client_point);
  // The records of the selected items that have one, in list order.
  std::vector<TPTShListData*> SelectedRecords();

  // Drags the selection out of the list with the left (mbLeft) or right button through OLE;
  // returns when the drag is over.
  void StartOleDrag(TMouseButton button);
  // A drag over the list, handed on by its drop target (screen co-ordinates): each step goes to
  // the shell's own drop target of the item (or the folder) under the mouse.
  HRESULT OleDragEnter(IDataObject* data, DWORD key_state, POINT point, DWORD& effect);
  HRESULT OleDragOver(DWORD key_state, POINT point, DWORD& effect);
  void OleDragLeave();
  HRESULT OleDrop(IDataObject* data, DWORD key_state, POINT point, DWORD& effect);
  // The list's registered drop target (null when ptsloOleDrop is off or there is no window).
  IDropTarget* DropTarget() const;

  // Links made by a tree or combo (null unlinks); a partner replaced is told. The list hears
  // when the linked control goes.
  void SetLinkedTree(TPTShellListTreeLink* tree);
  void SetLinkedCombo(TPTShellListLink* combo);
  TPTShellListTreeLink* LinkedTree() const { return tree_; }
  TPTShellListLink* LinkedCombo() const { return combo_; }

  // The list's drag of its own items is running: fills and refreshes wait until it ends.
  void SetDragging(bool value);
  bool Dragging() const { return dragging_; }

  // Whether fills and refreshes read the folder on a thread of their own (off by default). On,
  // setting Folder returns at once: the items arrive while the message loop runs, sorted as
  // they come, and OnFillComplete tells when the whole folder is there. Off, a fill is done
  // when the call that asked for it returns.
  bool FillsInBackground() const { return fills_in_background_; }
  void SetFillsInBackground(bool value);
  // A background fill is reading the folder (its items so far are in the list).
  bool Filling() const { return read_ && read_->kind == rkFill; }

  // The refresh timer is waiting to run a refresh after change notifications.
  bool RefreshPending() const { return refresh_timer_.Enabled(); }

  // Whether the report columns are the folder's own (from its details object).
  bool HasShellColumns() const { return column_mode_ == cmShell; }

  TPTShAddItemEvent OnAddItem;
  TPTShListDeleteItemEvent OnDeleteItem;
  TPTShPopupHintEvent OnPopupHint;
  TPTShDblClickOpenEvent OnDblClickOpen;
  // Custom draw: at item pre-paint only, and at every stage.
  TPTShLvCustomDrawEvent OnCustomDrawSh;
  TPTShLvCustomDrawEvent OnCustomDrawShEx;
  TNotifyEvent OnFillComplete;
  // A background fill started, items of it arrived, or it ended (see Filling).
  TNotifyEvent OnFillProgress;

protected:
  void BeginItemDrag(TMouseButton button, int item) override;
  // The filter-and-event step of accepting an enumerated item.
  virtual bool AcceptItem(IShellFolder* folder, const ItemIdList* rel_id, DWORD attributes);
  // The body of a fill.
  virtual void FillFolder(IShellFolder* folder, const ItemIdList* abs_id);
  // Builds the set of file names the filter lets through.
  virtual void BeginFill();
  virtual bool MatchesFilter(const std::string& Name, DWORD Attributes);
  virtual void EndFill();
  // Shows the warning of a failed folder creation.
  virtual void ShowWarning(const std::string& text);
  // How a background read binds the folder; made on the message loop's thread at the start of
  // each read, run on the reading thread (so it may use nothing of the list).
  virtual TFolderRead::TBinder ReadBinder();

  void CreateWnd() override;
  void DestroyWnd() override;
  void WndProc(TMessage& message) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void DoGetDispInfo(NMLVDISPINFOA& info) override;
  void ColClick(TListColumn* column) override;
  bool CanEdit(TListItem* item) override;
  void InsertItem(TListItem* item) override;
  // Renames through the folder object; OnEdited then gets the item, or null when the refresh
  // or fill that follows the edit took it away.
  void Edit(TListItem* item, const char* text) override;
  void Delete(TListItem* item) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  bool DoKeyDown(WORD& key, TShiftState shift) override;
  bool DoKeyPress(char& key) override;
  std::unique_ptr<TPTCustomDraw> CustomDrawHook(NMLVCUSTOMDRAW& draw, LRESULT& result) override;
  // Shows the shell's menu of the selection instead of the ordinary popup menu.
  void RequestPopup(TListItem* item, POINT point, TPopupMenu*& menu) override;

private:
  enum TColumnMode { cmNone, cmStandard, cmShell };

  bool Designing() const { return HasState(csDesigning); }
  bool Loading() const { return HasState(csLoading); }
  HWND OwnerWindow();
  void FolderChanged();
  void PickUpAllocator();
  // FillList and RefreshItems without waiting for a running edit or drag.
  void FillNow();
  void RefreshNow();
  // Runs the fill or refresh asked for while an edit or drag of the list's own ran.
  void RunPostponedWork();
  void AddItems(std::vector<std::unique_ptr<TPTShListData>>& records);
  std::unique_ptr<TPTShListData> EnumeratedItem(IShellFolder* folder, ShellItemId id);
  // The record of an item with ATTRIBUTES, or null when the options, the filter or OnAddItem
  // leave it out.
  std::unique_ptr<TPTShListData> AcceptedItem(IShellFolder* folder, ShellItemId id,
                                              DWORD attributes);
  // The SHCONTF_ flags the list enumerates with, and EnumObjects called with them.
  DWORD EnumerationFlags() const;
  HRESULT Enumerate(IShellFolder* folder, ComPtr<IEnumIDList>& items);
  // Takes FOLDER (of ABS_ID) as the shown folder: its id, object, details and columns.
  void TakeFolder(IShellFolder* folder, const ItemIdList* abs_id);
  // The records a refresh's read was told of, in the list's order when it began, and which of
  // them the read met (it hands over only the items it did not).
  struct TKnownRecords {
    std::vector<TPTShListData*> records;
    std::vector<bool> met;
  };
  // Matches a complete enumeration's items to the list's: vanished ones go, new ones come.
  // INCOMPLETE: the enumeration failed midway, so only items the folder no longer validates go.
  // KNOWN: the records the enumeration met without handing them over.
  void MergeRefresh(std::vector<TReadItem>& enumerated, bool incomplete,
                    const TKnownRecords* known = nullptr);
  // Marks in SEEN the RECORDS (the list's now) that KNOWN says the read met.
  static void MarkMetRecords(const TKnownRecords& known, const std::vector<TPTShListData*>& records,
                             std::vector<bool>& seen);

  // The background read (shell_list_read.cpp).
  enum TReadKind { rkFill, rkRefresh };
  struct TRunningRead {
    TReadKind kind = rkFill;
    WPARAM tag = 0;
    std::shared_ptr<TFolderRead> read;
    // Taken from the read and not yet added (from NEXT on).
    std::vector<TReadItem> items;
    std::size_t next = 0;
    // While slices follow each other the control hears of new items only every so often: each
    // time it lays them all out and repaints. The update bracket stays open meanwhile.
    bool holding_update = false;
    ULONGLONG shown_at = 0;
    // A fill's previous folder, shown again should the read fail.
    ShellItemId old_id;
    ComPtr<IShellFolder> old_folder;
    ComPtr<IShellDetails> old_details;
    // A refresh's records whose ids the read was given.
    std::vector<TPTShListData*> known_records;
  };
  void StartFillRead();
  void StartRefreshRead();
  void StartRead(TReadKind kind, std::shared_ptr<const TKnownIds> known = nullptr);
  void ReadArrived(WPARAM tag, LPARAM what);
  void AddReadItems(TRunningRead& read);
  // Closes the update bracket a read holds open, so the control hears of its items.
  void ShowReadItems(TRunningRead& read);
  void CompleteFillRead();
  // A fill that failed or was abandoned by an exception: nothing of the folder shows.
  void FailFillRead();
  void CancelRead();

  void SetUpColumns();
  void SaveColumnWidths();
  struct TColumnLayout {
    std::string caption;
    TAlignment alignment;
    int width;
  };
  // The columns to show, with their widths; each also sets the column mode.
  std::vector<TColumnLayout> StandardColumns();
  std::vector<TColumnLayout> ShellColumns();
  void ApplyColumns(const std::vector<TColumnLayout>& wanted);

  void Sort();
  static int CALLBACK CompareItems(LPARAM item1, LPARAM item2, LPARAM list);

  void StartWatching();
  void StopWatching();
  void FolderChangeNotified();
  void RefreshTimerFired();

  // Adds the folder NAME just created in the shown folder.
  void AddNewFolder(const std::string& name);
  void StartRenameNewFolder();

  void RegisterDropTarget();
  void RevokeDropTarget();
  // The shell's drop target under CLIENT_POINT for a drag with KEY_STATE (see the .cpp); null
  // when there is none. SELF_ANSWER is set when the list answers itself (EFFECT then holds it).
  ComPtr<IDropTarget> DropTargetAt(POINT client_point, DWORD key_state, bool& self_answer,
                                   DWORD& effect);
  void HighlightDropItem(int index);

  TPTShellLocator folder_;
  TPTShellListOptions options_ = kDefaultShellListOptions;
  std::string file_filter_;
  std::vector<std::string> patterns_;
  std::unique_ptr<std::set<std::string>> filter_set_;
  ComPtr<IShellFolder> folder_object_;
  ShellItemId folder_id_;
  ComPtr<IMalloc> allocator_;
  ComPtr<IShellDetails> details_;
  int sort_column_ = 1;
  TColumnMode column_mode_ = cmNone;
  bool remember_widths_ = false;
  TPTShellListTreeLink* tree_ = nullptr;
  TPTShellListLink* combo_ = nullptr;
  TTimer refresh_timer_;
  std::unique_ptr<TChangeHandlerThread> watcher_;
  bool watching_ = false;
  bool own_change_ = false;
  bool dragging_ = false;
  bool fills_in_background_ = false;
  std::unique_ptr<TRunningRead> read_;
  WPARAM read_tag_ = 0;
  // Asked for during an edit or a drag of the list's own: a fill (of the folder Folder names
  // now) and a refresh (of the shown folder) are kept apart, and a fill makes a refresh needless.
  bool fill_pending_ = false;
  bool refresh_pending_ = false;
  // The item being renamed while its rename runs; cleared when the item is deleted meanwhile.
  TListItem* renamed_item_ = nullptr;
  std::string new_folder_name_;
  int navigation_depth_ = 0;
  // Counts fills, so that a navigation can tell whether it reached a fill.
  unsigned fill_count_ = 0;
  ComPtr<IContextMenu> context_menu_;
  // The registered drop target; and during a drag over the list its data object, the key state
  // at its entry, the highlighted item and the time of the last auto-scroll step.
  ComPtr<TDropTarget_shlv> drop_target_;
  ComPtr<IDataObject> drag_data_;
  DWORD drag_enter_keys_ = 0;
  int drop_highlight_ = -1;
  DWORD last_auto_scroll_ = 0;
  TImageList small_images_;
  TImageList large_images_;
};

class TPTShellList : public TPTCustomShellList {
public:
  explicit TPTShellList(TComponent* AOwner);
  std::string ClassName() const override { return "TPTShellList"; }
};

}  // namespace tw
