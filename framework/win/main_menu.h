#pragma once
// TMainMenu: a form's menu bar, built from a tree of items. The form sets it on its window and
// runs the item whose command arrives; the items' shortcuts make the accelerator table that an
// object active in place inside the form is handed, so that the form's own keys still reach
// the form.

#include <windows.h>

#include <string>

#include "framework/component.h"
#include "framework/win/handles.h"
#include "framework/win/popup_menu.h"

namespace tw {

class TMainMenu : public TComponent {
public:
  explicit TMainMenu(TComponent* AOwner);
  ~TMainMenu() override;

  std::string ClassName() const override { return "TMainMenu"; }

  // The root item whose children are the menu bar's entries (owned by the menu).
  TMenuItem* Items() const { return items_; }
  // The menu bar, built from the items on first demand: items changed afterwards keep the
  // commands and texts they had then.
  HMENU Handle();
  // Runs the enabled item with the menu command ID; false when there is none.
  bool DispatchCommand(UINT id);
  // A table of the shortcuts of the menu bar's items, each giving its item's command; the
  // caller destroys it. Null, with COUNT 0, when no item has a shortcut.
  HACCEL CreateAccelTable(int& count);

private:
  TMenuItem* items_;
  ScopedMenu handle_;
};

}  // namespace tw
