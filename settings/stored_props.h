#pragma once
// Lines of a stored-property list: "Component.Property", each carrying (as the line's object)
// the component it names once resolved.

#include <string>

namespace tw {

class TComponent;
class TStrings;

// Splits LINE at its first "."; both parts are trimmed. False unless both are non-empty.
bool ParseStoredItem(const std::string& line, std::string& component, std::string& property);
// Component + "." + property.
std::string CreateStoredItem(const std::string& component, const std::string& property);

// Keeps the lines of STORED_PROPS and their components in step, from the last line to the first;
// lines that do not parse are deleted. FROM_FORM: attach OWNER's component of the line's name,
// or delete the line when it has none. Otherwise: rebuild each line from the current name of its
// attached component (so a renamed component keeps its lines), or delete it when none is attached.
void UpdateStoredList(TComponent* Owner, TStrings& StoredProps, bool FromForm);

}  // namespace tw
