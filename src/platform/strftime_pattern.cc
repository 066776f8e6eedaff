#include "platform/strftime_pattern.h"

namespace velmora {
namespace {

bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Appends literal text, quoting letters that would otherwise be read as
// pattern letters. Apostrophes cannot be quoted in the runtime's patterns and
// are dropped.
void appendLiteral(std::string& out, char c) {
  if (c == '\'') return;
  if (isAsciiLetter(c)) {
    out.push_back('\'');
    out.push_back(c);
    out.push_back('\'');
  } else {
    out.push_back(c);
  }
}

// The runtime letters for one conversion; `unpadded` after a "-" flag.
std::optional<std::string> conversion(char c, bool unpadded) {
  switch (c) {
    case 'd':
      return unpadded ? "d" : "dd";
    case 'e':
      return "d";  // space-padded day: the runtime has no such pad
    case 'm':
      return unpadded ? "M" : "MM";
    case 'Y':
      return "yyyy";
    case 'y':
      return "yy";
    case 'D':
      return "MM/dd/yy";
    case 'F':
      return "yyyy-MM-dd";
    case 'H':
      return unpadded ? "H" : "HH";
    case 'k':
      return "H";
    case 'I':
      return unpadded ? "h" : "hh";
    case 'l':
      return "h";
    case 'M':
      return unpadded ? "m" : "mm";
    case 'S':
      return unpadded ? "s" : "ss";
    case 'p':
    case 'P':
      return "tt";
    case 'T':
      return "HH:mm:ss";
    case 'R':
      return "HH:mm";
    case 'r':
      return "hh:mm:ss tt";
    case 'n':
      return " ";
    case 't':
      return " ";
    case '%':
      return "%";
    default:
      return std::nullopt;
  }
}

}  // namespace

std::optional<std::string> runtimePatternFromStrftime(std::string_view format) {
  std::string out;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%') {
      appendLiteral(out, format[i]);
      continue;
    }
    bool unpadded = false;
    ++i;
    while (i < format.size() && (format[i] == '-' || format[i] == '_' || format[i] == '0' ||
                                 format[i] == '^' || format[i] == '#')) {
      unpadded = unpadded || format[i] == '-';
      ++i;
    }
    if (i < format.size() && (format[i] == 'E' || format[i] == 'O')) ++i;
    if (i >= format.size()) return std::nullopt;
    std::optional<std::string> letters = conversion(format[i], unpadded);
    if (!letters) return std::nullopt;
    out.append(*letters);
  }
  return out;
}

}  // namespace velmora
