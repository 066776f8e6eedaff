#include <langinfo.h>
#include <locale.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "platform/locale.h"
#include "platform/strftime_pattern.h"

namespace velmora {
namespace {

// The locale name the environment selects for a category, as setlocale(3)
// resolves it: LC_ALL, then the category's own variable, then LANG.
std::string_view selectedLocale(const char* categoryVariable) {
  for (const char* name : {"LC_ALL", categoryVariable, "LANG"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return value;
  }
  return "C";
}

bool isPlainC(std::string_view name) {
  return name == "C" || name == "POSIX" || name.starts_with("C.");
}

// A locale object for one category, freed on scope exit; null when the
// selected locale is not installed.
class ScopedLocale {
 public:
  explicit ScopedLocale(int mask) : locale_(newlocale(mask, "", static_cast<locale_t>(0))) {}
  ~ScopedLocale() {
    if (locale_ != static_cast<locale_t>(0)) freelocale(locale_);
  }
  ScopedLocale(const ScopedLocale&) = delete;
  ScopedLocale& operator=(const ScopedLocale&) = delete;

  bool valid() const { return locale_ != static_cast<locale_t>(0); }
  std::string info(nl_item item) const { return nl_langinfo_l(item, locale_); }

 private:
  locale_t locale_;
};

// Every spelling the locale has for each month (full, abbreviated, and the
// standalone forms of languages that decline month names) and weekday.
// Abbreviations lose a final "." ("janv."): the date reader splits it off.
void readCalendarNames(const ScopedLocale& locale, RegionalSettings& settings) {
  auto add = [](std::vector<std::string>& names, std::string name) {
    while (!name.empty() && name.back() == '.') name.pop_back();
    if (name.empty()) return;
    for (const std::string& known : names) {
      if (known == name) return;
    }
    names.push_back(std::move(name));
  };
  for (int m = 0; m < 12; ++m) {
    std::vector<std::string>& names = settings.monthNames[static_cast<std::size_t>(m)];
    for (nl_item first : {MON_1, ABMON_1, ALTMON_1, _NL_ABALTMON_1}) {
      add(names, locale.info(static_cast<nl_item>(first + m)));
    }
  }
  for (int d = 0; d < 7; ++d) {
    for (nl_item first : {DAY_1, ABDAY_1}) {
      add(settings.dayNames, locale.info(static_cast<nl_item>(first + d)));
    }
  }
}

}  // namespace

RegionalSettings readUserRegionalSettings() {
  RegionalSettings settings;  // the US English defaults
  if (!isPlainC(selectedLocale("LC_NUMERIC"))) {
    const ScopedLocale numeric(LC_NUMERIC_MASK);
    if (numeric.valid()) {
      const std::string radix = numeric.info(RADIXCHAR);
      if (!radix.empty()) settings.decimalSeparator = radix;
      settings.thousandsSeparator = numeric.info(THOUSEP);
    }
  }
  if (!isPlainC(selectedLocale("LC_MONETARY"))) {
    const ScopedLocale money(LC_MONETARY_MASK);
    if (money.valid()) settings.currencySymbol = money.info(CURRENCY_SYMBOL);
  }
  if (!isPlainC(selectedLocale("LC_TIME"))) {
    const ScopedLocale timeLocale(LC_TIME_MASK);
    if (timeLocale.valid()) {
      if (auto date = runtimePatternFromStrftime(timeLocale.info(D_FMT)); date && !date->empty()) {
        settings.shortDate = *date;
      }
      // The designators go with the locale's own time format; a format that
      // fell back to the default keeps the default's "AM" and "PM".
      if (auto clock = runtimePatternFromStrftime(timeLocale.info(T_FMT));
          clock && !clock->empty()) {
        settings.longTime = *clock;
        settings.am = timeLocale.info(AM_STR);
        settings.pm = timeLocale.info(PM_STR);
      }
      readCalendarNames(timeLocale, settings);
    }
  }
  return settings;
}

Date currentLocalDate() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return dateFromParts(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                       local.tm_min, local.tm_sec);
}

}  // namespace velmora
