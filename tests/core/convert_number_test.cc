#include <commonvelmora/convert.h>
#include <commonvelmora/error.h>
#include <commonvelmora/object.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "core/regional_fixture.h"

namespace velmora {
namespace {

using testing::errorOf;
using testing::german;

class NumberTextTest : public testing::RegionalTest {};
class ParseTest : public testing::RegionalTest {};
class WholeNumberTest : public testing::RegionalTest {};
class HexTest : public testing::RegionalTest {};

double parsed(std::string_view text) {
  double d = -12345;
  EXPECT_TRUE(parseNumber(text, d)) << text;
  return d;
}

TEST_F(NumberTextTest, DoublesSwitchToExponentOutsideTheirPlainRange) {
  EXPECT_EQ(doubleToText(0.1), "0.1");
  EXPECT_EQ(doubleToText(0.1 + 0.2), "0.3");  // 15 significant digits hide the binary error
  EXPECT_EQ(doubleToText(1.0 / 3.0), "0.333333333333333");
  EXPECT_EQ(doubleToText(1E+20), "1E+20");
  EXPECT_EQ(doubleToText(123456789012345680000.0), "1.23456789012346E+20");
  EXPECT_EQ(doubleToText(1E+15), "1E+15");
  EXPECT_EQ(doubleToText(123456789012345.0), "123456789012345");
  EXPECT_EQ(doubleToText(1E+14), "100000000000000");
  EXPECT_EQ(doubleToText(0.0001), "0.0001");
  EXPECT_EQ(doubleToText(1.5E-05), "1.5E-05");
  EXPECT_EQ(doubleToText(-2.5E-300), "-2.5E-300");
  EXPECT_EQ(doubleToText(-0.0), "0");
  EXPECT_EQ(doubleToText(-42), "-42");
}

TEST_F(NumberTextTest, EachKindPrintsItsOwnWay) {
  EXPECT_EQ(toText(Variant(3.14159274F)), "3.141593");  // Single: 7 digits
  EXPECT_EQ(toText(Variant(1E+07F)), "1E+07");
  EXPECT_EQ(toText(Variant(0.1F)), "0.1");
  EXPECT_EQ(toText(Variant(Currency{15000})), "1.5");
  EXPECT_EQ(toText(Variant(Currency{-1})), "-0.0001");
  EXPECT_EQ(toText(Variant(Currency{std::numeric_limits<std::int64_t>::max()})),
            "922337203685477.5807");
  EXPECT_EQ(toText(Variant(Currency{std::numeric_limits<std::int64_t>::min()})),
            "-922337203685477.5808");
  EXPECT_EQ(toText(Variant(std::int16_t{-32768})), "-32768");
  EXPECT_EQ(toText(Variant(std::uint8_t{255})), "255");
  EXPECT_EQ(toText(Variant(true)), "True");
  EXPECT_EQ(toText(Variant(false)), "False");
  EXPECT_EQ(toText(Variant()), "");
  EXPECT_EQ(toText(Variant("as is")), "as is");
}

TEST_F(NumberTextTest, ValuesWithoutTextRaise) {
  EXPECT_EQ(errorOf([] { toText(Variant::null()); }), err::kInvalidUseOfNull);
  EXPECT_EQ(errorOf([] { toText(Variant(ErrorCode{5})); }), err::kTypeMismatch);
  EXPECT_EQ(errorOf([] { toText(Variant::missing()); }), err::kTypeMismatch);
  EXPECT_EQ(errorOf([] { toText(Variant::nothing()); }), err::kTypeMismatch);
  EXPECT_EQ(errorOf([] { toText(Variant(SafeArray::ofVariants({1, 2}))); }), err::kTypeMismatch);
}

TEST_F(NumberTextTest, GermanSettingsUseTheDecimalComma) {
  setRegionalSettings(german());
  EXPECT_EQ(toText(Variant(1.5)), "1,5");
  EXPECT_EQ(toText(Variant(1.5E-05)), "1,5E-05");
  EXPECT_EQ(toText(Variant(2.25F)), "2,25");
  EXPECT_EQ(toText(Variant(Currency{-12345})), "-1,2345");
  EXPECT_DOUBLE_EQ(toDouble(Variant("-2,5E+2")), -250);
}

TEST_F(ParseTest, OutOfRange) {
  double d = 0;
  EXPECT_FALSE(parseNumber("1E999", d));
  EXPECT_EQ(errorOf([] { toDouble(Variant("1E999")); }), err::kOverflow);
}

TEST_F(ParseTest, HexAndOctalTakeTheWidthOfTheirDigits) {
  EXPECT_DOUBLE_EQ(parsed("&hA"), 10);
  EXPECT_DOUBLE_EQ(parsed("&H7FFF"), 32767);
  EXPECT_DOUBLE_EQ(parsed("&hFFFF"), -1);  // four digits: a 16-bit Integer
  EXPECT_DOUBLE_EQ(parsed("&h8000"), -32768);
  EXPECT_DOUBLE_EQ(parsed("&h10000"), 65536);  // five digits: a 32-bit Long
  EXPECT_DOUBLE_EQ(parsed("&h0FFFF"), 65535);
  EXPECT_DOUBLE_EQ(parsed("&hFFFFFFFF"), -1);
  EXPECT_DOUBLE_EQ(parsed("&h80000000"), -2147483648.0);
  EXPECT_DOUBLE_EQ(parsed(" &hff "), 255);
  EXPECT_DOUBLE_EQ(parsed("&o17"), 15);
  EXPECT_DOUBLE_EQ(parsed("&O177777"), -1);
  EXPECT_DOUBLE_EQ(parsed("&o200000"), 65536);

  EXPECT_EQ(errorOf([] { toDouble(Variant("&h")); }), err::kTypeMismatch);
  EXPECT_EQ(errorOf([] { toDouble(Variant("&hZZ")); }), err::kTypeMismatch);
  EXPECT_EQ(errorOf([] { toDouble(Variant("&h1G")); }), err::kTypeMismatch);
  EXPECT_EQ(errorOf([] { toDouble(Variant("-&h1")); }), err::kTypeMismatch);
  EXPECT_EQ(errorOf([] { toDouble(Variant("&o8")); }), err::kTypeMismatch);
  EXPECT_EQ(errorOf([] { toDouble(Variant("&h100000000")); }), err::kOverflow);
  EXPECT_EQ(errorOf([] { toDouble(Variant("&h1FFFFFFFFZ")); }), err::kTypeMismatch);
}

TEST_F(ParseTest, ToDoubleOfEachKind) {
  EXPECT_EQ(toDouble(Variant()), 0);
  EXPECT_EQ(toDouble(Variant(true)), -1);
  EXPECT_EQ(toDouble(Variant(Currency{12345})), 1.2345);
  EXPECT_EQ(toDouble(Variant(Date{45358.5})), 45358.5);
  EXPECT_EQ(toDouble(Variant(std::uint8_t{7})), 7);
  EXPECT_EQ(errorOf([] { toDouble(Variant::null()); }), err::kInvalidUseOfNull);
  EXPECT_EQ(errorOf([] { toDouble(Variant::nothing()); }), err::kTypeMismatch);
  EXPECT_EQ(errorOf([] { toDouble(Variant(ErrorCode{5})); }), err::kTypeMismatch);
}

TEST_F(WholeNumberTest, HalvesRoundToEven) {
  EXPECT_EQ(roundHalfEven(0.5), 0);
  EXPECT_EQ(roundHalfEven(1.5), 2);
  EXPECT_EQ(roundHalfEven(-1.5), -2);
  EXPECT_EQ(roundHalfEven(-2.5), -2);
  EXPECT_EQ(roundHalfEven(2.4999999), 2);
  EXPECT_EQ(roundHalfEven(2.5000001), 3);
  EXPECT_EQ(toInt16(Variant(2.5)), 2);
  EXPECT_EQ(toInt16(Variant(3.5)), 4);
  EXPECT_EQ(toInt16(Variant(-2.5)), -2);
  EXPECT_EQ(toInt16(Variant("2.5")), 2);
  EXPECT_EQ(toInt16(Variant(2.5F)), 2);
  // Currency rounds in exact decimal, not through a double.
  EXPECT_EQ(toInt32(Variant(Currency{25000})), 2);
  EXPECT_EQ(toInt32(Variant(Currency{35000})), 4);
  EXPECT_EQ(toInt32(Variant(Currency{-25000})), -2);
  EXPECT_EQ(toInt32(Variant(Currency{-25001})), -3);
  EXPECT_EQ(toInt32(Variant(Date{45358.75})), 45359);
  EXPECT_EQ(toInt16(Variant(true)), -1);
  EXPECT_EQ(toInt32(Variant()), 0);
}

TEST_F(WholeNumberTest, RangesAreCheckedAfterRounding) {
  EXPECT_EQ(toInt16(Variant(32767.4)), 32767);
  EXPECT_EQ(errorOf([] { toInt16(Variant(32767.5)); }), err::kOverflow);
  EXPECT_EQ(toInt16(Variant(-32768.5)), -32768);
  EXPECT_EQ(errorOf([] { toInt16(Variant(-32769.5)); }), err::kOverflow);
  EXPECT_EQ(errorOf([] { toInt16(Variant(40000)); }), err::kOverflow);
  EXPECT_EQ(errorOf([] { toInt16(Variant(Currency{327675000})); }), err::kOverflow);
  EXPECT_EQ(toInt32(Variant(2147483646.5)), 2147483646);
  EXPECT_EQ(errorOf([] { toInt32(Variant(2147483647.5)); }), err::kOverflow);
  EXPECT_EQ(toInt32(Variant(-2147483648.5)), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(errorOf([] { toInt32(Variant(1E300)); }), err::kOverflow);
  EXPECT_EQ(errorOf([] { toInt32(Variant(std::numeric_limits<double>::quiet_NaN())); }),
            err::kOverflow);
  EXPECT_EQ(toByte(Variant(254.5)), 254);
  EXPECT_EQ(toByte(Variant(-0.5)), 0);
  EXPECT_EQ(errorOf([] { toByte(Variant(255.5)); }), err::kOverflow);
  EXPECT_EQ(errorOf([] { toByte(Variant(std::int16_t{-1})); }), err::kOverflow);
  EXPECT_EQ(errorOf([] { toByte(Variant(true)); }), err::kOverflow);
  EXPECT_EQ(toInt16(Variant("&hFFFF")), -1);
  EXPECT_EQ(errorOf([] { toInt16(Variant("&hFFFFFFF")); }), err::kOverflow);
  EXPECT_EQ(errorOf([] { toInt16(Variant::null()); }), err::kInvalidUseOfNull);
  EXPECT_EQ(errorOf([] { toInt16(Variant("")); }), err::kTypeMismatch);
}

TEST_F(WholeNumberTest, CurrencyKeepsFourDecimals) {
  EXPECT_EQ(toCurrency(Variant(2.5)).scaled, 25000);
  EXPECT_EQ(toCurrency(Variant("1.25")).scaled, 12500);
  EXPECT_EQ(toCurrency(Variant(1.23456)).scaled, 12346);
  EXPECT_EQ(toCurrency(Variant(-1.23454)).scaled, -12345);
  EXPECT_EQ(toCurrency(Variant(std::int32_t{-7})).scaled, -70000);
  EXPECT_EQ(toCurrency(Variant(true)).scaled, -10000);
  EXPECT_EQ(toCurrency(Variant(9E14)).scaled, 9000000000000000000);
  EXPECT_EQ(errorOf([] { toCurrency(Variant(1E15)); }), err::kOverflow);
  EXPECT_EQ(errorOf([] { toCurrency(Variant::null()); }), err::kInvalidUseOfNull);
}

TEST_F(WholeNumberTest, Booleans) {
  EXPECT_TRUE(toBool(Variant("TRUE")));
  EXPECT_FALSE(toBool(Variant(" false ")));
  EXPECT_FALSE(toBool(Variant("0")));
  EXPECT_TRUE(toBool(Variant("-0.5")));
  EXPECT_TRUE(toBool(Variant("&hFFFF")));
  EXPECT_FALSE(toBool(Variant(0.0)));
  EXPECT_TRUE(toBool(Variant(Currency{1})));
  EXPECT_FALSE(toBool(Variant()));
  EXPECT_TRUE(toBool(Variant(Date{0.5})));
  EXPECT_EQ(errorOf([] { toBool(Variant("yes")); }), err::kTypeMismatch);
  EXPECT_EQ(errorOf([] { toBool(Variant("")); }), err::kTypeMismatch);
  EXPECT_EQ(errorOf([] { toBool(Variant::null()); }), err::kInvalidUseOfNull);
}

TEST_F(HexTest, NegativesAreTwosComplementOfTheirWidth) {
  EXPECT_EQ(hexText(Variant(true)), "FFFF");
  EXPECT_EQ(hexText(Variant(false)), "0");
  EXPECT_EQ(hexText(Variant(std::int16_t{-1})), "FFFF");
  EXPECT_EQ(hexText(Variant(std::int16_t{-32768})), "8000");
  EXPECT_EQ(hexText(Variant(std::int32_t{-1})), "FFFFFFFF");
  EXPECT_EQ(hexText(Variant(std::int32_t{40000})), "9C40");
  EXPECT_EQ(hexText(Variant(std::uint8_t{255})), "FF");
  EXPECT_EQ(hexText(Variant(-1.0)), "FFFFFFFF");  // a Double is wider than 16 bits
  EXPECT_EQ(hexText(Variant(25.0)), "19");
  EXPECT_EQ(hexText(Variant(2.5)), "2");
  EXPECT_EQ(hexText(Variant(3.5)), "4");
  EXPECT_EQ(hexText(Variant(Currency{-15000})), "FFFFFFFE");
  EXPECT_EQ(hexText(Variant(Date{45358.0})), "B12E");
  EXPECT_EQ(hexText(Variant("255")), "FF");
  EXPECT_EQ(hexText(Variant()), "0");
  EXPECT_EQ(errorOf([] { hexText(Variant(2147483648.0)); }), err::kOverflow);
  EXPECT_EQ(errorOf([] { hexText(Variant::null()); }), err::kInvalidUseOfNull);
  EXPECT_EQ(errorOf([] { hexText(Variant(SafeArray::ofBytes({1}))); }), err::kTypeMismatch);
  EXPECT_EQ(errorOf([] { hexText(Variant::nothing()); }), err::kTypeMismatch);
}

// The "&h" text of a value reads back as that value, except the Long values
// 32768..65535, whose four digits read as a negative Integer.
TEST_F(HexTest, HexTextReadsBack) {
  for (std::int16_t v : {std::int16_t{0}, std::int16_t{1}, std::int16_t{-1}, std::int16_t{32767},
                         std::int16_t{-32768}, std::int16_t{-300}}) {
    EXPECT_DOUBLE_EQ(parsed("&h" + hexText(Variant(v))), v);
  }
  for (std::int32_t v :
       {65536, -1, -32768, -65536, 2147483647, std::numeric_limits<std::int32_t>::min(), 32767}) {
    EXPECT_DOUBLE_EQ(parsed("&h" + hexText(Variant(v))), v);
  }
  EXPECT_DOUBLE_EQ(parsed("&h" + hexText(Variant(std::int32_t{40000}))), 40000 - 65536);
}

TEST(IsNumericTest, NumbersAndBooleansButNotDatesOrErrors) {
  setRegionalSettings(testing::usEnglish());
  struct Case {
    Variant value;
    bool numeric;
  };
  const Case cases[] = {
      {Variant(), true},
      {Variant(std::int16_t{1}), true},
      {Variant(2), true},
      {Variant(1.5F), true},
      {Variant(1.5), true},
      {Variant(Currency{1}), true},
      {Variant(false), true},
      {Variant(std::uint8_t{1}), true},
      {Variant("True"), false},  // text is read as a number only (see reading_text_test)
      {Variant(Date{1}), false},
      {Variant::null(), false},
      {Variant(ErrorCode{5}), false},
      {Variant::missing(), false},
      {Variant::nothing(), false},
      {Variant(SafeArray::ofVariants({1})), false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(isNumeric(c.value), c.numeric) << typeName(c.value);
  }
}

}  // namespace
}  // namespace velmora
