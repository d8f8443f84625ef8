#pragma once
// What the shell's own drop targets are handed and what they make of it, for the drag and drop
// tests: a data object that notes what is read of it, and a drag made straight on the shell's
// target of a folder, without the views' forwarding, to learn what this shell does with a drop.

#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "framework/win/com_object.h"
#include "shell/win/pidl.h"
#include "shell/win/shell_folders.h"
#include "shell/win/shell_items_data_object.h"
#include "tests/support/temp_folder.h"

namespace tw::test {

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

// The data object of the item NAME in FOLDER, its parent given as PARENT_ID (by default the
// folder's own id); null when the item cannot be reached.
inline ComPtr<IDataObject> ItemDataObject(const std::filesystem::path& folder,
                                          const std::string& name,
                                          const ItemIdList* parent_id = nullptr) {
  ShellItemId folder_id, item;
  ComPtr<IShellFolder> shell_folder;
  std::wstring wide(name.begin(), name.end());
  ULONG eaten = 0;
  if (PathToIdList(folder.string(), folder_id) != S_OK ||
      BindToFolder(folder_id.Get(), shell_folder) != S_OK ||
      shell_folder->ParseDisplayName(nullptr, nullptr, wide.data(), &eaten, PidlOut(item),
                                     nullptr) != S_OK)
    return {};
  return ComPtr<IDataObject>(new TShellItemsDataObject(
      shell_folder.Get(), parent_id ? parent_id : folder_id.Get(), {item.Get()}));
}

// The shell's own drop target of FOLDER; null when it has none.
inline ComPtr<IDropTarget> ShellDropTargetOf(const std::filesystem::path& folder) {
  ShellItemId id;
  ComPtr<IShellFolder> shell_folder;
  ComPtr<IDropTarget> target;
  if (PathToIdList(folder.string(), id) == S_OK && BindToFolder(id.Get(), shell_folder) == S_OK)
    shell_folder->CreateViewObject(nullptr, IID_IDropTarget, target.ReceiveVoid());
  return target;
}

// What a whole drag made straight on the shell's target of a folder did: the formats the target
// read, and whether the dropped copy arrived (Wine 8's file-system folders read the dropped
// items and carry out nothing).
struct TShellDropOutcome {
  std::vector<CLIPFORMAT> reads;
  bool carried_out = false;
};

inline TShellDropOutcome DropStraightOnShell(const std::filesystem::path& folder) {
  TShellDropOutcome outcome;
  TempFolder source;
  source.Write("probe.txt", "p");
  ComPtr<TRecordingDataObject> data(
      new TRecordingDataObject(ItemDataObject(source.Path(), "probe.txt")));
  ComPtr<IDropTarget> target = ShellDropTargetOf(folder);
  EXPECT_TRUE(target);
  if (!target) return outcome;
  DWORD effect = DROPEFFECT_COPY;
  target->DragEnter(data.Get(), MK_LBUTTON, {0, 0}, &effect);
  effect = DROPEFFECT_COPY;
  target->DragOver(MK_LBUTTON, {0, 0}, &effect);
  effect = DROPEFFECT_COPY;
  target->Drop(data.Get(), MK_LBUTTON, {0, 0}, &effect);
  outcome.reads = data->asked;
  outcome.carried_out = std::filesystem::exists(folder / "probe.txt");
  std::error_code ignored;
  std::filesystem::remove(folder / "probe.txt", ignored);
  return outcome;
}

// Checks what a view's drop read of DATA (noted from just before the drop): the reads of a whole
// drag on the shell's target, as OUTCOME found them, and those of learning the effects the
// dropped items allow, in any order. A target only entered, or never reached, reads less.
inline void ExpectAWholeDragOnTheShell(TRecordingDataObject& data,
                                       const TShellDropOutcome& outcome) {
  std::vector<CLIPFORMAT> dropping = data.asked;
  data.asked.clear();
  DataObjectCapabilities(&data);
  std::vector<CLIPFORMAT> expected = outcome.reads;
  expected.insert(expected.end(), data.asked.begin(), data.asked.end());
  std::sort(dropping.begin(), dropping.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(dropping, expected) << "the shell's target was entered and dropped on";
}

}  // namespace tw::test
