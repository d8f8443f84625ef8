#pragma once
// A shell list on a shown form, pointed at a fresh temporary folder.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/win/application.h"
#include "framework/win/form.h"
#include "shell/win/shell_folders.h"
#include "shell/win/shell_list.h"
#include "tests/support/temp_folder.h"
#include "tests/support/win/pump.h"
#include "tests/support/win/shown_messages.h"

namespace tw::test {

// Keeps the warnings a list would show in a message box.
class TQuietShellList : public TPTShellList {
public:
  using TPTShellList::TPTShellList;
  std::vector<std::string> warnings;

protected:
  void ShowWarning(const std::string& text) override { warnings.push_back(text); }
};

class ShellListTest : public ::testing::Test {
protected:
  void SetUp() override {
    CollectShownMessages(shown);
    form = new TForm(nullptr);
    form->SetBounds(20, 20, 640, 480);
    list = new TQuietShellList(form);
    list->SetBounds(0, 0, 600, 440);
    list->OnFillComplete = [this](TObject*) { ++fills; };
  }
  void TearDown() override {
    // The items go with the list and raise OnDeleteItem; the tests' handlers capture their
    // locals, gone by now.
    list->OnDeleteItem = nullptr;
    delete form;
    ExpectNothingShown(shown);
  }

  // Points the list at PATH and shows it (which fills it).
  void ShowFolder(const std::string& path) {
    ShellItemId id;
    ASSERT_EQ(PathToIdList(path, id), S_OK) << path;
    list->Folder().SetIdList(id.Get());
    list->SetParent(form);
    form->Show();
    list->HandleNeeded();
  }
  void ShowTemp() { ShowFolder(temp.Path().string()); }

  // The display names of the items in the order the list shows them.
  std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (int i = 0; i < list->Items().Count(); ++i) {
      TPTShListData* data = list->ItemData(i);
      names.push_back(data ? data->DisplayName() : "<none>");
    }
    return names;
  }
  // The text the control shows for item I, column COLUMN.
  std::string ShownText(int i, int column) {
    char buffer[260] = {};
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = sizeof(buffer);
    SendMessageA(list->Handle(), LVM_GETITEMTEXTA, i, reinterpret_cast<LPARAM>(&item));
    return buffer;
  }
  int IndexOfName(const std::string& name) {
    const std::vector<std::string> names = Names();
    for (std::size_t i = 0; i < names.size(); ++i)
      if (names[i] == name) return static_cast<int>(i);
    return -1;
  }
  void Select(const std::vector<std::string>& names) {
    list->ClearSelection();
    for (const std::string& name : names) {
      const int i = IndexOfName(name);
      ASSERT_GE(i, 0) << name;
      list->Items().Item(i)->SetSelected(true);
    }
  }

  TempFolder temp;
  std::vector<std::string> shown;
  TForm* form = nullptr;
  TQuietShellList* list = nullptr;
  int fills = 0;
};

}  // namespace tw::test
