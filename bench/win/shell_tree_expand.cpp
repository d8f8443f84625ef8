// Expanding a shell tree node with 5,000 subfolders, and refreshing the tree with that node
// expanded and nothing changed, each against the raw floor of the same folder done straight on
// the shell: enumerating it and asking each item's attributes. The runs are interleaved; each
// figure is the best of its runs, and the ratios are printed.
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "framework/win/application.h"
#include "framework/win/form.h"
#include "shell/shell_attribute_masks.h"
#include "shell/win/pidl.h"
#include "shell/win/shell_folders.h"
#include "shell/win/shell_process.h"
#include "shell/win/shell_tree.h"

namespace {

constexpr int kFolders = 5000;
constexpr int kRuns = 10;

double Seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

std::string SubfolderName(const std::string& big, int i) {
  char name[32];
  std::snprintf(name, sizeof(name), "\\folder%05d", i);
  return big + name;
}

std::string MakeFolders() {
  char temp[MAX_PATH + 1] = {};
  GetTempPathA(sizeof(temp), temp);
  const std::string base = std::string(temp) + "tw_bench_shell_tree";
  CreateDirectoryA(base.c_str(), nullptr);
  const std::string big = base + "\\big";
  CreateDirectoryA(big.c_str(), nullptr);
  for (int i = 0; i < kFolders; ++i) CreateDirectoryA(SubfolderName(big, i).c_str(), nullptr);
  return base;
}

void RemoveFolders(const std::string& base) {
  const std::string big = base + "\\big";
  for (int i = 0; i < kFolders; ++i) RemoveDirectoryA(SubfolderName(big, i).c_str());
  RemoveDirectoryA(big.c_str());
  RemoveDirectoryA(base.c_str());
}

// EnumObjects plus GetAttributesOf for every item, with the tree's flags and request mask;
// returns the item count.
int RawFloor(const tw::ItemIdList* id) {
  tw::ComPtr<IShellFolder> folder;
  tw::BindToFolder(id, folder);
  tw::ComPtr<IEnumIDList> items;
  folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_INCLUDEHIDDEN, items.Receive());
  int count = 0;
  for (;;) {
    tw::ShellItemId item;
    if (items->Next(1, tw::PidlOut(item), nullptr) != S_OK) break;
    SFGAOF attributes = tw::kAddItemAttributeRequest;
    LPCITEMIDLIST ids[] = {item.Get()};
    folder->GetAttributesOf(1, ids, &attributes);
    ++count;
  }
  return count;
}

template <class F>
double Time(F&& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return Seconds(std::chrono::steady_clock::now() - start);
}

}  // namespace

int main() {
  tw::InitShellUtilities();
  tw::InitShellControls();
  const std::string base = MakeFolders();
  tw::ShellItemId base_id, big_id;
  if (FAILED(tw::PathToIdList(base, base_id)) || FAILED(tw::PathToIdList(base + "\\big", big_id))) {
    std::printf("cannot reach %s\n", base.c_str());
    return 1;
  }
  auto* form = new tw::TForm(nullptr);
  form->SetBounds(0, 0, 800, 600);
  auto* tree = new tw::TPTShellTree(form);
  tree->SetBounds(0, 0, 780, 560);
  tree->BaseFolder().SetIdList(base_id.Get());
  tree->SetParent(form);
  form->Show();
  tree->HandleNeeded();
  tw::TTreeNode* big = tree->Items().GetFirstNode()->GetFirstChild();

  double raw = 1e9, expand = 1e9, refresh = 1e9;
  int raw_count = 0;
  for (int run = 0; run < kRuns; ++run) {
    raw = std::min(raw, Time([&] { raw_count = RawFloor(big_id.Get()); }));
    big->Collapse(false);
    big->DeleteChildren();
    big->SetHasChildren(true);
    expand = std::min(expand, Time([&] { big->Expand(false); }));
    raw = std::min(raw, Time([&] { raw_count = RawFloor(big_id.Get()); }));
    refresh = std::min(refresh, Time([&] { tree->RefreshTree(); }));
  }
  std::printf("items: raw %d, node %d\n", raw_count, big->Count());
  std::printf("a (EnumObjects + GetAttributesOf): %.1f ms\n", raw * 1000);
  std::printf("b (expand the node):               %.1f ms\n", expand * 1000);
  std::printf("c (RefreshTree, nothing changed):  %.1f ms\n", refresh * 1000);
  std::printf("b/a: %.2f\n", expand / raw);
  std::printf("c/a: %.2f\n", refresh / raw);
  delete form;
  RemoveFolders(base);
  tw::DoneShellControls();
  return 0;
}
