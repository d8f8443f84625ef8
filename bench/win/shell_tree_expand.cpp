// Expanding a shell tree node with 5,000 subfolders, and refreshing the tree with that node
// expanded and nothing changed, each against the raw floor of the same folder done straight on
// the shell: enumerating it and asking each item's attributes. Beside them, what any tree view
// pays for that many nodes: a bare control of the tree's styles (no subclass, no framework)
// given the same names in order, one TVM_INSERTITEM each with what the tree's inserts carry,
// under a collapsed node that is then expanded. The runs are interleaved; each figure is the
// best of its runs, and the ratios are printed.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "bench/win/shell_enumeration.h"
#include "framework/win/application.h"
#include "framework/win/form.h"
#include "shell/shell_attribute_masks.h"
#include "shell/win/pidl.h"
#include "shell/win/shell_folders.h"
#include "shell/win/shell_process.h"
#include "shell/win/shell_tree.h"

namespace {

// The tree's enumeration flags, for the shell's own work beside it.
constexpr SHCONTF kTreeFlags = SHCONTF_FOLDERS | SHCONTF_INCLUDEHIDDEN;

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

// A bare tree view with one collapsed node to fill; the window goes with its parent.
class BareTree {
public:
  explicit BareTree(HWND parent)
      : window_(CreateWindowExA(WS_EX_CLIENTEDGE, WC_TREEVIEWA, "",
                                WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES |
                                    TVS_EDITLABELS | TVS_NOTOOLTIPS,
                                0, 0, 780, 560, parent, nullptr, GetModuleHandleA(nullptr),
                                nullptr)) {
    TVINSERTSTRUCTA insert{};
    insert.hParent = TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_CHILDREN;
    insert.item.pszText = const_cast<char*>("big");
    insert.item.cChildren = 1;
    node_ = reinterpret_cast<HTREEITEM>(
        SendMessageA(window_, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
  }

  // The node's children as the shell tree makes them, then the node expanded.
  void Fill() {
    char name[32];
    for (int i = 0; i < kFolders; ++i) {
      std::snprintf(name, sizeof(name), "folder%05d", i);
      TVINSERTSTRUCTA insert{};
      insert.hParent = node_;
      insert.hInsertAfter = TVI_LAST;
      TVITEMA& item = insert.item;
      item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN |
                  TVIF_STATE;
      item.pszText = name;
      item.lParam = i;
      item.iImage = I_IMAGECALLBACK;
      item.iSelectedImage = I_IMAGECALLBACK;
      // Wine's shell says each of these folders has subfolders: the tree gives each a button.
      item.cChildren = 1;
      item.stateMask = TVIS_OVERLAYMASK | TVIS_CUT | TVIS_EXPANDED;
      SendMessageA(window_, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert));
    }
    SendMessageA(window_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(node_));
  }

  // Collapses the node and deletes its children.
  void Empty() {
    SendMessageA(window_, TVM_EXPAND, TVE_COLLAPSE | TVE_COLLAPSERESET,
                 reinterpret_cast<LPARAM>(node_));
  }

private:
  HWND window_;
  HTREEITEM node_ = nullptr;
};

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

  BareTree bare(form->Handle());

  double raw = 1e9, expand = 1e9, refresh = 1e9, bare_fill = 1e9;
  int raw_count = 0;
  auto raw_floor = [&] {
    raw_count = EnumerateWithAttributes(big_id.Get(), kTreeFlags, tw::kAddItemAttributeRequest);
  };
  for (int run = 0; run < kRuns; ++run) {
    raw = std::min(raw, Time(raw_floor));
    bare_fill = std::min(bare_fill, Time([&] { bare.Fill(); }));
    bare.Empty();
    big->Collapse(false);
    big->DeleteChildren();
    big->SetHasChildren(true);
    expand = std::min(expand, Time([&] { big->Expand(false); }));
    raw = std::min(raw, Time(raw_floor));
    refresh = std::min(refresh, Time([&] { tree->RefreshTree(); }));
  }
  std::printf("items: raw %d, node %d\n", raw_count, big->Count());
  std::printf("a (EnumObjects + GetAttributesOf): %.1f ms\n", raw * 1000);
  std::printf("b (expand the node):               %.1f ms\n", expand * 1000);
  std::printf("c (RefreshTree, nothing changed):  %.1f ms\n", refresh * 1000);
  std::printf("d (bare tree view, insert+expand): %.1f ms\n", bare_fill * 1000);
  std::printf("b/a: %.2f\n", expand / raw);
  std::printf("c/a: %.2f\n", refresh / raw);
  std::printf("d/a: %.2f (what any tree view pays for the nodes)\n", bare_fill / raw);
  delete form;
  RemoveFolders(base);
  tw::DoneShellControls();
  return 0;
}
