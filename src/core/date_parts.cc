// Dates are serial days since 30 December 1899. For dates before that day the
// integer part counts days backwards while the fraction is still the time of
// day, taken in absolute value: -1.25 is 29 December 1899, 06:00. So the two
// parts are the serial truncated toward zero and the distance from it.
#include "core/date_parts.h"

#include <commonvelmora/error.h>

#include <cmath>

namespace velmora {
namespace detail {
namespace {

// 1 March 0000 based day counting (Gregorian eras of 400 years).
constexpr std::int64_t kEpochShift = 693899;  // days from 0000-03-01 to 1899-12-30

struct Civil {
  std::int64_t year;
  unsigned month, day;
};

Civil civilFromDays(std::int64_t serialDays) {
  const std::int64_t z = serialDays + kEpochShift;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned day = doy - (153 * mp + 2) / 5 + 1;
  const unsigned month = mp < 10 ? mp + 3 : mp - 9;
  const std::int64_t year = static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2 ? 1 : 0);
  return {year, month, day};
}

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
  const std::int64_t q = a / b;
  return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

}  // namespace

std::int64_t daysFromCivil(std::int64_t year, unsigned month, unsigned day) {
  const std::int64_t y = month <= 2 ? year - 1 : year;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - kEpochShift;
}

void checkDateRange(double serial) {
  if (!(serial >= kMinDateSerial && serial < kMaxDateSerial + 1.0 / 86400.0)) {
    throw AutomationError(err::kOverflow);
  }
}

}  // namespace detail

// Like the runtime's DateSerial and TimeSerial together: months beyond 12 and
// days beyond the month's end roll over into the next month or year, day 0 is
// the last day of the previous month, and hours, minutes and seconds beyond
// their ranges carry into the day. Every part is widened to 64 bits before it
// is scaled, so no int range wraps; a result outside the years 100 to 9999
// raises Overflow (6).
Date dateFromParts(int year, int month, int day, int hour, int minute, int second) {
  const std::int64_t monthIndex = std::int64_t{year} * 12 + (std::int64_t{month} - 1);
  const std::int64_t y = detail::floorDiv(monthIndex, 12);
  const auto m = static_cast<unsigned>(monthIndex - y * 12 + 1);
  std::int64_t days = detail::daysFromCivil(y, m, 1) + (std::int64_t{day} - 1);
  std::int64_t seconds = std::int64_t{hour} * 3600 + std::int64_t{minute} * 60 + second;
  days += detail::floorDiv(seconds, 86400);
  seconds -= detail::floorDiv(seconds, 86400) * 86400;
  const double time = static_cast<double>(seconds) / 86400.0;
  const double whole = static_cast<double>(days);
  const double serial = days < 0 ? whole - time : whole + time;
  detail::checkDateRange(serial);
  return Date{serial};
}

DateParts dateToParts(Date d) {
  detail::checkDateRange(d.serial);
  const double whole = std::trunc(d.serial);
  auto days = static_cast<std::int64_t>(whole);
  auto seconds = static_cast<std::int64_t>(std::llround(std::fabs(d.serial - whole) * 86400.0));
  if (seconds >= 86400) {
    // 23:59:59.6 rounds into the next calendar day, whichever side of 1899.
    seconds -= 86400;
    days += 1;
  }
  const detail::Civil c = detail::civilFromDays(days);
  return DateParts{static_cast<int>(c.year),
                   static_cast<int>(c.month),
                   static_cast<int>(c.day),
                   static_cast<int>(seconds / 3600),
                   static_cast<int>(seconds / 60 % 60),
                   static_cast<int>(seconds % 60)};
}

}  // namespace velmora
