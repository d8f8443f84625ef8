#pragma once
// TFormStorage: form placement plus chosen published properties of the form's components, one
// "Component.Property" line each in StoredProps, stored as values named Component_Property.

#include "framework/strings.h"
#include "settings/win/form_placement.h"

namespace tw {

class TFormStorage : public TFormPlacement {
public:
  explicit TFormStorage(TComponent* AOwner);
  ~TFormStorage() override;

  std::string ClassName() const override { return "TFormStorage"; }

  TStrings& StoredProps() { return stored_props_; }
  // Copies the lines, resolves them against the owner's components and asks each named
  // component for a removal notice.
  void SetStoredProps(const TStrings& value);

  // Also resolves StoredProps against the owner's components.
  void Loaded() override;

  void SaveStoredProps();
  void RestoreStoredProps();

protected:
  void SavePlacement() override;
  void RestorePlacement() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  void ResolveStoredProps();

  TStringList stored_props_;
};

}  // namespace tw
