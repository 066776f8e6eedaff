// Numbers and dates: conversions between the kinds, their texts under US
// and German settings, and serial dates.
#include <commonvelmora/convert.h>
#include <commonvelmora/error.h>
#include <commonvelmora/object.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "core/regional_fixture.h"

namespace velmora {
namespace {

using testing::at;
using testing::errorOf;
using testing::expectCases;
using testing::german;
using testing::raises;

class NumberTest : public testing::RegionalTest {};

const Variant kOverflow = raises(err::kOverflow), kMismatch = raises(err::kTypeMismatch),
              kNull = raises(err::kInvalidUseOfNull);
constexpr std::int64_t kMaxMoney = std::numeric_limits<std::int64_t>::max();
constexpr std::int32_t kMinLong = std::numeric_limits<std::int32_t>::min();

// Doubles show 15 significant digits (hiding the binary error of 0.1 + 0.2),
// Singles 7.
TEST_F(NumberTest, TextOfEachKind) {
  // clang-format off
  expectCases([](const Variant& v) { return doubleToText(toDouble(v)); },
      {{0.1, "0.1"}, {0.1 + 0.2, "0.3"}, {1.0 / 3.0, "0.333333333333333"}, {1E+20, "1E+20"},
       {123456789012345680000.0, "1.23456789012346E+20"}, {123456789012345.0, "123456789012345"},
       {1.5E-05, "1.5E-05"}, {-2.5E-300, "-2.5E-300"}, {-0.0, "0"}});
  expectCases(toText,
      {{3.14159274F, "3.141593"}, {1E+07F, "1E+07"}, {Currency{15000}, "1.5"},
       {Currency{-1}, "-0.0001"}, {Currency{kMaxMoney}, "922337203685477.5807"},
       {Currency{-kMaxMoney - 1}, "-922337203685477.5808"}, {std::int16_t{-32768}, "-32768"},
       {true, "True"}, {Variant(), ""}, {Variant::null(), kNull}, {ErrorCode{5}, kMismatch},
       {SafeArray::ofVariants({1, 2}), kMismatch}});
  setRegionalSettings(german());
  expectCases(toText,
      {{1.5, "1,5"}, {1.5E-05, "1,5E-05"}, {2.25F, "2,25"}, {Currency{-12345}, "-1,2345"}});
  // clang-format on
}

// Hex and octal take the width of their digits: four hex digits are a
// 16-bit Integer, five a 32-bit Long.
TEST_F(NumberTest, DoublesOfEachKindAndHexAndOctalText) {
  // clang-format off
  expectCases(toDouble,
      {{Variant(), 0.0}, {true, -1.0}, {Currency{12345}, 1.2345}, {Date{45358.5}, 45358.5},
       {Variant::nothing(), kMismatch}, {"1E999", kOverflow}, {"&hA", 10.0}, {"&H7FFF", 32767.0},
       {"&hFFFF", -1.0}, {"&h8000", -32768.0}, {"&h10000", 65536.0}, {"&hFFFFFFFF", -1.0},
       {"&h80000000", -2147483648.0}, {"&o17", 15.0}, {"&O177777", -1.0}, {"&o200000", 65536.0},
       {"&h", kMismatch}, {"&h1G", kMismatch}, {"-&h1", kMismatch}, {"&h100000000", kOverflow},
       {"&h1FFFFFFFFZ", kMismatch}});
  // clang-format on
  double d = 0;
  EXPECT_FALSE(parseNumber("1E999", d));
}

// Currency rounds in exact decimal, not through a double.
TEST_F(NumberTest, WholeNumbersRoundHalvesToEvenAndCheckTheirRangeAfterwards) {
  EXPECT_EQ(roundHalfEven(2.4999999), 2);
  EXPECT_EQ(roundHalfEven(2.5000001), 3);
  const auto int16 = [](const Variant& v) { return std::int32_t{toInt16(v)}; };
  // clang-format off
  expectCases(int16,
      {{2.5, 2}, {3.5, 4}, {-2.5, -2}, {32767.4, 32767}, {32767.5, kOverflow}, {-32768.5, -32768},
       {-32769.5, kOverflow}, {Currency{327675000}, kOverflow}, {"&hFFFF", -1},
       {"&hFFFFFFF", kOverflow}, {Variant::null(), kNull}, {"", kMismatch}});
  expectCases(toInt32,
      {{Currency{25000}, 2}, {Currency{35000}, 4}, {Currency{-25001}, -3}, {Date{45358.75}, 45359},
       {2147483646.5, 2147483646}, {2147483647.5, kOverflow}, {-2147483648.5, kMinLong},
       {1E300, kOverflow}, {std::numeric_limits<double>::quiet_NaN(), kOverflow}});
  expectCases(toByte, {{254.5, std::uint8_t{254}}, {255.5, kOverflow},
                       {std::int16_t{-1}, kOverflow}, {true, kOverflow}});
  expectCases(toCurrency,
      {{2.5, Currency{25000}}, {"1.25", Currency{12500}}, {1.23456, Currency{12346}},
       {-1.23454, Currency{-12345}}, {9E14, Currency{9000000000000000000}}, {1E15, kOverflow},
       {Variant::null(), kNull}});
  expectCases(toBool,
      {{"TRUE", true}, {" false ", false}, {"0", false}, {"-0.5", true}, {"&hFFFF", true},
       {Currency{1}, true}, {Date{0.5}, true}, {"yes", kMismatch}, {Variant::null(), kNull}});
  // clang-format on
}

// A Double is wider than 16 bits (the widths reading the digits back takes
// are in the table above).
TEST_F(NumberTest, HexTextIsTwosComplementOfItsWidth) {
  // clang-format off
  expectCases(hexText,
      {{true, "FFFF"}, {std::int16_t{-1}, "FFFF"}, {std::int32_t{-1}, "FFFFFFFF"},
       {std::int32_t{40000}, "9C40"}, {std::uint8_t{255}, "FF"}, {-1.0, "FFFFFFFF"}, {2.5, "2"},
       {3.5, "4"}, {Currency{-15000}, "FFFFFFFE"}, {Date{45358.0}, "B12E"},
       {2147483648.0, kOverflow}, {Variant::null(), kNull}, {SafeArray::ofBytes({1}), kMismatch}});
  // clang-format on
}

class DateTest : public testing::RegionalTest {};

// The parts of `d` as year, month, day, hour, minute, second.
std::vector<int> partsOf(Date d) {
  const DateParts p = dateToParts(d);
  return {p.year, p.month, p.day, p.hour, p.minute, p.second};
}

// Serials count from the end of 1899; before it the whole part counts back
// and the fraction is still the time. Parts roll over, scaled in 64 bits:
// 40,000,000 minutes are 76 years on. Outside the years 100 to 9999 is an
// overflow, as toDate of such a serial.
TEST_F(DateTest, SerialsCountFromTheEndOf1899AndPartsRollOver) {
  EXPECT_EQ(at(1899, 12, 30).serial, 0);
  EXPECT_EQ(at(2024, 3, 7).serial, 45358);
  EXPECT_EQ(at(100, 1, 1).serial, -657434);
  EXPECT_EQ(at(9999, 12, 31).serial, 2958465);
  EXPECT_EQ(at(1899, 12, 29, 6).serial, -1.25);
  EXPECT_EQ(partsOf(Date{-1.25}), (std::vector<int>{1899, 12, 29, 6, 0, 0}));
  EXPECT_EQ(at(2024, 13, 1), at(2025, 1, 1));
  EXPECT_EQ(at(2024, 3, 0), at(2024, 2, 29));
  EXPECT_EQ(at(2024, 3, 7, 0, 0, -1), at(2024, 3, 6, 23, 59, 59));
  EXPECT_EQ(at(2024, 1, 1, 0, 40'000'000), at(2100, 1, 19, 18, 40));
  EXPECT_EQ(at(2024, 1, 1, 0, 0, 2'000'000'000), at(2087, 5, 18, 3, 33, 20));
  EXPECT_EQ(errorOf([] { at(10000, 1, 1); }), err::kOverflow);
  EXPECT_EQ(errorOf([] { at(99, 12, 31); }), err::kOverflow);
  EXPECT_EQ(errorOf([] { at(2024, 1, 2'000'000'000); }), err::kOverflow);
  expectCases(toDate, {{45358.5, Date{45358.5}},
                       {true, Date{-1}},
                       {1E7, kOverflow},
                       {Date{1E9}, kOverflow},
                       {Variant::null(), kNull},
                       {Variant::nothing(), kMismatch}});
}

// Day 0 at 23:59:59.9 is 31 December: the carry moves forward in the calendar.
TEST_F(DateTest, TimeRoundsToTheSecondAndMayCarryIntoTheNextDay) {
  EXPECT_EQ(partsOf(Date{45358.0 + 86399.6 / 86400.0}), (std::vector<int>{2024, 3, 8, 0, 0, 0}));
  EXPECT_EQ(partsOf(Date{45358.0 + 86399.4 / 86400.0}), (std::vector<int>{2024, 3, 7, 23, 59, 59}));
  EXPECT_EQ(dateToText(Date{-0.99999999}), "12/31/1899");
  EXPECT_EQ(errorOf([] { dateToParts(Date{1E10}); }), err::kOverflow);
  EXPECT_EQ(errorOf([] { dateToParts(Date{-657435}); }), err::kOverflow);
}

// At midnight the date alone, on day 0 the time alone; pattern letters and
// quoted literals of the settings; and right after the hour "mm" is minutes.
TEST_F(DateTest, TextUnderEachSettingsAndFormatPatterns) {
  const Date stamp = at(2024, 3, 7, 14, 5, 9);
  EXPECT_EQ(dateToText(stamp), "3/7/2024 2:05:09 PM");
  EXPECT_EQ(dateToText(at(2024, 3, 7)), "3/7/2024");
  EXPECT_EQ(dateToText(at(2024, 3, 7, 0, 0, 1)), "3/7/2024 12:00:01 AM");
  EXPECT_EQ(dateToText(Date{0}), "12:00:00 AM");
  EXPECT_EQ(dateToText(Date{-0.5}), "12:00:00 PM");
  EXPECT_EQ(dateToText(Date{-1.25}), "12/29/1899 6:00:00 AM");
  EXPECT_EQ(formatDate(stamp, "yyyy_mm_dd"), "2024_03_07");
  EXPECT_EQ(formatDate(stamp, "hh:mm"), "14:05");
  EXPECT_EQ(formatDate(stamp, "d/m/yy h:nn AM/PM"), "7/3/24 2:05 PM");
  EXPECT_EQ(formatDate(stamp, "YYYY\\y\"-mm-\"M"), "2024y-mm-3");
  EXPECT_EQ(formatDate(at(987, 6, 5), "yyyy_mm_dd"), "0987_06_05");

  setRegionalSettings(german());
  EXPECT_EQ(dateToText(stamp), "07.03.2024 14:05:09");
  EXPECT_EQ(dateToText(Date{0.25}), "06:00:00");
  EXPECT_EQ(dateToText(at(100, 1, 1)), "01.01.0100");
  setRegionalSettings({.shortDate = "yyyy'y'MM'm'd", .longTime = "H:m:s t", .pm = "nachm."});
  EXPECT_EQ(dateToText(stamp), "2024y03m7 14:5:9 n");
  setRegionalSettings({.shortDate = "d/M/yy", .longTime = "hh:mm:ss tt", .am = "am"});
  EXPECT_EQ(dateToText(at(2005, 11, 2, 9, 5)), "2/11/05 09:05:00 am");
}

}  // namespace
}  // namespace velmora
