// The stored form of setting values and the form they are read back in.
//
// Every value is kept as a string value. Texts are kept as they are (the
// empty text as one zero byte, so that it still has data); anything else is
// "&h" and the upper-case hexadecimal digits of the value truncated toward
// zero: four digits for negative 16-bit values and booleans (True is
// "&hFFFF"), eight for negative 32-bit ones, no leading zeros; a date is its
// serial day number, the empty variant "&h0", null "&h" alone.
//
// Reading gives the text back, except that data beginning exactly with "&h"
// (lower-case h) is read as the number its digits denote, as a double.
#pragma once

#include <commonvelmora/variant.h>

#include <string>
#include <string_view>

namespace velmora::registry {

// The data stored for `value`. Arrays, objects and error values raise Type
// mismatch (13), numbers beyond the 32-bit range (or not a number) Overflow (6).
std::string storedForm(const Variant& value);

// The value that stored data `text` reads back as: a double for an "&h"
// text, otherwise the text itself. An "&h" text with no number after it
// raises Type mismatch (13).
//
// Sign rule of four-digit forms. The writer gives four digits both to the
// negative 16-bit values (-32768..-1, True) and to the positive 32-bit values
// 32768..65535, so "&h9C40" may have been -25536 or 40000. We read four-digit
// forms as positive numbers, except "&hFFFF", which reads as -1:
//   - True and -1 read back as themselves (the common boolean case);
//   - every positive number up to 65534 reads back as itself: window
//     positions and sizes in twips on large or second screens, and dates of
//     our era (serial numbers 32768..65535 are the years 1989 to 2079);
//   - negative 32-bit numbers have eight digits and read back as themselves,
//     so a window left of the screen comes back where it was.
// What does not read back: the 16-bit values -32768..-2 (read as
// 32768..65534) and the number 65535 (read as -1). Settings written from
// 16-bit variables that hold negative numbers are rare; the cases above are
// the everyday ones. Five digits or more follow the 32-bit reading
// ("&hFFFFFFFF" is -1, "&h10000" is 65536).
Variant readForm(std::string text);

}  // namespace velmora::registry
