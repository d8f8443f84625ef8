#include "framework/win/file_dialogs.h"

#include <iterator>
#include <vector>

#include "framework/win/application.h"
#include "framework/win/form.h"

namespace tw {

namespace {

constexpr DWORD kOptionFlags[] = {OFN_READONLY,     OFN_OVERWRITEPROMPT, OFN_HIDEREADONLY,
                                  OFN_NOCHANGEDIR,  OFN_PATHMUSTEXIST,   OFN_FILEMUSTEXIST,
                                  OFN_CREATEPROMPT, OFN_ENABLESIZING};

// The system's filter form: each part ended by a zero, the whole ended by a second zero.
std::string SystemFilter(const std::string& filter) {
  std::string result = filter;
  for (char& c : result)
    if (c == '|') c = '\0';
  result.append(2, '\0');
  return result;
}

}  // namespace

UINT_PTR CALLBACK TOpenDialog::HookProc(HWND dialog, UINT msg, WPARAM, LPARAM lparam) {
  if (msg == WM_INITDIALOG) {
    SetWindowLongPtrA(dialog, GWLP_USERDATA, reinterpret_cast<const OPENFILENAMEA*>(lparam)->lCustData);
  } else if (msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lparam)->code == CDN_INITDONE) {
    auto* self = reinterpret_cast<TOpenDialog*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
    if (self) {
      // The hook runs in a child of the dialog; the dialog itself is its parent.
      self->handle_ = GetParent(dialog);
      try {
        if (self->OnShow) self->OnShow(self);
      } catch (...) {
        Application->HandleException(self);
      }
    }
  }
  return 0;
}

bool TOpenDialog::Execute() {
  std::vector<char> name(MAX_PATH * 4, '\0');
  file_name_.copy(name.data(), name.size() - 1);
  std::string filter = SystemFilter(filter_);
  std::string default_ext = default_ext_.starts_with('.') ? default_ext_.substr(1) : default_ext_;

  OPENFILENAMEA request{};
  request.lStructSize = sizeof(request);
  HWND owner = Application->Handle();
  if (TForm* form = Screen->ActiveForm(); form && form->HandleAllocated()) owner = form->Handle();
  request.hwndOwner = owner;
  request.lpstrFilter = filter_.empty() ? nullptr : filter.c_str();
  request.nFilterIndex = static_cast<DWORD>(filter_index_);
  request.lpstrFile = name.data();
  request.nMaxFile = static_cast<DWORD>(name.size());
  request.lpstrInitialDir = initial_dir_.empty() ? nullptr : initial_dir_.c_str();
  request.lpstrTitle = title_.empty() ? nullptr : title_.c_str();
  request.lpstrDefExt = default_ext.empty() ? nullptr : default_ext.c_str();
  request.Flags = OFN_EXPLORER | OFN_ENABLEHOOK;
  for (size_t i = 0; i < std::size(kOptionFlags); ++i)
    if (options_ & (1u << i)) request.Flags |= kOptionFlags[i];
  request.lpfnHook = &HookProc;
  request.lCustData = reinterpret_cast<LPARAM>(this);

  BOOL confirmed = Run(request);
  handle_ = nullptr;
  if (!confirmed) return false;
  file_name_ = name.data();
  filter_index_ = static_cast<int>(request.nFilterIndex);
  if (request.Flags & OFN_READONLY) options_ |= ofReadOnly;
  else options_ &= ~ofReadOnly;
  return true;
}

}  // namespace tw
