// Text is cut into numbers, words and separators; numbers before a ':' make
// a time, the other numbers and a month name make the date, which is then
// resolved by the regional day/month order.
#include "core/date_reading.h"

#include <commonvelmora/ascii_case.h>

#include <array>
#include <cstdint>
#include <ctime>
#include <mutex>
#include <string>
#include <vector>

#include "core/date_parts.h"
#include "core/unicode_fold.h"

namespace velmora::detail {
namespace {

struct Piece {
  enum Kind { kNumber, kWord, kSeparator } kind;
  std::string_view text;
};

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || static_cast<unsigned char>(c) >= 0x80;
}

// Runs of digits, runs of letters (any non-ASCII byte counts as a letter, so
// "März" and "марта" are one word each) and single other characters; runs
// of blanks are one blank.
std::vector<Piece> splitPieces(std::string_view s) {
  std::vector<Piece> out;
  for (std::size_t i = 0; i < s.size();) {
    std::size_t j = i + 1;
    Piece::Kind kind = Piece::kSeparator;
    if (isDigit(s[i])) {
      kind = Piece::kNumber;
      while (j < s.size() && isDigit(s[j])) ++j;
    } else if (isLetter(s[i])) {
      kind = Piece::kWord;
      while (j < s.size() && isLetter(s[j])) ++j;
    }
    const bool repeatedBlank = kind == Piece::kSeparator && s[i] == ' ' && !out.empty() &&
                               out.back().kind == Piece::kSeparator && out.back().text == " ";
    if (!repeatedBlank) out.push_back({kind, s.substr(i, j - i)});
    i = j;
  }
  return out;
}

int toInt(std::string_view digits) {
  int v = 0;
  for (char c : digits) {
    if (v > 100000) return v;  // large enough to fail every range check
    v = v * 10 + (c - '0');
  }
  return v;
}

constexpr std::array<std::string_view, 12> kEnglishMonths = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};
constexpr std::array<std::string_view, 7> kEnglishDays = {
    "Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

// An English name in full or by its first three letters.
bool isEnglishName(std::string_view word, std::string_view name) {
  return equalsIgnoringAsciiCase(word, name) ||
         (word.size() == 3 && startsWithIgnoringAsciiCase(name, word));
}

// 1-12 for a month name, 0 for any other word.
int monthOf(std::string_view word, const RegionalSettings& rs) {
  for (std::size_t m = 0; m < 12; ++m) {
    if (isEnglishName(word, kEnglishMonths[m])) return static_cast<int>(m) + 1;
    for (const std::string& name : rs.monthNames[m]) {
      if (!name.empty() && equalsNoCase(word, name)) return static_cast<int>(m) + 1;
    }
  }
  return 0;
}

bool isDayName(std::string_view word, const RegionalSettings& rs) {
  for (std::string_view name : kEnglishDays) {
    if (isEnglishName(word, name)) return true;
  }
  for (const std::string& name : rs.dayNames) {
    if (!name.empty() && equalsNoCase(word, name)) return true;
  }
  return false;
}

// +1 for a PM designator, -1 for AM, 0 for any other word.
int designatorOf(std::string_view word, const RegionalSettings& rs) {
  auto is = [&](std::string_view d) { return !d.empty() && equalsNoCase(word, d); };
  if (is("PM") || is(rs.pm)) return 1;
  if (is("AM") || is(rs.am)) return -1;
  return 0;
}

// Order of day, month and year in the short date pattern, e.g. "MDY".
std::string dateOrder(std::string_view pattern) {
  std::string order;
  for (char c : pattern) {
    const char f = c == 'd' ? 'D' : c == 'M' ? 'M' : c == 'y' ? 'Y' : '\0';
    if (f != '\0' && order.find(f) == std::string::npos) order.push_back(f);
  }
  return order.size() == 3 ? order : "MDY";
}

bool isDateSeparator(std::string_view sep, std::string_view pattern) {
  if (sep == "/" || sep == "-" || sep == ".") return true;
  for (char c : pattern) {
    if (sep.size() == 1 && sep[0] == c && !isLetter(c) && c != ' ') return true;
  }
  return false;
}

int daysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

struct Number {
  int value;
  std::size_t digits;
  bool afterDateSeparator;  // the piece before it was "/", "-", "." or the regional one
};

struct Ymd {
  int year, month, day;
  std::size_t yearDigits;
};

bool valid(Ymd& d) {
  if (d.yearDigits <= 2) d.year += d.year < 30 ? 2000 : 1900;
  return d.year >= 100 && d.year <= 9999 && d.month >= 1 && d.month <= 12 && d.day >= 1 &&
         d.day <= daysInMonth(d.year, d.month);
}

// The calendar date of the numbers and month name found, or false.
bool resolveDate(const std::vector<Number>& n, int month, const RegionalSettings& rs,
                 int (*thisYear)(), Ymd& out) {
  const std::size_t thisYearDigits = 4;
  if (month != 0) {
    if (n.size() == 1) {
      const bool isDay = n[0].digits <= 2 && n[0].value <= 31;
      out = isDay ? Ymd{thisYear(), month, n[0].value, thisYearDigits}
                  : Ymd{n[0].value, month, 1, n[0].digits};
      return valid(out);
    }
    if (n.size() != 2) return false;
    const bool yearFirst = n[0].digits >= 3 || n[0].value > 31;
    const Number& year = yearFirst ? n[0] : n[1];
    const Number& day = yearFirst ? n[1] : n[0];
    out = Ymd{year.value, month, day.value, year.digits};
    return valid(out);
  }
  // Numbers alone: each after a date separator.
  if (n.size() < 2 || n.size() > 3 || !n[1].afterDateSeparator ||
      (n.size() == 3 && !n[2].afterDateSeparator)) {
    return false;
  }
  const std::string order = dateOrder(rs.shortDate);
  const bool dayFirst = order.find('D') < order.find('M');
  if (n.size() == 2) {
    if (n[0].digits >= 3)
      out = Ymd{n[0].value, n[1].value, 1, n[0].digits};
    else if (n[1].digits >= 3)
      out = Ymd{n[1].value, n[0].value, 1, n[1].digits};
    else {
      const int first = n[0].value, second = n[1].value;
      const int year = thisYear();
      out = dayFirst ? Ymd{year, second, first, thisYearDigits}
                     : Ymd{year, first, second, thisYearDigits};
      if (valid(out)) return true;
      std::swap(out.month, out.day);
    }
    return valid(out);
  }
  if (n[0].digits >= 3) {
    out = Ymd{n[0].value, n[1].value, n[2].value, n[0].digits};
  } else {
    int parts[3] = {};
    std::size_t yearDigits = 0;
    for (std::size_t k = 0; k < 3; ++k) {
      const std::size_t field = order[k] == 'Y' ? 0 : order[k] == 'M' ? 1 : 2;
      parts[field] = n[k].value;
      if (field == 0) yearDigits = n[k].digits;
    }
    out = Ymd{parts[0], parts[1], parts[2], yearDigits};
  }
  if (valid(out)) return true;
  Ymd swapped{out.year, out.day, out.month, 4};  // the year is already widened
  if (!valid(swapped)) return false;
  out = swapped;
  return true;
}

}  // namespace

bool parseDateText(std::string_view text, const RegionalSettings& rs, int (*thisYear)(),
                   double& serial) {
  const std::vector<Piece> pieces = splitPieces(text);
  auto isSep = [&](std::size_t k, std::string_view s) {
    return k < pieces.size() && pieces[k].kind == Piece::kSeparator && pieces[k].text == s;
  };
  auto isNumber = [&](std::size_t k) {
    return k < pieces.size() && pieces[k].kind == Piece::kNumber;
  };
  auto isWord = [&](std::size_t k) { return k < pieces.size() && pieces[k].kind == Piece::kWord; };

  std::vector<Number> numbers;
  int month = 0;
  bool haveTime = false;
  bool dateClosed = false;  // a time followed date parts: no more of them
  int seconds = 0;
  bool afterDateSeparator = false;

  for (std::size_t i = 0; i < pieces.size();) {
    const Piece& p = pieces[i];
    const bool lastPiece = i + 1 == pieces.size();
    if (p.kind == Piece::kSeparator) {
      const bool dateSeparator = isDateSeparator(p.text, rs.shortDate);
      const bool free = p.text == " " || p.text == ",";
      if (!free && !dateSeparator) return false;
      if (p.text != " ") afterDateSeparator = dateSeparator;
      if ((i == 0 && p.text != " ") || (lastPiece && p.text != " " && p.text != ".")) return false;
      ++i;
      continue;
    }
    if (p.kind == Piece::kWord) {
      const bool dateSeen = !numbers.empty() || month != 0;
      if (equalsIgnoringAsciiCase(p.text, "T") && dateSeen && !haveTime && isNumber(i + 1)) {
        ++i;
      } else if (const int m = monthOf(p.text, rs); m != 0 && month == 0 && !dateClosed) {
        month = m;
        ++i;
      } else if (isDayName(p.text, rs)) {
        ++i;
      } else {
        return false;
      }
      afterDateSeparator = false;
      continue;
    }
    // A number: the hour of a time, or a part of the date.
    const std::size_t blank = isSep(i + 1, " ") ? 1 : 0;
    const bool clock = isSep(i + 1, ":") && isNumber(i + 2);
    const bool hourOnly = isWord(i + 1 + blank) && designatorOf(pieces[i + 1 + blank].text, rs);
    if (clock || hourOnly) {
      if (haveTime) return false;
      int hour = toInt(p.text);
      int minute = 0;
      int second = 0;
      i += 1;
      if (clock) {
        minute = toInt(pieces[i + 1].text);
        i += 2;
        if (isSep(i, ":") && isNumber(i + 1)) {
          second = toInt(pieces[i + 1].text);
          i += 2;
        }
      }
      const std::size_t skip = isSep(i, " ") ? 1 : 0;
      if (isWord(i + skip)) {
        if (const int d = designatorOf(pieces[i + skip].text, rs); d != 0) {
          if (hour < 1 || hour > 12) return false;
          hour = hour % 12 + (d > 0 ? 12 : 0);
          i += skip + 1;
        }
      }
      if (hour > 23 || minute > 59 || second > 59) return false;
      seconds = hour * 3600 + minute * 60 + second;
      haveTime = true;
      dateClosed = !numbers.empty() || month != 0;
      afterDateSeparator = false;
      continue;
    }
    if (dateClosed || numbers.size() == 3) return false;
    numbers.push_back({toInt(p.text), p.text.size(), afterDateSeparator});
    afterDateSeparator = false;
    ++i;
  }

  std::int64_t days = 0;
  if (!numbers.empty() || month != 0) {
    Ymd d{};
    if (!resolveDate(numbers, month, rs, thisYear, d)) return false;
    days = daysFromCivil(d.year, static_cast<unsigned>(d.month), static_cast<unsigned>(d.day));
  } else if (!haveTime) {
    return false;
  }
  const double time = seconds / 86400.0;
  const double whole = static_cast<double>(days);
  serial = days < 0 ? whole - time : whole + time;
  return true;
}

int currentLocalYear() {
  // std::localtime shares one buffer across the process; the lock keeps
  // our own callers from overwriting it under each other.
  static std::mutex mutex;
  std::lock_guard lock(mutex);
  const std::time_t now = std::time(nullptr);
  const std::tm* local = std::localtime(&now);
  return local != nullptr ? local->tm_year + 1900 : 2000;
}

}  // namespace velmora::detail
