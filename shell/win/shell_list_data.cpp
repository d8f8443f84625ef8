#include "shell/win/shell_list_data.h"

#include <shlobj.h>

#include "framework/string_table.h"
#include "shell/shell_list_texts.h"
#include "shell/win/shell_folders.h"
#include "shell/win/shell_names.h"
#include "shell/win/shell_list.h"
#include "shell/win/wide_text.h"

namespace tw {
namespace {

constexpr DWORD kAttributeRequest = 0xF00F0037;

std::string ThousandsSeparator() {
  char buffer[8] = {};
  if (!GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, buffer, sizeof(buffer))) return ",";
  return buffer;
}

std::string DateTimeText(const FILETIME& utc) {
  FILETIME local{};
  SYSTEMTIME time{};
  if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &time)) return {};
  char date[80] = {};
  char clock[80] = {};
  if (!GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, date, sizeof(date)))
    return {};
  if (!GetTimeFormatA(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &time, nullptr, clock, sizeof(clock)))
    return date;
  return std::string(date) + ' ' + clock;
}

// Whether a path names something on a removable drive, where asking for the read-only bit
// would make the shell touch the medium.
bool OnRemovableDrive(const std::string& path) {
  if (path.size() <= 3) return false;
  if (IsDBCSLeadByte(static_cast<BYTE>(path[0])) && path[1] == ':') return false;
  return GetDriveTypeA(path.c_str()) == DRIVE_REMOVABLE;
}

}  // namespace

TPTShListData::TPTShListData(TPTCustomShellList* owner, ShellItemId relative_id,
                             DWORD fill_attributes)
    : owner_(owner), relative_id_(std::move(relative_id)), fill_attributes_(fill_attributes) {}

TPTShListData::TShown& TPTShListData::Shown() {
  if (!shown_) shown_ = std::make_unique<TShown>();
  return *shown_;
}

const ItemIdList* TPTShListData::AbsoluteId() {
  TShown& shown = Shown();
  if (!shown.absolute_id) shown.absolute_id = ConcatIdLists(owner_->FolderId(), relative_id_.Get());
  return shown.absolute_id.Get();
}

DWORD TPTShListData::Attributes() {
  IShellFolder* folder = owner_->FolderObject();
  if (!folder) return 0;
  DWORD attributes = kAttributeRequest;
  if (OnRemovableDrive(Path())) attributes &= ~static_cast<DWORD>(SFGAO_READONLY);
  LPCITEMIDLIST items[] = {relative_id_.Get()};
  if (FAILED(folder->GetAttributesOf(1, items, &attributes))) return 0;
  return attributes;
}

bool TPTShListData::CanRename() {
  constexpr DWORD kMask = SFGAO_FILESYSTEM | SFGAO_CANRENAME;
  return (Attributes() & kMask) == kMask;
}

bool TPTShListData::IsLink() {
  const std::string path = Path();
  const std::size_t dot = path.rfind('.');
  return dot != std::string::npos && lstrcmpiA(path.c_str() + dot, ".lnk") == 0;
}

bool TPTShListData::IsValid() {
  IShellFolder* folder = owner_->FolderObject();
  if (!folder) return false;
  DWORD attributes = SFGAO_VALIDATE;
  LPCITEMIDLIST items[] = {relative_id_.Get()};
  if (FAILED(folder->GetAttributesOf(1, items, &attributes))) return false;
  // Not every folder checks the item when asked to validate it (Wine's does not): a file-system
  // item must still be found where its path says.
  const std::string path = Path();
  return path.empty() || GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string TPTShListData::Path() { return IdListToPath(AbsoluteId()); }

const std::string& TPTShListData::DisplayName() {
  // Asked of the list's own folder object: through the absolute id the shell binds the folder
  // anew for each item, which in a folder of 100,000 files took Wine about 75 ms an item.
  TShown& shown = Shown();
  if (!shown.name_ready) {
    if (IShellFolder* folder = owner_->FolderObject()) {
      shown.display_name = GetDisplayName(folder, relative_id_.Get(), dnkNormal);
      shown.name_ready = !shown.display_name.empty();
    }
  }
  return shown.display_name;
}

int TPTShListData::IconIndex() {
  if (icon_index_ < 0) {
    // A plain folder's icon goes by its id, asked once for all of them and kept (asked of the
    // list's folder, Wine would look for its desktop.ini each time).
    constexpr DWORD kFileFolder = SFGAO_FOLDER | SFGAO_FILESYSTEM;
    IShellFolder* folder = owner_->FolderObject();
    if ((fill_attributes_ & kFileFolder) == kFileFolder && IsPlainFileFolder(AbsoluteId()))
      icon_index_ = PlainFolderIconIndex(AbsoluteId(), SHGFI_SMALLICON);
    else if (folder)
      icon_index_ = SHMapPIDLToSystemImageListIndex(folder, relative_id_.Get(), nullptr);
    else
      icon_index_ = SystemIconIndex(AbsoluteId(), SHGFI_SMALLICON);
  }
  return icon_index_;
}

void TPTShListData::SetRelativeId(ShellItemId id) {
  relative_id_ = std::move(id);
  ResetCaches();
}

void TPTShListData::ResetCaches() {
  shown_.reset();
  icon_index_ = -1;
}

std::string TPTShListData::ColumnText(int n) {
  if (n <= 0) return {};
  if (IShellDetails* details = owner_->DetailsObject()) {
    SHELLDETAILS detail{};
    if (FAILED(details->GetDetailsOf(relative_id_.Get(), static_cast<UINT>(n), &detail))) return {};
    return StrRetToString(relative_id_.Get(), detail.str);
  }
  if (!Shown().texts) ComputeTexts();
  const TColumnTexts& texts = *shown_->texts;
  switch (n) {
    case 1: return texts.size;
    case 2: return texts.type;
    case 3: return texts.date;
    default: return {};
  }
}

void TPTShListData::ComputeTexts() {
  auto texts = std::make_unique<TColumnTexts>();
  const std::string path = Path();
  // Drive roots get neither a size nor a date.
  if (path.size() > 3) {
    WIN32_FIND_DATAW found{};
    HANDLE find = FindFirstFileW(ToWide(path).c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
      FindClose(find);
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        const std::uint64_t size =
            (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
        texts->size = SizeText(size, ThousandsSeparator());
      }
      const FILETIME& written = found.ftLastWriteTime;
      const bool no_write_time = written.dwLowDateTime == 0 && written.dwHighDateTime == 0;
      texts->date = DateTimeText(no_write_time ? found.ftCreationTime : written);
    }
  }
  if (!(Attributes() & SFGAO_FILESYSTEM)) {
    texts->type = LoadStr(SSystemFolder);
  } else {
    SHFILEINFOW info{};
    if (SHGetFileInfoW(reinterpret_cast<LPCWSTR>(AbsoluteId()), 0, &info, sizeof(info),
                       SHGFI_TYPENAME | SHGFI_PIDL))
      texts->type = FromWide(info.szTypeName);
  }
  Shown().texts = std::move(texts);
}

}  // namespace tw
