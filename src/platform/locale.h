// The user's regional formats and the local clock, as the operating system
// keeps them.
#pragma once

#include <commonvelmora/convert.h>

namespace velmora {

// The short date, long time, AM/PM designators, month and weekday names,
// decimal and thousands separators and currency symbol of the user's locale
// (LC_TIME, LC_NUMERIC and LC_MONETARY, as LC_ALL / LC_* / LANG select them).
// A "C" or "POSIX" locale, or one that is not installed, gives the US English
// defaults of RegionalSettings (M/d/yyyy, h:mm:ss tt). A date or time format
// that cannot be expressed in the runtime's letters (one naming months or
// weekdays, for instance) falls back to that default for that format alone.
RegionalSettings readUserRegionalSettings();

// The current local date and time to the second (the runtime's Now).
Date currentLocalDate();

}  // namespace velmora
