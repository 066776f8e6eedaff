// Reading and printing numbers as the automation runtime does, shared by the
// conversions that go through text (CDbl, CInt, CStr, IsNumeric, ...).
#pragma once

#include <commonvelmora/convert.h>

#include <string>
#include <string_view>

namespace velmora::detail {

enum class NumberParse {
  kOk,
  kNotANumber,  // the text is no number: type mismatch for the conversions
  kOverflow,    // a number, but beyond what a double or the "&h" width holds
};

// Reads `text` as a number under `settings`; the rules are written out in
// the header of convert.h.
NumberParse parseNumberText(std::string_view text, const RegionalSettings& settings, double& out);

// The runtime's print form of a double with `digits` significant digits
// (15 for Double, 7 for Single), using `decimalSeparator`.
std::string formatSignificant(double d, int digits, std::string_view decimalSeparator);

}  // namespace velmora::detail
