// A windowed control's messages: mouse messages for windowless children, painting, the
// notifications reflected to the controls that sent them, focus, cursor and keys.
#include "framework/win/win_control.h"

#include <windowsx.h>

#include "framework/win/application.h"
#include "framework/win/form.h"
#include "framework/win/handles.h"
#include "framework/win/messages.h"

namespace tw {
namespace {

bool IsMouseMessage(UINT msg) {
  return msg >= WM_MOUSEFIRST && msg <= WM_MBUTTONDBLCLK;
}

}  // namespace

void TWinControl::WndProc(TMessage& message) {
  UINT msg = message.Msg;
  if (IsMouseMessage(msg) && OwnClass()) {
    POINT p{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
    TControl* child = mouse_capture_child_ ? mouse_capture_child_ : ControlAtPos(p);
    if (child) {
      ForwardMouseToChild(message);
      return;
    }
  }
  if (msg == WM_MOUSEMOVE && handle_) {
    TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, handle_, 0};
    TrackMouseEvent(&track);
  } else if (msg == WM_MOUSELEAVE) {
    Application->HintMouseLeave(this);
  }
  TControl::WndProc(message);
}

void TWinControl::ForwardMouseToChild(TMessage& message) {
  POINT p{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
  TControl* child = mouse_capture_child_ ? mouse_capture_child_ : ControlAtPos(p);
  switch (message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      mouse_capture_child_ = child;
      SetCapture(handle_);
      break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      mouse_capture_child_ = nullptr;
      ReleaseCapture();
      break;
    default:
      break;
  }
  TMessage forwarded = message;
  forwarded.LParam = MAKELPARAM(p.x - child->Left(), p.y - child->Top());
  child->WndProc(forwarded);
  message.Result = forwarded.Result;
}

void TWinControl::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_PAINT:
      if (OwnClass()) return WMPaint(message);
      break;
    case WM_ERASEBKGND:
      return WMEraseBkgnd(message);
    case WM_WINDOWPOSCHANGED:
      return WMWindowPosChanged(message);
    case WM_SIZE:
      DefaultHandler(message);
      Realign();
      return;
    case WM_COMMAND:
      return WMCommand(message);
    case WM_NOTIFY:
      return WMNotify(message);
    case WM_DRAWITEM: {
      auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(message.LParam);
      if (item->CtlType != ODT_MENU && ReflectToChild(item->hwndItem, message)) return;
      break;
    }
    case WM_MEASUREITEM: {
      auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(message.LParam);
      if (item->CtlType != ODT_MENU && handle_ &&
          ReflectToChild(GetDlgItem(handle_, static_cast<int>(item->CtlID)), message)) {
        return;
      }
      break;
    }
    case WM_DELETEITEM:
      if (ReflectToChild(reinterpret_cast<DELETEITEMSTRUCT*>(message.LParam)->hwndItem, message))
        return;
      break;
    case WM_COMPAREITEM:
      if (ReflectToChild(reinterpret_cast<COMPAREITEMSTRUCT*>(message.LParam)->hwndItem, message))
        return;
      break;
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      if (message.LParam && ReflectToChild(reinterpret_cast<HWND>(message.LParam), message)) return;
      break;
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORLISTBOX:
    case CN_CTLCOLORSTATIC:
    case CN_CTLCOLORBTN: {
      HDC dc = reinterpret_cast<HDC>(message.WParam);
      ::SetTextColor(dc, ColorToRGB(Font().Color()));
      ::SetBkColor(dc, ColorToRGB(Color()));
      message.Result = reinterpret_cast<LRESULT>(brush_.Handle());
      return;
    }
    case CN_COMMAND:
      return CNCommand(message);
    case CN_NOTIFY:
      return CNNotify(message);
    case CN_DRAWITEM:
      return CNDrawItem(message);
    case CN_MEASUREITEM:
      return CNMeasureItem(message);
    case WM_CONTEXTMENU:
      return WMContextMenu(message);
    case WM_SETFOCUS:
      return WMSetFocus(message);
    case WM_KILLFOCUS:
      return WMKillFocus(message);
    case WM_SETCURSOR:
      return WMSetCursor(message);
    case WM_DESTROY:
      SaveText();
      break;
    case WM_SETTEXT:
      DefaultHandler(message);
      StoreText(GetText());
      return;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      WORD key = static_cast<WORD>(message.WParam);
      if (DoKeyDown(key, KeyboardShiftState())) return;
      message.WParam = key;
      break;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP: {
      WORD key = static_cast<WORD>(message.WParam);
      if (OnKeyUp) OnKeyUp(this, key, KeyboardShiftState());
      if (key == 0) return;
      message.WParam = key;
      break;
    }
    case WM_CHAR: {
      char key = static_cast<char>(message.WParam);
      if (DoKeyPress(key)) return;
      message.WParam = static_cast<unsigned char>(key);
      break;
    }
    case CM_COLORCHANGED:
      brush_.SetColor(Color());
      NotifyChildren(CM_PARENTCOLORCHANGED);
      return;
    case CM_FONTCHANGED:
      if (handle_) SendMessageA(handle_, WM_SETFONT, WPARAM(Font().Handle()), TRUE);
      NotifyChildren(CM_PARENTFONTCHANGED);
      return;
    case CM_SHOWHINTCHANGED:
      NotifyChildren(CM_PARENTSHOWHINTCHANGED);
      return;
    default:
      break;
  }
  TControl::Dispatch(message);
}

void TWinControl::DefaultHandler(TMessage& message) {
  if (!handle_ || !default_proc_) return;
  // The framework's own messages mean nothing to the window's original procedure.
  if (message.Msg >= CM_BASE && message.Msg < CN_BASE + 0x400) return;
  message.Result =
      CallWindowProcA(default_proc_, handle_, message.Msg, message.WParam, message.LParam);
}

void TWinControl::WMPaint(TMessage& message) {
  if (HDC given = reinterpret_cast<HDC>(message.WParam)) {
    PaintWindow(given);
    PaintWindowlessChildren(given);
    return;
  }
  ScopedPaint paint(handle_);
  PaintWindow(paint.Get());
  PaintWindowlessChildren(paint.Get());
}

void TWinControl::PaintWindowlessChildren(HDC dc) {
  for (TControl* c : controls_) {
    if (c->IsWindowed() || !c->Visible()) continue;
    ScopedSaveDC saved(dc);
    IntersectClipRect(dc, c->Left(), c->Top(), c->Left() + c->Width(), c->Top() + c->Height());
    SetViewportOrgEx(dc, c->Left(), c->Top(), nullptr);
    c->PaintControl(dc);
  }
}

void TWinControl::WMEraseBkgnd(TMessage& message) {
  if (!OwnClass()) return DefaultHandler(message);
  RECT r;
  GetClientRect(handle_, &r);
  FillRect(reinterpret_cast<HDC>(message.WParam), &r, brush_.Handle());
  message.Result = 1;
}

void TWinControl::WMWindowPosChanged(TMessage& message) {
  if (message.LParam) DefaultHandler(message);
  RECT r;
  GetWindowRect(handle_, &r);
  if (HWND parent = GetParent(handle_); parent && (GetWindowLongPtrA(handle_, GWL_STYLE) & WS_CHILD)) {
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  }
  UpdateBoundsRect(r);
}

void TWinControl::WMCommand(TMessage& message) {
  if (message.LParam && ReflectToChild(reinterpret_cast<HWND>(message.LParam), message)) return;
  DefaultHandler(message);
}

void TWinControl::WMNotify(TMessage& message) {
  auto* header = reinterpret_cast<NMHDR*>(message.LParam);
  if (header && header->hwndFrom != handle_ && ReflectToChild(header->hwndFrom, message)) return;
  DefaultHandler(message);
}

void TWinControl::WMContextMenu(TMessage& message) {
  POINT p;
  if (message.LParam == -1) {
    p = {0, 0};
  } else {
    p = ScreenToClient({GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)});
  }
  if (DoContextPopup(p)) return;
  DefaultHandler(message);
}

void TWinControl::WMSetFocus(TMessage& message) {
  DefaultHandler(message);
  if (TForm* form = GetParentForm(); form && form != this) form->FocusChanged(this);
}

void TWinControl::WMKillFocus(TMessage& message) { DefaultHandler(message); }

void TWinControl::WMSetCursor(TMessage& message) {
  TCursor cursor = Screen->Cursor();
  if (cursor == crDefault && LOWORD(message.LParam) == HTCLIENT &&
      reinterpret_cast<HWND>(message.WParam) == handle_) {
    POINT p;
    GetCursorPos(&p);
    TControl* child = OwnClass() ? ControlAtPos(ScreenToClient(p)) : nullptr;
    cursor = child ? child->Cursor() : Cursor();
  }
  if (cursor != crDefault) {
    ::SetCursor(Screen->Cursors(cursor));
    message.Result = TRUE;
    return;
  }
  DefaultHandler(message);
}

bool TWinControl::DoKeyDown(WORD& key, TShiftState shift) {
  if (OnKeyDown) OnKeyDown(this, key, shift);
  return key == 0;
}

bool TWinControl::DoKeyPress(char& key) {
  if (OnKeyPress) OnKeyPress(this, key);
  return key == 0;
}

void TWinControl::DoEnter() {
  if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
  if (OnExit) OnExit(this);
}

}  // namespace tw
