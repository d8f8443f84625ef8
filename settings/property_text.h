#pragma once
// The text form of published property values as settings stores keep them: independent of the
// user's locale (floats always use "."), readable back into the same value, and strict when read
// (text that is no valid value fails with EConvertError, which the property loader treats as
// "keep the current value").

#include <cstdint>
#include <string>

#include "framework/text.h"
#include "framework/type_info.h"

namespace tw {

// General format with the float type's significant digits (7 single, 15 double, 18 extended
// and comp, 19 currency), "." as decimal separator and exponents as "E20" / "E-7".
std::string FloatToStoredText(long double value, TFloatType type);
// Reads such text (any exponent form, a leading sign); fails for text that is not a finite
// number within the float type's range.
long double StoredTextToFloat(const std::string& text, TFloatType type);

// "[" + the names of the member elements 0..31 joined by "," + "]".
std::string SetToStoredText(const TTypeInfo& set_type, std::int64_t value);
// The members named by the words of TEXT (split at blanks, ",", "[" and "]"), ignoring case;
// words that name no element 0..31 are skipped.
std::int64_t StoredTextToSet(const TTypeInfo& set_type, const std::string& text);

// The text of an integer, char, enumeration, float, string or set property of OBJECT.
// Other kinds fail with EPropertyError.
std::string PropertyValueText(TObject& object, const TPropInfo& prop);
// Sets such a property from TEXT. An integer whose text is not a number becomes 0; any other
// unreadable text fails with EConvertError and leaves the property unchanged.
void SetPropertyValueText(TObject& object, const TPropInfo& prop, const std::string& text);

}  // namespace tw
