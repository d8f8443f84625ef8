#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "framework/win/com_ptr.h"
#include "shell/id_list_array.h"
#include "shell/win/pidl.h"
#include "shell/win/shell_folders.h"
#include "shell/win/shell_id_list_format.h"
#include "tests/support/temp_folder.h"

namespace tw {
namespace {

// A data object that offers one block as "Shell IDList Array", or nothing at all.
class TBlockDataObject : public IDataObject {
public:
  explicit TBlockDataObject(std::vector<std::uint8_t> block, bool offer = true)
      : block_(std::move(block)), offer_(offer) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IDataObject) {
      *out = this;
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++count_; }
  ULONG STDMETHODCALLTYPE Release() override { return --count_; }
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (!offer_ || format->cfFormat != ShellIdListFormat() || !(format->tymed & TYMED_HGLOBAL))
      return DV_E_FORMATETC;
    HGLOBAL global = GlobalAlloc(GMEM_MOVEABLE, block_.size());
    std::memcpy(GlobalLock(global), block_.data(), block_.size());
    GlobalUnlock(global);
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = global;
    medium->pUnkForRelease = nullptr;
    ++handed_out;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }

  int handed_out = 0;

private:
  std::vector<std::uint8_t> block_;
  bool offer_;
  ULONG count_ = 1;
};

void Put32(std::vector<std::uint8_t>& block, std::size_t at, std::uint32_t value) {
  std::memcpy(block.data() + at, &value, 4);
}

// The identifier-list array of the items FILES in FOLDER, laid out as the shell does.
std::vector<std::uint8_t> IdListArray(const std::string& folder,
                                      const std::vector<std::string>& files) {
  std::vector<ShellItemId> ids;
  ShellItemId parent;
  EXPECT_EQ(PathToIdList(folder, parent), S_OK);
  ids.push_back(std::move(parent));
  for (const std::string& file : files) {
    ShellItemId full;
    EXPECT_EQ(PathToIdList(file, full), S_OK);
    TPTIdListArray items(full.Get());
    ids.push_back(CopyIdList(items.Items(items.Count() - 1)));
  }
  std::vector<std::uint8_t> block(4 + 4 * ids.size());
  Put32(block, 0, static_cast<std::uint32_t>(files.size()));
  for (std::size_t i = 0; i < ids.size(); ++i) {
    Put32(block, 4 + 4 * i, static_cast<std::uint32_t>(block.size()));
    block.insert(block.end(), ids[i].Bytes(), ids[i].Bytes() + IdListSize(ids[i].Get()));
  }
  return block;
}

TEST(DataObjectCapabilities, FilesAllowCopyMoveAndLink) {
  test::TempFolder temp;
  const std::string a = temp.Write("a.txt", "a");
  const std::string b = temp.Write("b.txt", "b");
  TBlockDataObject data(IdListArray(temp.Path().string(), {a, b}));
  EXPECT_EQ(DataObjectCapabilities(&data), DWORD{DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK});
  EXPECT_EQ(data.handed_out, 1);
}

TEST(DataObjectCapabilities, WithoutShellItemsEveryEffectIsAllowed) {
  TBlockDataObject data({}, false);
  EXPECT_EQ(DataObjectCapabilities(&data), 7u);
  EXPECT_EQ(DataObjectCapabilities(nullptr), 7u);
}

TEST(DataObjectCapabilities, ADamagedArrayAllowsNothingAndIsNotReadBeyondItsBlock) {
  test::TempFolder temp;
  const std::string a = temp.Write("a.txt", "a");
  const std::vector<std::uint8_t> good = IdListArray(temp.Path().string(), {a});
  std::vector<std::vector<std::uint8_t>> damaged;
  damaged.push_back({1, 0});                         // no room for the count
  damaged.push_back(good);
  Put32(damaged.back(), 0, 0x40000000);              // a count far beyond the block
  damaged.push_back(good);
  Put32(damaged.back(), 8, 0x7FFFFFF0);              // an item offset outside the block
  damaged.push_back(std::vector<std::uint8_t>(good.begin(), good.end() - 1));  // cut short
  damaged.push_back(good);
  damaged.back()[damaged.back().size() - 2] = 0xFF;  // the last list never ends
  for (const auto& block : damaged) {
    TBlockDataObject data(block);
    EXPECT_EQ(DataObjectCapabilities(&data), 0u) << block.size();
  }
}

}  // namespace
}  // namespace tw
