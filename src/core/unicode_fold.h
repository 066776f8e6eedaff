// Case folding for keys and names that compare "without regard to letter
// case": full Unicode folding (Cyrillic, Greek, ... included), with an
// allocation-free fast path for ASCII. Invalid UTF-8 is folded byte by byte
// for its ASCII letters and otherwise kept as it is, so no key is rejected.
#pragma once

#include <string>
#include <string_view>

namespace velmora {

std::string foldCase(std::string_view text);
bool equalsNoCase(std::string_view a, std::string_view b);

}  // namespace velmora
