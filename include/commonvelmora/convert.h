// The automation runtime's conversions between variant kinds.
//
// These follow the runtime's rules, which clients and log files depend on:
// numbers as text with up to 15 significant digits (exponent form such as
// 1E+20 and 1.5E-05 outside the plain range), the regional decimal separator,
// "True"/"False", dates in the regional short date and long time, integers
// rounding halves to even and raising Overflow (6) out of range, Null raising
// Invalid use of Null (94), anything unconvertible raising Type mismatch (13).
//
// Text read as a number (toDouble and the integer conversions, isNumeric):
//   - white space (blank, tab, line breaks) around the number and between
//     its signs and symbols;
//   - one sign, before or after the digits: "-5", "+5", "5-";
//   - parentheses for a negative number, without a sign: "(5)" is -5;
//   - the regional currency symbol once, before or after: "$5", "5 €";
//   - digits with the regional thousands separator anywhere among the whole
//     digits after the first, in any grouping: "1,000", "1,0,0" and "1," in
//     English; "1.000,5" in German. Where the locale groups with a space (as
//     Russian does), a blank, a no-break space or a narrow one right before a
//     digit all count: "1 000,5";
//   - the regional decimal separator once, with digits on either side or
//     both: "5.", ".5" (so "1.5" under German settings is 15);
//   - an exponent after E or D: "1E5", "1.5e-3", "1D2";
//   - or, alone, "&H" / "&O" and hexadecimal or octal digits (see hexText).
// Anything else, or nothing but signs and symbols, is no number.
//
// Text read as a date (toDate), in the regional day/month order:
//   - numbers with "/", "-", "." or the regional date separator between
//     them: three are a full date ("3/7/2024"); a first one of three or four
//     digits is the year of a year-month-day date ("2024-03-07"); two are a
//     month and day of this year ("3/7") or, when one of them has three or
//     four digits, a month and year (the 1st: "3/2024");
//   - when the regional order gives no valid date, day and month swap places,
//     as the runtime does ("13/7/2024" is 13 July under English settings);
//   - month names, full or abbreviated, in English and in the regional
//     language, with one or two numbers: "March 7, 2024", "7 Mar 2024",
//     "7-Mar-24", "7 марта 2024", "Mar 7" (this year), "March 2024" (the 1st);
//     a weekday name before the date is allowed and ignored;
//   - a time of H:mm or H:mm:ss, or an hour alone before AM/PM, with an
//     optional AM/PM designator (English or regional), alone or after the
//     date with a blank or "T" between: "2024-03-07 23:59", "3 PM";
//   - years of one or two digits fall in 1930-2029 (00-29 are 2000-2029),
//     as in the runtime's default window; others are taken as written and
//     must lie within 100-9999.
// Text of a number alone ("45000") is no date.
#pragma once

#include <commonvelmora/export.h>
#include <commonvelmora/variant.h>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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
  std::string thousandsSeparator = ",";  // "" when the locale groups no digits
  std::string currencySymbol = "$";
  // The regional language's spellings of each month (full, abbreviated, and
  // the forms a date uses in languages that decline them) and of the
  // weekdays, all read when dates are parsed. The English names are always
  // read as well, so for English both may stay empty.
  std::array<std::vector<std::string>, 12> monthNames = {};
  std::vector<std::string> dayNames = {};

  friend bool operator==(const RegionalSettings&, const RegionalSettings&) = default;
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
