// The shell's context menu of a node, with the Send To entries.
#include "framework/exception.h"
#include "shell/win/context_menu.h"
#include "shell/win/send_to.h"
#include "shell/win/shell_tree.h"

namespace tw {

void TPTCustomShellTree::RequestPopup(TTreeNode* node, POINT point, TPopupMenu*& menu) {
  if (!options_.Contains(ptstoContextMenus) || Designing() || !node) {
    TPTCustomTreeView::RequestPopup(node, point, menu);
    return;
  }
  menu = nullptr;
  ShowNodeContextMenu(node, ClientToScreen(point));
}

void TPTCustomShellTree::ShowNodeContextMenu(TTreeNode* node, POINT point) {
  TPTShTreeData* data = GetNodeData(node);
  if (!data) return;
  IShellFolder* parent = data->ParentFolder();
  const ItemIdList* id = data->AbsoluteId();
  if (!parent || !id || id->mkid.cb == 0) return;
  LPCITEMIDLIST items[] = {data->RelativeId()};
  ComPtr<IContextMenu> context_menu;
  ScopedMenu menu;
  try {
    if (FAILED(CreateItemsMenu(OwnerWindow(), parent, 1, items, CMF_EXPLORE, kFirstShellCommand,
                               context_menu, menu)))
      return;
  } catch (const EOSError&) {
    return;  // a menu the shell cannot build shows nothing
  }
  // A refresh while the menu is up may delete the node: it is looked up again afterwards.
  const HTREEITEM item = node->ItemId();
  context_menu_ = context_menu;
  const UINT chosen = static_cast<UINT>(TrackPopupMenu(
      menu.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, point.x, point.y, 0, Handle(), nullptr));
  context_menu_.Reset();
  if (chosen >= kFirstShellCommand)
    InvokeMenuCommand(OwnerWindow(), context_menu.Get(), chosen - kFirstShellCommand);
  else if (chosen >= 1 && Items().GetNode(item) == node)
    SendToItem(node, static_cast<int>(chosen) - 1);
}

void TPTCustomShellTree::SendToItem(TTreeNode* node, int index) {
  if (ComPtr<IDataObject> data = CreateNodeDataObject(node)) SendToTarget(index, data.Get());
}

}  // namespace tw
