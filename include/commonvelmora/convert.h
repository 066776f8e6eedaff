// The automation runtime's conversions between variant kinds.
//
// These follow the runtime's rules, which clients and log files depend on:
// numbers as text with up to 15 significant digits (exponent form such as
// 1E+20 and 1.5E-05 outside the plain range), the regional decimal separator,
// "True"/"False", dates in the regional short date and long time, integers
// rounding halves to even and raising Overflow (6) out of range, Null raising
// Invalid use of Null (94), anything unconvertible raising Type mismatch (13).
#pragma once

#include <commonvelmora/export.h>
#include <commonvelmora/variant.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace velmora {

// The user's regional formats that conversions use. Patterns use the
// runtime's letters: d, dd, M, MM, yyyy, yy for dates; h, hh (12-hour),
// H, HH (24-hour), mm, ss and tt (AM/PM designator) for times.
struct RegionalSettings {
  std::string decimalSeparator = ".";
  std::string shortDate = "M/d/yyyy";
  std::string longTime = "h:mm:ss tt";
  std::string am = "AM";
  std::string pm = "PM";
};

// Process-wide settings in force; the library installs the user's at start-up
// and tests pin their own.
VELMORA_EXPORT const RegionalSettings& regionalSettings();
VELMORA_EXPORT void setRegionalSettings(RegionalSettings settings);

// Text of a value (CStr).
VELMORA_EXPORT std::string toText(const Variant& v);
// Numbers to text with 15 significant digits, as the runtime prints a double.
VELMORA_EXPORT std::string doubleToText(double d);
// Date to text in the "General Date" form: short date, a blank, long time;
// date only when the time is exactly midnight, time only on day 0.
VELMORA_EXPORT std::string dateToText(Date d);
// Formats a date with a pattern of the runtime's letters ("yyyy_mm_dd" style:
// in such a pattern "mm" right after a date part means month).
VELMORA_EXPORT std::string formatDate(Date d, std::string_view pattern);

VELMORA_EXPORT double toDouble(const Variant& v);       // CDbl; accepts "&h"/"&o" text
VELMORA_EXPORT std::int16_t toInt16(const Variant& v);  // CInt: halves to even
VELMORA_EXPORT std::int32_t toInt32(const Variant& v);  // CLng: halves to even
VELMORA_EXPORT bool toBool(const Variant& v);           // CBool
VELMORA_EXPORT Date toDate(const Variant& v);           // CDate
VELMORA_EXPORT Currency toCurrency(const Variant& v);   // CCur
VELMORA_EXPORT std::uint8_t toByte(const Variant& v);   // CByte
VELMORA_EXPORT ObjectRef toObject(const Variant& v);    // object reference or 13

// Hex$: two's complement; four digits for negative 16-bit (and boolean)
// values, eight for negative 32-bit ones; no leading zeros.
VELMORA_EXPORT std::string hexText(const Variant& v);

// IsNumeric: numbers, currency, booleans and text that reads as a number.
// Dates, null, errors, arrays and objects are not numeric.
VELMORA_EXPORT bool isNumeric(const Variant& v);

// TypeName: "Empty", "Null", "Integer", "Long", "Single", "Double",
// "Currency", "Date", "String", "Boolean", "Error", "Byte", "Nothing", the
// object's own type name, and "Variant()" / "Byte()" for arrays.
VELMORA_EXPORT std::string typeName(const Variant& v);

// Parses the text forms accepted by toDouble; false when the text is no number.
VELMORA_EXPORT bool parseNumber(std::string_view text, double& out);

// Round a double to the nearest integer, halves to even (banker's rounding).
VELMORA_EXPORT double roundHalfEven(double d);

// A date from its calendar parts, and back (times to the nearest second).
VELMORA_EXPORT Date dateFromParts(int year, int month, int day, int hour = 0, int minute = 0,
                                  int second = 0);
struct DateParts {
  int year, month, day, hour, minute, second;
};
VELMORA_EXPORT DateParts dateToParts(Date d);

}  // namespace velmora
