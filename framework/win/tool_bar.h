#pragma once
// TToolBar and TToolButton: a row of buttons over the system toolbar control. Buttons show
// images from Images (and HotImages under the mouse), may be check buttons, and adjacent
// grouped check buttons form a group in which exactly one is down (unless AllowAllUp).

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "framework/win/image_list.h"
#include "framework/win/win_control.h"

namespace tw {

class TToolBar;

enum class TToolButtonStyle { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider };
using enum TToolButtonStyle;

class TToolButton : public TControl {
public:
  explicit TToolButton(TComponent* AOwner);

  std::string ClassName() const override { return "TToolButton"; }

  TToolBar* ToolBar() const;
  TToolButtonStyle Style() const { return style_; }
  void SetStyle(TToolButtonStyle value);
  bool Grouped() const { return grouped_; }
  void SetGrouped(bool value);
  bool AllowAllUp() const { return allow_all_up_; }
  void SetAllowAllUp(bool value) { allow_all_up_ = value; }
  bool Down() const { return down_; }
  // In a group without AllowAllUp the down button stays down until another goes down.
  void SetDown(bool value);
  int ImageIndex() const { return image_index_; }
  void SetImageIndex(int value);
  // The button's position in its toolbar, -1 without one.
  int Index() const;

  void Click() override;

protected:
  void TextChanged() override;
  void VisibleChanged() override;
  void EnabledChanged() override;

private:
  friend class TToolBar;
  void Changed();

  TToolButtonStyle style_ = tbsButton;
  bool grouped_ = false;
  bool allow_all_up_ = false;
  bool down_ = false;
  int image_index_ = -1;
};

class TToolBar : public TWinControl {
public:
  explicit TToolBar(TComponent* AOwner);

  std::string ClassName() const override { return "TToolBar"; }

  bool Flat() const { return flat_; }
  void SetFlat(bool value);
  bool ShowCaptions() const { return show_captions_; }
  void SetShowCaptions(bool value);
  int ButtonWidth() const { return button_width_; }
  void SetButtonWidth(int value);
  int ButtonHeight() const { return button_height_; }
  void SetButtonHeight(int value);
  TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* value);
  TCustomImageList* HotImages() const { return hot_images_; }
  void SetHotImages(TCustomImageList* value);

  int ButtonCount() const { return static_cast<int>(buttons_.size()); }
  TToolButton* Buttons(int index) const { return buttons_.at(index); }
  // The other buttons of BUTTON's check group (empty when it is not a grouped check button).
  std::vector<TToolButton*> GroupOf(const TToolButton* button) const;

  void InsertControl(TControl* control) override;
  void RemoveControl(TControl* control) override;
  TControl* HintControlAt(POINT p) override;

protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void CNCommand(TMessage& message) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  friend class TToolButton;
  void RebuildButtons();
  void UpdateButton(TToolButton* button);
  void UpdateButtonBounds();
  TBBUTTON ButtonInfo(int index) const;

  std::vector<TToolButton*> buttons_;
  bool flat_ = false;
  bool show_captions_ = false;
  int button_width_ = 23;
  int button_height_ = 22;
  TCustomImageList* images_ = nullptr;
  TCustomImageList* hot_images_ = nullptr;
};

}  // namespace tw
