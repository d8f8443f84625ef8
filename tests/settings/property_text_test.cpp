#include "settings/property_text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>

#include "framework/exception.h"
#include "tests/settings/stored_thing.h"

namespace tw {
namespace {

using test::TStoredThing;

const TPropInfo& Prop(const TObject& object, const char* name) {
  const TPropInfo* prop = GetPropInfo(object, name);
  EXPECT_NE(prop, nullptr) << name;
  return *prop;
}

TEST(PropertyTextTest, IntegerTextAcceptsDecimalAndHexadecimalWithin32Bits) {
  std::int32_t v = 0;
  EXPECT_TRUE(ParseIntegerText("201", v));
  EXPECT_EQ(v, 201);
  EXPECT_TRUE(ParseIntegerText("-2147483648", v));
  EXPECT_EQ(v, INT32_MIN);
  EXPECT_TRUE(ParseIntegerText("0x1F", v));
  EXPECT_EQ(v, 31);
  EXPECT_TRUE(ParseIntegerText("$FFFFFFFF", v));
  EXPECT_EQ(v, -1);
  for (const char* bad : {"", "-", "0x", "12a", " 12", "2147483648", "0x100000000", "1.5", "--1"})
    EXPECT_FALSE(ParseIntegerText(bad, v)) << bad;
}

TEST(PropertyTextTest, FloatsUseThePointAndTheTypesDigits) {
  EXPECT_EQ(FloatToStoredText(0.5L, ftDouble), "0.5");
  EXPECT_EQ(FloatToStoredText(1.0L / 3.0L, ftSingle), "0.3333333");
  EXPECT_EQ(FloatToStoredText(1.0L / 3.0L, ftDouble), "0.333333333333333");
  EXPECT_EQ(FloatToStoredText(1e20L, ftDouble), "1E20");
  EXPECT_EQ(FloatToStoredText(-1.5e-7L, ftDouble), "-1.5E-7");
  EXPECT_EQ(StoredTextToFloat("1E20", ftDouble), 1e20L);
  EXPECT_EQ(StoredTextToFloat("+2.25", ftDouble), 2.25L);
  EXPECT_EQ(StoredTextToFloat("-1.5e-7", ftDouble), static_cast<long double>(-1.5e-7));
  EXPECT_EQ(FloatToStoredText(1.0L / 3.0L, ftExtended), "0.333333333333333333");
  EXPECT_EQ(StoredTextToFloat("0.333333333333333333", ftExtended), 0.333333333333333333L);
  for (const char* bad : {"0x1p3", "inf", "1,5", " 1", "1e5000"})
    EXPECT_THROW(StoredTextToFloat(bad, ftExtended), EConvertError) << bad;
  for (const char* bad : {"", "1,5", "abc", "1.5x", "inf", "nan", "+-1", "++1", "1e400"})
    EXPECT_THROW(StoredTextToFloat(bad, ftDouble), EConvertError) << bad;
  EXPECT_THROW(StoredTextToFloat("1e39", ftSingle), EConvertError);
}

// Where the host offers a locale with a comma decimal separator, formatting must not follow it.
TEST(PropertyTextTest, FloatTextIgnoresACommaDecimalLocale) {
  const char* previous = std::setlocale(LC_ALL, nullptr);
  const std::string saved = previous ? previous : "C";
  bool comma = false;
  for (const char* name : {"de_DE.UTF-8", "de_DE", "German_Germany.1252", "fr_FR.UTF-8"}) {
    if (std::setlocale(LC_ALL, name)) {
      char probe[16];
      std::snprintf(probe, sizeof probe, "%.1f", 1.5);
      comma = std::string(probe) == "1,5";
      if (comma) break;
    }
  }
  TStoredThing thing(nullptr);
  thing.Ratio = 1.25;
  const std::string text = PropertyValueText(thing, Prop(thing, "Ratio"));
  thing.Ratio = 0;
  SetPropertyValueText(thing, Prop(thing, "Ratio"), "2.5");
  const std::string wide = FloatToStoredText(1.25L, ftExtended);
  const long double wide_back = StoredTextToFloat("-2.5E3", ftExtended);
  std::setlocale(LC_ALL, saved.c_str());
  EXPECT_EQ(text, "1.25");
  EXPECT_EQ(thing.Ratio, 2.5);
  EXPECT_EQ(wide, "1.25");
  EXPECT_EQ(wide_back, -2500.0L);
  if (!comma) GTEST_LOG_(INFO) << "no comma-decimal locale on this host; checked under the C locale";
}

TEST(PropertyTextTest, SetsListMembersAndReadBackOnlyNamedElements) {
  TStoredThing thing(nullptr);
  const TPropInfo& styles = Prop(thing, "Styles");
  thing.Styles = (1u << test::vsIcon) | (1u << test::vsReport);
  EXPECT_EQ(PropertyValueText(thing, styles), "[vsIcon,vsReport]");
  thing.Styles = 0;
  EXPECT_EQ(PropertyValueText(thing, styles), "[]");

  SetPropertyValueText(thing, styles, "[vsIcon,vsReport]");
  EXPECT_EQ(thing.Styles, (1u << test::vsIcon) | (1u << test::vsReport));
  // Unknown words are skipped; case is ignored; the result replaces the whole set.
  SetPropertyValueText(thing, styles, "[ VSLIST , bogus ]");
  EXPECT_EQ(thing.Styles, 1u << test::vsList);
  SetPropertyValueText(thing, styles, "[]");
  EXPECT_EQ(thing.Styles, 0u);
}

TEST(PropertyTextTest, EnumerationsBooleansAndCharsByName) {
  TStoredThing thing(nullptr);
  thing.Down = true;
  thing.ViewStyle = test::vsReport;
  EXPECT_EQ(PropertyValueText(thing, Prop(thing, "Down")), "True");
  EXPECT_EQ(PropertyValueText(thing, Prop(thing, "ViewStyle")), "vsReport");
  EXPECT_EQ(PropertyValueText(thing, Prop(thing, "Letter")), "a");

  SetPropertyValueText(thing, Prop(thing, "Down"), "false");
  EXPECT_FALSE(thing.Down);
  SetPropertyValueText(thing, Prop(thing, "ViewStyle"), "vssmallicon");
  EXPECT_EQ(thing.ViewStyle, test::vsSmallIcon);
  EXPECT_THROW(SetPropertyValueText(thing, Prop(thing, "ViewStyle"), "vsHuge"), EConvertError);
  EXPECT_EQ(thing.ViewStyle, test::vsSmallIcon);
  SetPropertyValueText(thing, Prop(thing, "Letter"), "xyz");
  EXPECT_EQ(thing.Letter, 'x');
  EXPECT_THROW(SetPropertyValueText(thing, Prop(thing, "Letter"), ""), EConvertError);
  // Characters above 127 keep their 8-bit code.
  SetPropertyValueText(thing, Prop(thing, "Letter"), "\xE9");
  EXPECT_EQ(PropertyValueText(thing, Prop(thing, "Letter")), "\xE9");
}

TEST(PropertyTextTest, IntegerTextThatIsNoNumberSetsZero) {
  TStoredThing thing(nullptr);
  thing.Width = 201;
  EXPECT_EQ(PropertyValueText(thing, Prop(thing, "Width")), "201");
  SetPropertyValueText(thing, Prop(thing, "Width"), "wide");
  EXPECT_EQ(thing.Width, 0);
  SetPropertyValueText(thing, Prop(thing, "Width"), "$10");
  EXPECT_EQ(thing.Width, 16);
}

}  // namespace
}  // namespace tw
