// The user's regional formats from the system's locale data. Windows keeps
// its date and time formats in the same letters the runtime formats with
// (M/d/yyyy, h:mm:ss tt, quoted literals), so they are taken as they are.
#include <windows.h>

#include <string>
#include <vector>

#include "platform/locale.h"
#include "platform/win32/text/wide_text.h"

namespace velmora {
namespace {

// One item of the user's locale, "" when the system has none.
std::string localeInfo(LCTYPE item) {
  wchar_t buffer[128];
  const int length = ::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, item, buffer, 128);
  if (length <= 1) return std::string();
  return win32::utf8FromWide(std::wstring_view(buffer, static_cast<std::size_t>(length - 1)));
}

// Adds a spelling once; abbreviations lose a final "." ("janv."), which the
// date reader splits off.
void addName(std::vector<std::string>& names, std::string name) {
  while (!name.empty() && name.back() == '.') name.pop_back();
  if (name.empty()) return;
  for (const std::string& known : names) {
    if (known == name) return;
  }
  names.push_back(std::move(name));
}

void readCalendarNames(RegionalSettings& settings) {
  for (LCTYPE m = 0; m < 12; ++m) {
    std::vector<std::string>& names = settings.monthNames[m];
    addName(names, localeInfo(LOCALE_SMONTHNAME1 + m));
    addName(names, localeInfo(LOCALE_SABBREVMONTHNAME1 + m));
    // Languages that decline month names write dates with this form.
    addName(names, localeInfo((LOCALE_SMONTHNAME1 + m) | LOCALE_RETURN_GENITIVE_NAMES));
    addName(names, localeInfo((LOCALE_SABBREVMONTHNAME1 + m) | LOCALE_RETURN_GENITIVE_NAMES));
  }
  for (LCTYPE d = 0; d < 7; ++d) {
    addName(settings.dayNames, localeInfo(LOCALE_SDAYNAME1 + d));
    addName(settings.dayNames, localeInfo(LOCALE_SABBREVDAYNAME1 + d));
  }
}

// Replaces `field` with the locale's item when it has one.
void take(std::string& field, LCTYPE item) {
  if (std::string value = localeInfo(item); !value.empty()) field = std::move(value);
}

}  // namespace

RegionalSettings readUserRegionalSettings() {
  RegionalSettings settings;  // the US English defaults
  take(settings.decimalSeparator, LOCALE_SDECIMAL);
  // A locale may group no digits: its separator is then really "".
  settings.thousandsSeparator = localeInfo(LOCALE_STHOUSAND);
  take(settings.currencySymbol, LOCALE_SCURRENCY);
  take(settings.shortDate, LOCALE_SSHORTDATE);
  take(settings.longTime, LOCALE_STIMEFORMAT);
  // A 24-hour locale has no designators; its "tt" (if any) writes nothing.
  settings.am = localeInfo(LOCALE_S1159);
  settings.pm = localeInfo(LOCALE_S2359);
  readCalendarNames(settings);
  return settings;
}

Date currentLocalDate() {
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  return dateFromParts(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
}

}  // namespace velmora
