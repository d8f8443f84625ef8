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
  SaveColumnWidths();
  ApplyColumns(details_ ? ShellColumns() : StandardColumns());
}

void TPTCustomShellList::ApplyColumns(const std::vector<TColumnLayout>& wanted) {
  // The same columns as before (the usual case from one folder to the next) keep their
  // header; rebuilding it costs the control more than the whole rest of a fill.
  bool same = Columns().Count() == static_cast<int>(wanted.size());
  for (int i = 0; same && i < Columns().Count(); ++i)
    same = Columns()[i]->Caption() == wanted[i].caption &&
           Columns()[i]->Alignment() == wanted[i].alignment;
  if (same) {
    for (int i = 0; i < Columns().Count(); ++i)
      if (Columns()[i]->Width() != wanted[i].width) Columns()[i]->SetWidth(wanted[i].width);
    return;
  }
  Columns().BeginUpdate();
  try {
    Columns().Clear();
    for (const TColumnLayout& layout : wanted) {
      TListColumn* column = Columns().Add();
      column->SetCaption(layout.caption);
      column->SetAlignment(layout.alignment);
      column->SetWidth(layout.width);
    }
  } catch (...) {
    Columns().EndUpdate();
    throw;
  }
  Columns().EndUpdate();
}

std::vector<TPTCustomShellList::TColumnLayout> TPTCustomShellList::StandardColumns() {
  static constexpr struct {
    StringId caption;
    TAlignment alignment;
  } kColumns[kStandardColumnCount] = {{SColumnName, taLeftJustify},
                                      {SColumnSize, taRightJustify},
                                      {SColumnType, taLeftJustify},
                                      {SColumnModified, taLeftJustify}};
  const TStandardWidths widths =
      DirectoryColsCopy().StandardWidths(ReadDirectoryCols(), ShellColumnStream());
  std::vector<TColumnLayout> wanted;
  for (int i = 0; i < kStandardColumnCount; ++i)
    wanted.push_back({LoadStr(kColumns[i].caption), kColumns[i].alignment, widths[i]});
  column_mode_ = cmStandard;
  remember_widths_ = true;
  return wanted;
}

std::vector<TPTCustomShellList::TColumnLayout> TPTCustomShellList::ShellColumns() {
  std::vector<TColumnLayout> wanted;
  for (UINT i = 0;; ++i) {
    SHELLDETAILS detail{};
    if (FAILED(details_->GetDetailsOf(nullptr, i, &detail))) break;
    wanted.push_back(
        {StrRetToString(nullptr, detail.str), AlignmentOf(detail.fmt), detail.cxChar * 7});
  }
  const bool from_stream =
      !IdListToPath(folder_id_.Get()).empty() && ShellColumnStream().Size() > 0;
  if (from_stream) {
    const std::vector<int> saved =
        LoadColumnWidths(ShellColumnStream(), static_cast<int>(wanted.size()));
    for (std::size_t i = 0; i < saved.size() && i < wanted.size(); ++i) wanted[i].width = saved[i];
  }
  column_mode_ = cmShell;
  remember_widths_ = from_stream;
  return wanted;
}

}  // namespace tw
