#include "settings/stored_props.h"

#include "framework/component.h"
#include "framework/strings.h"
#include "framework/text.h"

namespace tw {

bool ParseStoredItem(const std::string& line, std::string& component, std::string& property) {
  const std::size_t dot = line.find('.');
  if (dot == std::string::npos) return false;
  component = Trim(std::string_view(line).substr(0, dot));
  property = Trim(std::string_view(line).substr(dot + 1));
  return !component.empty() && !property.empty();
}

std::string CreateStoredItem(const std::string& component, const std::string& property) {
  return component + "." + property;
}

void UpdateStoredList(TComponent* Owner, TStrings& StoredProps, bool FromForm) {
  for (int i = StoredProps.Count() - 1; i >= 0; --i) {
    std::string component_name, property_name;
    if (!ParseStoredItem(StoredProps.Get(i), component_name, property_name)) {
      StoredProps.Delete(i);
      continue;
    }
    if (FromForm) {
      TComponent* component = Owner ? Owner->FindComponent(component_name) : nullptr;
      if (component)
        StoredProps.PutObject(i, component);
      else
        StoredProps.Delete(i);
      continue;
    }
    auto* component = dynamic_cast<TComponent*>(StoredProps.GetObjectAt(i));
    if (component && !component->Name().empty())
      StoredProps.Put(i, CreateStoredItem(component->Name(), property_name));
    else
      StoredProps.Delete(i);
  }
}

}  // namespace tw
