#pragma once
// TPageControl and TTabSheet: pages over the system tab control, one tab per sheet; only the
// active sheet shows, filling the tab control's display area.

#include <vector>

#include "framework/win/win_control.h"

namespace tw {

class TPageControl;

enum class TTabPosition { tpTop, tpBottom };
using enum TTabPosition;

using TTabChangingEvent = std::function<void(TObject* Sender, bool& AllowChange)>;

class TTabSheet : public TWinControl {
public:
  explicit TTabSheet(TComponent* AOwner);
  ~TTabSheet() override;

  std::string ClassName() const override { return "TTabSheet"; }

  TPageControl* PageControl() const { return page_control_; }
  void SetPageControl(TPageControl* value);
  int PageIndex() const;

protected:
  void TextChanged() override;

private:
  friend class TPageControl;
  TPageControl* page_control_ = nullptr;
};

class TPageControl : public TWinControl {
public:
  explicit TPageControl(TComponent* AOwner);

  std::string ClassName() const override { return "TPageControl"; }

  int PageCount() const { return static_cast<int>(pages_.size()); }
  TTabSheet* Pages(int index) const { return pages_.at(index); }
  TTabSheet* ActivePage() const { return active_page_; }
  void SetActivePage(TTabSheet* page);
  int ActivePageIndex() const;
  void SetActivePageIndex(int index);
  TTabPosition TabPosition() const { return tab_position_; }
  void SetTabPosition(TTabPosition value);

  void AdjustClientRect(RECT& rect) override;
  void InsertControl(TControl* control) override;
  void RemoveControl(TControl* control) override;

  // Raised when the user picks another tab (not for programmatic changes).
  TTabChangingEvent OnChanging;
  TNotifyEvent OnChange;

protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void CNNotify(TMessage& message) override;

private:
  friend class TTabSheet;
  void RebuildTabs();
  void ShowActivePage();

  std::vector<TTabSheet*> pages_;
  TTabSheet* active_page_ = nullptr;
  TTabPosition tab_position_ = tpTop;
};

}  // namespace tw
