#include "shell/win/context_menu.h"

#include <windowsx.h>

#include "shell/win/send_to.h"
#include "shell/win/shell_errors.h"

namespace tw {

HRESULT CreateItemsMenu(HWND owner, IShellFolder* folder, UINT count, LPCITEMIDLIST* ids,
                        UINT flags, UINT first_id, ComPtr<IContextMenu>& context_menu,
                        ScopedMenu& menu) {
  ComPtr<IContextMenu> interface_;
  HRESULT hr = folder->GetUIObjectOf(owner, count, ids, IID_IContextMenu, nullptr,
                                     interface_.ReceiveVoid());
  if (FAILED(hr)) return hr;
  ScopedMenu popup(CreatePopupMenu());
  if (!popup) return HRESULT_FROM_WIN32(GetLastError());
  hr = interface_->QueryContextMenu(popup.Get(), 0, first_id, kLastShellCommand, flags);
  CheckResult(hr);
  context_menu = std::move(interface_);
  menu = std::move(popup);
  return hr;
}

std::optional<UINT> FindVerbCommand(IContextMenu* context_menu, const std::string& verb) {
  ScopedMenu menu(CreatePopupMenu());
  if (!menu) RaiseShellError(HRESULT_FROM_WIN32(GetLastError()));
  CheckResult(context_menu->QueryContextMenu(menu.Get(), 0, kFirstShellCommand,
                                             kLastShellCommand, CMF_EXPLORE));
  const int count = GetMenuItemCount(menu.Get());
  for (int position = 0; position < count; ++position) {
    // Separators and submenus have no command id (0 or -1).
    const int id = static_cast<int>(GetMenuItemID(menu.Get(), position));
    if (id < static_cast<int>(kFirstShellCommand)) continue;
    char buffer[261] = {};
    const UINT offset = static_cast<UINT>(id) - kFirstShellCommand;
    if (FAILED(context_menu->GetCommandString(offset, GCS_VERBA, nullptr, buffer, sizeof(buffer))))
      continue;
    buffer[sizeof(buffer) - 1] = '\0';
    if (lstrcmpiA(buffer, verb.c_str()) == 0) return offset;
  }
  return std::nullopt;
}

HRESULT InvokeMenuCommand(HWND owner, IContextMenu* context_menu, UINT offset) {
  CMINVOKECOMMANDINFO info{};
  info.cbSize = sizeof(info);
  info.hwnd = owner;
  info.lpVerb = MAKEINTRESOURCEA(offset);
  info.nShow = SW_SHOWNORMAL;
  return context_menu->InvokeCommand(&info);
}

HRESULT InvokeMenuCommand(HWND owner, IContextMenu* context_menu, const std::string& verb) {
  const std::optional<UINT> offset = FindVerbCommand(context_menu, verb);
  if (!offset) return S_FALSE;
  return InvokeMenuCommand(owner, context_menu, *offset);
}

HRESULT InvokeDefaultCommand(HWND owner, IContextMenu* context_menu, HMENU menu) {
  const UINT id = GetMenuDefaultItem(menu, FALSE, 0);
  if (id == static_cast<UINT>(-1) || id < kFirstShellCommand) return S_FALSE;
  return InvokeMenuCommand(owner, context_menu, id - kFirstShellCommand);
}

bool IsShellMenuMessage(UINT msg) {
  return msg == WM_INITMENUPOPUP || msg == WM_MEASUREITEM || msg == WM_DRAWITEM ||
         msg == WM_MENUCHAR || msg == WM_MENUSELECT;
}

namespace {

void InitMenuPopup(TMessage& message, IContextMenu* context_menu) {
  const HMENU submenu = reinterpret_cast<HMENU>(message.WParam);
  if (ComPtr<IContextMenu2> menu2 = ComPtr<IContextMenu>(context_menu).As<IContextMenu2>()) {
    const int before = GetMenuItemCount(submenu);
    menu2->HandleMenuMsg(WM_INITMENUPOPUP, message.WParam, message.LParam);
    // A shell extension that filled the submenu itself has taken it over from the Send To
    // entries: start it again from the disabled marker item.
    if (GetMenuItemCount(submenu) != before) {
      while (DeleteMenu(submenu, 0, MF_BYPOSITION)) {
      }
      AppendMenuA(submenu, MF_STRING | MF_GRAYED, kSendToMarkerId, kSendToMarkerText);
    }
  }
  if (GetMenuItemCount(submenu) != 1) return;
  const UINT state = GetMenuState(submenu, 0, MF_BYPOSITION);
  if (state != static_cast<UINT>(-1) && (state & MF_GRAYED)) FillSendToMenu(submenu);
}

void MenuSelect(TMessage& message, IContextMenu* context_menu, TObject* sender,
                const TPTShPopupHintEvent& on_popup_hint) {
  const UINT id = LOWORD(message.WParam);
  const UINT flags = HIWORD(message.WParam);
  std::string hint;
  if (id >= kFirstShellCommand && !(flags & (MF_POPUP | MF_SYSMENU))) {
    char buffer[261] = {};
    if (SUCCEEDED(context_menu->GetCommandString(id - kFirstShellCommand, GCS_HELPTEXTA, nullptr,
                                                 buffer, sizeof(buffer)))) {
      buffer[sizeof(buffer) - 1] = '\0';
      hint = buffer;
    }
  }
  on_popup_hint(sender, hint);
}

}  // namespace

void HandleShellMenuMessage(TMessage& message, IContextMenu* context_menu,
                            HIMAGELIST small_images, TObject* sender,
                            const TPTShPopupHintEvent& on_popup_hint) {
  switch (message.Msg) {
    case WM_INITMENUPOPUP:
      if (context_menu) InitMenuPopup(message, context_menu);
      break;
    case WM_MEASUREITEM: {
      auto& measure = *reinterpret_cast<MEASUREITEMSTRUCT*>(message.LParam);
      if (measure.CtlType == ODT_MENU && measure.itemID < kFirstShellCommand && context_menu &&
          SendToListExists()) {
        MeasureSendToItem(measure);
        message.Result = TRUE;
      }
      break;
    }
    case WM_DRAWITEM: {
      const auto& draw = *reinterpret_cast<const DRAWITEMSTRUCT*>(message.LParam);
      if (draw.CtlType == ODT_MENU && static_cast<int>(draw.itemID) < int{kFirstShellCommand} &&
          context_menu && SendToListExists()) {
        DrawSendToItem(draw, small_images);
        message.Result = TRUE;
      }
      break;
    }
    case WM_MENUCHAR:
      if (HIWORD(message.WParam) == MF_POPUP && context_menu && SendToListExists())
        message.Result = SendToMenuChar(static_cast<char>(LOWORD(message.WParam)),
                                        reinterpret_cast<HMENU>(message.LParam));
      break;
    case WM_MENUSELECT:
      if (context_menu && on_popup_hint) MenuSelect(message, context_menu, sender, on_popup_hint);
      break;
    default:
      break;
  }
}

LRESULT ShellBrowserOfProcess() {
  ComPtr<IUnknown> instance;
  if (FAILED(SHGetInstanceExplorer(instance.Receive())) || !instance) return 0;
  IShellBrowser* browser = nullptr;
  if (FAILED(instance->QueryInterface(IID_IShellBrowser, reinterpret_cast<void**>(&browser))))
    return 0;
  return reinterpret_cast<LRESULT>(browser);
}

}  // namespace tw
