#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/win/data_object_shlv.h"
#include "shell/win/drop_source_shlvtv.h"
#include "shell/win/drop_targets.h"
#include "shell/win/pidl.h"
#include "shell/win/shell_id_list_format.h"
#include "shell/win/shell_items_data_object.h"
#include "tests/shell/win/data_object_bytes.h"
#include "tests/shell/win/shell_drop_probe.h"
#include "tests/shell/win/shell_list_fixture.h"

namespace tw::test {
namespace {

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class DragDropTest : public ShellListTest {
protected:
  ComPtr<IDataObject> SelectionData(const std::vector<std::string>& names) {
    Select(names);
    return ComPtr<IDataObject>(new TDataObject_shlv(*list));
  }
  // The screen point at the centre of item NAME, or of the client area's bottom right corner.
  POINT ScreenPointOf(const std::string& name) {
    const int i = IndexOfName(name);
    EXPECT_GE(i, 0) << name;
    const RECT rect = list->Items().Item(i)->DisplayRect(drIcon);
    return list->ClientToScreen(CentreOf(rect));
  }
  POINT EmptySpace() { return list->ClientToScreen({list->ClientWidth() - 40, list->ClientHeight() - 40}); }
  static POINTL L(POINT point) { return {point.x, point.y}; }
  std::string ItemPath(int i) { return list->ItemData(i)->Path(); }
};

TEST_F(DragDropTest, TheListsDataObjectDescribesItsSelectionInFourFormats) {
  const std::string a = temp.Write("a.txt", "a");
  temp.Write("b.txt", "b");
  ShowTemp();
  ComPtr<IDataObject> one = SelectionData({"a.txt"});
  const std::vector<std::uint8_t> ids = DataBytes(one.Get(), ShellIdListFormat());
  ASSERT_GE(ids.size(), 12u);
  EXPECT_EQ(Get32(ids, 0), 1u);
  const std::size_t parent_at = Get32(ids, 4);
  const std::size_t item_at = Get32(ids, 8);
  EXPECT_EQ(parent_at, 12u);
  const std::size_t parent_size = IdListSize(list->FolderId());
  ASSERT_EQ(item_at, parent_at + parent_size);
  EXPECT_EQ(std::memcmp(ids.data() + parent_at, list->FolderId(), parent_size), 0)
      << "the parent is the list's folder";
  const ItemIdList* item = list->ItemData(IndexOfName("a.txt"))->RelativeId();
  ASSERT_GE(ids.size(), item_at + IdListSize(item));
  EXPECT_EQ(std::memcmp(ids.data() + item_at, item, IdListSize(item)), 0);
  EXPECT_EQ(HDropNames(DataBytes(one.Get(), CF_HDROP)), std::vector<std::string>{a});
  EXPECT_STREQ(reinterpret_cast<const char*>(DataBytes(one.Get(), CF_TEXT).data()),
               (a + "\r\n").c_str());
  EXPECT_EQ(UnicodeText(DataBytes(one.Get(), CF_UNICODETEXT)), a + "\r\n");

  list->SetMultiSelect(true);
  list->SelectAllItems();
  ComPtr<IDataObject> both(new TDataObject_shlv(*list));
  EXPECT_EQ(Get32(DataBytes(both.Get(), ShellIdListFormat()), 0), 2u);
  std::vector<std::string> names = HDropNames(DataBytes(both.Get(), CF_HDROP));
  EXPECT_EQ(names, (std::vector<std::string>{ItemPath(0), ItemPath(1)})) << "in list order";
  EXPECT_STREQ(reinterpret_cast<const char*>(DataBytes(both.Get(), CF_TEXT).data()),
               (ItemPath(0) + "\r\n" + ItemPath(1) + "\r\n").c_str());
  EXPECT_EQ(DataObjectCapabilities(both.Get()), DWORD{DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK});

  list->ClearSelection();
  EXPECT_THROW(TDataObject_shlv nothing(*list), Exception);
}

TEST_F(DragDropTest, QueriesEnumeratorAndDropSourceAnswers) {
  temp.Write("a.txt", "a");
  ShowTemp();
  ComPtr<IDataObject> data = SelectionData({"a.txt"});
  FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_ISTREAM};
  EXPECT_EQ(data->QueryGetData(&format), DV_E_TYMED);
  format.tymed = TYMED_HGLOBAL | TYMED_ISTREAM;
  EXPECT_EQ(data->QueryGetData(&format), S_OK);
  format.dwAspect = DVASPECT_ICON;
  EXPECT_EQ(data->QueryGetData(&format), DV_E_FORMATETC);
  format = {CF_BITMAP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  EXPECT_EQ(data->QueryGetData(&format), DV_E_FORMATETC);
  STGMEDIUM medium{};
  EXPECT_EQ(data->GetData(&format, &medium), DV_E_FORMATETC);

  ComPtr<IEnumFORMATETC> formats;
  EXPECT_EQ(data->EnumFormatEtc(DATADIR_SET, formats.Receive()), E_NOTIMPL);
  EXPECT_FALSE(formats);
  ASSERT_EQ(data->EnumFormatEtc(DATADIR_GET, formats.Receive()), S_OK);
  FORMATETC records[5] = {};
  ULONG fetched = 0;
  EXPECT_EQ(formats->Next(5, records, &fetched), S_FALSE);
  ASSERT_EQ(fetched, 4u);
  EXPECT_EQ(records[0].cfFormat, ShellIdListFormat());
  EXPECT_EQ(records[1].cfFormat, CF_HDROP);
  EXPECT_EQ(records[2].cfFormat, CF_UNICODETEXT);
  EXPECT_EQ(records[3].cfFormat, CF_TEXT);
  for (const FORMATETC& record : records) {
    if (&record - records >= 4) break;
    EXPECT_EQ(record.tymed, DWORD{TYMED_HGLOBAL});
    EXPECT_EQ(record.lindex, -1);
    EXPECT_EQ(record.ptd, nullptr);
  }
  EXPECT_EQ(formats->Reset(), S_OK);
  EXPECT_EQ(formats->Skip(5), S_FALSE);
  EXPECT_EQ(formats->Next(1, records, &fetched), S_FALSE);
  EXPECT_EQ(fetched, 0u);
  formats->Reset();
  EXPECT_EQ(formats->Skip(2), S_OK);
  ComPtr<IEnumFORMATETC> clone;
  ASSERT_EQ(formats->Clone(clone.Receive()), S_OK);
  EXPECT_EQ(clone->Next(1, records, &fetched), S_OK);
  EXPECT_EQ(records[0].cfFormat, CF_UNICODETEXT) << "the clone goes on from the same place";

  ComPtr<IDropSource> left(new TDropSource_shlvtv(0));
  EXPECT_EQ(left->QueryContinueDrag(FALSE, MK_LBUTTON), S_OK);
  EXPECT_EQ(left->QueryContinueDrag(FALSE, 0), DRAGDROP_S_DROP);
  EXPECT_EQ(left->QueryContinueDrag(TRUE, MK_LBUTTON), DRAGDROP_S_CANCEL);
  EXPECT_EQ(left->QueryContinueDrag(FALSE, MK_LBUTTON | MK_RBUTTON), DRAGDROP_S_CANCEL);
  EXPECT_EQ(left->QueryContinueDrag(FALSE, MK_LBUTTON | MK_CONTROL), S_OK);
  ComPtr<IDropSource> right(new TDropSource_shlvtv(1));
  EXPECT_EQ(right->QueryContinueDrag(FALSE, MK_RBUTTON), S_OK);
  EXPECT_EQ(right->QueryContinueDrag(FALSE, MK_RBUTTON | MK_MBUTTON), DRAGDROP_S_CANCEL);
  EXPECT_EQ(right->GiveFeedback(DROPEFFECT_COPY), DRAGDROP_S_USEDEFAULTCURSORS);
}

// A folder that only tells the parsing name of its items: every item is NAME. Wine's own folders
// cut parsing names at 259 characters; Windows' give longer ones.
class TLongNameFolder : public TComObject<IShellFolder> {
public:
  explicit TLongNameFolder(std::wstring name) : name_(std::move(name)) {}
  HRESULT STDMETHODCALLTYPE GetDisplayNameOf(LPCITEMIDLIST, SHGDNF, STRRET* name) override {
    const std::size_t bytes = (name_.size() + 1) * sizeof(wchar_t);
    name->uType = STRRET_WSTR;
    name->pOleStr = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
    std::memcpy(name->pOleStr, name_.c_str(), bytes);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ParseDisplayName(HWND, IBindCtx*, LPWSTR, ULONG*, LPITEMIDLIST*,
                                             ULONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumObjects(HWND, SHCONTF, IEnumIDList**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE BindToObject(LPCITEMIDLIST, IBindCtx*, REFIID, void**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE BindToStorage(LPCITEMIDLIST, IBindCtx*, REFIID, void**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE CompareIDs(LPARAM, LPCITEMIDLIST, LPCITEMIDLIST) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE CreateViewObject(HWND, REFIID, void**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetAttributesOf(UINT, LPCITEMIDLIST*, SFGAOF*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetUIObjectOf(HWND, UINT, LPCITEMIDLIST*, REFIID, UINT*,
                                          void**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetNameOf(HWND, LPCITEMIDLIST, LPCWSTR, SHGDNF,
                                      LPITEMIDLIST*) override { return E_NOTIMPL; }

private:
  std::wstring name_;
};

TEST(ShellItemsDataObject, ANameLongerThan260CharactersIsWrittenWhole) {
  const std::string path = "C:\\" + std::string(300, 'f') + "\\" + std::string(200, 'n') + ".txt";
  ComPtr<IShellFolder> folder(new TLongNameFolder(std::wstring(path.begin(), path.end())));
  const std::uint8_t item[] = {4, 0, 'x', 'y', 0, 0};
  const auto* id = reinterpret_cast<const ItemIdList*>(item);
  ComPtr<IDataObject> data(new TShellItemsDataObject(folder.Get(), nullptr, {id, id}));
  EXPECT_EQ(HDropNames(DataBytes(data.Get(), CF_HDROP)), (std::vector<std::string>{path, path}));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(DataBytes(data.Get(), CF_TEXT).data())),
            path + "\r\n" + path + "\r\n");
  // The desktop as parent is a bare terminator.
  const std::vector<std::uint8_t> ids = DataBytes(data.Get(), ShellIdListFormat());
  ASSERT_GE(ids.size(), 16u + 2 + 2 * sizeof(item));
  EXPECT_EQ(Get32(ids, 4), 16u);
  EXPECT_EQ(ids[16] | ids[17], 0);
  EXPECT_EQ(Get32(ids, 8), 18u);
  EXPECT_EQ(Get32(ids, 12), 18u + sizeof(item));
}

TEST_F(DragDropTest, ADropOnAFolderItemGoesToThatFoldersOwnDropTarget) {
  TempFolder source;
  const std::string file = source.Write("dropped.txt", "x");
  temp.MakeFolder("target");
  ShowTemp();
  ComPtr<TRecordingDataObject> data(
      new TRecordingDataObject(ItemDataObject(source.Path(), "dropped.txt")));
  IDropTarget* target = list->DropTarget();
  ASSERT_NE(target, nullptr);
  const POINTL at = L(ScreenPointOf("target"));
  DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  ASSERT_EQ(target->DragEnter(data.Get(), MK_LBUTTON, at, &effect), S_OK);
  EXPECT_NE(effect, DWORD{DROPEFFECT_NONE});
  EXPECT_TRUE(list->Items().Item(IndexOfName("target"))->DropTarget()) << "highlighted";
  effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  target->DragOver(MK_LBUTTON, at, &effect);
  EXPECT_NE(effect & ~DROPEFFECT_SCROLL, DWORD{DROPEFFECT_NONE});
  const TShellDropOutcome shell = DropStraightOnShell(temp.Path() / "target");
  data->asked.clear();
  effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  EXPECT_EQ(target->Drop(data.Get(), 0, at, &effect), S_OK);
  EXPECT_FALSE(list->Items().Item(IndexOfName("target"))->DropTarget());
  ExpectAWholeDragOnTheShell(*data.Get(), shell);
  EXPECT_FALSE(Exists(temp.File("dropped.txt"))) << "dropped one level up";
  EXPECT_EQ(Exists(temp.File("target\\dropped.txt")), shell.carried_out);
  if (!shell.carried_out) {
    EXPECT_TRUE(Exists(file));
  }
}

// Passes every step on to the shell's target it wraps and counts the drags begun and ended there;
// answers DragOver with OVER_FAILURE when it is set, as a target may.
class TCountingDropTarget : public TComObject<IDropTarget> {
public:
  explicit TCountingDropTarget(ComPtr<IDropTarget> target) : target_(std::move(target)) {}
  int entered = 0;
  int left = 0;
  int dropped = 0;
  HRESULT over_failure = S_OK;

  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL at,
                                      DWORD* effect) override {
    ++entered;
    return target_->DragEnter(data, keys, at, effect);
  }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL at, DWORD* effect) override {
    const HRESULT hr = target_->DragOver(keys, at, effect);
    return FAILED(over_failure) ? over_failure : hr;
  }
  HRESULT STDMETHODCALLTYPE DragLeave() override {
    ++left;
    return target_->DragLeave();
  }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL at, DWORD* effect) override {
    ++dropped;
    return target_->Drop(data, keys, at, effect);
  }

private:
  ComPtr<IDropTarget> target_;
};

TEST(DropsOnTheShellsTarget, EveryDragBegunThereIsEnded) {
  TempFolder temp;
  const std::string file = temp.Write("a.txt", "a");
  temp.MakeFolder("target");
  ComPtr<TCountingDropTarget> target(new TCountingDropTarget(ShellDropTargetOf(temp.File("target"))));
  DWORD effect = DROPEFFECT_COPY;
  EXPECT_EQ(ForwardDrop(target.Get(), ItemDataObject(temp.Path(), "a.txt").Get(), MK_LBUTTON,
                        {0, 0}, effect),
            S_OK);
  EXPECT_EQ(target->entered, 1);
  EXPECT_EQ(target->dropped, 1);
  // Items whose parent cannot be bound (a file here; an id list of another process may name
  // one): the effects they allow cannot be learnt.
  ShellItemId file_id;
  ASSERT_EQ(PathToIdList(file, file_id), S_OK);
  ComPtr<IDataObject> unreadable = ItemDataObject(temp.Path(), "a.txt", file_id.Get());
  effect = DROPEFFECT_COPY;
  EXPECT_THROW(
      ForwardDrop(target.Get(), unreadable.Get(), MK_LBUTTON, {0, 0}, effect), Exception);
  EXPECT_EQ(target->entered, target->left + target->dropped);
  // A Send To entry's drop whose DragOver fails.
  target->over_failure = E_UNEXPECTED;
  EXPECT_EQ(DropAtOnce(target.Get(), ItemDataObject(temp.Path(), "a.txt").Get(), MK_LBUTTON,
                       DROPEFFECT_COPY),
            E_UNEXPECTED);
  EXPECT_EQ(target->entered, target->left + target->dropped);
}

TEST_F(DragDropTest, ALeftButtonDropOnItsOwnEmptySpaceDoesNothing) {
  temp.Write("a.txt", "a");
  temp.MakeFolder("sub");
  ShowTemp();
  ComPtr<IDataObject> data = SelectionData({"a.txt"});
  list->SetDragging(true);
  IDropTarget* target = list->DropTarget();
  ASSERT_NE(target, nullptr);
  const POINTL at = L(EmptySpace());
  DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
  target->DragEnter(data.Get(), MK_LBUTTON, at, &effect);
  EXPECT_EQ(effect, DWORD{DROPEFFECT_NONE});
  effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
  target->DragOver(MK_LBUTTON, at, &effect);
  EXPECT_EQ(effect & ~DROPEFFECT_SCROLL, DWORD{DROPEFFECT_NONE});
  effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
  EXPECT_EQ(target->Drop(data.Get(), 0, at, &effect), S_OK);
  EXPECT_EQ(effect, DWORD{DROPEFFECT_NONE});
  list->SetDragging(false);
  EXPECT_EQ(Names(), (std::vector<std::string>{"sub", "a.txt"}));
  EXPECT_FALSE(Exists(temp.File("Copy of a.txt")));
  // With the right button the list itself answers that only a copy could be made.
  list->SetDragging(true);
  effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  target->DragEnter(data.Get(), MK_RBUTTON, at, &effect);
  EXPECT_EQ(effect, DWORD{DROPEFFECT_COPY});
  target->DragLeave();
  list->SetDragging(false);
}

TEST_F(DragDropTest, DraggingOverTheBottomEdgeScrollsAtMostOneLinePer100ms) {
  for (int i = 0; i < 120; ++i) temp.Write("file" + std::to_string(1000 + i) + ".txt", "x");
  list->SetViewStyle(vsReport);
  ShowTemp();
  ComPtr<IDataObject> data = SelectionData({"file1000.txt"});
  IDropTarget* target = list->DropTarget();
  const POINTL middle = L(list->ClientToScreen({list->ClientWidth() / 2, list->ClientHeight() / 2}));
  const POINTL bottom = L(list->ClientToScreen({list->ClientWidth() / 2, list->ClientHeight() - 5}));
  DWORD effect = DROPEFFECT_COPY;
  target->DragEnter(data.Get(), MK_LBUTTON, middle, &effect);
  const int top = list->TopItem()->Index();
  Sleep(150);
  const DWORD start = GetTickCount();
  for (int i = 0; i < 10; ++i) {
    effect = DROPEFFECT_COPY;
    target->DragOver(MK_LBUTTON, bottom, &effect);
    EXPECT_TRUE(effect & DROPEFFECT_SCROLL);
  }
  const DWORD elapsed = GetTickCount() - start;
  const int steps = list->TopItem()->Index() - top;
  target->DragLeave();
  EXPECT_GE(steps, 1);
  EXPECT_LE(steps, static_cast<int>(elapsed / 100 + 1)) << elapsed << " ms";
}

}  // namespace
}  // namespace tw::test
