#pragma once
// A shell tree on a shown form, rooted at a fresh temporary folder, with a list it can link.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/win/application.h"
#include "framework/win/form.h"
#include "framework/win/messages.h"
#include "shell/win/shell_folders.h"
#include "shell/win/shell_list.h"
#include "shell/win/shell_tree.h"
#include "tests/support/temp_folder.h"
#include "tests/support/win/pump.h"
#include "tests/support/win/shown_messages.h"

namespace tw::test {

// Opens the protected state the tests look at.
class TTestShellTree : public TPTShellTree {
public:
  using TPTShellTree::TPTShellTree;
  using TPTShellTree::RefreshScheduled;
  using TPTShellTree::SetDragging;
  bool AwaitsRenameNotice() const { return !rename_notice_slots_.empty(); }

  // Change notices the watcher posted that arrived.
  int change_notices = 0;
  // Keys the tree view control reported in its key-down notices.
  std::vector<WORD> control_keys;
  // Replaces each data object the tree makes for a node (to see what the shell does with it).
  std::function<ComPtr<IDataObject>(ComPtr<IDataObject>)> WrapDataObject;

protected:
  void WndProc(TMessage& message) override {
    if (message.Msg == WM_TW_FOLDER_CHANGED) ++change_notices;
    TPTShellTree::WndProc(message);
  }
  void DoNotify(const NMHDR& header, LRESULT& result) override {
    if (header.code == TVN_KEYDOWN)
      control_keys.push_back(reinterpret_cast<const NMTVKEYDOWN&>(header).wVKey);
    TPTShellTree::DoNotify(header, result);
  }
  ComPtr<IDataObject> CreateNodeDataObject(TTreeNode* node) override {
    ComPtr<IDataObject> data = TPTShellTree::CreateNodeDataObject(node);
    return data && WrapDataObject ? WrapDataObject(data) : data;
  }
};

class ShellTreeTest : public ::testing::Test {
protected:
  void SetUp() override {
    CollectShownMessages(shown);
    form = new TForm(nullptr);
    form->SetBounds(20, 20, 800, 600);
    tree = new TTestShellTree(form);
    tree->SetBounds(0, 0, 300, 560);
    tree->OnFillComplete = [this](TObject*) { ++tree_fills; };
  }
  void TearDown() override {
    if (tree) tree->OnDeleteItem = nullptr;
    delete form;
    ExpectNothingShown(shown);
  }

  static ShellItemId IdOf(const std::string& path) {
    ShellItemId id;
    EXPECT_EQ(PathToIdList(path, id), S_OK) << path;
    return id;
  }
  // Roots the tree at the temporary folder and shows it (which fills it).
  void ShowTree() {
    ShellItemId base = IdOf(temp.Path().string());
    tree->BaseFolder().SetIdList(base.Get());
    tree->SetParent(form);
    form->Show();
    tree->HandleNeeded();
  }
  // A list beside the tree, linked to it; it does not watch, so folders can go.
  void AddList() {
    list = new TPTShellList(form);
    list->SetBounds(310, 0, 460, 560);
    list->SetOptions(list->Options().Without(ptsloDynamicRefresh));
    list->OnFillComplete = [this](TObject*) { ++list_fills; };
    list->SetParent(form);
    tree->SetShellList(list);
  }

  std::vector<std::string> Texts(TTreeNode* parent) {
    std::vector<std::string> texts;
    for (TTreeNode* n = parent->GetFirstChild(); n; n = n->GetNextSibling())
      texts.push_back(n->Text());
    return texts;
  }
  TTreeNode* Child(TTreeNode* parent, const std::string& text) {
    for (TTreeNode* n = parent->GetFirstChild(); n; n = n->GetNextSibling())
      if (n->Text() == text) return n;
    return nullptr;
  }
  TTreeNode* Root() { return tree->Items().GetFirstNode(); }
  // The file-system path of the folder the list shows.
  std::string ListPath() { return list->Folder().GetPath(); }
  static void MakeHidden(const std::string& path) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY);
  }

  TempFolder temp;
  std::vector<std::string> shown;
  TForm* form = nullptr;
  TTestShellTree* tree = nullptr;
  TPTShellList* list = nullptr;
  int tree_fills = 0;
  int list_fills = 0;
};

}  // namespace tw::test
