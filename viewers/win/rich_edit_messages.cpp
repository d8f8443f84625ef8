// The text page editor's messages: what it does with the control's messages before or instead
// of the default, and the control's notifications turned into events.
#include <cstring>

#include "framework/win/messages.h"
#include "viewers/win/flag_scope.h"
#include "viewers/win/rich_edit.h"
#include "viewers/win/text_attributes.h"

namespace tw {

namespace {

// Editors painting at level 1 share one guard: a paint request arriving while any of them
// paints only invalidates.
bool g_painting = false;

}  // namespace

void TTwCustomRichEdit::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case EM_REPLACESEL:
      return ReplaceSelection(message);
    case EM_STREAMIN: {
      const FlagScope foreign(reading_foreign_text_, !reading_carried_text_);
      DefaultHandler(message);
      return;
    }
    case WM_SETFONT:
      DefaultHandler(message);
      if (HandleAllocated()) default_attributes_->Assign(Font());
      return;
    case CM_COLORCHANGED:
      TCustomMemo::Dispatch(message);
      if (HandleAllocated()) SendMessageA(Handle(), EM_SETBKGNDCOLOR, 0, ColorToRGB(Color()));
      return;
    case CM_UIDEACTIVATE:
      if (rich_edit_ole_) rich_edit_ole_->InPlaceDeactivate();
      return;
    case WM_DESTROY:
      CancelLoad();
      CloseObjects();
      rich_edit_ole_.Reset();
      break;
    case WM_PAINT:
      if (RichEditLevel() == 1) return PaintLevel1(message);
      break;
    default:
      break;
  }
  TCustomMemo::Dispatch(message);
}

void TTwCustomRichEdit::PaintLevel1(TMessage& message) {
  HWND window = Handle();
  RECT client;
  GetClientRect(window, &client);
  RECT strip{client.right - 3, client.top, client.right, client.bottom};
  RECT update;
  if (GetUpdateRect(window, &update, FALSE) && IntersectRect(&update, &update, &strip))
    InvalidateRect(window, &strip, FALSE);
  if (g_painting) {
    InvalidateRect(window, nullptr, FALSE);
    ValidateRect(window, nullptr);
    return;
  }
  g_painting = true;
  try {
    DefaultHandler(message);
  } catch (...) {
    g_painting = false;
    throw;
  }
  g_painting = false;
}

// The control's own replacement of the selection: the inserted text ends up selected, so that
// a following search starts beside it.
void TTwCustomRichEdit::ReplaceSelection(TMessage& message) {
  const int start = SelStart();
  const char* text = reinterpret_cast<const char*>(message.LParam);
  const int end = start + static_cast<int>(text ? std::strlen(text) : 0);
  if (undo_limit_ > 1 && RichEditLevel() > 1 && !lines_updating_) message.WParam = TRUE;
  DefaultHandler(message);
  if (!lines_updating_) SetSelection(start, end, true);
}

void TTwCustomRichEdit::SelectionChange() {
  if (OnSelectionChange) OnSelectionChange(this);
}

void TTwCustomRichEdit::RequestSize(const TRect& rect) {
  if (OnResizeRequest) OnResizeRequest(this, rect);
}

void TTwCustomRichEdit::CNNotify(TMessage& message) {
  const auto* header = reinterpret_cast<const NMHDR*>(message.LParam);
  switch (header->code) {
    case EN_REQUESTRESIZE: {
      const RECT& r = reinterpret_cast<const REQRESIZE*>(header)->rc;
      RequestSize({r.left, r.top, r.right, r.bottom});
      return;
    }
    case EN_SELCHANGE:
      SelectionChange();
      return;
    case EN_PROTECTED: {
      const auto* p = reinterpret_cast<const ENPROTECTED*>(header);
      bool allow = false;
      if (OnProtectChangeEx) {
        TMessage m{p->msg, p->wParam, p->lParam, 0};
        OnProtectChangeEx(this, m, p->chrg.cpMin, p->chrg.cpMax, allow);
      } else if (OnProtectChange) {
        OnProtectChange(this, p->chrg.cpMin, p->chrg.cpMax, allow);
      }
      message.Result = allow ? 0 : 1;
      return;
    }
    case EN_SAVECLIPBOARD: {
      const auto* s = reinterpret_cast<const ENSAVECLIPBOARD*>(header);
      bool save = true;
      if (OnSaveClipboard) OnSaveClipboard(this, s->cObjectCount, s->cch, save);
      message.Result = save ? 0 : 1;
      return;
    }
    case EN_LINK:
      LinkNotify(*reinterpret_cast<const ENLINK*>(header));
      return;
    default:
      DefaultHandler(message);
  }
}

// A link counts as clicked when the same button goes down and up on the same link.
void TTwCustomRichEdit::LinkNotify(const ENLINK& link) {
  switch (link.msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      url_range_ = link.chrg;
      url_button_ = link.msg == WM_LBUTTONDOWN ? mbLeft : mbRight;
      break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP: {
      TMouseButton button = link.msg == WM_LBUTTONUP ? mbLeft : mbRight;
      bool same = url_range_.cpMin == link.chrg.cpMin && url_range_.cpMax == link.chrg.cpMax &&
                  url_button_ == button;
      url_range_ = {-1, -1};
      if (same && OnURLClick) OnURLClick(this, TextRange(link.chrg.cpMin, link.chrg.cpMax), button);
      break;
    }
    default:
      break;
  }
}

}  // namespace tw
