// Translation of the C library's date and time formats (strftime's %d, %m,
// %Y, %H, ...) into the runtime's pattern letters (dd, MM, yyyy, HH, ...).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// The runtime pattern equivalent to `format`, or nothing when `format` uses a
// conversion the runtime letters cannot express (month and weekday names,
// day of year, time zones, ...). Glibc's flags ("%-d" unpadded, "%_d",
// "%0d", "%Ey", "%Od") are understood. Literal letters are quoted so they are
// not taken for pattern letters.
std::optional<std::string> runtimePatternFromStrftime(std::string_view format);

}  // namespace velmora
