#include "registry/stored_form.h"

#include <commonvelmora/convert.h>
#include <commonvelmora/error.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

namespace velmora::registry {
namespace {

// Truncates toward zero into the 32-bit range the hexadecimal form holds.
std::int32_t truncated(double d) {
  const double t = std::trunc(d);
  if (std::isnan(t) || t < std::numeric_limits<std::int32_t>::min() ||
      t > std::numeric_limits<std::int32_t>::max()) {
    throw AutomationError(err::kOverflow);
  }
  return static_cast<std::int32_t>(t);
}

std::int32_t truncatedCurrency(Currency c) {
  const std::int64_t whole = c.scaled / 10000;  // integer division truncates toward zero
  if (whole < std::numeric_limits<std::int32_t>::min() ||
      whole > std::numeric_limits<std::int32_t>::max()) {
    throw AutomationError(err::kOverflow);
  }
  return static_cast<std::int32_t>(whole);
}

// The digits of a non-floating value, as the runtime's hexadecimal text
// gives them; floating and scaled kinds are first truncated (the runtime
// itself would round them).
std::string hexDigitsOf(const Variant& value) {
  if (const double* d = value.getIf<double>()) return hexText(Variant(truncated(*d)));
  if (const float* f = value.getIf<float>()) return hexText(Variant(truncated(*f)));
  if (const Date* date = value.getIf<Date>()) return hexText(Variant(truncated(date->serial)));
  if (const Currency* c = value.getIf<Currency>()) return hexText(Variant(truncatedCurrency(*c)));
  if (value.isArray() || value.isObject() || value.getIf<ErrorCode>() != nullptr) {
    throw AutomationError(err::kTypeMismatch);
  }
  return hexText(value);  // empty, 16/32-bit integers, byte, boolean
}

}  // namespace

std::string storedForm(const Variant& value) {
  if (const std::string* text = value.getIf<std::string>()) {
    return text->empty() ? std::string(1, '\0') : *text;
  }
  if (value.isNull()) return "&h";
  return "&h" + hexDigitsOf(value);
}

Variant readForm(std::string text) {
  if (!text.starts_with("&h")) return Variant(std::move(text));
  double number = toDouble(Variant(text));
  std::string_view digits = std::string_view(text).substr(2);
  while (!digits.empty() && (digits.back() == ' ' || digits.back() == '\t')) {
    digits.remove_suffix(1);
  }
  // The 16-bit reading made this negative; see the sign rule in the header.
  if (digits.size() <= 4 && number < -1) number += 65536;
  return Variant(number);
}

}  // namespace velmora::registry
