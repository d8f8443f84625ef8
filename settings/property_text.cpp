#include "settings/property_text.h"

#include <charconv>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <cmath>
#include <limits>

#include "framework/exception.h"
#include "framework/string_table.h"
#include "framework/text.h"
#include "settings/word_text.h"

namespace tw {

namespace {

[[noreturn]] void ThrowUnreadable(const TPropInfo& prop, const std::string& text) {
  throw EConvertError(LoadStr(SInvalidPropertyValue) + ": " + prop.Name + " = '" + text + "'");
}

int SignificantDigits(TFloatType type) {
  switch (type) {
    case ftSingle: return 7;
    case ftDouble: return 15;
    case ftExtended: return 18;
    case ftComp: return 18;
    case ftCurr: return 19;
  }
  return 15;
}

long double FloatTypeLimit(TFloatType type) {
  switch (type) {
    case ftSingle: return std::numeric_limits<float>::max();
    case ftDouble: return std::numeric_limits<double>::max();
    case ftExtended: return std::numeric_limits<long double>::max();
    // Both are 64-bit integers underneath; currency counts ten-thousandths.
    case ftComp: return 9223372036854775807.0L;
    case ftCurr: return 922337203685477.5807L;
  }
  return std::numeric_limits<double>::max();
}

constexpr std::string_view kSetDelims = " ,[]";

std::string LocaleDecimalPoint() {
  const char* point = std::localeconv()->decimal_point;
  return point && *point ? point : ".";
}

// strtold also reads "0x1p3", "inf" and "nan", which are no stored float texts.
bool HasHexOrWordForm(const std::string& text) {
  return text.find_first_of("xXiInN") != std::string::npos;
}

}  // namespace

std::string FloatToStoredText(long double value, TFloatType type) {
  std::string text;
  if (type == ftSingle || type == ftDouble) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value),
                                      std::chars_format::general, SignificantDigits(type));
    text.assign(buffer, result.ptr);
  } else {
    // The wider types go through the C library, whose output follows the locale's separator.
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*Lg", SignificantDigits(type), value);
    text = ReplaceAll(buffer, LocaleDecimalPoint(), ".");
  }
  // "1.5e+20" becomes "1.5E20" and "1e-07" becomes "1E-7".
  if (const std::size_t e = text.find('e'); e != std::string::npos) {
    std::string mantissa = text.substr(0, e);
    std::string exponent = text.substr(e + 1);
    std::string sign;
    if (!exponent.empty() && (exponent[0] == '+' || exponent[0] == '-')) {
      if (exponent[0] == '-') sign = "-";
      exponent.erase(0, 1);
    }
    const std::size_t digits = exponent.find_first_not_of('0');
    exponent = digits == std::string::npos ? "0" : exponent.substr(digits);
    text = mantissa + "E" + sign + exponent;
  }
  return text;
}

long double StoredTextToFloat(const std::string& text, TFloatType type) {
  const char* first = text.data();
  const char* last = first + text.size();
  if (first != last && *first == '+') ++first;
  // A second sign after the one skipped would otherwise be taken as the number's own.
  if (first != last && (*first == '+' || (*first == '-' && first != text.data())))
    throw EConvertError(LoadStr(SInvalidPropertyValue));
  long double value = 0;
  bool read = false;
  if (type == ftSingle || type == ftDouble) {
    double d = 0;
    const auto result = std::from_chars(first, last, d, std::chars_format::general);
    read = result.ec == std::errc() && result.ptr == last;
    value = d;
  } else if (first != last && std::string_view(first, last - first).find_first_of(" \t\n\v\f\r,") ==
                                   std::string_view::npos) {
    // strtold takes the locale's separator only, and stops at anything else.
    const std::string local = ReplaceAll(std::string_view(first, last - first), ".", LocaleDecimalPoint());
    char* end = nullptr;
    value = std::strtold(local.c_str(), &end);
    read = end == local.c_str() + local.size() && !HasHexOrWordForm(local);
  }
  if (!read || !std::isfinite(value) || std::fabs(value) > FloatTypeLimit(type))
    throw EConvertError(LoadStr(SInvalidPropertyValue));
  return value;
}

std::string SetToStoredText(const TTypeInfo& set_type, std::int64_t value) {
  std::string text = "[";
  bool first = true;
  if (set_type.ElementType) {
    for (int i = 0; i < 32; ++i) {
      if (!(value & (std::int64_t{1} << i))) continue;
      std::string name = GetEnumName(*set_type.ElementType, i);
      if (name.empty()) continue;
      if (!first) text += ",";
      text += name;
      first = false;
    }
  }
  return text + "]";
}

std::int64_t StoredTextToSet(const TTypeInfo& set_type, const std::string& text) {
  std::int64_t value = 0;
  if (!set_type.ElementType) return value;
  const int words = CountWords(text, kSetDelims);
  for (int n = 1; n <= words; ++n) {
    const std::int64_t element = GetEnumValue(*set_type.ElementType, GetWord(n, text, kSetDelims));
    if (element >= 0 && element <= 31) value |= std::int64_t{1} << element;
  }
  return value;
}

std::string PropertyValueText(TObject& object, const TPropInfo& prop) {
  switch (prop.Kind()) {
    case tkInteger:
      return std::to_string(GetOrdProp(object, prop));
    case tkChar:
      return std::string(1, static_cast<char>(GetOrdProp(object, prop)));
    case tkEnumeration:
      return GetEnumName(*prop.PropType, GetOrdProp(object, prop));
    case tkFloat:
      return FloatToStoredText(GetFloatProp(object, prop), prop.PropType->FloatType);
    case tkString:
      return GetStrProp(object, prop);
    case tkSet:
      return SetToStoredText(*prop.PropType, GetOrdProp(object, prop));
    default:
      throw EPropertyError(FmtLoadStr(SInvalidDataType, prop.Name));
  }
}

void SetPropertyValueText(TObject& object, const TPropInfo& prop, const std::string& text) {
  switch (prop.Kind()) {
    case tkInteger: {
      std::int32_t value = 0;
      if (!ParseIntegerText(text, value)) value = 0;
      SetOrdProp(object, prop, value);
      return;
    }
    case tkChar:
      if (text.empty()) ThrowUnreadable(prop, text);
      SetOrdProp(object, prop, static_cast<unsigned char>(text[0]));
      return;
    case tkEnumeration: {
      const std::int64_t value = GetEnumValue(*prop.PropType, text);
      if (value < 0) ThrowUnreadable(prop, text);
      SetOrdProp(object, prop, value);
      return;
    }
    case tkFloat:
      SetFloatProp(object, prop, StoredTextToFloat(text, prop.PropType->FloatType));
      return;
    case tkString:
      SetStrProp(object, prop, text);
      return;
    case tkSet:
      SetOrdProp(object, prop, StoredTextToSet(*prop.PropType, text));
      return;
    default:
      throw EPropertyError(FmtLoadStr(SInvalidDataType, prop.Name));
  }
}

}  // namespace tw
