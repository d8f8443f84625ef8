#pragma once
// TCustomTreeView: the framework's tree view over the common control (WC_TREEVIEWA), with its
// nodes (TTreeNode, TTreeNodes). Each node is an object that lives as long as its item; the
// item's lParam points at it. Nodes keep their text, images and marks, so re-creating the
// window re-creates every item from them. The control's notifications arrive as CN_NOTIFY
// (reflected by the parent) and go through overridable steps (CanExpand, Change, Edit,
// GetImageIndex, ...), so that derived views can take them over.
//
// The nodes also keep the hierarchy themselves (parent, children, siblings), following every
// insert, sort and deletion of the control, so that walking the tree sends no message (each one
// passes the window procedures and the control's look-up of the item, which on a folder of
// thousands of nodes cost more than the shell's own work).
//
// Images are asked for on demand (I_IMAGECALLBACK): the first paint of a node asks
// GetImageIndex / GetSelectedIndex, which raise OnGetImageIndex / OnGetSelectedIndex and then
// use the node's ImageIndex / SelectedIndex.

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "framework/win/image_list.h"
#include "framework/win/win_control.h"

namespace tw {

class TCustomTreeView;
class TTreeNodes;

// What a node shows from its first insert on, so that it is made with one message.
struct TTreeNodeMarks {
  bool has_children = false;
  // Overlay image (0-based); -1 for none.
  int overlay_index = -1;
  bool cut = false;
};

class TTreeNode : public TPersistent {
public:
  TTreeNode(TTreeNodes* owner);
  ~TTreeNode() override;

  std::string ClassName() const override { return "TTreeNode"; }

  TTreeNodes* Owner() const { return owner_; }
  TCustomTreeView* TreeView() const;
  HTREEITEM ItemId() const { return item_; }

  const std::string& Text() const { return text_; }
  void SetText(const std::string& value);
  void* Data() const { return data_; }
  void SetData(void* value) { data_ = value; }
  int ImageIndex() const { return image_index_; }
  void SetImageIndex(int value);
  int SelectedIndex() const { return selected_index_; }
  void SetSelectedIndex(int value);
  // The overlay image (0-based index into the image list's overlays); -1 for none.
  int OverlayIndex() const { return overlay_index_; }
  void SetOverlayIndex(int value);
  // The expand button shown before the children are known.
  bool HasChildren() const { return has_children_; }
  void SetHasChildren(bool value);
  bool Expanded() const { return GetState(TVIS_EXPANDED); }
  void SetExpanded(bool value) { value ? Expand(false) : Collapse(false); }
  bool Cut() const { return GetState(TVIS_CUT); }
  void SetCut(bool value) { SetState(TVIS_CUT, value); }
  bool DropTarget() const { return GetState(TVIS_DROPHILITED); }
  void SetDropTarget(bool value);
  bool Selected() const { return GetState(TVIS_SELECTED); }
  void SetSelected(bool value);

  TTreeNode* Parent() const;
  int Count() const;
  TTreeNode* Item(int index) const;
  int Index() const;
  int Level() const;
  bool IsFirstNode() const { return !Parent() && !GetPrevSibling(); }
  TTreeNode* GetFirstChild() const;
  TTreeNode* GetLastChild() const;
  TTreeNode* GetNextSibling() const;
  TTreeNode* GetPrevSibling() const;
  // The next node in depth-first order, whether shown or not.
  TTreeNode* GetNext() const;
  bool HasAsParent(const TTreeNode* node) const;

  // Expanding asks the view's CanExpand (which may refuse) and then reports Expand; the
  // control's own notices of this change are not passed on again. Collapsing likewise.
  void Expand(bool recurse);
  void Collapse(bool recurse);
  void MakeVisible();
  // The node's item rectangle (TEXT_ONLY: the text's) in client co-ordinates.
  RECT DisplayRect(bool text_only) const;
  bool EditText();
  void EndEdit(bool cancel);
  void Delete();
  void DeleteChildren();
  // Sorts the children with COMPARE (lParam1 and lParam2 are TTreeNode pointers).
  bool CustomSort(PFNTVCOMPARE compare, LPARAM data, bool recurse = false);
  // Sorts the children by the view's OnCompare, or by text without one.
  bool AlphaSort(bool recurse = false);

private:
  friend class TTreeNodes;
  friend class TCustomTreeView;
  bool GetState(UINT mask) const;
  void SetState(UINT mask, bool value);
  void ExpandItem(bool expand, bool recurse);
  // Writes the node's attributes to its item.
  void UpdateItem(UINT mask);

  TTreeNodes* owner_;
  HTREEITEM item_ = nullptr;
  std::string text_;
  void* data_ = nullptr;
  int image_index_ = -1;
  int selected_index_ = -1;
  int overlay_index_ = -1;
  bool has_children_ = false;
  // The item state to make the item with (the remembered one while the window is re-created).
  UINT saved_state_ = 0;
  // The hierarchy as the control holds it; a node whose parent went before it is an orphan,
  // linked to nothing.
  TTreeNode* parent_ = nullptr;
  TTreeNode* first_child_ = nullptr;
  TTreeNode* last_child_ = nullptr;
  TTreeNode* prev_ = nullptr;
  TTreeNode* next_ = nullptr;
  bool orphan_ = false;
};

// The nodes of one tree view. Nodes are made and freed here; a node is freed after the view's
// Delete step when the control deletes its item.
class TTreeNodes : public TPersistent {
public:
  explicit TTreeNodes(TCustomTreeView* owner);
  ~TTreeNodes() override;

  std::string ClassName() const override { return "TTreeNodes"; }

  TCustomTreeView* Owner() const { return owner_; }
  int Count() const { return static_cast<int>(nodes_.size()); }
  // The INDEX-th node in depth-first order.
  TTreeNode* Item(int index) const;
  TTreeNode* GetFirstNode() const;
  TTreeNode* GetNode(HTREEITEM item) const;

  // A new last sibling of SIBLING (a new last top-level node when SIBLING is null).
  TTreeNode* Add(TTreeNode* sibling, const std::string& text);
  TTreeNode* AddObject(TTreeNode* sibling, const std::string& text, void* data);
  TTreeNode* AddFirst(TTreeNode* sibling, const std::string& text);
  // A new last child of PARENT (top level when PARENT is null).
  TTreeNode* AddChild(TTreeNode* parent, const std::string& text);
  TTreeNode* AddChildObject(TTreeNode* parent, const std::string& text, void* data);
  TTreeNode* AddChildObject(TTreeNode* parent, const std::string& text, void* data,
                            const TTreeNodeMarks& marks);
  // A new child of PARENT (top level when null) right after its child AFTER (first when null).
  TTreeNode* AddChildObjectAfter(TTreeNode* parent, TTreeNode* after, const std::string& text,
                                 void* data, const TTreeNodeMarks& marks);
  TTreeNode* AddChildFirst(TTreeNode* parent, const std::string& text);
  // A new node before SIBLING.
  TTreeNode* Insert(TTreeNode* sibling, const std::string& text);
  void Delete(TTreeNode* node);
  void Clear();
  void BeginUpdate();
  void EndUpdate();

private:
  friend class TTreeNode;
  friend class TCustomTreeView;
  // AFTER: TVI_FIRST, TVI_LAST or the item of a child of PARENT (null: top level).
  TTreeNode* InsertNode(TTreeNode* parent, HTREEITEM after, const std::string& text, void* data,
                        const TTreeNodeMarks& marks = {});
  void InsertItem(TTreeNode& node, HTREEITEM parent, HTREEITEM after);
  // Puts NODE into PARENT's children (top level for null) after AFTER (first for null).
  void Link(TTreeNode* node, TTreeNode* parent, TTreeNode* after);
  // Takes NODE out of its siblings; its children stay with it.
  void Detach(TTreeNode* node);
  // Takes NODE out of the hierarchy for good; children still linked to it become orphans.
  void Unlink(TTreeNode* node);
  // Takes PARENT's children (top level for null) in the control's order after a sort.
  void RelinkChildren(TTreeNode* parent);
  // NODE's item is being deleted (ITEM_ALIVE) or is gone: the view's Delete step runs, then
  // the node is freed.
  void ItemDeleted(TTreeNode* node, bool item_alive);
  HWND Handle() const;

  TCustomTreeView* owner_;
  std::unordered_map<const TTreeNode*, std::unique_ptr<TTreeNode>> nodes_;
  std::unordered_map<HTREEITEM, TTreeNode*> by_item_;
  TTreeNode* first_ = nullptr;
  TTreeNode* last_ = nullptr;
  int update_count_ = 0;
};

using TTVChangingEvent =
    std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowChange)>;
using TTVChangedEvent = std::function<void(TObject* Sender, TTreeNode* Node)>;
using TTVEditingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowEdit)>;
using TTVEditedEvent = std::function<void(TObject* Sender, TTreeNode* Node, std::string& S)>;
using TTVExpandingEvent =
    std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowExpansion)>;
using TTVCollapsingEvent =
    std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowCollapse)>;
using TTVExpandedEvent = std::function<void(TObject* Sender, TTreeNode* Node)>;
using TTVCompareEvent = std::function<void(TObject* Sender, TTreeNode* Node1, TTreeNode* Node2,
                                           LPARAM Data, int& Compare)>;

enum THitTest : std::uint16_t {
  htAbove = 1 << 0, htBelow = 1 << 1, htNowhere = 1 << 2, htOnItem = 1 << 3,
  htOnButton = 1 << 4, htOnIcon = 1 << 5, htOnIndent = 1 << 6, htOnLabel = 1 << 7,
  htOnRight = 1 << 8, htOnStateIcon = 1 << 9, htToLeft = 1 << 10, htToRight = 1 << 11
};
using THitTests = std::uint16_t;

class TCustomTreeView : public TWinControl {
public:
  explicit TCustomTreeView(TComponent* AOwner);
  ~TCustomTreeView() override;

  std::string ClassName() const override { return "TCustomTreeView"; }

  TTreeNodes& Items() { return *items_; }
  TTreeNode* Selected();
  void SetSelected(TTreeNode* node);
  TTreeNode* TopItem();
  TTreeNode* DropTarget();
  void SetDropTarget(TTreeNode* node);
  TTreeNode* GetNodeAt(int x, int y);
  THitTests GetHitTestInfoAt(int x, int y);
  bool IsEditing();
  void FullExpand();
  void FullCollapse();
  bool CustomSort(PFNTVCOMPARE compare, LPARAM data, bool recurse = true);
  bool AlphaSort(bool recurse = true);

  bool ShowButtons() const { return show_buttons_; }
  void SetShowButtons(bool value) { SetStyleFlag(show_buttons_, value); }
  bool ShowLines() const { return show_lines_; }
  void SetShowLines(bool value) { SetStyleFlag(show_lines_, value); }
  bool ShowRoot() const { return show_root_; }
  void SetShowRoot(bool value) { SetStyleFlag(show_root_, value); }
  bool HideSelection() const { return hide_selection_; }
  void SetHideSelection(bool value) { SetStyleFlag(hide_selection_, value); }
  bool ReadOnly() const { return read_only_; }
  void SetReadOnly(bool value) { SetStyleFlag(read_only_, value); }
  int Indent();
  void SetIndent(int value);
  TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* value);
  // Sets or clears style bits of the window and remembers them across re-creation.
  void SetWindowStyleBits(DWORD bits, bool on);

  TTVChangingEvent OnChanging;
  TTVChangedEvent OnChange;
  TTVExpandingEvent OnExpanding;
  TTVExpandedEvent OnExpanded;
  TTVCollapsingEvent OnCollapsing;
  TTVExpandedEvent OnCollapsed;
  TTVEditingEvent OnEditing;
  TTVEditedEvent OnEdited;
  TTVExpandedEvent OnDeletion;
  TTVExpandedEvent OnGetImageIndex;
  TTVExpandedEvent OnGetSelectedIndex;
  TTVCompareEvent OnCompare;

protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void CNNotify(TMessage& message) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // The control's background and text colours follow Color and Font (clNone: the system's).
  void ColorChanged() override;
  void FontChanged() override;

  // One notification of the control; the base raises the events named after each step.
  virtual void DoNotify(const NMHDR& header, LRESULT& result);
  virtual void DoGetDispInfo(NMTVDISPINFOA& info);
  // NM_CUSTOMDRAW: the base asks for nothing (CDRF_DODEFAULT).
  virtual void DoCustomDraw(NMTVCUSTOMDRAW& draw, LRESULT& result);
  virtual bool CanChange(TTreeNode* node);
  virtual void Change(TTreeNode* node);
  virtual bool CanExpand(TTreeNode* node);
  virtual void Expand(TTreeNode* node);
  virtual bool CanCollapse(TTreeNode* node);
  virtual void Collapse(TTreeNode* node);
  virtual bool CanEdit(TTreeNode* node);
  // Label editing ended with TEXT (null when cancelled); true keeps the new text.
  virtual bool Edit(TTreeNode* node, const char* text);
  virtual void GetImageIndex(TTreeNode* node);
  virtual void GetSelectedIndex(TTreeNode* node);
  // Called for every node whose item the control deletes, before the node is freed.
  virtual void Delete(TTreeNode* node);

private:
  friend class TTreeNode;
  friend class TTreeNodes;
  // The comparison of AlphaSort: OnCompare, or the node texts ignoring case.
  static int CALLBACK DefaultCompare(LPARAM node1, LPARAM node2, LPARAM view);
  void SetStyleFlag(bool& flag, bool value);
  void ApplyImages();
  void ApplyColors();
  // Walks the nodes in depth-first order with their levels (for re-creation).
  void SaveNodes();
  void RestoreNodes();

  std::unique_ptr<TTreeNodes> items_;
  TChangeLink image_change_link_;
  TCustomImageList* images_ = nullptr;
  bool show_buttons_ = true;
  bool show_lines_ = true;
  bool show_root_ = true;
  bool hide_selection_ = true;
  bool read_only_ = false;
  int indent_ = 19;
  DWORD extra_style_ = 0;
  DWORD removed_style_ = 0;
  // Set while the window goes down for re-creation: its item deletions free no node.
  bool saving_nodes_ = false;
  // Set while a node expands or collapses by program: the steps ran already.
  bool manual_notify_ = false;
  // The node whose label is being edited.
  TTreeNode* edit_node_ = nullptr;
  struct SavedNode {
    TTreeNode* node;
    int level;
  };
  std::vector<SavedNode> saved_nodes_;
  TTreeNode* saved_selected_ = nullptr;
};

}  // namespace tw
