#include <commonvelmora/convert.h>
#include <commonvelmora/error.h>
#include <gtest/gtest.h>

#include "core/regional_fixture.h"

namespace velmora {
namespace {

using testing::errorOf;
using testing::german;

class DateTest : public testing::RegionalTest {};

Date at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
  return dateFromParts(y, mo, d, h, mi, s);
}

TEST_F(DateTest, SerialsCountFromTheEndOf1899) {
  EXPECT_EQ(at(1899, 12, 30).serial, 0);
  EXPECT_EQ(at(2024, 3, 7).serial, 45358);
  EXPECT_EQ(at(100, 1, 1).serial, -657434);
  EXPECT_EQ(at(9999, 12, 31).serial, 2958465);
  // Before 1899 the whole part counts back and the fraction is still the time.
  EXPECT_EQ(at(1899, 12, 29, 6).serial, -1.25);
  const DateParts p = dateToParts(Date{-1.25});
  EXPECT_EQ(p.year, 1899);
  EXPECT_EQ(p.day, 29);
  EXPECT_EQ(p.hour, 6);
}

TEST_F(DateTest, PartsRollOverLikeDateSerial) {
  EXPECT_EQ(at(2024, 13, 1), at(2025, 1, 1));
  EXPECT_EQ(at(2024, 3, 0), at(2024, 2, 29));
  EXPECT_EQ(at(2024, 3, 7, 0, 0, -1), at(2024, 3, 6, 23, 59, 59));
  // Large parts are scaled in 64 bits: 40,000,000 minutes are 76 years on.
  EXPECT_EQ(at(2024, 1, 1, 0, 40'000'000), at(2100, 1, 19, 18, 40));
  EXPECT_EQ(at(2024, 1, 1, 0, 0, 2'000'000'000), at(2087, 5, 18, 3, 33, 20));
  // Outside the years 100 to 9999 is an overflow, as toDate of such a serial.
  EXPECT_EQ(errorOf([] { at(10000, 1, 1); }), err::kOverflow);
  EXPECT_EQ(errorOf([] { at(99, 12, 31); }), err::kOverflow);
  EXPECT_EQ(errorOf([] { at(2024, 1, 2'000'000'000); }), err::kOverflow);
  EXPECT_EQ(errorOf([] { toDate(Variant(Date{1E9})); }), err::kOverflow);
}

TEST_F(DateTest, TimeRoundsToTheSecondAndMayCarryIntoTheNextDay) {
  const DateParts late = dateToParts(Date{45358.0 + 86399.6 / 86400.0});
  EXPECT_EQ(late.day, 8);
  EXPECT_EQ(late.hour, 0);
  EXPECT_EQ(late.second, 0);
  const DateParts almost = dateToParts(Date{45358.0 + 86399.4 / 86400.0});
  EXPECT_EQ(almost.day, 7);
  EXPECT_EQ(almost.second, 59);
  // Day 0 at 23:59:59.9 is 31 December: the carry moves forward in the calendar.
  EXPECT_EQ(dateToText(Date{-0.99999999}), "12/31/1899");
  EXPECT_EQ(errorOf([] { dateToParts(Date{1E10}); }), err::kOverflow);
  EXPECT_EQ(errorOf([] { dateToParts(Date{-657435}); }), err::kOverflow);
}

TEST_F(DateTest, GeneralDateUnderUsAndGermanSettings) {
  const Date stamp = at(2024, 3, 7, 14, 5, 9);
  EXPECT_EQ(dateToText(stamp), "3/7/2024 2:05:09 PM");
  EXPECT_EQ(dateToText(at(2024, 3, 7)), "3/7/2024");  // midnight: date alone
  EXPECT_EQ(dateToText(at(2024, 3, 7, 0, 0, 1)), "3/7/2024 12:00:01 AM");
  EXPECT_EQ(dateToText(Date{0}), "12:00:00 AM");  // day 0: time alone
  EXPECT_EQ(dateToText(Date{-0.5}), "12:00:00 PM");
  EXPECT_EQ(dateToText(Date{-1.25}), "12/29/1899 6:00:00 AM");

  setRegionalSettings(german());
  EXPECT_EQ(dateToText(stamp), "07.03.2024 14:05:09");
  EXPECT_EQ(dateToText(Date{0.25}), "06:00:00");
  EXPECT_EQ(dateToText(at(100, 1, 1)), "01.01.0100");
}

TEST_F(DateTest, PatternLettersAndLiterals) {
  setRegionalSettings(RegionalSettings{.decimalSeparator = ".",
                                       .shortDate = "yyyy'y'MM'm'd",
                                       .longTime = "H:m:s t",
                                       .am = "vorm.",
                                       .pm = "nachm."});
  EXPECT_EQ(dateToText(at(2024, 3, 7, 14, 5, 9)), "2024y03m7 14:5:9 n");
  setRegionalSettings(RegionalSettings{.decimalSeparator = ".",
                                       .shortDate = "d/M/yy",
                                       .longTime = "hh:mm:ss tt",
                                       .am = "am",
                                       .pm = "pm"});
  EXPECT_EQ(dateToText(at(2005, 11, 2, 9, 5)), "2/11/05 09:05:00 am");
}

TEST_F(DateTest, FormatPatterns) {
  const Date stamp = at(2024, 3, 7, 14, 5, 9);
  EXPECT_EQ(formatDate(stamp, "yyyy_mm_dd"), "2024_03_07");
  EXPECT_EQ(formatDate(stamp, "hh:mm"), "14:05");  // right after the hour: minutes
  EXPECT_EQ(formatDate(stamp, "d/m/yy h:nn AM/PM"), "7/3/24 2:05 PM");
  EXPECT_EQ(formatDate(stamp, "YYYY\\y\"-mm-\"M"), "2024y-mm-3");
  EXPECT_EQ(formatDate(at(987, 6, 5), "yyyy_mm_dd"), "0987_06_05");
}

TEST_F(DateTest, OtherKindsToDate) {
  EXPECT_EQ(toDate(Variant(45358.5)), Date{45358.5});
  EXPECT_EQ(toDate(Variant(true)), Date{-1});
  EXPECT_EQ(errorOf([] { toDate(Variant(1E7)); }), err::kOverflow);
  EXPECT_EQ(errorOf([] { toDate(Variant::null()); }), err::kInvalidUseOfNull);
  EXPECT_EQ(errorOf([] { toDate(Variant::nothing()); }), err::kTypeMismatch);
}

TEST_F(DateTest, TextOfADateReadsBackUnderEitherSettings) {
  const Date dates[] = {at(2024, 3, 7, 14, 5, 9), at(2024, 3, 7), at(1850, 6, 1, 0, 0, 1),
                        at(1999, 12, 31, 23, 59, 59), Date{0.75}};
  for (const RegionalSettings& rs : {testing::usEnglish(), german()}) {
    setRegionalSettings(rs);
    for (Date d : dates) EXPECT_EQ(toDate(Variant(dateToText(d))), d) << dateToText(d);
  }
}

}  // namespace
}  // namespace velmora
