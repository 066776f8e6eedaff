#include "core/number_text.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <system_error>

namespace velmora::detail {
namespace {

// White space around a number and between its signs and symbols.
bool isWhite(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view trimWhite(std::string_view s) {
  while (!s.empty() && isWhite(s.front())) s.remove_prefix(1);
  while (!s.empty() && isWhite(s.back())) s.remove_suffix(1);
  return s;
}

constexpr std::string_view kNoBreakSpace = "\u00A0";
constexpr std::string_view kNarrowNoBreakSpace = "\u202F";

bool isSpaceLike(std::string_view separator) {
  return separator == " " || separator == kNoBreakSpace || separator == kNarrowNoBreakSpace;
}

// The length of the thousands separator at the start of `rest`, or 0. A
// locale that groups with a kind of space takes any of the three a user may
// type, but only right before a digit, so trailing blanks stay blanks.
std::size_t groupSeparatorAt(std::string_view rest, std::string_view group, bool spaceLike) {
  if (!spaceLike) return !group.empty() && rest.starts_with(group) ? group.size() : 0;
  for (std::string_view space : {std::string_view(" "), kNoBreakSpace, kNarrowNoBreakSpace}) {
    if (rest.starts_with(space) && rest.size() > space.size() && isDigit(rest[space.size()])) {
      return space.size();
    }
  }
  return 0;
}

// The signs and symbols around the digits: at most one sign, before or after;
// at most one currency symbol, before or after; an opening parenthesis before
// and its closing one after, which make the number negative and take no sign.
struct Symbols {
  bool sign = false;
  bool negative = false;
  bool currency = false;
  bool open = false;
  bool closed = false;

  // Consumes one symbol (or a run of white space) at s[i]; false when none.
  bool take(std::string_view s, std::size_t& i, std::string_view currencySymbol, bool leading) {
    if (i >= s.size()) return false;
    const char c = s[i];
    if (isWhite(c)) {
      while (i < s.size() && isWhite(s[i])) ++i;
      return true;
    }
    if ((c == '+' || c == '-') && !sign) {
      sign = true;
      negative = c == '-';
      ++i;
      return true;
    }
    if (c == (leading ? '(' : ')') && (leading ? !open : open && !closed)) {
      (leading ? open : closed) = true;
      ++i;
      return true;
    }
    if (!currency && !currencySymbol.empty() && s.substr(i).starts_with(currencySymbol)) {
      currency = true;
      i += currencySymbol.size();
      return true;
    }
    return false;
  }
};

int digitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

// "&H" and "&O" numbers take the width of the runtime's integer types: a
// form that fits 16 bits (at most four hex or six octal digits, value up to
// FFFF) is a 16-bit Integer, so "&HFFFF" is -1 and "&H8000" is -32768; a
// longer form up to FFFFFFFF is a 32-bit Long, so "&HFFFFFFFF" is -1 and
// "&H10000" is 65536. The width follows the digits written: "&H0FFFF" has
// five digits and is the Long 65535. Anything wider is an overflow. Values
// written by hexText() read back as themselves under this rule, except the
// 32-bit values 32768..65535, whose four digits read as the negative Integer.
NumberParse parseRadix(std::string_view digits, int radix, double& out) {
  if (digits.empty()) return NumberParse::kNotANumber;
  std::uint64_t value = 0;
  for (char c : digits) {
    const int v = digitValue(c);
    if (v >= radix) return NumberParse::kNotANumber;
    value = value * static_cast<std::uint64_t>(radix) + static_cast<std::uint64_t>(v);
    if (value > 0xFFFFFFFFu) {
      // Keep scanning so that "&HFFFFFFFFFZ" is still no number at all.
      for (char rest : digits) {
        if (digitValue(rest) >= radix) return NumberParse::kNotANumber;
      }
      return NumberParse::kOverflow;
    }
  }
  const std::size_t max16Digits = radix == 16 ? 4 : 6;
  if (digits.size() <= max16Digits && value <= 0xFFFFu) {
    out = static_cast<std::int16_t>(static_cast<std::uint16_t>(value));
  } else {
    out = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
  }
  return NumberParse::kOk;
}

}  // namespace

NumberParse parseNumberText(std::string_view text, const RegionalSettings& settings, double& out) {
  std::string_view s = trimWhite(text);
  if (s.size() >= 2 && s[0] == '&') {
    if (s[1] == 'h' || s[1] == 'H') return parseRadix(s.substr(2), 16, out);
    if (s[1] == 'o' || s[1] == 'O') return parseRadix(s.substr(2), 8, out);
    return NumberParse::kNotANumber;
  }

  Symbols symbols;
  std::size_t i = 0;
  while (symbols.take(s, i, settings.currencySymbol, true)) {
  }

  // Rebuild the number in the neutral form that std::from_chars reads, which
  // never depends on the process locale.
  std::string neutral;
  neutral.reserve(s.size() + 1);
  std::size_t mantissaDigits = 0;
  std::size_t integerDigits = 0;
  const std::string_view group = settings.thousandsSeparator;
  const bool spaceLike = isSpaceLike(group);
  while (i < s.size()) {
    if (isDigit(s[i])) {
      neutral.push_back(s[i++]);
      ++integerDigits;
    } else if (const std::size_t n =
                   integerDigits > 0 ? groupSeparatorAt(s.substr(i), group, spaceLike) : 0;
               n != 0 && group != settings.decimalSeparator) {
      i += n;
    } else {
      break;
    }
  }
  mantissaDigits = integerDigits;
  const std::string_view sep = settings.decimalSeparator.empty()
                                   ? std::string_view(".")
                                   : std::string_view(settings.decimalSeparator);
  if (s.substr(i).starts_with(sep)) {
    i += sep.size();
    neutral.push_back('.');
    while (i < s.size() && isDigit(s[i])) {
      neutral.push_back(s[i++]);
      ++mantissaDigits;
    }
  }
  if (mantissaDigits == 0) return NumberParse::kNotANumber;
  long exponent = 0;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
    ++i;
    neutral.push_back('e');
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    if (negative) neutral.push_back('-');
    std::size_t exponentDigits = 0;
    while (i < s.size() && isDigit(s[i])) {
      if (exponent < 100000) exponent = exponent * 10 + (s[i] - '0');
      neutral.push_back(s[i++]);
      ++exponentDigits;
    }
    if (exponentDigits == 0) return NumberParse::kNotANumber;
    if (negative) exponent = -exponent;
  }
  while (symbols.take(s, i, settings.currencySymbol, false)) {
  }
  if (i != s.size() || symbols.open != symbols.closed || (symbols.open && symbols.sign)) {
    return NumberParse::kNotANumber;
  }

  double value = 0;
  const auto [end, ec] = std::from_chars(neutral.data(), neutral.data() + neutral.size(), value);
  if (end != neutral.data() + neutral.size()) return NumberParse::kNotANumber;
  if (ec == std::errc::result_out_of_range) {
    // Too large overflows; too small is zero, as the runtime reads it.
    const bool tooLarge = static_cast<long>(integerDigits) + exponent > 0;
    if (tooLarge) return NumberParse::kOverflow;
    value = 0;
  } else if (ec != std::errc()) {
    return NumberParse::kNotANumber;
  }
  if (symbols.negative || symbols.open) value = -value;
  out = value == 0 ? 0.0 : value;  // no negative zero
  return NumberParse::kOk;
}

std::string formatSignificant(double d, int digits, std::string_view decimalSeparator) {
  if (std::isnan(d)) return "NaN";
  if (std::isinf(d)) return d < 0 ? "-Infinity" : "Infinity";
  if (d == 0) return "0";  // also for -0
  // Like printf's %.15G: plain notation for decimal exponents -4 to
  // digits-1, otherwise mantissa and a signed exponent of at least two digits
  // ("1E+20", "1.5E-05"); trailing zeros dropped.
  std::array<char, 64> buf{};
  const auto [end, ec] =
      std::to_chars(buf.data(), buf.data() + buf.size(), d, std::chars_format::general, digits);
  std::string out;
  if (ec != std::errc()) return out;
  for (const char* p = buf.data(); p != end; ++p) {
    if (*p == '.') {
      out.append(decimalSeparator);
    } else if (*p == 'e') {
      out.push_back('E');
    } else {
      out.push_back(*p);
    }
  }
  return out;
}

}  // namespace velmora::detail
