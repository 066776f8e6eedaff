// Display formats of the reference grid's cells: a small, predictable subset
// of what grid controls offer, enough for a copy with and without formats to
// differ the way users see it on screen.
#include <commonvelmora/convert.h>
#include <commonvelmora/reference_grid.h>

#include <cmath>
#include <cstdio>
#include <string>

namespace velmora {
namespace {

struct NumberPattern {
  int minDecimals = 0;  // "0" after the point
  int maxDecimals = 0;  // "0" and "#" after the point
  bool grouped = false;
  bool percent = false;
};

// "#,##0.00%" and its simpler forms; false for any other text.
bool readNumberPattern(std::string_view format, NumberPattern& out) {
  std::size_t i = 0;
  bool digits = false;
  for (; i < format.size() && (format[i] == '#' || format[i] == '0' || format[i] == ','); ++i) {
    if (format[i] == ',') out.grouped = true;
    if (format[i] == '0') digits = true;
  }
  if (i < format.size() && format[i] == '.') {
    for (++i; i < format.size() && (format[i] == '0' || format[i] == '#'); ++i) {
      if (format[i] == '0') {
        if (out.minDecimals != out.maxDecimals) return false;  // "0#0"
        ++out.minDecimals;
      }
      ++out.maxDecimals;
    }
  }
  if (i < format.size() && format[i] == '%') {
    out.percent = true;
    ++i;
  }
  return digits && i == format.size();
}

std::string formatNumber(double value, const NumberPattern& pattern) {
  if (pattern.percent) value *= 100;
  char buffer[400];
  std::snprintf(buffer, sizeof buffer, "%.*f", pattern.maxDecimals, value);
  std::string plain(buffer);
  std::string whole = plain, fraction;
  if (const auto dot = plain.find('.'); dot != std::string::npos) {
    whole = plain.substr(0, dot);
    fraction = plain.substr(dot + 1);
  }
  while (static_cast<int>(fraction.size()) > pattern.minDecimals && fraction.back() == '0') {
    fraction.pop_back();
  }
  const RegionalSettings& regional = regionalSettings();
  std::string text;
  const bool negative = !whole.empty() && whole[0] == '-';
  if (negative) whole.erase(0, 1);
  if (negative && (whole != "0" || fraction.find_first_not_of('0') != std::string::npos)) {
    text.push_back('-');
  }
  for (std::size_t k = 0; k < whole.size(); ++k) {
    if (pattern.grouped && k > 0 && (whole.size() - k) % 3 == 0) {
      text.append(regional.thousandsSeparator);
    }
    text.push_back(whole[k]);
  }
  if (!fraction.empty()) text.append(regional.decimalSeparator).append(fraction);
  if (pattern.percent) text.push_back('%');
  return text;
}

bool isDatePattern(std::string_view format) {
  return format.find_first_of("dmyhnsDMYHNS") != std::string_view::npos;
}

}  // namespace

std::string formatCell(const Variant& value, std::string_view format) {
  try {
    if (const Date* d = value.getIf<Date>()) {
      if (isDatePattern(format)) return formatDate(*d, format);
    } else if (NumberPattern pattern; value.getIf<bool>() == nullptr && isNumeric(value) &&
                                      readNumberPattern(format, pattern)) {
      return formatNumber(toDouble(value), pattern);
    }
    return toText(value);
  } catch (...) {
    // A value without a text (an array, an object) shows as nothing.
    return std::string();
  }
}

}  // namespace velmora
