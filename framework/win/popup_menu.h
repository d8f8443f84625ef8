#pragma once
// TMenuItem and TPopupMenu: a pop-up menu built from a tree of items. Popup shows it at a
// screen point, waits for the choice and runs the chosen item's OnClick. A control with a
// PopupMenu whose AutoPopup is set shows it on a right click or the context-menu key, and
// becomes its PopupComponent.

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/component.h"
#include "framework/events.h"
#include "framework/shortcut.h"
#include "framework/win/handles.h"

namespace tw {

class TMenuItem : public TComponent {
public:
  explicit TMenuItem(TComponent* AOwner);
  ~TMenuItem() override;

  std::string ClassName() const override { return "TMenuItem"; }

  // "-" makes a separator.
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& value) { caption_ = value; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value) { enabled_ = value; }
  bool Checked() const { return checked_; }
  void SetChecked(bool value) { checked_ = value; }
  bool Visible() const { return visible_; }
  void SetVisible(bool value) { visible_ = value; }
  bool Default() const { return default_; }
  void SetDefault(bool value) { default_ = value; }
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& value) { hint_ = value; }
  TShortCut ShortCut() const { return short_cut_; }
  void SetShortCut(TShortCut value) { short_cut_ = value; }
  bool IsLine() const { return caption_ == "-"; }

  int Count() const { return static_cast<int>(items_.size()); }
  TMenuItem* Items(int index) const { return items_.at(index); }
  TMenuItem* Parent() const { return parent_; }
  // Appends ITEM (taking it from any previous parent); the parent does not own it.
  void Add(TMenuItem* item);
  void Insert(int index, TMenuItem* item);
  void Remove(TMenuItem* item);
  void Clear();
  int IndexOf(const TMenuItem* item) const;
  // The command id the item has in the menu handle being shown.
  UINT Command() const { return command_; }

  virtual void Click();
  TNotifyEvent OnClick;

  // Fills MENU with the visible children, numbering commands from NEXT_ID.
  void BuildMenu(HMENU menu, UINT& next_id);
  TMenuItem* FindByCommand(UINT id);

private:
  std::string caption_;
  std::string hint_;
  bool enabled_ = true;
  bool checked_ = false;
  bool visible_ = true;
  bool default_ = false;
  TShortCut short_cut_ = 0;
  UINT command_ = 0;
  TMenuItem* parent_ = nullptr;
  std::vector<TMenuItem*> items_;
};

enum class TPopupAlignment { paLeft, paRight, paCenter };
using enum TPopupAlignment;

class TPopupMenu : public TComponent {
public:
  explicit TPopupMenu(TComponent* AOwner);
  ~TPopupMenu() override;

  std::string ClassName() const override { return "TPopupMenu"; }

  // The root item whose children are the menu's entries (owned by the menu).
  TMenuItem* Items() const { return items_; }
  bool AutoPopup() const { return auto_popup_; }
  void SetAutoPopup(bool value) { auto_popup_ = value; }
  TComponent* PopupComponent() const { return popup_component_; }
  void SetPopupComponent(TComponent* value);
  TPopupAlignment Alignment() const { return alignment_; }
  void SetAlignment(TPopupAlignment value) { alignment_ = value; }

  // Shows the menu at the screen point (X, Y) and runs the chosen item.
  virtual void Popup(int X, int Y);
  // The menu handle of the latest popup (rebuilt by each Popup).
  HMENU Handle() const { return handle_.Get(); }

  TNotifyEvent OnPopup;

  // Replaceable for tests: shows MENU and returns the chosen command (0 for none).
  using TTrackFunction = std::function<UINT(HMENU menu, UINT flags, int x, int y, HWND owner)>;
  static void SetTrackFunction(TTrackFunction track);

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  TMenuItem* items_;
  bool auto_popup_ = true;
  TComponent* popup_component_ = nullptr;
  TPopupAlignment alignment_ = paLeft;
  ScopedMenu handle_;
};

}  // namespace tw
