#pragma once
// TPTCustomShellTree: a tree view of the shell namespace below a base folder (the desktop by
// default). A node's children are enumerated from its folder the first time it expands, sorted
// in the folder's own order (with FillsInBackground, on a thread of their own when the user
// expands it); icons are asked for when a node is first painted. The tree keeps a
// current folder, follows it when a linked list or combo changes it, and moves them when the
// user selects a node (at once for a click or a program's move, after 500 ms of rest for the
// keyboard). It renames folders in place and brings its nodes up to date with RefreshTree.
// TPTShellTree only publishes its properties.
//
// The implementation is split by concern: shell_tree.cpp (life cycle, properties, links,
// messages, custom draw), shell_tree_fill.cpp (filling, expanding, sorting, images),
// shell_tree_read.cpp (children read in the background),
// shell_tree_sync.cpp (selection and the linked views, ExpandToIdList, GoUp),
// shell_tree_refresh.cpp, shell_tree_rename.cpp, shell_tree_watch.cpp (watching the drives),
// shell_tree_dragdrop.cpp (OLE drags out of and onto nodes), shell_tree_menu.cpp (the node's
// shell context menu) and shell_tree_keys.cpp (the shell command keys).

#include <shlobj.h>

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "framework/win/image_list.h"
#include "framework/win/timer.h"
#include "shell/shell_locator.h"
#include "shell/shell_tree_options.h"
#include "shell/win/context_menu.h"
#include "shell/win/custom_tree_view.h"
#include "shell/win/folder_read.h"
#include "shell/win/shell_list.h"
#include "shell/win/shell_tree_data.h"
#include "shell/win/view_drop_target.h"

namespace tw {

class TPTCustomShellTree;

// What a tree needs of the path combo linked to it.
class TPTShellTreeComboLink {
public:
  virtual ~TPTShellTreeComboLink() = default;
  // The component behind the link (the tree hears when it is destroyed).
  virtual TComponent* LinkComponent() = 0;
  // The tree selected the folder ABS_ID: show it, without moving the tree back.
  virtual void SyncToIdList(const ItemIdList* abs_id) = 0;
  // Carries out at once any action waiting on the combo's timer.
  virtual void FlushPendingSync(bool flush_others) = 0;
  // The combo's own folder, which a rename in the tree points at the new name.
  virtual TPTShellLocator& CurrentFolderLocator() = 0;
  // TREE has dropped its link to the combo (it linked another, or it goes): forget it.
  virtual void TreeUnlinked(TPTCustomShellTree* tree) = 0;
};

class TChangeHandlerThread;
using TDropTarget_shtv = TViewDropTarget<TPTCustomShellTree>;

using TPTShTreeDeleteItemEvent =
    std::function<void(TObject* aSender, TTreeNode* aNode, TPTShTreeData* aShTreeData)>;
using TPTShTvCustomDrawEvent = std::function<void(TObject* aSender, TPTCustomDraw& aCD,
                                                  TTreeNode* aNode, TPTShTreeData* aData)>;

class TPTCustomShellTree : public TPTCustomTreeView, public TPTShellListTreeLink {
public:
  explicit TPTCustomShellTree(TComponent* AOwner);
  ~TPTCustomShellTree() override;

  std::string ClassName() const override { return "TPTCustomShellTree"; }

  // The root of the tree; setting it refills the tree (with ptstoAutoFill).
  TPTShellLocator& BaseFolder() { return base_folder_; }
  void SetBaseFolder(const TPTShellLocator& value);
  // The folder of the selected node; setting it selects that folder.
  TPTShellLocator& CurrentFolder() { return current_folder_; }
  TPTCustomShellList* ShellList() const { return shell_list_; }
  void SetShellList(TPTCustomShellList* value);
  TPTShellTreeOptions Options() const { return options_; }
  void SetOptions(TPTShellTreeOptions value);
  // Link made by a combo (null unlinks); a combo replaced is told. The tree hears when the
  // combo goes.
  void SetLinkedCombo(TPTShellTreeComboLink* combo);
  TPTShellTreeComboLink* LinkedCombo() const { return combo_; }
  // Whether a node the user expands for the first time has its children read on a thread of
  // its own (TFolderRead): the node opens once they are there, and the window answers
  // meanwhile. The code's own expansions (following the list or combo, filling, refreshing)
  // always fill at once. Off by default.
  bool FillsInBackground() const { return fills_in_background_; }
  void SetFillsInBackground(bool value);

  // Discards every node and builds the tree again.
  void FillTree();
  // Brings the existing nodes up to date with the shell: gone items leave, new ones come.
  void RefreshTree();
  // Expands the nodes along ABS_ID and selects the deepest one that exists.
  void ExpandToIdList(const ItemIdList* abs_id) override;
  // The combo chose LOCATOR: select it (while loading or busy, only move the list).
  void SetCurrentFolder(const TPTShellLocator& locator);
  // Selects the ancestor LEVELS above the selected node (stopping at the top).
  void GoUp(int Levels) override;
  void FlushPendingSync(bool flushOthers) override;
  // Runs the shell verb VERB on NODE's item; 1 for the root node, which has no parent folder.
  HRESULT InvokeNodeVerb(TTreeNode* node, const std::string& verb);

  // Watches the root of every fixed, remote and RAM drive with its subtree, and each expanded
  // folder by itself (the list is cleared first); a change under one refreshes the tree after a
  // rest. Some shells (Wine's) report below a watched folder only the changes among its own
  // children: the expanded folders' watches see what the drives' watches miss there.
  void StartChangeWatch();
  // Adds a watch of the drive root of PATH with its subtree; an empty PATH clears the watches.
  virtual void AddChangeWatch(const std::string& path);

  // The effects (DROPEFFECT_COPY | MOVE | LINK) NODE's item allows; all three when unknown.
  DWORD NodeDragEffects(TTreeNode* node);
  // A drag over the tree (from its drop target): every step goes to the shell's drop target of
  // the node under the screen point POINT.
  HRESULT OleDragEnter(IDataObject* data, DWORD key_state, POINT point, DWORD& effect);
  HRESULT OleDragOver(DWORD key_state, POINT point, DWORD& effect);
  void OleDragLeave();
  HRESULT OleDrop(IDataObject* data, DWORD key_state, POINT point, DWORD& effect);
  // The drop target registered for the window; null when none is.
  IDropTarget* OleDropTarget() const;

  // Shows the shell's context menu of NODE at the screen point POINT and runs what is chosen.
  virtual void ShowNodeContextMenu(TTreeNode* node, POINT point);
  // Hands NODE's data object to Send To entry INDEX.
  virtual void SendToItem(TTreeNode* node, int index);
  // The data object of NODE (TDataObject_shtv) for a drag or Send To; null for the root or a
  // node without shell data.
  virtual ComPtr<IDataObject> CreateNodeDataObject(TTreeNode* node);

  // The record of NODE; null for a node without one (one added by other code).
  TPTShTreeData* GetNodeData(const TTreeNode* node) const;
  bool IsShellNode(const TTreeNode* node) const { return GetNodeData(node) != nullptr; }
  TTreeNode* FirstShellRoot();
  // The child of PARENT whose relative id the folder compares equal to REL_ID (PARENT null:
  // the first shell root).
  void ExpandOnce(TTreeNode* node);
  TTreeNode* FindChildNode(TTreeNode* parent, const ItemIdList* rel_id);

  // The list link.
  TComponent* LinkComponent() override { return this; }
  TPTShellLocator& CurrentFolderLocator() override { return current_folder_; }
  void ListUnlinked(TPTCustomShellList* list) override;

  TPTShAddItemEvent OnAddItem;
  TPTShTreeDeleteItemEvent OnDeleteItem;
  TPTShPopupHintEvent OnPopupHint;
  // Custom draw: at item pre-paint only, and at every stage.
  TPTShTvCustomDrawEvent OnCustomDrawSh;
  TPTShTvCustomDrawEvent OnCustomDrawShEx;
  TNotifyEvent OnFillComplete;

protected:
  // Asks OnAddItem whether an enumerated item becomes a node.
  virtual bool DoAddItem(IShellFolder* folder, const ItemIdList* parent_abs_id, DWORD attributes,
                         const ItemIdList* rel_id);
  // NODE is being deleted: raises OnDeleteItem and frees its record.
  virtual void DoDeleteItem(TTreeNode* node);
  // Enumerates FOLDER into NODE's children; a null NODE builds the root node and its children.
  virtual void FillChildren(IShellFolder* folder, TTreeNode* node);
  virtual void DoCustomDrawSh(TPTCustomDraw& draw, TTreeNode* node, TPTShTreeData* data);
  // Fills NODE's children before its first expansion.
  virtual void DoFillNode(TTreeNode* node);
  virtual void DoFillComplete();
  // How a background read binds the folder; made on the message loop's thread at the start of
  // each read, run on the reading thread (so it may use nothing of the tree).
  virtual TFolderRead::TBinder ReadBinder();

  // StopChangeWatch clears the watches when ptstoDynamicRefresh is switched off;
  // UpdateDropTarget registers the window as a drop target (REGISTER) or revokes it.
  void StopChangeWatch();
  void UpdateDropTarget(bool register_it);
  // A drag started here: fills and refreshes wait until it ends (SetDragging(false) runs what
  // waits).
  bool Dragging() const { return dragging_; }
  void SetDragging(bool value);
  // Starts the sync timer for a refresh: 400 ms while the tree has the focus, else 2000 ms.
  void ScheduleRefresh();
  // Whether the sync timer waits to refresh.
  bool RefreshScheduled() const { return sync_job_ == sjRefresh && sync_timer_.Enabled(); }
  // Set by a rename that a watch will report: the slots of the watches that see it, whose next
  // notice is the rename's own and refreshes nothing.
  std::vector<int> rename_notice_slots_;
  // The context menu open on a node, for the menu messages.
  ComPtr<IContextMenu> context_menu_;

  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void WndProc(TMessage& message) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Loaded() override;
  void DoNotify(const NMHDR& header, LRESULT& result) override;
  bool DoKeyDown(WORD& key, TShiftState shift) override;
  void RequestPopup(TTreeNode* node, POINT point, TPopupMenu*& menu) override;
  bool CanExpand(TTreeNode* node) override;
  void Expand(TTreeNode* node) override;
  void Collapse(TTreeNode* node) override;
  void Change(TTreeNode* node) override;
  bool CanEdit(TTreeNode* node) override;
  bool Edit(TTreeNode* node, const char* text) override;
  void GetImageIndex(TTreeNode* node) override;
  void GetSelectedIndex(TTreeNode* node) override;
  void Delete(TTreeNode* node) override;
  std::unique_ptr<TPTCustomDraw> CustomDrawHook(NMTVCUSTOMDRAW& draw, LRESULT& result) override;

private:
  // Raises a busy counter for as long as it lives.
  class TBusy {
  public:
    explicit TBusy(int& counter) : counter_(counter) { ++counter_; }
    ~TBusy() { --counter_; }
    TBusy(const TBusy&) = delete;
    TBusy& operator=(const TBusy&) = delete;

  private:
    int& counter_;
  };
  enum TSyncJob : int { sjNone = 0, sjSyncViews = 1, sjRefresh = 2 };

  bool Designing() const { return HasState(csDesigning); }
  bool Loading() const { return loading_ || HasState(csLoading); }
  HWND OwnerWindow();
  void BaseFolderChanged();
  void CurrentFolderChanged();
  // Runs the fill or refresh asked for while a drag or an edit held it back.
  void RunPostponedWork();
  void FillNow();
  // Fills and hands the current folder to the list (window creation and load step).
  void AutoFill();

  // An enumerated item that is to become a node.
  struct TNewNode {
    ShellItemId id;
    std::string text;
    SFGAOF attributes;
  };
  // Adds the item REL_ID of FOLDER to NODES unless it is no candidate or is refused; a failing
  // attribute request is returned.
  HRESULT CollectShellNode(IShellFolder* folder, ShellItemId rel_id,
                           const ItemIdList* parent_abs_id, std::vector<TNewNode>& nodes);
  // The same for an item whose ATTRIBUTES (kAddItemAttributeRequest) are known.
  void AcceptShellNode(IShellFolder* folder, ShellItemId rel_id, SFGAOF attributes,
                       const ItemIdList* parent_abs_id, std::vector<TNewNode>& nodes);
  // Sorts NODES in FOLDER's order and adds them among PARENT's children where that order puts
  // them, each made with its marks in one insert; their ids move into the nodes' records.
  void AddShellNodes(IShellFolder* folder, TTreeNode* parent, std::vector<TNewNode>& nodes);
  TTreeNodeMarks NodeMarks(SFGAOF attributes) const;
  // Sorts NODE's children (the top level for null) in their folder's order.
  void SortChildren(TTreeNode* node);
  static int CALLBACK CompareNodes(LPARAM node1, LPARAM node2, LPARAM tree);
  DWORD EnumerationFlags() const;

  // A read of a node's children on a thread of its own, found by the tag its messages carry.
  // The node is valid while the read is listed: deleting a node ends its read.
  struct TNodeRead {
    TTreeNode* node = nullptr;
    std::shared_ptr<TFolderRead> read;
    std::vector<TReadItem> items;
    // Whether the node opens once read (a user's expansion), and whether a refresh asked for
    // the read (its children are then brought up to date, and the nodes below them after).
    bool open = true;
    bool refresh = false;
  };
  using TNodeReads = std::unordered_map<WPARAM, TNodeRead>;
  // Whether NODE's children are still to be enumerated.
  bool NeedsFill(TTreeNode* node);
  // Starts reading NODE's children, unless a read of them runs already; false when no thread
  // could be made for it. OPEN: the node opens once read; else a refresh asked for the read.
  bool StartNodeRead(TTreeNode* node, bool open = true);
  TNodeReads::iterator FindNodeRead(const TTreeNode* node);
  // Cancels the read and forgets it.
  void EndNodeRead(TNodeReads::iterator read);
  void CancelNodeRead(const TTreeNode* node);
  void CancelNodeReads();
  // The read's message: takes what arrived, and once the read is over fills and opens its node.
  void NodeReadArrived(WPARAM tag);
  // Adds the nodes for the ITEMS read of NODE's folder, as a fill enumerating them would.
  void AddReadNodes(TTreeNode* node, std::vector<TReadItem>& items);
  // The busy shape over the tree while a read runs.
  void ShowReadCursor();

  // Selects NODE with the linked views following at once.
  void SelectNow(TTreeNode* node);
  // Moves the current folder, the list and the combo to NODE, with the busy counter raised.
  void SyncViewsTo(TTreeNode* node);
  void SyncTimerFired();
  void RunSyncJob(int job);

  // One refresh: the node the selection goes back to, and the control's drawing.
  class TRefreshPass;
  void RefreshNow();
  void RefreshNode(TTreeNode* node, TRefreshPass& pass);
  // Brings NODE's children up to date with what its FOLDER holds, PRESENT (ENUMERATED: the
  // enumeration succeeded), and then the nodes below them.
  void MergeChildren(TTreeNode* node, IShellFolder* folder, std::vector<ShellItemId>& present,
                     bool enumerated, TRefreshPass& pass);
  void RefreshChildren(TTreeNode* node, TRefreshPass& pass);
  // A refresh's read of NODE's folder has ended with ITEMS: the same for them.
  void RefreshReadNode(TTreeNode* node, std::vector<TReadItem>& items);
  // Renames NODE's item to TEXT through its parent folder and points the views at the new name;
  // a refused name changes nothing.
  void Rename(TTreeNode* node, TPTShTreeData& data, const std::string& text);
  // Forgets every descendant's cached ids and folders after NODE was renamed.
  void ResetDescendantCaches(TTreeNode* node);

  // The watcher's message: a change seen by the watch in SLOT.
  void FolderChangeNotified(int slot);
  // After NODE was renamed: notes the watches that will report it.
  void ExpectRenameNotice(TTreeNode* node);
  void EnsureWatcher();
  // Watches NODE's folder by itself, once, while the drives are watched.
  void WatchExpandedFolder(TTreeNode* node);
  // Closes the watch of NODE's folder, if it has one.
  void UnwatchFolder(const TTreeNode* node);
  // Watches the expanded folders among PARENT's children (the top level for null) and below.
  void WatchExpandedFolders(TTreeNode* parent);
  // The tree view's begin-drag notifications: drags NODE out with the left or right button.
  void StartNodeDrag(TTreeNode* node, bool right_button);
  // The shell's drop target of the shell node at CLIENT_POINT; null when there is none.
  ComPtr<IDropTarget> NodeDropTargetAt(POINT client_point);

  TPTShellLocator base_folder_;
  TPTShellLocator current_folder_;
  TTimer sync_timer_;
  int sync_job_ = sjNone;
  TPTCustomShellList* shell_list_ = nullptr;
  TPTShellTreeOptions options_ = kDefaultShellTreeOptions;
  TPTShellTreeComboLink* combo_ = nullptr;
  bool immediate_sync_ = false;
  bool fills_in_background_ = false;
  // Set while the control reports an expansion of its own (the user's) until CanExpand hears it.
  bool user_expansion_ = false;
  TNodeReads node_reads_;
  WPARAM read_tag_ = 0;
  TCursor cursor_before_reads_ = crDefault;
  int busy_ = 0;
  bool loading_ = false;
  bool dragging_ = false;
  // Work held back by a drag or an edit: a new fill (the base folder changed) outranks a
  // refresh of the nodes there are.
  bool fill_pending_ = false;
  bool refresh_pending_ = false;
  // The node being renamed, until it is deleted.
  TTreeNode* edited_node_ = nullptr;
  std::unique_ptr<TChangeHandlerThread> watcher_;
  // Whether the drives are watched, and the watcher's slot of each expanded folder watched
  // besides them (a watch holds the folder open, and the slots are few: it goes with its node's
  // expansion).
  bool watching_drives_ = false;
  std::unordered_map<const TTreeNode*, int> watched_folders_;
  // The watcher's slot of each drive root watched, by its upper-case root ("C:\").
  std::unordered_map<std::string, int> watched_roots_;
  // The node a drag out of the tree started from, highlighted while the drag is elsewhere.
  TTreeNode* drag_node_ = nullptr;
  ComPtr<TDropTarget_shtv> drop_target_;
  // The data object of a drag over the tree and the mouse buttons down when it entered.
  ComPtr<IDataObject> drag_data_;
  DWORD drag_enter_keys_ = 0;
  DWORD last_auto_scroll_ = 0;
  // The records the nodes hold, to tell them from other data a node may carry.
  std::unordered_set<const void*> records_;
  TImageList images_;
};

class TPTShellTree : public TPTCustomShellTree {
public:
  explicit TPTShellTree(TComponent* AOwner);
  std::string ClassName() const override { return "TPTShellTree"; }
};

}  // namespace tw
