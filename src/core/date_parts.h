// Calendar arithmetic for dates held as serial days since 30 December 1899.
#pragma once

#include <commonvelmora/convert.h>

#include <cstdint>

namespace velmora::detail {

// The range of dates the runtime holds: 1 January 100 to 31 December 9999.
inline constexpr double kMinDateSerial = -657434.0;
inline constexpr double kMaxDateSerial = 2958465.0 + 86399.0 / 86400.0;

// Raises Overflow (6) for a serial outside that range (or not finite).
void checkDateRange(double serial);

// Days since 30 December 1899 of a proleptic Gregorian calendar date.
std::int64_t daysFromCivil(std::int64_t year, unsigned month, unsigned day);

}  // namespace velmora::detail
