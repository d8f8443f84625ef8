#include "settings/win/form_storage.h"

#include "framework/text.h"
#include "framework/type_info.h"
#include "framework/win/application.h"
#include "framework/win/custom_ini_file.h"
#include "framework/win/form.h"
#include "settings/props_storage.h"
#include "settings/stored_props.h"

namespace tw {

namespace {

TComponent* FindOpenForm(const std::string& name) {
  for (int i = 0; i < Screen->FormCount(); ++i)
    if (SameText(Screen->Forms(i)->Name(), name)) return Screen->Forms(i);
  return nullptr;
}

const bool kRegistered =
    TTypeRegistry::Class<TFormStorage>("TFormStorage", "TFormPlacement")
        .Object<TStrings>("StoredProps", "TStrings", [](TFormStorage& s) { return &s.StoredProps(); },
                          [](TFormStorage& s, TStrings* v) {
                            if (v) s.SetStoredProps(*v);
                          })
        .Done() &&
    (SetFindGlobalComponent(&FindOpenForm), true);

}  // namespace

TFormStorage::TFormStorage(TComponent* AOwner) : TFormPlacement(AOwner) { (void)kRegistered; }

TFormStorage::~TFormStorage() { Destroying(); }

void TFormStorage::SetStoredProps(const TStrings& value) {
  stored_props_.Assign(value);
  ResolveStoredProps();
}

void TFormStorage::Loaded() {
  TFormPlacement::Loaded();
  ResolveStoredProps();
}

void TFormStorage::ResolveStoredProps() {
  UpdateStoredList(Owner(), stored_props_, true);
  for (int i = 0; i < stored_props_.Count(); ++i)
    if (auto* component = dynamic_cast<TComponent*>(stored_props_.Objects(i))) component->FreeNotification(this);
}

void TFormStorage::Notification(TComponent* AComponent, TOperation Operation) {
  TFormPlacement::Notification(AComponent, Operation);
  if (Operation != opRemove || !AComponent || HasState(csDestroying)) return;
  for (int i = stored_props_.Count() - 1; i >= 0; --i)
    if (stored_props_.Objects(i) == AComponent) stored_props_.Delete(i);
}

void TFormStorage::SavePlacement() {
  TFormPlacement::SavePlacement();
  SaveStoredProps();
}

void TFormStorage::RestorePlacement() {
  TFormPlacement::RestorePlacement();
  SetRestored();
  try {
    RestoreStoredProps();
  } catch (...) {
    // Stored properties that cannot be read keep their values.
  }
}

void TFormStorage::SaveStoredProps() {
  // Lists and collections erase their sections through the store itself: called on its own,
  // the run needs a store opened for it.
  StoreScope scope(*this);
  TPropsStorage storage;
  storage.SetSection(IniSection());
  storage.OnWriteString = [this](const std::string& section, const std::string& ident, const std::string& value) {
    WritePlacementString(section, ident, value);
  };
  storage.OnEraseSection = [this](const std::string& section) { Store()->EraseSection(section); };
  storage.StoreObjectsProps(Owner(), stored_props_);
}

void TFormStorage::RestoreStoredProps() {
  StoreScope scope(*this);
  TPropsStorage storage;
  storage.SetSection(IniSection());
  storage.OnReadString = [this](const std::string& section, const std::string& ident, const std::string& def) {
    return ReadPlacementString(section, ident, def);
  };
  storage.LoadObjectsProps(Owner(), stored_props_);
}

}  // namespace tw
