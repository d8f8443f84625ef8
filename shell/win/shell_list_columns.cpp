// The report columns: the standard four with the Explorer's widths, or the folder's own columns
// from its details object, and the widths the lists share in the process.
#include <optional>

#include "framework/string_table.h"
#include "framework/win/handles.h"
#include "shell/shell_list_columns.h"
#include "shell/win/shell_list.h"
#include "shell/win/shell_folders.h"
#include "shell/win/shell_names.h"
#include "shell/win/shell_process.h"

namespace tw {
namespace {

// The Explorer's "DirectoryCols" value of the current user; nothing when it is absent or cannot
// be read.
std::optional<std::vector<std::uint8_t>> ReadDirectoryCols() {
  ScopedKey key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer", 0,
                    KEY_READ, key.Receive()) != ERROR_SUCCESS)
    return std::nullopt;
  DWORD size = 0;
  if (RegQueryValueExA(key.Get(), "DirectoryCols", nullptr, nullptr, nullptr, &size) !=
      ERROR_SUCCESS)
    return std::nullopt;
  std::vector<std::uint8_t> data(size);
  if (size > 0 && RegQueryValueExA(key.Get(), "DirectoryCols", nullptr, nullptr, data.data(),
                                   &size) != ERROR_SUCCESS)
    return std::nullopt;
  data.resize(size);
  return data;
}

TAlignment AlignmentOf(int format) {
  switch (format & LVCFMT_JUSTIFYMASK) {
    case LVCFMT_RIGHT: return taRightJustify;
    case LVCFMT_CENTER: return taCenter;
    default: return taLeftJustify;
  }
}

}  // namespace

void TPTCustomShellList::SaveColumnWidths() {
  if (!remember_widths_ || Columns().Count() == 0 || !HandleAllocated()) return;
  std::vector<int> widths;
  for (int i = 0; i < Columns().Count(); ++i) widths.push_back(Columns()[i]->Width());
  tw::SaveColumnWidths(ShellColumnStream(), widths);
}

void TPTCustomShellList::SetUpColumns() {
  Columns().BeginUpdate();
  try {
    SaveColumnWidths();
    Columns().Clear();
    if (details_)
      SetUpShellColumns();
    else
      SetUpStandardColumns();
  } catch (...) {
    Columns().EndUpdate();
    throw;
  }
  Columns().EndUpdate();
}

void TPTCustomShellList::SetUpStandardColumns() {
  static constexpr struct {
    StringId caption;
    TAlignment alignment;
  } kColumns[kStandardColumnCount] = {{SColumnName, taLeftJustify},
                                      {SColumnSize, taRightJustify},
                                      {SColumnType, taLeftJustify},
                                      {SColumnModified, taLeftJustify}};
  const TStandardWidths widths =
      DirectoryColsCopy().StandardWidths(ReadDirectoryCols(), ShellColumnStream());
  for (int i = 0; i < kStandardColumnCount; ++i) {
    TListColumn* column = Columns().Add();
    column->SetCaption(LoadStr(kColumns[i].caption));
    column->SetAlignment(kColumns[i].alignment);
    column->SetWidth(widths[i]);
  }
  column_mode_ = cmStandard;
  remember_widths_ = true;
}

void TPTCustomShellList::SetUpShellColumns() {
  std::vector<int> natural;
  for (UINT i = 0;; ++i) {
    SHELLDETAILS detail{};
    if (FAILED(details_->GetDetailsOf(nullptr, i, &detail))) break;
    TListColumn* column = Columns().Add();
    column->SetCaption(StrRetToString(nullptr, detail.str));
    column->SetAlignment(AlignmentOf(detail.fmt));
    natural.push_back(detail.cxChar * 7);
  }
  const bool from_stream = !IdListToPath(folder_id_.Get()).empty() && ShellColumnStream().Size() > 0;
  std::vector<int> saved;
  if (from_stream) saved = LoadColumnWidths(ShellColumnStream(), Columns().Count());
  for (int i = 0; i < Columns().Count(); ++i)
    Columns()[i]->SetWidth(i < static_cast<int>(saved.size()) ? saved[i] : natural[i]);
  column_mode_ = cmShell;
  remember_widths_ = from_stream;
}

}  // namespace tw
