// Reading dates typed by users: the rules are written out in the header of
// convert.h.
#pragma once

#include <commonvelmora/convert.h>

#include <string_view>

namespace velmora::detail {

// The serial of the date and time in `text` under `settings`; false when the
// text is no date. `thisYear` completes dates written without a year (asked
// only for those).
bool parseDateText(std::string_view text, const RegionalSettings& settings, int (*thisYear)(),
                   double& serial);

// This year on the local calendar.
int currentLocalYear();

}  // namespace velmora::detail
