// The two log entries of a late-bound call, each "<prefix><name>].", a line
// break and what went wrong. The routines write them with their own
// prefixes, the Work members with theirs; the name is written as given,
// whatever characters it holds. Neither raises: a log write that fails has
// nothing left to report to.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/caught_error.h"

namespace velmora::invoke {

// A trapped failure: the error's description, through the library's own
// error writer with the error's number.
void logCallFailure(std::string_view prefix, std::string_view name,
                    const CaughtError& error) noexcept;

// A list too long to pass: "Array Parameters Range = <upperBound> Out Of
// Execute Range.", through the library's own message writer.
void logRangeMessage(std::string_view prefix, std::string_view name,
                     std::int32_t upperBound) noexcept;

}  // namespace velmora::invoke
