#include "framework/win/ole_in_place_frame.h"

#include <vector>

#include "framework/win/application.h"
#include "framework/win/form.h"
#include "framework/win/main_menu.h"

namespace tw {

namespace {

// The object's tools fit when they leave some of the client area between them.
bool BorderFits(HWND window, const BORDERWIDTHS& widths) {
  RECT client{};
  GetClientRect(window, &client);
  return widths.left >= 0 && widths.top >= 0 && widths.right >= 0 && widths.bottom >= 0 &&
         widths.left + widths.right < client.right - client.left &&
         widths.top + widths.bottom < client.bottom - client.top;
}

// The menu bar's entries as they stand, for sharing them with an object's menu.
struct TBarEntry {
  UINT id;
  HMENU submenu;
  UINT state;
  std::vector<char> text;
};

std::vector<TBarEntry> BarEntries(HMENU bar) {
  std::vector<TBarEntry> entries;
  const int count = bar ? GetMenuItemCount(bar) : 0;
  for (int i = 0; i < count; ++i) {
    TBarEntry entry{};
    entry.text.resize(256);
    MENUITEMINFOA info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_STATE | MIIM_STRING;
    info.dwTypeData = entry.text.data();
    info.cch = static_cast<UINT>(entry.text.size());
    if (!GetMenuItemInfoA(bar, i, TRUE, &info)) continue;
    entry.id = info.wID;
    entry.submenu = info.hSubMenu;
    entry.state = info.fState;
    entries.push_back(std::move(entry));
  }
  return entries;
}

}  // namespace

HRESULT STDMETHODCALLTYPE TOleInPlaceFrame::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IOleWindow || iid == IID_IOleInPlaceUIWindow ||
      iid == IID_IOleInPlaceFrame) {
    *out = static_cast<IOleInPlaceFrame*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

void TOleInPlaceFrame::Detach() {
  form_ = nullptr;
  active_object_ = nullptr;
}

HRESULT STDMETHODCALLTYPE TOleInPlaceFrame::GetWindow(HWND* window) {
  if (!window) return E_POINTER;
  *window = form_ ? form_->Handle() : nullptr;
  return form_ ? S_OK : E_FAIL;
}

// The form has no help mode to enter.
HRESULT STDMETHODCALLTYPE TOleInPlaceFrame::ContextSensitiveHelp(BOOL) { return S_OK; }

HRESULT STDMETHODCALLTYPE TOleInPlaceFrame::GetBorder(LPRECT border) {
  if (!border) return E_POINTER;
  if (!form_) return E_UNEXPECTED;
  GetClientRect(form_->Handle(), border);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TOleInPlaceFrame::RequestBorderSpace(LPCBORDERWIDTHS widths) {
  if (!form_) return E_UNEXPECTED;
  if (!widths) return S_OK;
  return BorderFits(form_->Handle(), *widths) ? S_OK : INPLACE_E_NOTOOLSPACE;
}

HRESULT STDMETHODCALLTYPE TOleInPlaceFrame::SetBorderSpace(LPCBORDERWIDTHS widths) {
  if (!form_) return E_UNEXPECTED;
  const BORDERWIDTHS none{};
  if (widths && !BorderFits(form_->Handle(), *widths)) return OLE_E_INVALIDRECT;
  form_->SetOleBorderSpace(widths ? *widths : none);
  return S_OK;
}

// The control that holds the object's window takes the form's in-place active role.
HRESULT STDMETHODCALLTYPE TOleInPlaceFrame::SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) {
  if (!form_) return E_UNEXPECTED;
  active_object_ = ComPtr<IOleInPlaceActiveObject>(object);
  if (!object) {
    form_->SetActiveOleControl(nullptr);
    return S_OK;
  }
  HWND window = nullptr;
  if (FAILED(object->GetWindow(&window))) return S_OK;
  for (; window; window = GetParent(window)) {
    TWinControl* control = TWinControl::FindControl(window);
    if (!control) continue;
    if (control != form_ && control->GetParentForm() == form_) form_->SetActiveOleControl(control);
    break;
  }
  return S_OK;
}

// The form's menu bar entries all go into the first (file) group of the shared menu.
HRESULT STDMETHODCALLTYPE TOleInPlaceFrame::InsertMenus(HMENU shared, LPOLEMENUGROUPWIDTHS widths) {
  if (!shared || !widths) return E_INVALIDARG;
  if (!form_) return E_UNEXPECTED;
  widths->width[0] = widths->width[2] = widths->width[4] = 0;
  if (!form_->Menu()) return S_OK;
  for (TBarEntry& entry : BarEntries(form_->Menu()->Handle())) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_STATE | MIIM_STRING;
    info.wID = entry.id;
    info.hSubMenu = entry.submenu;
    info.fState = entry.state;
    info.dwTypeData = entry.text.data();
    if (InsertMenuItemA(shared, static_cast<UINT>(widths->width[0]), TRUE, &info)) ++widths->width[0];
  }
  return S_OK;
}

// The form's own entries leave the shared menu without being destroyed: its menu bar keeps them.
HRESULT STDMETHODCALLTYPE TOleInPlaceFrame::RemoveMenus(HMENU shared) {
  if (!shared) return E_INVALIDARG;
  if (!form_) return E_UNEXPECTED;
  if (!form_->Menu()) return S_OK;
  const std::vector<TBarEntry> own = BarEntries(form_->Menu()->Handle());
  const std::vector<TBarEntry> present = BarEntries(shared);
  for (int i = static_cast<int>(present.size()) - 1; i >= 0; --i) {
    for (const TBarEntry& entry : own) {
      const bool same = entry.submenu ? entry.submenu == present[i].submenu
                                      : !present[i].submenu && entry.id == present[i].id;
      if (same) {
        RemoveMenu(shared, static_cast<UINT>(i), MF_BYPOSITION);
        break;
      }
    }
  }
  return S_OK;
}

// A shared menu replaces the form's menu bar while the object is active; none brings it back.
HRESULT STDMETHODCALLTYPE TOleInPlaceFrame::SetMenu(HMENU shared, HOLEMENU descriptor, HWND object_window) {
  if (!form_) return E_UNEXPECTED;
  HMENU own = form_->Menu() ? form_->Menu()->Handle() : nullptr;
  form_->ShowMenuBar(shared ? shared : own);
  if (!shared) return OleSetMenuDescriptor(nullptr, form_->Handle(), nullptr, nullptr, nullptr);
  return OleSetMenuDescriptor(descriptor, form_->Handle(), object_window, this, active_object_.Get());
}

// The form has no status line of its own.
HRESULT STDMETHODCALLTYPE TOleInPlaceFrame::SetStatusText(LPCOLESTR) { return E_FAIL; }

HRESULT STDMETHODCALLTYPE TOleInPlaceFrame::EnableModeless(BOOL enable) {
  if (!form_) return E_UNEXPECTED;
  Application->EnableModelessDialogs(enable != FALSE);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TOleInPlaceFrame::TranslateAccelerator(LPMSG, WORD command) {
  if (!form_) return E_UNEXPECTED;
  try {
    return form_->Menu() && form_->Menu()->DispatchCommand(command) ? S_OK : S_FALSE;
  } catch (...) {
    Application->HandleException(form_);
    return S_OK;
  }
}

}  // namespace tw
