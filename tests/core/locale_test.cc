#include <gtest/gtest.h>
#include <langinfo.h>
#include <locale.h>

#include <string>
#include <vector>

#include "platform/locale.h"
#include "platform/strftime_pattern.h"
#include "support/scratch.h"

namespace velmora {
namespace {

// LC_ALL for the test's duration.
struct ScopedLcAll : test_support::ScopedEnv {
  explicit ScopedLcAll(const char* value) : ScopedEnv("LC_ALL", value) {}
};

bool localeInstalled(const char* name) {
  locale_t l = newlocale(LC_TIME_MASK | LC_NUMERIC_MASK, name, static_cast<locale_t>(0));
  if (l == static_cast<locale_t>(0)) return false;
  freelocale(l);
  return true;
}

TEST(StrftimePatternTest, CommonLocaleFormats) {
  EXPECT_EQ(runtimePatternFromStrftime("%d.%m.%Y"), "dd.MM.yyyy");
  EXPECT_EQ(runtimePatternFromStrftime("%Y-%m-%d"), "yyyy-MM-dd");
  EXPECT_EQ(runtimePatternFromStrftime("%D"), "MM/dd/yy");
  EXPECT_EQ(runtimePatternFromStrftime("%-d.%-m.%Y"), "d.M.yyyy");
  EXPECT_EQ(runtimePatternFromStrftime("%e.%m.%Ey"), "d.MM.yy");
  EXPECT_EQ(runtimePatternFromStrftime("%T"), "HH:mm:ss");
  EXPECT_EQ(runtimePatternFromStrftime("%r"), "hh:mm:ss tt");
  EXPECT_EQ(runtimePatternFromStrftime("%k.%M"), "H.mm");
  // Letters of the format are literal, so they are quoted.
  EXPECT_EQ(runtimePatternFromStrftime("%Hh%M"), "HH'h'mm");
  EXPECT_EQ(runtimePatternFromStrftime("%%"), "%");
}

TEST(UserRegionalSettingsTest, CLocaleAndAMissingOneGiveTheUsDefaults) {
  for (const char* name : {"C", "POSIX", "C.UTF-8", "xx_NOWHERE.UTF-8"}) {
    ScopedLcAll lc(name);
    const RegionalSettings rs = readUserRegionalSettings();
    EXPECT_EQ(rs.decimalSeparator, ".") << name;
    EXPECT_EQ(rs.shortDate, "M/d/yyyy") << name;
    EXPECT_EQ(rs.longTime, "h:mm:ss tt") << name;
    EXPECT_EQ(rs.am, "AM") << name;
    EXPECT_EQ(rs.pm, "PM") << name;
  }
}

TEST(UserRegionalSettingsTest, GermanLocale) {
  if (!localeInstalled("de_DE.UTF-8")) {
    GTEST_SKIP() << "locale de_DE.UTF-8 is not installed on this machine";
  }
  ScopedLcAll lc("de_DE.UTF-8");
  const RegionalSettings rs = readUserRegionalSettings();
  EXPECT_EQ(rs.decimalSeparator, ",");
  EXPECT_EQ(rs.shortDate, "dd.MM.yyyy");
  EXPECT_EQ(rs.longTime, "HH:mm:ss");
  EXPECT_EQ(rs.thousandsSeparator, ".");
  EXPECT_EQ(rs.currencySymbol, "\u20AC");
  EXPECT_EQ(rs.monthNames[2], (std::vector<std::string>{"M\u00E4rz", "M\u00E4r"}));
}

}  // namespace
}  // namespace velmora
