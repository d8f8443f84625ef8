#include "framework/win/tree_view.h"

#include <utility>

#include "framework/type_info.h"
#include "framework/win/image_list_link.h"

namespace tw {
namespace {

const bool kRegistered =
    TTypeRegistry::Class<TCustomTreeView>("TCustomTreeView", "TWinControl")
        .Boolean("ShowButtons", &TCustomTreeView::ShowButtons, &TCustomTreeView::SetShowButtons,
                 true)
        .Boolean("ShowLines", &TCustomTreeView::ShowLines, &TCustomTreeView::SetShowLines, true)
        .Boolean("ShowRoot", &TCustomTreeView::ShowRoot, &TCustomTreeView::SetShowRoot, true)
        .Boolean("HideSelection", &TCustomTreeView::HideSelection,
                 &TCustomTreeView::SetHideSelection, true)
        .Boolean("ReadOnly", &TCustomTreeView::ReadOnly, &TCustomTreeView::SetReadOnly, false)
        .Integer("Indent", &TCustomTreeView::Indent, &TCustomTreeView::SetIndent, 19)
        .Done();

}  // namespace

TCustomTreeView::TCustomTreeView(TComponent* AOwner)
    : TWinControl(AOwner), items_(std::make_unique<TTreeNodes>(this)) {
  SetTabStop(true);
  SetBounds(Left(), Top(), 121, 97);
  color_ = clWindow;
  SetParentColor(false);
  image_change_link_.OnChange = [this](TObject*) { ApplyImages(); };
}

TCustomTreeView::~TCustomTreeView() {
  Destroying();
  // The nodes go before the window so that no deletion notice finds a half-destroyed view.
  if (HandleAllocated()) items_->Clear();
}

void TCustomTreeView::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.SysClassName = WC_TREEVIEWA;
  params.Style |= WS_CHILD | WS_CLIPCHILDREN | WS_TABSTOP;
  if (show_buttons_) params.Style |= TVS_HASBUTTONS;
  if (show_lines_) params.Style |= TVS_HASLINES;
  if (show_root_) params.Style |= TVS_LINESATROOT;
  if (!hide_selection_) params.Style |= TVS_SHOWSELALWAYS;
  if (!read_only_) params.Style |= TVS_EDITLABELS;
  params.Style = (params.Style | extra_style_) & ~removed_style_;
  params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomTreeView::CreateWnd() {
  TWinControl::CreateWnd();
  ApplyColors();
  ApplyImages();
  RestoreNodes();
}

void TCustomTreeView::ApplyColors() {
  if (!HandleAllocated()) return;
  auto rgb = [](TColor color) {
    return color == clNone ? static_cast<LPARAM>(-1) : static_cast<LPARAM>(ColorToRGB(color));
  };
  SendMessageA(Handle(), TVM_SETBKCOLOR, 0, rgb(Color()));
  SendMessageA(Handle(), TVM_SETTEXTCOLOR, 0, rgb(Font().Color()));
}

void TCustomTreeView::ColorChanged() {
  TWinControl::ColorChanged();
  ApplyColors();
}

void TCustomTreeView::FontChanged() {
  TWinControl::FontChanged();
  ApplyColors();
}

void TCustomTreeView::DestroyWnd() {
  if (!HasState(csDestroying)) SaveNodes();
  saving_nodes_ = true;
  try {
    TWinControl::DestroyWnd();
  } catch (...) {
    saving_nodes_ = false;
    throw;
  }
  saving_nodes_ = false;
  for (auto& [key, node] : items_->nodes_) node->item_ = nullptr;
  items_->by_item_.clear();
}

void TCustomTreeView::SaveNodes() {
  saved_nodes_.clear();
  saved_selected_ = Selected();
  for (TTreeNode* node = items_->GetFirstNode(); node; node = node->GetNext()) {
    node->saved_state_ = static_cast<UINT>(SendMessageA(
        Handle(), TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(node->item_),
        TVIS_EXPANDED | TVIS_CUT));
    saved_nodes_.push_back({node, node->Level()});
  }
}

void TCustomTreeView::RestoreNodes() {
  std::vector<HTREEITEM> parents;
  for (const SavedNode& saved : saved_nodes_) {
    if (!items_->nodes_.count(saved.node)) continue;
    parents.resize(static_cast<std::size_t>(saved.level));
    items_->InsertItem(*saved.node, parents.empty() ? TVI_ROOT : parents.back(), TVI_LAST);
    parents.push_back(saved.node->item_);
  }
  saved_nodes_.clear();
  if (saved_selected_) SetSelected(saved_selected_);
  saved_selected_ = nullptr;
}

void TCustomTreeView::SetStyleFlag(bool& flag, bool value) {
  if (flag == value) return;
  flag = value;
  if (HandleAllocated()) RecreateWnd();
}

void TCustomTreeView::SetWindowStyleBits(DWORD bits, bool on) {
  extra_style_ = on ? extra_style_ | bits : extra_style_ & ~bits;
  removed_style_ = on ? removed_style_ & ~bits : removed_style_ | bits;
  if (!HandleAllocated()) return;
  LONG_PTR style = GetWindowLongPtrA(Handle(), GWL_STYLE);
  SetWindowLongPtrA(Handle(), GWL_STYLE, on ? style | bits : style & ~static_cast<LONG_PTR>(bits));
  SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

int TCustomTreeView::Indent() {
  if (HandleAllocated()) indent_ = static_cast<int>(SendMessageA(Handle(), TVM_GETINDENT, 0, 0));
  return indent_;
}

void TCustomTreeView::SetIndent(int value) {
  indent_ = value;
  if (HandleAllocated()) SendMessageA(Handle(), TVM_SETINDENT, value, 0);
}

void TCustomTreeView::SetImages(TCustomImageList* value) {
  if (!AttachImageList(images_, value, image_change_link_, this)) return;
  ApplyImages();
}

void TCustomTreeView::ApplyImages() {
  if (!HandleAllocated()) return;
  SendMessageA(Handle(), TVM_SETIMAGELIST, TVSIL_NORMAL,
               reinterpret_cast<LPARAM>(images_ ? images_->Handle() : nullptr));
  // A new image list may make the control pick an indent of its own (Wine's takes the images'
  // width): the one set stays.
  SendMessageA(Handle(), TVM_SETINDENT, indent_, 0);
}

void TCustomTreeView::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == images_) {
    images_ = nullptr;
    ApplyImages();
  }
}

TTreeNode* TCustomTreeView::Selected() {
  if (!HandleAllocated()) return nullptr;
  return items_->GetNode(TreeView_GetSelection(Handle()));
}

void TCustomTreeView::SetSelected(TTreeNode* node) {
  TreeView_SelectItem(Handle(), node ? node->item_ : nullptr);
}

TTreeNode* TCustomTreeView::TopItem() {
  if (!HandleAllocated()) return nullptr;
  return items_->GetNode(TreeView_GetFirstVisible(Handle()));
}

TTreeNode* TCustomTreeView::DropTarget() {
  if (!HandleAllocated()) return nullptr;
  return items_->GetNode(TreeView_GetDropHilight(Handle()));
}

void TCustomTreeView::SetDropTarget(TTreeNode* node) {
  TreeView_SelectDropTarget(Handle(), node ? node->item_ : nullptr);
}

THitTests TCustomTreeView::GetHitTestInfoAt(int x, int y) {
  TVHITTESTINFO info{};
  info.pt = {x, y};
  SendMessageA(Handle(), TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info));
  static constexpr struct {
    UINT flag;
    THitTest test;
  } kMap[] = {{TVHT_ABOVE, htAbove},         {TVHT_BELOW, htBelow},
              {TVHT_NOWHERE, htNowhere},     {TVHT_ONITEM, htOnItem},
              {TVHT_ONITEMBUTTON, htOnButton}, {TVHT_ONITEMICON, htOnIcon},
              {TVHT_ONITEMINDENT, htOnIndent}, {TVHT_ONITEMLABEL, htOnLabel},
              {TVHT_ONITEMRIGHT, htOnRight}, {TVHT_ONITEMSTATEICON, htOnStateIcon},
              {TVHT_TOLEFT, htToLeft},       {TVHT_TORIGHT, htToRight}};
  THitTests result = 0;
  for (const auto& m : kMap)
    if ((info.flags & m.flag) == m.flag) result |= m.test;
  return result;
}

TTreeNode* TCustomTreeView::GetNodeAt(int x, int y) {
  TVHITTESTINFO info{};
  info.pt = {x, y};
  HTREEITEM item =
      reinterpret_cast<HTREEITEM>(SendMessageA(Handle(), TVM_HITTEST, 0,
                                               reinterpret_cast<LPARAM>(&info)));
  return (info.flags & (TVHT_ONITEM | TVHT_ONITEMBUTTON)) ? items_->GetNode(item) : nullptr;
}

bool TCustomTreeView::IsEditing() {
  return HandleAllocated() && TreeView_GetEditControl(Handle()) != nullptr;
}

void TCustomTreeView::FullExpand() {
  for (TTreeNode* node = items_->GetFirstNode(); node; node = node->GetNextSibling())
    node->Expand(true);
}

void TCustomTreeView::FullCollapse() {
  for (TTreeNode* node = items_->GetFirstNode(); node; node = node->GetNextSibling())
    node->Collapse(true);
}

bool TCustomTreeView::CustomSort(PFNTVCOMPARE compare, LPARAM data, bool recurse) {
  TVSORTCB sort{TVI_ROOT, compare, data};
  bool sorted =
      SendMessageA(Handle(), TVM_SORTCHILDRENCB, 0, reinterpret_cast<LPARAM>(&sort)) != 0;
  items_->RelinkChildren(nullptr);
  if (recurse)
    for (TTreeNode* node = items_->GetFirstNode(); node; node = node->GetNextSibling())
      node->CustomSort(compare, data, true);
  return sorted;
}

bool TCustomTreeView::AlphaSort(bool recurse) {
  return CustomSort(&DefaultCompare, reinterpret_cast<LPARAM>(this), recurse);
}

int CALLBACK TCustomTreeView::DefaultCompare(LPARAM node1, LPARAM node2, LPARAM view) {
  auto* tree = reinterpret_cast<TCustomTreeView*>(view);
  auto* first = reinterpret_cast<TTreeNode*>(node1);
  auto* second = reinterpret_cast<TTreeNode*>(node2);
  if (tree->OnCompare) {
    int compare = 0;
    tree->OnCompare(tree, first, second, 0, compare);
    return compare;
  }
  return lstrcmpiA(first->Text().c_str(), second->Text().c_str());
}

void TCustomTreeView::CNNotify(TMessage& message) {
  const auto* header = reinterpret_cast<const NMHDR*>(message.LParam);
  LRESULT result = 0;
  DoNotify(*header, result);
  message.Result = result;
}

void TCustomTreeView::DoNotify(const NMHDR& header, LRESULT& result) {
  auto& view = const_cast<NMTREEVIEWA&>(reinterpret_cast<const NMTREEVIEWA&>(header));
  auto node_of = [this](const TVITEMA& item) {
    return reinterpret_cast<TTreeNode*>(item.lParam) && items_->nodes_.count(
               reinterpret_cast<TTreeNode*>(item.lParam))
               ? reinterpret_cast<TTreeNode*>(item.lParam)
               : nullptr;
  };
  switch (header.code) {
    case TVN_SELCHANGINGA:
    case TVN_SELCHANGINGW:
      result = CanChange(node_of(view.itemNew)) ? FALSE : TRUE;
      break;
    case TVN_SELCHANGEDA:
    case TVN_SELCHANGEDW:
      Change(node_of(view.itemNew));
      break;
    case TVN_ITEMEXPANDINGA:
    case TVN_ITEMEXPANDINGW:
      if (manual_notify_) break;
      if (TTreeNode* node = node_of(view.itemNew)) {
        if (view.action & TVE_EXPAND)
          result = CanExpand(node) ? FALSE : TRUE;
        else if (view.action & TVE_COLLAPSE)
          result = CanCollapse(node) ? FALSE : TRUE;
      }
      break;
    case TVN_ITEMEXPANDEDA:
    case TVN_ITEMEXPANDEDW:
      if (manual_notify_) break;
      if (TTreeNode* node = node_of(view.itemNew)) {
        if (view.action & TVE_EXPAND)
          Expand(node);
        else if (view.action & TVE_COLLAPSE)
          Collapse(node);
      }
      break;
    case TVN_DELETEITEMA:
    case TVN_DELETEITEMW:
      if (TTreeNode* node = node_of(view.itemOld)) items_->ItemDeleted(node, true);
      break;
    case TVN_GETDISPINFOA:
    case TVN_GETDISPINFOW:
      DoGetDispInfo(reinterpret_cast<NMTVDISPINFOA&>(view));
      break;
    case TVN_BEGINLABELEDITA: {
      auto& info = reinterpret_cast<NMTVDISPINFOA&>(view);
      TTreeNode* node = node_of(info.item);
      const bool allowed = node && CanEdit(node);
      edit_node_ = allowed ? node : nullptr;
      result = allowed ? FALSE : TRUE;
      break;
    }
    case TVN_ENDLABELEDITA: {
      // One edit ends once: some controls report the end again when their edit window loses
      // the focus on its way out, and a cancelled edit must not come back as a new text.
      auto& info = reinterpret_cast<NMTVDISPINFOA&>(view);
      TTreeNode* node = node_of(info.item);
      if (node && node == std::exchange(edit_node_, nullptr)) result = Edit(node, info.item.pszText);
      break;
    }
    case NM_CUSTOMDRAW:
      DoCustomDraw(reinterpret_cast<NMTVCUSTOMDRAW&>(view), result);
      break;
    default:
      break;
  }
}

void TCustomTreeView::DoGetDispInfo(NMTVDISPINFOA& info) {
  auto* node = reinterpret_cast<TTreeNode*>(info.item.lParam);
  if (!node || !items_->nodes_.count(node)) return;
  if (info.item.mask & TVIF_IMAGE) {
    GetImageIndex(node);
    info.item.iImage = node->ImageIndex();
  }
  if (info.item.mask & TVIF_SELECTEDIMAGE) {
    GetSelectedIndex(node);
    info.item.iSelectedImage = node->SelectedIndex();
  }
}

void TCustomTreeView::DoCustomDraw(NMTVCUSTOMDRAW&, LRESULT& result) { result = CDRF_DODEFAULT; }

bool TCustomTreeView::CanChange(TTreeNode* node) {
  bool allow = true;
  if (OnChanging) OnChanging(this, node, allow);
  return allow;
}

void TCustomTreeView::Change(TTreeNode* node) {
  if (OnChange) OnChange(this, node);
}

bool TCustomTreeView::CanExpand(TTreeNode* node) {
  bool allow = true;
  if (OnExpanding) OnExpanding(this, node, allow);
  return allow;
}

void TCustomTreeView::Expand(TTreeNode* node) {
  if (OnExpanded) OnExpanded(this, node);
}

bool TCustomTreeView::CanCollapse(TTreeNode* node) {
  bool allow = true;
  if (OnCollapsing) OnCollapsing(this, node, allow);
  return allow;
}

void TCustomTreeView::Collapse(TTreeNode* node) {
  if (OnCollapsed) OnCollapsed(this, node);
}

bool TCustomTreeView::CanEdit(TTreeNode* node) {
  bool allow = !read_only_;
  if (allow && OnEditing) OnEditing(this, node, allow);
  return allow;
}

bool TCustomTreeView::Edit(TTreeNode* node, const char* text) {
  if (!text) return false;
  std::string s = text;
  if (OnEdited) OnEdited(this, node, s);
  node->SetText(s);
  // The node's text is set here; the control keeps it, not the edit's original text.
  return false;
}

void TCustomTreeView::GetImageIndex(TTreeNode* node) {
  if (OnGetImageIndex) OnGetImageIndex(this, node);
}

void TCustomTreeView::GetSelectedIndex(TTreeNode* node) {
  if (OnGetSelectedIndex) OnGetSelectedIndex(this, node);
}

void TCustomTreeView::Delete(TTreeNode* node) {
  if (OnDeletion) OnDeletion(this, node);
}

}  // namespace tw
