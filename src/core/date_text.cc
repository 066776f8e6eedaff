// Dates as text: the "General Date" form and Format-style patterns; CDate,
// whose reading of text is in date_reading.cc.
#include <commonvelmora/ascii_case.h>
#include <commonvelmora/convert.h>
#include <commonvelmora/error.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/date_parts.h"
#include "core/date_reading.h"

namespace velmora {
namespace {

// ---- patterns ---------------------------------------------------------------

// One piece of a date pattern, whichever letters it was written in.
enum class Field {
  kLiteral,
  kDay,
  kDay2,
  kMonth,
  kMonth2,
  kYear2,
  kYear4,
  kHour12,
  kHour12Padded,
  kHour24,
  kHour24Padded,
  kMinute,
  kMinutePadded,
  kSecond,
  kSecondPadded,
  kAmPm,       // the full designator ("AM")
  kAmPmFirst,  // its first character ("A")
};

struct Token {
  Field field;
  std::string literal;  // for kLiteral
};

void appendLiteral(std::vector<Token>& out, std::string_view text) {
  if (!out.empty() && out.back().field == Field::kLiteral) {
    out.back().literal.append(text);
  } else {
    out.push_back({Field::kLiteral, std::string(text)});
  }
}

std::size_t runLength(std::string_view s, std::size_t i, bool ignoreCase) {
  auto same = [&](char a, char b) {
    return ignoreCase ? detail::asciiLower(a) == detail::asciiLower(b) : a == b;
  };
  std::size_t n = 1;
  while (i + n < s.size() && same(s[i + n], s[i])) ++n;
  return n;
}

// The letters of regional settings patterns (case matters: M is the month,
// m the minute); text in single quotes is literal.
std::vector<Token> parseRegionalPattern(std::string_view p) {
  std::vector<Token> out;
  for (std::size_t i = 0; i < p.size();) {
    const char c = p[i];
    if (c == '\'') {
      const std::size_t close = p.find('\'', i + 1);
      const std::size_t stop = close == std::string_view::npos ? p.size() : close;
      appendLiteral(out, p.substr(i + 1, stop - i - 1));
      i = stop == p.size() ? stop : stop + 1;
      continue;
    }
    const std::size_t n = runLength(p, i, false);
    const bool one = n == 1;
    switch (c) {
      case 'd':
        out.push_back({one ? Field::kDay : Field::kDay2, {}});
        break;
      case 'M':
        out.push_back({one ? Field::kMonth : Field::kMonth2, {}});
        break;
      case 'y':
        out.push_back({n <= 2 ? Field::kYear2 : Field::kYear4, {}});
        break;
      case 'h':
        out.push_back({one ? Field::kHour12 : Field::kHour12Padded, {}});
        break;
      case 'H':
        out.push_back({one ? Field::kHour24 : Field::kHour24Padded, {}});
        break;
      case 'm':
        out.push_back({one ? Field::kMinute : Field::kMinutePadded, {}});
        break;
      case 's':
        out.push_back({one ? Field::kSecond : Field::kSecondPadded, {}});
        break;
      case 't':
        out.push_back({one ? Field::kAmPmFirst : Field::kAmPm, {}});
        break;
      default:
        appendLiteral(out, p.substr(i, n));
        break;
    }
    i += n;
  }
  return out;
}

// The letters of the runtime's Format for dates, in any letter case: yyyy,
// yy, m/mm (the minute right after an hour, else the month), d/dd, h/hh, n/nn,
// s/ss and AM/PM (which turns hours to 12-hour ones). Text in double quotes
// and a character after a backslash are literal.
std::vector<Token> parseFormatPattern(std::string_view p) {
  std::vector<Token> out;
  bool afterHour = false;  // the last field written was an hour
  bool twelveHour = false;
  for (std::size_t i = 0; i < p.size();) {
    const char c = p[i];
    if (c == '"') {
      const std::size_t close = p.find('"', i + 1);
      const std::size_t stop = close == std::string_view::npos ? p.size() : close;
      appendLiteral(out, p.substr(i + 1, stop - i - 1));
      i = stop == p.size() ? stop : stop + 1;
      continue;
    }
    if (c == '\\' && i + 1 < p.size()) {
      appendLiteral(out, p.substr(i + 1, 1));
      i += 2;
      continue;
    }
    if (detail::startsWithIgnoringAsciiCase(p.substr(i), "am/pm")) {
      out.push_back({Field::kAmPm, {}});
      twelveHour = true;
      i += 5;
      continue;
    }
    const std::size_t n = runLength(p, i, true);
    const bool one = n == 1;
    bool isHour = false;
    switch (detail::asciiLower(c)) {
      case 'y':
        out.push_back({n >= 3 ? Field::kYear4 : Field::kYear2, {}});
        break;
      case 'd':
        out.push_back({one ? Field::kDay : Field::kDay2, {}});
        break;
      case 'm':
        if (afterHour) {
          out.push_back({one ? Field::kMinute : Field::kMinutePadded, {}});
        } else {
          out.push_back({one ? Field::kMonth : Field::kMonth2, {}});
        }
        break;
      case 'n':
        out.push_back({one ? Field::kMinute : Field::kMinutePadded, {}});
        break;
      case 'h':
        out.push_back({one ? Field::kHour24 : Field::kHour24Padded, {}});
        isHour = true;
        break;
      case 's':
        out.push_back({one ? Field::kSecond : Field::kSecondPadded, {}});
        break;
      default:
        appendLiteral(out, p.substr(i, n));
        i += n;
        continue;  // literals do not end the hour's influence on "mm"
    }
    afterHour = isHour;
    i += n;
  }
  if (twelveHour) {
    for (Token& t : out) {
      if (t.field == Field::kHour24) t.field = Field::kHour12;
      if (t.field == Field::kHour24Padded) t.field = Field::kHour12Padded;
    }
  }
  return out;
}

void appendNumber(std::string& out, long long v, bool padded) {
  if (padded && v >= 0 && v < 10) out.push_back('0');
  out.append(std::to_string(v));
}

std::string render(const std::vector<Token>& tokens, const DateParts& p,
                   const RegionalSettings& rs) {
  std::string out;
  const int hour12 = p.hour % 12 == 0 ? 12 : p.hour % 12;
  const std::string& designator = p.hour < 12 ? rs.am : rs.pm;
  for (const Token& t : tokens) {
    switch (t.field) {
      case Field::kLiteral:
        out.append(t.literal);
        break;
      case Field::kDay:
        appendNumber(out, p.day, false);
        break;
      case Field::kDay2:
        appendNumber(out, p.day, true);
        break;
      case Field::kMonth:
        appendNumber(out, p.month, false);
        break;
      case Field::kMonth2:
        appendNumber(out, p.month, true);
        break;
      case Field::kYear2:
        appendNumber(out, p.year % 100, true);
        break;
      case Field::kYear4: {
        const std::string y = std::to_string(p.year);
        out.append(y.size() < 4 ? 4 - y.size() : 0, '0').append(y);
        break;
      }
      case Field::kHour12:
        appendNumber(out, hour12, false);
        break;
      case Field::kHour12Padded:
        appendNumber(out, hour12, true);
        break;
      case Field::kHour24:
        appendNumber(out, p.hour, false);
        break;
      case Field::kHour24Padded:
        appendNumber(out, p.hour, true);
        break;
      case Field::kMinute:
        appendNumber(out, p.minute, false);
        break;
      case Field::kMinutePadded:
        appendNumber(out, p.minute, true);
        break;
      case Field::kSecond:
        appendNumber(out, p.second, false);
        break;
      case Field::kSecondPadded:
        appendNumber(out, p.second, true);
        break;
      case Field::kAmPm:
        out.append(designator);
        break;
      case Field::kAmPmFirst:
        if (!designator.empty()) out.push_back(designator.front());
        break;
    }
  }
  return out;
}

}  // namespace

std::string dateToText(Date d) {
  const DateParts p = dateToParts(d);
  const RegionalSettings& rs = regionalSettings();
  const bool dayZero = p.year == 1899 && p.month == 12 && p.day == 30;
  const bool midnight = p.hour == 0 && p.minute == 0 && p.second == 0;
  if (dayZero) return render(parseRegionalPattern(rs.longTime), p, rs);
  std::string out = render(parseRegionalPattern(rs.shortDate), p, rs);
  if (!midnight) out.append(" ").append(render(parseRegionalPattern(rs.longTime), p, rs));
  return out;
}

std::string formatDate(Date d, std::string_view pattern) {
  return render(parseFormatPattern(pattern), dateToParts(d), regionalSettings());
}

// CDate: dates as they are (within the runtime's range), numbers and booleans as serials (True is
// -1, 29 December 1899), text as a date typed by a user. Numeric text is not a date: "45000" is
// refused rather than guessed.
Date toDate(const Variant& v) {
  if (const Date* d = v.getIf<Date>()) {
    detail::checkDateRange(d->serial);  // a Date built in C++ may hold any double
    return *d;
  }
  if (v.isNull()) throw AutomationError(err::kInvalidUseOfNull);
  if (const std::string* s = v.getIf<std::string>()) {
    double serial = 0;
    if (!detail::parseDateText(*s, regionalSettings(), detail::currentLocalYear, serial))
      throw AutomationError(err::kTypeMismatch);
    return Date{serial};
  }
  if (v.isEmpty()) return Date{0};
  if (v.isArray() || v.isObject() || v.getIf<ErrorCode>() != nullptr) {
    throw AutomationError(err::kTypeMismatch);
  }
  const double serial = toDouble(v);
  detail::checkDateRange(serial);
  return Date{serial};
}
}  // namespace velmora
