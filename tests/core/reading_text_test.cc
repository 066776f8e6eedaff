// The regional settings read from the user's locale, and numbers and dates
// read from text under the C, German and Russian locales, each
// locale's settings read from the real locale as a user's are.
#include <commonvelmora/convert.h>
#include <commonvelmora/error.h>
#include <gtest/gtest.h>
#include <locale.h>

#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "core/regional_fixture.h"
#include "platform/locale.h"
#include "platform/strftime_pattern.h"
#include "support/scratch.h"

namespace velmora {
namespace {

using testing::at;
using testing::expectCases;

// Letters of the format are literal, so they are quoted ("%Hh%M").
TEST(StrftimePatternTest, CommonLocaleFormats) {
  std::vector<std::string> patterns;
  for (const char* format : {"%d.%m.%Y", "%Y-%m-%d", "%D", "%-d.%-m.%Y", "%e.%m.%Ey", "%T", "%r",
                             "%k.%M", "%Hh%M", "%%"})
    patterns.push_back(runtimePatternFromStrftime(format).value_or("<none>"));
  EXPECT_EQ(patterns,
            (std::vector<std::string>{"dd.MM.yyyy", "yyyy-MM-dd", "MM/dd/yy", "d.M.yyyy", "d.MM.yy",
                                      "HH:mm:ss", "hh:mm:ss tt", "H.mm", "HH'h'mm", "%"}));
}

struct NumberCase {
  const char* text;
  std::optional<double> value;  // none: no number
};
constexpr std::nullopt_t kNone = std::nullopt;
const Variant kNoDate = testing::raises(err::kTypeMismatch);

const int kThisYear = dateToParts(currentLocalDate()).year;

class ReadingTextTest : public testing::RegionalTest {
 protected:
  // The settings a user of `locale` gets; false when it is not installed.
  static bool useLocale(const char* locale) {
    locale_t installed = newlocale(LC_ALL_MASK, locale, static_cast<locale_t>(0));
    if (installed == static_cast<locale_t>(0)) return false;
    freelocale(installed);
    test_support::ScopedEnv lc("LC_ALL", locale);
    setRegionalSettings(readUserRegionalSettings());
    return true;
  }

  static void expectNumbers(const std::vector<NumberCase>& cases) {
    for (const NumberCase& c : cases) {
      double d = -12345;
      EXPECT_EQ(parseNumber(c.text, d), c.value.has_value()) << '"' << c.text << '"';
      EXPECT_EQ(isNumeric(Variant(c.text)), c.value.has_value()) << '"' << c.text << '"';
      if (c.value) {
        EXPECT_DOUBLE_EQ(d, *c.value) << '"' << c.text << '"';
      }
    }
  }
};

TEST_F(ReadingTextTest, CLocale) {
  ASSERT_TRUE(useLocale("C"));  // the US English defaults
  expectNumbers({{" -1.5E+3 ", -1500}, {"+3", 3},       {"3-", -3},       {"($1,234.50)", -1234.5},
                 {"- 3", -3},          {"(5)", -5},     {"$5", 5},        {"\t42\r\n", 42},
                 {".5", 0.5},          {"1D2", 100},    {"1E-999", 0},    {"&hFF", 255},
                 {"", kNone},          {"1e", kNone},   {"1.2.3", kNone}, {"(5", kNone},
                 {"5)", kNone},        {"(-5)", kNone}, {"-5-", kNone},   {"$$5", kNone}});
  // No 13th month: day and month swap.
  // clang-format off
  expectCases(toDate,
      {{" 3/7/2024 2:05:09 PM ", at(2024, 3, 7, 14, 5, 9)},
       {"2024-03-07T14:05:09", at(2024, 3, 7, 14, 5, 9)}, {"12:00 AM", Date{0}},
       {"3 PM", Date{0.625}}, {"1/1/1899 6:00", Date{-363.25}}, {"3/7", at(kThisYear, 3, 7)},
       {"13/7/2024", at(2024, 7, 13)}, {"3/2024", at(2024, 3, 1)},
       {"March 7, 2024", at(2024, 3, 7)}, {"Mar 7", at(kThisYear, 3, 7)},
       {"Thursday, March 7, 2024 9:30 AM", at(2024, 3, 7, 9, 30)}, {"1/1/29", at(2029, 1, 1)},
       {"1/1/30", at(1930, 1, 1)}, {"", kNoDate}, {"2/30/2024", kNoDate}, {"45000", kNoDate},
       {"25:00", kNoDate}, {"3/7/2024 10:61", kNoDate}, {"3/7/2024 soon", kNoDate},
       {"3 7 2024", kNoDate}, {"March", kNoDate}, {"1/1/0099", kNoDate}});
  // clang-format on
}

TEST_F(ReadingTextTest, GermanLocale) {
  if (!useLocale("de_DE.UTF-8")) GTEST_SKIP() << "de_DE.UTF-8 is not installed";
  const RegionalSettings& rs = regionalSettings();
  EXPECT_EQ(std::tie(rs.decimalSeparator, rs.shortDate, rs.longTime, rs.thousandsSeparator,
                     rs.currencySymbol),
            std::tuple(",", "dd.MM.yyyy", "HH:mm:ss", ".", "\u20AC"));
  EXPECT_EQ(rs.monthNames[2], (std::vector<std::string>{"M\u00E4rz", "M\u00E4r"}));
  // The point groups thousands here.
  // clang-format off
  expectNumbers({{"1.000,5", 1000.5}, {"1,5", 1.5}, {"1.5", 15}, {"5 \u20AC", 5},
                 {"-1.234,5 \u20AC", -1234.5}, {"(5)", -5}, {"1,5E3", 1500}, {"1,5,5", kNone},
                 {"$5", kNone}});
  expectCases(toDate,
      {{"07.03.2024 14:05:09", at(2024, 3, 7, 14, 5, 9)}, {"7.3.2024", at(2024, 3, 7)},
       {"2024-03-07", at(2024, 3, 7)}, {"7. M\u00E4rz 2024", at(2024, 3, 7)},
       {"7 Mar 2024", at(2024, 3, 7)}, {"Donnerstag, 7. M\u00E4rz 2024", at(2024, 3, 7)},
       {"7.13.2024", at(2024, 7, 13)}, {"7.3.2024 3 PM", at(2024, 3, 7, 15)},
       {"7 Mai", at(kThisYear, 5, 7)}});
  // clang-format on
}

TEST_F(ReadingTextTest, RussianLocale) {
  if (!useLocale("ru_RU.UTF-8")) GTEST_SKIP() << "ru_RU.UTF-8 is not installed";
  // марта, МАРТА, Март
  // clang-format off
  expectNumbers({{"1 000,5", 1000.5}, {"1\u00A0000,5", 1000.5}, {"1 000 ", 1000},
                 {"1000 \u20BD", 1000}, {"1,5", 1.5}, {"1.5", kNone}, {"1 ,5", kNone}});
  expectCases(toDate,
      {{"07.03.2024", at(2024, 3, 7)}, {"7 \u043C\u0430\u0440\u0442\u0430 2024", at(2024, 3, 7)},
       {"7 \u041C\u0410\u0420\u0422\u0410 2024", at(2024, 3, 7)},
       {"\u041C\u0430\u0440\u0442 2024", at(2024, 3, 1)}, {"7 March 2024", at(2024, 3, 7)}});
  // clang-format on
}

// Settings are kept for the life of the process (readers hold references to
// them), so switching back to settings seen before must not keep a new copy.
TEST_F(ReadingTextTest, SwitchingBackReusesTheKeptSettings) {
  setRegionalSettings(testing::german());
  const RegionalSettings* first = &regionalSettings();
  setRegionalSettings(testing::usEnglish());
  setRegionalSettings(testing::german());
  EXPECT_EQ(&regionalSettings(), first);
}

}  // namespace
}  // namespace velmora
