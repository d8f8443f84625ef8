#include <gtest/gtest.h>

#include <filesystem>

#include "shell/win/custom_list_view.h"
#include "shell/win/data_object_shlv.h"
#include "shell/win/data_object_shtv.h"
#include "shell/win/send_to.h"
#include "shell/win/shell_id_list_format.h"
#include "tests/shell/win/data_object_bytes.h"
#include "tests/shell/win/shell_drop_probe.h"
#include "tests/shell/win/shell_tree_fixture.h"

namespace tw::test {
namespace {

namespace fs = std::filesystem;

CLIPFORMAT IdListArrayFormat() { return static_cast<CLIPFORMAT>(ShellIdListFormat()); }

class ShellTreeDragDropTest : public ShellTreeTest {
protected:
  POINTL ScreenPointOf(TTreeNode* node) {
    const POINT point = tree->ClientToScreen(CentreOf(node->DisplayRect(true)));
    return {point.x, point.y};
  }
};

TEST_F(ShellTreeDragDropTest, ANodesDataObjectIsItsItemInItsParentsFolderAndTheRootHasNone) {
  temp.MakeFolder("outer\\inner");
  ShowTree();
  TTreeNode* outer = Child(Root(), "outer");
  ASSERT_NE(outer, nullptr);
  outer->Expand(false);
  TTreeNode* inner = Child(outer, "inner");
  ASSERT_NE(inner, nullptr);
  ComPtr<IDataObject> data = TDataObject_shtv::Create(tree->GetNodeData(inner));
  ASSERT_TRUE(data);
  EXPECT_EQ(HDropNames(DataBytes(data.Get(), CF_HDROP)),
            std::vector<std::string>{temp.File("outer\\inner")});
  // One item, its parent the parent node's folder.
  const std::vector<std::uint8_t> ids = DataBytes(data.Get(), IdListArrayFormat());
  ASSERT_GE(ids.size(), 12u);
  EXPECT_EQ(Get32(ids, 0), 1u);
  EXPECT_EQ(IdListToPath(reinterpret_cast<const ItemIdList*>(ids.data() + Get32(ids, 4))),
            temp.File("outer"));
  EXPECT_FALSE(TDataObject_shtv::Create(tree->GetNodeData(Root())));
  EXPECT_FALSE(TDataObject_shtv::Create(nullptr));
  EXPECT_EQ(tree->NodeDragEffects(inner) & DROPEFFECT_MOVE, DWORD{DROPEFFECT_MOVE});
}

TEST_F(ShellTreeDragDropTest, TheWindowIsADropTargetWhileOleDropIsOn) {
  ShowTree();
  ASSERT_NE(tree->OleDropTarget(), nullptr);
  tree->SetOptions(tree->Options().Without(ptstoOleDrop));
  EXPECT_EQ(tree->OleDropTarget(), nullptr);
  EXPECT_EQ(RevokeDragDrop(tree->Handle()), DRAGDROP_E_NOTREGISTERED);
  tree->SetOptions(tree->Options().With(ptstoOleDrop));
  ASSERT_NE(tree->OleDropTarget(), nullptr);
  EXPECT_EQ(RegisterDragDrop(tree->Handle(), tree->OleDropTarget()), DRAGDROP_E_ALREADYREGISTERED);
}

TEST_F(ShellTreeDragDropTest, AListFileDroppedOnAFolderNodeGoesToThatFoldersShellTarget) {
  temp.MakeFolder("target");
  temp.Write("dropped.txt", "x");
  AddList();
  ShowTree();
  ASSERT_EQ(ListPath(), temp.Path().string());
  list->Items().Item(1)->SetSelected(true);
  ComPtr<TRecordingDataObject> data(
      new TRecordingDataObject(ComPtr<IDataObject>(new TDataObject_shlv(*list))));
  IDropTarget* target = tree->OleDropTarget();
  ASSERT_NE(target, nullptr);
  TTreeNode* folder = Child(Root(), "target");
  ASSERT_NE(folder, nullptr);
  // A drag coming in over the root is offered nothing yet.
  DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  EXPECT_EQ(target->DragEnter(data.Get(), MK_LBUTTON, ScreenPointOf(Root()), &effect), S_OK);
  EXPECT_EQ(effect, DWORD{DROPEFFECT_NONE});
  effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  target->DragOver(MK_LBUTTON, ScreenPointOf(folder), &effect);
  EXPECT_NE(effect & ~DROPEFFECT_SCROLL, DWORD{DROPEFFECT_NONE});
  EXPECT_TRUE(effect & DROPEFFECT_SCROLL);
  EXPECT_TRUE(folder->DropTarget()) << "highlighted";
  const TShellDropOutcome shell = DropStraightOnShell(temp.Path() / "target");
  data->asked.clear();
  effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  EXPECT_EQ(target->Drop(data.Get(), 0, ScreenPointOf(folder), &effect), S_OK);
  EXPECT_FALSE(folder->DropTarget());
  ExpectAWholeDragOnTheShell(*data.Get(), shell);
  EXPECT_FALSE(fs::exists(temp.Path() / "target" / "target")) << "not dropped on itself";
  EXPECT_EQ(fs::exists(temp.Path() / "target" / "dropped.txt"), shell.carried_out);
  if (!shell.carried_out) {
    EXPECT_TRUE(fs::exists(temp.Path() / "dropped.txt"));
  }
}

TEST_F(ShellTreeDragDropTest, DraggingOverTheTopEdgeScrollsUpAtMostOneLinePer100ms) {
  for (int i = 0; i < 80; ++i) temp.MakeFolder("folder" + std::to_string(100 + i));
  ShowTree();
  TTreeNode* last = Root()->GetLastChild();
  last->MakeVisible();
  IDropTarget* target = tree->OleDropTarget();
  ComPtr<IDataObject> data = TDataObject_shtv::Create(tree->GetNodeData(last));
  const POINTL top = {tree->ClientToScreen({60, 5}).x, tree->ClientToScreen({60, 5}).y};
  DWORD effect = DROPEFFECT_COPY;
  target->DragEnter(data.Get(), MK_LBUTTON, top, &effect);
  const int before = tree->TopItem()->Index();
  Sleep(150);
  const DWORD start = GetTickCount();
  for (int i = 0; i < 10; ++i) {
    effect = DROPEFFECT_COPY;
    target->DragOver(MK_LBUTTON, top, &effect);
  }
  const DWORD elapsed = GetTickCount() - start;
  const int steps = before - tree->TopItem()->Index();
  target->DragLeave();
  EXPECT_GE(steps, 1);
  EXPECT_LE(steps, static_cast<int>(elapsed / 100 + 1)) << elapsed << " ms";
}

TEST_F(ShellTreeDragDropTest, SendToHandsTheNodesDataObjectToTheEntry) {
  temp.MakeFolder("sent");
  TempFolder destination;
  const std::string send_to = SpecialFolderPath(nullptr, CSIDL_SENDTO);
  ASSERT_FALSE(send_to.empty());
  CreateDirectoryA(send_to.c_str(), nullptr);
  const std::string entry = send_to + "\\tw destination.lnk";
  {
    ComPtr<IShellLinkA> link;
    ASSERT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                               link.ReceiveVoid()),
              S_OK);
    link->SetPath(destination.Path().string().c_str());
    ComPtr<IPersistFile> file;
    ASSERT_EQ(link->QueryInterface(IID_IPersistFile, file.ReceiveVoid()), S_OK);
    const std::wstring wide(entry.begin(), entry.end());
    ASSERT_EQ(file->Save(wide.c_str(), TRUE), S_OK);
  }
  ShowTree();
  std::vector<ComPtr<TRecordingDataObject>> made;
  tree->WrapDataObject = [&](ComPtr<IDataObject> data) {
    made.emplace_back(new TRecordingDataObject(data));
    return ComPtr<IDataObject>(made.back().Get());
  };
  tree->SendToItem(Child(Root(), "sent"), SendToList().Add("tw destination.lnk", -1));
  DeleteFileA(entry.c_str());
  std::error_code ignored;
  fs::remove_all(fs::path(send_to) / "sent", ignored);
  ASSERT_EQ(made.size(), 1u);
  EXPECT_TRUE(made[0]->Asked(IdListArrayFormat()) || made[0]->Asked(CF_HDROP))
      << "the entry's drop target read the node's items";
  EXPECT_EQ(HDropNames(DataBytes(made[0].Get(), CF_HDROP)),
            std::vector<std::string>{temp.File("sent")});
  EXPECT_TRUE(fs::exists(temp.Path() / "sent")) << "sent, not moved";
}

}  // namespace
}  // namespace tw::test
