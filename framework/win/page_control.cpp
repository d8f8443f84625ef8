#include "framework/win/page_control.h"

#include <commctrl.h>

#include <algorithm>
#include "framework/type_info.h"

namespace tw {

namespace {
const bool kRegistered =
    TTypeRegistry::Class<TTabSheet>("TTabSheet", "TWinControl").Done() &&
    TTypeRegistry::Class<TPageControl>("TPageControl", "TWinControl")
        .Integer("ActivePageIndex", &TPageControl::ActivePageIndex, &TPageControl::SetActivePageIndex, -1)
        .Done();
}  // namespace


TTabSheet::TTabSheet(TComponent* AOwner) : TWinControl(AOwner) {
  SetAlign(alClient);
  SetVisible(false);
}

TTabSheet::~TTabSheet() {
  Destroying();
  SetPageControl(nullptr);
}

void TTabSheet::SetPageControl(TPageControl* value) { SetParent(value); }

int TTabSheet::PageIndex() const {
  if (!page_control_) return -1;
  auto& pages = page_control_->pages_;
  auto it = std::find(pages.begin(), pages.end(), this);
  return it == pages.end() ? -1 : static_cast<int>(it - pages.begin());
}

void TTabSheet::TextChanged() {
  TWinControl::TextChanged();
  if (page_control_) page_control_->RebuildTabs();
}

TPageControl::TPageControl(TComponent* AOwner) : TWinControl(AOwner) {
  SetBounds(0, 0, 289, 193);
  SetTabStop(true);
}

void TPageControl::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.SysClassName = WC_TABCONTROLA;
  if (tab_position_ == tpBottom) params.Style |= TCS_BOTTOM;
}

void TPageControl::CreateWnd() {
  TWinControl::CreateWnd();
  RebuildTabs();
}

void TPageControl::InsertControl(TControl* control) {
  TWinControl::InsertControl(control);
  if (auto* sheet = dynamic_cast<TTabSheet*>(control)) {
    sheet->page_control_ = this;
    pages_.push_back(sheet);
    RebuildTabs();
    if (!active_page_) SetActivePage(sheet);
  }
}

void TPageControl::RemoveControl(TControl* control) {
  auto* sheet = dynamic_cast<TTabSheet*>(control);
  if (sheet && std::erase(pages_, sheet)) {
    sheet->page_control_ = nullptr;
    if (active_page_ == sheet) active_page_ = nullptr;
  }
  TWinControl::RemoveControl(control);
  if (sheet && !IsDestroying()) {
    RebuildTabs();
    if (!active_page_ && !pages_.empty()) SetActivePage(pages_.front());
  }
}

void TPageControl::RebuildTabs() {
  if (!HandleAllocated() || IsDestroying()) return;
  HWND tabs = Handle();
  SendMessageA(tabs, TCM_DELETEALLITEMS, 0, 0);
  for (int i = 0; i < PageCount(); ++i) {
    std::string caption = pages_[i]->Caption();
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = caption.data();
    SendMessageA(tabs, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
  }
  SendMessageA(tabs, TCM_SETCURSEL, ActivePageIndex(), 0);
  Realign();
}

int TPageControl::ActivePageIndex() const {
  if (!active_page_) return -1;
  return active_page_->PageIndex();
}

void TPageControl::SetActivePageIndex(int index) {
  SetActivePage(index >= 0 && index < PageCount() ? pages_[index] : nullptr);
}

void TPageControl::SetActivePage(TTabSheet* page) {
  if (page && page->page_control_ != this) return;
  if (page == active_page_) return;
  active_page_ = page;
  ShowActivePage();
}

void TPageControl::ShowActivePage() {
  // Show the new page before hiding the others so that the area never flashes empty.
  if (active_page_) {
    active_page_->SetVisible(true);
    active_page_->BringToFront();
  }
  for (TTabSheet* sheet : pages_) {
    if (sheet != active_page_) sheet->SetVisible(false);
  }
  if (HandleAllocated()) SendMessageA(Handle(), TCM_SETCURSEL, ActivePageIndex(), 0);
}

void TPageControl::SetTabPosition(TTabPosition value) {
  if (value == tab_position_) return;
  tab_position_ = value;
  RecreateWnd();
}

void TPageControl::AdjustClientRect(RECT& rect) {
  if (HandleAllocated()) SendMessageA(Handle(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&rect));
}

void TPageControl::CNNotify(TMessage& message) {
  auto* header = reinterpret_cast<NMHDR*>(message.LParam);
  switch (header->code) {
    case TCN_SELCHANGING: {
      bool allow = true;
      if (OnChanging) OnChanging(this, allow);
      message.Result = allow ? FALSE : TRUE;
      return;
    }
    case TCN_SELCHANGE: {
      int index = static_cast<int>(SendMessageA(Handle(), TCM_GETCURSEL, 0, 0));
      SetActivePageIndex(index);
      if (OnChange) OnChange(this);
      return;
    }
    default:
      DefaultHandler(message);
  }
}

}  // namespace tw
