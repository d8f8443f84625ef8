#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "framework/win/com_object.h"
#include "shell/win/custom_list_view.h"
#include "shell/win/data_object_shlv.h"
#include "shell/win/data_object_shtv.h"
#include "shell/win/drop_targets.h"
#include "shell/win/pidl.h"
#include "shell/win/send_to.h"
#include "shell/win/shell_process.h"
#include "tests/shell/win/data_object_bytes.h"
#include "tests/shell/win/shell_tree_fixture.h"

namespace tw::test {
namespace {

namespace fs = std::filesystem;

CLIPFORMAT IdListArrayFormat() { return static_cast<CLIPFORMAT>(ShellIdListFormat()); }

// Hands out what the wrapped object hands out and notes every format asked of it.
class TRecordingDataObject : public TComObject<IDataObject> {
public:
  explicit TRecordingDataObject(ComPtr<IDataObject> data) : data_(std::move(data)) {}
  std::vector<CLIPFORMAT> asked;
  bool Asked(CLIPFORMAT format) const {
    return std::find(asked.begin(), asked.end(), format) != asked.end();
  }

  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* f, STGMEDIUM* m) override {
    if (f) asked.push_back(f->cfFormat);
    return data_->GetData(f, m);
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC* f, STGMEDIUM* m) override {
    return data_->GetDataHere(f, m);
  }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* f) override { return data_->QueryGetData(f); }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* f, FORMATETC* o) override {
    return data_->GetCanonicalFormatEtc(f, o);
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC* f, STGMEDIUM* m, BOOL r) override {
    return data_->SetData(f, m, r);
  }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD d, IEnumFORMATETC** e) override {
    return data_->EnumFormatEtc(d, e);
  }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC* f, DWORD a, IAdviseSink* s, DWORD* c) override {
    return data_->DAdvise(f, a, s, c);
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD c) override { return data_->DUnadvise(c); }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA** e) override {
    return data_->EnumDAdvise(e);
  }

private:
  ComPtr<IDataObject> data_;
};

// Whether this shell's own drop target of FOLDER carries out a copy dropped on it (Wine 8's
// file-system folders accept every drop and only log it).
bool ShellCopiesDropsInto(const fs::path& folder) {
  TempFolder source;
  source.Write("probe.txt", "p");
  ShellItemId source_id, item, folder_id;
  ComPtr<IShellFolder> source_folder, target_folder;
  std::wstring name = L"probe.txt";
  ULONG eaten = 0;
  if (PathToIdList(source.Path().string(), source_id) != S_OK ||
      PathToIdList(folder.string(), folder_id) != S_OK ||
      BindToFolder(source_id.Get(), source_folder) != S_OK ||
      BindToFolder(folder_id.Get(), target_folder) != S_OK ||
      source_folder->ParseDisplayName(nullptr, nullptr, name.data(), &eaten, PidlOut(item),
                                      nullptr) != S_OK)
    return false;
  ComPtr<IDataObject> data(
      new TShellItemsDataObject(source_folder.Get(), source_id.Get(), {item.Get()}));
  ComPtr<IDropTarget> target = FolderDropTarget(nullptr, target_folder.Get(), folder_id.Get());
  DWORD effect = DROPEFFECT_COPY;
  if (target) ForwardDrop(target.Get(), data.Get(), MK_LBUTTON, {0, 0}, effect);
  const bool copied = fs::exists(folder / "probe.txt");
  std::error_code ignored;
  fs::remove(folder / "probe.txt", ignored);
  return copied;
}

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
  data->asked.clear();
  effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  EXPECT_EQ(target->Drop(data.Get(), 0, ScreenPointOf(folder), &effect), S_OK);
  EXPECT_FALSE(folder->DropTarget());
  EXPECT_TRUE(data->Asked(IdListArrayFormat())) << "the shell's target read the dropped items";
  EXPECT_FALSE(fs::exists(temp.Path() / "target" / "target")) << "not dropped on itself";
  if (ShellCopiesDropsInto(temp.Path() / "target")) {
    EXPECT_TRUE(fs::exists(temp.Path() / "target" / "dropped.txt"));
  } else {
    EXPECT_TRUE(fs::exists(temp.Path() / "dropped.txt")) << "a drop carried out nowhere loses nothing";
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
