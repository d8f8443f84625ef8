#include "framework/win/main_menu.h"

#include <vector>

namespace tw {

namespace {

void AddAccelerators(const TMenuItem& parent, std::vector<ACCEL>& table) {
  for (int i = 0; i < parent.Count(); ++i) {
    const TMenuItem& item = *parent.Items(i);
    // Hidden items are not in the menu bar and have no command there.
    if (!item.Visible() || item.IsLine()) continue;
    if (item.Count() > 0) {
      AddAccelerators(item, table);
      continue;
    }
    const TShortCut short_cut = item.ShortCut();
    if (short_cut == 0) continue;
    ACCEL entry{};
    entry.fVirt = FVIRTKEY;
    if (short_cut & scShift) entry.fVirt |= FSHIFT;
    if (short_cut & scCtrl) entry.fVirt |= FCONTROL;
    if (short_cut & scAlt) entry.fVirt |= FALT;
    entry.key = static_cast<WORD>(short_cut & 0xFF);
    entry.cmd = static_cast<WORD>(item.Command());
    table.push_back(entry);
  }
}

}  // namespace

TMainMenu::TMainMenu(TComponent* AOwner) : TComponent(AOwner), items_(new TMenuItem(this)) {}

TMainMenu::~TMainMenu() { Destroying(); }

HMENU TMainMenu::Handle() {
  if (!handle_) {
    handle_.Reset(CreateMenu());
    UINT next_id = 1;
    items_->BuildMenu(handle_.Get(), next_id);
  }
  return handle_.Get();
}

bool TMainMenu::DispatchCommand(UINT id) {
  if (id == 0 || !handle_) return false;
  TMenuItem* item = items_->FindByCommand(id);
  if (!item || !item->Enabled()) return false;
  item->Click();
  return true;
}

HACCEL TMainMenu::CreateAccelTable(int& count) {
  Handle();
  std::vector<ACCEL> table;
  AddAccelerators(*items_, table);
  count = static_cast<int>(table.size());
  if (table.empty()) return nullptr;
  return CreateAcceleratorTableA(table.data(), count);
}

}  // namespace tw
