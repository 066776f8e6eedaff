// Conversions to numbers and booleans, hexadecimal text and the numeric test.
#include <commonvelmora/ascii_case.h>
#include <commonvelmora/convert.h>
#include <commonvelmora/error.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "core/number_text.h"

namespace velmora {
namespace {

[[noreturn]] void typeMismatch() { throw AutomationError(err::kTypeMismatch); }
[[noreturn]] void overflow() { throw AutomationError(err::kOverflow); }

double textToDouble(const std::string& s) {
  double d = 0;
  switch (detail::parseNumberText(s, regionalSettings(), d)) {
    case detail::NumberParse::kOk:
      return d;
    case detail::NumberParse::kOverflow:
      overflow();
    case detail::NumberParse::kNotANumber:
      break;
  }
  typeMismatch();
}

// Currency to a whole number, halves to even, in exact integer arithmetic.
std::int64_t roundCurrency(Currency c) {
  std::int64_t q = c.scaled / 10000;
  const std::int64_t rem = c.scaled % 10000;  // same sign as c.scaled
  const std::int64_t sign = c.scaled < 0 ? -1 : 1;
  const std::int64_t absRem = rem < 0 ? -rem : rem;
  if (absRem > 5000 || (absRem == 5000 && q % 2 != 0)) q += sign;
  return q;
}

// The value as a whole number within [lo, hi], halves rounding to even; the
// kinds that are whole already stay exact.
std::int64_t toWhole(const Variant& v, std::int64_t lo, std::int64_t hi) {
  std::int64_t r = 0;
  if (const auto* i16 = v.getIf<std::int16_t>()) {
    r = *i16;
  } else if (const auto* i32 = v.getIf<std::int32_t>()) {
    r = *i32;
  } else if (const auto* b = v.getIf<std::uint8_t>()) {
    r = *b;
  } else if (const bool* f = v.getIf<bool>()) {
    r = *f ? -1 : 0;
  } else if (const Currency* c = v.getIf<Currency>()) {
    r = roundCurrency(*c);
  } else {
    const double d = roundHalfEven(toDouble(v));
    // Compared as doubles first: NaN and huge values never reach the cast.
    if (!(d >= static_cast<double>(lo) && d <= static_cast<double>(hi))) overflow();
    r = static_cast<std::int64_t>(d);
  }
  if (r < lo || r > hi) overflow();
  return r;
}

std::string hexDigits(std::uint32_t value) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  do {
    out.insert(out.begin(), kDigits[value & 0xFu]);
    value >>= 4;
  } while (value != 0);
  return out;
}

}  // namespace

double roundHalfEven(double d) {
  const double r = std::round(d);  // halves away from zero
  if (std::fabs(r - d) == 0.5) return 2.0 * std::round(d / 2.0);
  return r;
}

bool parseNumber(std::string_view text, double& out) {
  return detail::parseNumberText(text, regionalSettings(), out) == detail::NumberParse::kOk;
}

double toDouble(const Variant& v) {
  if (v.isEmpty()) return 0;
  if (v.isNull()) throw AutomationError(err::kInvalidUseOfNull);
  if (const double* d = v.getIf<double>()) return *d;
  if (const float* f = v.getIf<float>()) return *f;
  if (const auto* i16 = v.getIf<std::int16_t>()) return *i16;
  if (const auto* i32 = v.getIf<std::int32_t>()) return *i32;
  if (const auto* b = v.getIf<std::uint8_t>()) return *b;
  if (const bool* f = v.getIf<bool>()) return *f ? -1.0 : 0.0;
  if (const Currency* c = v.getIf<Currency>()) return static_cast<double>(c->scaled) / 10000.0;
  if (const Date* dt = v.getIf<Date>()) return dt->serial;
  if (const std::string* s = v.getIf<std::string>()) return textToDouble(*s);
  typeMismatch();  // error values, objects, arrays
}

std::int16_t toInt16(const Variant& v) {
  return static_cast<std::int16_t>(toWhole(v, std::numeric_limits<std::int16_t>::min(),
                                           std::numeric_limits<std::int16_t>::max()));
}

std::int32_t toInt32(const Variant& v) {
  return static_cast<std::int32_t>(toWhole(v, std::numeric_limits<std::int32_t>::min(),
                                           std::numeric_limits<std::int32_t>::max()));
}

std::uint8_t toByte(const Variant& v) { return static_cast<std::uint8_t>(toWhole(v, 0, 255)); }

Currency toCurrency(const Variant& v) {
  if (const Currency* c = v.getIf<Currency>()) return *c;
  if (v.getIf<std::int16_t>() || v.getIf<std::int32_t>() || v.getIf<std::uint8_t>() ||
      v.getIf<bool>()) {
    return Currency{toWhole(v, std::numeric_limits<std::int32_t>::min(),
                            std::numeric_limits<std::int32_t>::max()) *
                    10000};
  }
  // Scaled in floating point and rounded to the fourth decimal, halves to even.
  const double scaled = roundHalfEven(toDouble(v) * 10000.0);
  constexpr double kLimit = 9223372036854775808.0;  // 2^63
  if (!(scaled >= -kLimit && scaled < kLimit)) overflow();
  return Currency{static_cast<std::int64_t>(scaled)};
}

bool toBool(const Variant& v) {
  if (const bool* b = v.getIf<bool>()) return *b;
  if (const std::string* s = v.getIf<std::string>()) {
    std::string_view t = *s;
    while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) t.remove_prefix(1);
    while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) t.remove_suffix(1);
    if (detail::equalsIgnoringAsciiCase(t, "true")) return true;
    if (detail::equalsIgnoringAsciiCase(t, "false")) return false;
    return textToDouble(*s) != 0;
  }
  if (const Currency* c = v.getIf<Currency>()) return c->scaled != 0;
  return toDouble(v) != 0;
}

// Hex$. The kinds that are 16 bits wide (Integer and Boolean) give at most
// four digits, so a negative one is its 16-bit two's complement (True and -1
// give "FFFF"). Every other kind is first made a 32-bit whole number, halves
// rounding to even and Overflow (6) beyond the 32-bit range, and a negative
// one gives eight digits: a Double -1 is "FFFFFFFF", like a Long -1. Text is
// read as a number first. Callers that want truncation (the registry's stored
// form) truncate before calling.
std::string hexText(const Variant& v) {
  if (v.isEmpty()) return "0";
  if (v.isNull()) throw AutomationError(err::kInvalidUseOfNull);
  if (const bool* b = v.getIf<bool>()) return *b ? "FFFF" : "0";
  if (const auto* i16 = v.getIf<std::int16_t>()) {
    return hexDigits(static_cast<std::uint16_t>(*i16));
  }
  if (v.isArray() || v.isObject() || v.getIf<ErrorCode>() != nullptr) typeMismatch();
  return hexDigits(static_cast<std::uint32_t>(toInt32(v)));
}

// IsNumeric. The empty variant counts as numeric, as it converts to 0
// without an error; dates do not, although they convert to numbers.
bool isNumeric(const Variant& v) {
  if (v.isEmpty()) return true;
  if (const std::string* s = v.getIf<std::string>()) {
    double ignored = 0;
    return parseNumber(*s, ignored);
  }
  return v.getIf<std::int16_t>() || v.getIf<std::int32_t>() || v.getIf<float>() ||
         v.getIf<double>() || v.getIf<Currency>() || v.getIf<bool>() || v.getIf<std::uint8_t>();
}

}  // namespace velmora
