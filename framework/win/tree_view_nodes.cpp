// TTreeNode and TTreeNodes: the node objects behind the tree view's items.
#include <utility>

#include "framework/exception.h"
#include "framework/string_table.h"
#include "framework/win/tree_view.h"

namespace tw {

TTreeNode::TTreeNode(TTreeNodes* owner) : owner_(owner) {}

TTreeNode::~TTreeNode() = default;

TCustomTreeView* TTreeNode::TreeView() const { return owner_->Owner(); }

bool TTreeNode::GetState(UINT mask) const {
  if (!item_) return (saved_state_ & mask) != 0;
  return (static_cast<UINT>(SendMessageA(owner_->Handle(), TVM_GETITEMSTATE,
                                         reinterpret_cast<WPARAM>(item_), mask)) &
          mask) != 0;
}

void TTreeNode::SetState(UINT mask, bool value) {
  if (!item_) return;
  TVITEMA item{};
  item.mask = TVIF_STATE | TVIF_HANDLE;
  item.hItem = item_;
  item.stateMask = mask;
  item.state = value ? mask : 0;
  SendMessageA(owner_->Handle(), TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

void TTreeNode::UpdateItem(UINT mask) {
  if (!item_) return;
  TVITEMA item{};
  item.mask = mask | TVIF_HANDLE;
  item.hItem = item_;
  item.pszText = const_cast<char*>(text_.c_str());
  item.cChildren = has_children_ ? 1 : 0;
  item.stateMask = TVIS_OVERLAYMASK;
  item.state = INDEXTOOVERLAYMASK(overlay_index_ + 1);
  SendMessageA(owner_->Handle(), TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

void TTreeNode::SetText(const std::string& value) {
  text_ = value;
  UpdateItem(TVIF_TEXT);
}

void TTreeNode::SetImageIndex(int value) {
  if (image_index_ == value) return;
  image_index_ = value;
  // The item keeps asking for its image: repaint it so that it asks again.
  if (RECT r = DisplayRect(false); item_) InvalidateRect(owner_->Handle(), &r, TRUE);
}

void TTreeNode::SetSelectedIndex(int value) {
  if (selected_index_ == value) return;
  selected_index_ = value;
  if (RECT r = DisplayRect(false); item_) InvalidateRect(owner_->Handle(), &r, TRUE);
}

void TTreeNode::SetOverlayIndex(int value) {
  overlay_index_ = value;
  UpdateItem(TVIF_STATE);
}

void TTreeNode::SetHasChildren(bool value) {
  has_children_ = value;
  UpdateItem(TVIF_CHILDREN);
}

void TTreeNode::SetDropTarget(bool value) {
  if (!item_) return;
  if (value)
    TreeView()->SetDropTarget(this);
  else if (DropTarget())
    TreeView()->SetDropTarget(nullptr);
}

void TTreeNode::SetSelected(bool value) {
  if (!item_) return;
  if (value)
    TreeView()->SetSelected(this);
  else if (Selected() && TreeView()->Selected() == this)
    TreeView()->SetSelected(nullptr);
}

TTreeNode* TTreeNode::Parent() const { return parent_; }

TTreeNode* TTreeNode::GetFirstChild() const { return first_child_; }

TTreeNode* TTreeNode::GetLastChild() const { return last_child_; }

TTreeNode* TTreeNode::GetNextSibling() const { return next_; }

TTreeNode* TTreeNode::GetPrevSibling() const { return prev_; }

TTreeNode* TTreeNode::GetNext() const {
  if (TTreeNode* child = GetFirstChild()) return child;
  for (const TTreeNode* node = this; node; node = node->Parent())
    if (TTreeNode* sibling = node->GetNextSibling()) return sibling;
  return nullptr;
}

int TTreeNode::Count() const {
  int count = 0;
  for (TTreeNode* child = GetFirstChild(); child; child = child->GetNextSibling()) ++count;
  return count;
}

TTreeNode* TTreeNode::Item(int index) const {
  TTreeNode* child = index >= 0 ? GetFirstChild() : nullptr;
  for (; child && index > 0; --index) child = child->GetNextSibling();
  return child;
}

int TTreeNode::Index() const {
  int index = 0;
  for (TTreeNode* node = GetPrevSibling(); node; node = node->GetPrevSibling()) ++index;
  return index;
}

int TTreeNode::Level() const {
  int level = 0;
  for (TTreeNode* node = Parent(); node; node = node->Parent()) ++level;
  return level;
}

bool TTreeNode::HasAsParent(const TTreeNode* node) const {
  if (!node) return false;
  for (TTreeNode* parent = Parent(); parent; parent = parent->Parent())
    if (parent == node) return true;
  return false;
}

void TTreeNode::ExpandItem(bool expand, bool recurse) {
  if (!item_) return;
  TCustomTreeView* view = TreeView();
  // The control reports a program's expansion only the first time; the view's steps run here
  // every time instead, and the control's reports are not passed on twice.
  if (expand ? has_children_ || GetFirstChild() : Expanded()) {
    if (expand ? view->CanExpand(this) : view->CanCollapse(this)) {
      const bool was_manual = std::exchange(view->manual_notify_, true);
      SendMessageA(owner_->Handle(), TVM_EXPAND, expand ? TVE_EXPAND : TVE_COLLAPSE,
                   reinterpret_cast<LPARAM>(item_));
      view->manual_notify_ = was_manual;
      expand ? view->Expand(this) : view->Collapse(this);
    }
  }
  if (recurse)
    for (TTreeNode* child = GetFirstChild(); child; child = child->GetNextSibling())
      child->ExpandItem(expand, true);
}

void TTreeNode::Expand(bool recurse) { ExpandItem(true, recurse); }

void TTreeNode::Collapse(bool recurse) { ExpandItem(false, recurse); }

void TTreeNode::MakeVisible() {
  if (item_) TreeView_EnsureVisible(owner_->Handle(), item_);
}

RECT TTreeNode::DisplayRect(bool text_only) const {
  RECT r{};
  if (item_) TreeView_GetItemRect(owner_->Handle(), item_, &r, text_only);
  return r;
}

bool TTreeNode::EditText() {
  return item_ && SendMessageA(owner_->Handle(), TVM_EDITLABELA, 0,
                               reinterpret_cast<LPARAM>(item_)) != 0;
}

void TTreeNode::EndEdit(bool cancel) {
  if (item_) SendMessageA(owner_->Handle(), TVM_ENDEDITLABELNOW, cancel, 0);
}

void TTreeNode::Delete() { owner_->Delete(this); }

void TTreeNode::DeleteChildren() {
  while (TTreeNode* child = GetFirstChild()) owner_->Delete(child);
}

bool TTreeNode::CustomSort(PFNTVCOMPARE compare, LPARAM data, bool recurse) {
  if (!item_) return false;
  TVSORTCB sort{item_, compare, data};
  bool sorted = SendMessageA(owner_->Handle(), TVM_SORTCHILDRENCB, 0,
                             reinterpret_cast<LPARAM>(&sort)) != 0;
  owner_->RelinkChildren(this);
  if (recurse)
    for (TTreeNode* child = GetFirstChild(); child; child = child->GetNextSibling())
      child->CustomSort(compare, data, true);
  return sorted;
}

bool TTreeNode::AlphaSort(bool recurse) {
  return CustomSort(&TCustomTreeView::DefaultCompare, reinterpret_cast<LPARAM>(TreeView()),
                    recurse);
}

TTreeNodes::TTreeNodes(TCustomTreeView* owner) : owner_(owner) {}

TTreeNodes::~TTreeNodes() = default;

HWND TTreeNodes::Handle() const { return owner_->Handle(); }

TTreeNode* TTreeNodes::GetNode(HTREEITEM item) const {
  const auto found = item ? by_item_.find(item) : by_item_.end();
  return found == by_item_.end() ? nullptr : found->second;
}

TTreeNode* TTreeNodes::GetFirstNode() const { return first_; }

void TTreeNodes::Link(TTreeNode* node, TTreeNode* parent, TTreeNode* after) {
  TTreeNode*& first = parent ? parent->first_child_ : first_;
  TTreeNode*& last = parent ? parent->last_child_ : last_;
  node->parent_ = parent;
  node->prev_ = after;
  node->next_ = after ? after->next_ : first;
  (node->prev_ ? node->prev_->next_ : first) = node;
  (node->next_ ? node->next_->prev_ : last) = node;
}

void TTreeNodes::Detach(TTreeNode* node) {
  TTreeNode* parent = node->parent_;
  (node->prev_ ? node->prev_->next_ : parent ? parent->first_child_ : first_) = node->next_;
  (node->next_ ? node->next_->prev_ : parent ? parent->last_child_ : last_) = node->prev_;
  node->parent_ = node->prev_ = node->next_ = nullptr;
}

void TTreeNodes::Unlink(TTreeNode* node) {
  // Children still here lose their parent: the control deletes them too, or already has.
  for (TTreeNode* child = node->first_child_; child;) {
    TTreeNode* next = child->next_;
    child->parent_ = child->prev_ = child->next_ = nullptr;
    child->orphan_ = true;
    child = next;
  }
  node->first_child_ = node->last_child_ = nullptr;
  if (!node->orphan_) Detach(node);
  node->orphan_ = true;
}

void TTreeNodes::RelinkChildren(TTreeNode* parent) {
  if (!owner_->HandleAllocated()) return;
  HWND handle = Handle();
  TTreeNode* after = nullptr;
  for (HTREEITEM item = parent ? TreeView_GetChild(handle, parent->item_)
                               : TreeView_GetRoot(handle);
       item; item = TreeView_GetNextSibling(handle, item)) {
    TTreeNode* node = GetNode(item);
    if (!node || node->prev_ == after) {
      if (node) after = node;
      continue;
    }
    // Moved: taken out of its place (its children stay with it) and put after AFTER.
    Detach(node);
    Link(node, parent, after);
    after = node;
  }
}

TTreeNode* TTreeNodes::Item(int index) const {
  TTreeNode* node = index >= 0 ? GetFirstNode() : nullptr;
  for (; node && index > 0; --index) node = node->GetNext();
  return node;
}

void TTreeNodes::InsertItem(TTreeNode& node, HTREEITEM parent, HTREEITEM after) {
  TVINSERTSTRUCTA insert{};
  insert.hParent = parent;
  insert.hInsertAfter = after;
  TVITEMA& item = insert.item;
  item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN |
              TVIF_STATE;
  item.pszText = const_cast<char*>(node.text_.c_str());
  item.lParam = reinterpret_cast<LPARAM>(&node);
  item.iImage = I_IMAGECALLBACK;
  item.iSelectedImage = I_IMAGECALLBACK;
  item.cChildren = node.has_children_ ? 1 : 0;
  item.stateMask = TVIS_OVERLAYMASK | TVIS_CUT | TVIS_EXPANDED;
  item.state = INDEXTOOVERLAYMASK(node.overlay_index_ + 1) | (node.saved_state_ & TVIS_CUT) |
               (node.saved_state_ & TVIS_EXPANDED);
  node.item_ = reinterpret_cast<HTREEITEM>(
      SendMessageA(Handle(), TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
  if (node.item_) by_item_[node.item_] = &node;
}

TTreeNode* TTreeNodes::InsertNode(TTreeNode* parent, HTREEITEM after, const std::string& text,
                                  void* data, const TTreeNodeMarks& marks) {
  Handle();
  auto made = std::make_unique<TTreeNode>(this);
  TTreeNode* node = made.get();
  node->text_ = text;
  node->data_ = data;
  node->has_children_ = marks.has_children;
  node->overlay_index_ = marks.overlay_index;
  node->saved_state_ = marks.cut ? TVIS_CUT : 0;
  nodes_.emplace(node, std::move(made));
  InsertItem(*node, parent ? parent->item_ : TVI_ROOT, after);
  if (!node->item_) {
    nodes_.erase(node);
    throw EOutOfResources(LoadStr(SOutOfResources));
  }
  node->saved_state_ = 0;
  TTreeNode* last = parent ? parent->last_child_ : last_;
  Link(node, parent, after == TVI_FIRST ? nullptr : after == TVI_LAST ? last : GetNode(after));
  // A parent shows its expand button once it has a child.
  if (parent && !parent->has_children_) parent->SetHasChildren(true);
  return node;
}

TTreeNode* TTreeNodes::Add(TTreeNode* sibling, const std::string& text) {
  return AddObject(sibling, text, nullptr);
}

TTreeNode* TTreeNodes::AddObject(TTreeNode* sibling, const std::string& text, void* data) {
  return InsertNode(sibling ? sibling->Parent() : nullptr, TVI_LAST, text, data);
}

TTreeNode* TTreeNodes::AddFirst(TTreeNode* sibling, const std::string& text) {
  return InsertNode(sibling ? sibling->Parent() : nullptr, TVI_FIRST, text, nullptr);
}

TTreeNode* TTreeNodes::AddChild(TTreeNode* parent, const std::string& text) {
  return AddChildObject(parent, text, nullptr);
}

TTreeNode* TTreeNodes::AddChildObject(TTreeNode* parent, const std::string& text, void* data) {
  return InsertNode(parent, TVI_LAST, text, data);
}

TTreeNode* TTreeNodes::AddChildObject(TTreeNode* parent, const std::string& text, void* data,
                                      const TTreeNodeMarks& marks) {
  return InsertNode(parent, TVI_LAST, text, data, marks);
}

TTreeNode* TTreeNodes::AddChildObjectAfter(TTreeNode* parent, TTreeNode* after,
                                           const std::string& text, void* data,
                                           const TTreeNodeMarks& marks) {
  // The control checks an item named as the place among all its items; the end it finds at once.
  const HTREEITEM place = !after                                        ? TVI_FIRST
                          : after == (parent ? parent->last_child_ : last_) ? TVI_LAST
                                                                            : after->item_;
  return InsertNode(parent, place, text, data, marks);
}

TTreeNode* TTreeNodes::AddChildFirst(TTreeNode* parent, const std::string& text) {
  return InsertNode(parent, TVI_FIRST, text, nullptr);
}

TTreeNode* TTreeNodes::Insert(TTreeNode* sibling, const std::string& text) {
  if (!sibling) return Add(nullptr, text);
  TTreeNode* previous = sibling->GetPrevSibling();
  return InsertNode(sibling->Parent(), previous ? previous->item_ : TVI_FIRST, text, nullptr);
}

void TTreeNodes::ItemDeleted(TTreeNode* node, bool item_alive) {
  auto it = nodes_.find(node);
  if (it == nodes_.end() || owner_->saving_nodes_) return;
  // The node leaves the map first, so a handler that deletes it again finds nothing to do.
  std::unique_ptr<TTreeNode> owned = std::move(it->second);
  nodes_.erase(it);
  if (owner_->edit_node_ == node) owner_->edit_node_ = nullptr;
  const HTREEITEM item = owned->item_;
  if (!item_alive) owned->item_ = nullptr;
  owner_->Delete(owned.get());
  if (auto found = by_item_.find(item); found != by_item_.end() && found->second == node)
    by_item_.erase(found);
  Unlink(node);
  owned->item_ = nullptr;
}

void TTreeNodes::Delete(TTreeNode* node) {
  if (!node || !nodes_.count(node)) return;
  // Every node of the subtree is collected first: should the control's deletion notices not
  // reach the view (no reflecting parent), the nodes are still deleted and freed.
  std::vector<TTreeNode*> subtree{node};
  for (TTreeNode* n = node->GetFirstChild(); n && n->HasAsParent(node); n = n->GetNext())
    subtree.push_back(n);
  if (node->item_) TreeView_DeleteItem(owner_->Handle(), node->item_);
  for (TTreeNode* n : subtree) ItemDeleted(n, false);
}

void TTreeNodes::Clear() {
  if (owner_->HandleAllocated()) TreeView_DeleteAllItems(owner_->Handle());
  while (!nodes_.empty()) ItemDeleted(const_cast<TTreeNode*>(nodes_.begin()->first), false);
  by_item_.clear();
  first_ = last_ = nullptr;
}

void TTreeNodes::BeginUpdate() {
  if (update_count_++ == 0 && owner_->HandleAllocated())
    SendMessageA(owner_->Handle(), WM_SETREDRAW, FALSE, 0);
}

void TTreeNodes::EndUpdate() {
  if (update_count_ > 0 && --update_count_ == 0 && owner_->HandleAllocated()) {
    SendMessageA(owner_->Handle(), WM_SETREDRAW, TRUE, 0);
    InvalidateRect(owner_->Handle(), nullptr, TRUE);
  }
}

}  // namespace tw
