// The three error disciplines of the Work members, as named helpers, so that
// reading a member tells at a glance what happens when its routine fails:
//
//   passErrors(routine)            the routine's error ends the member and
//                                  reaches the caller unchanged;
//   ignoreErrors(statement)        a failing statement is skipped and the
//                                  member goes on with the next one; a member
//                                  built from these never fails;
//   trapErrors(neutral, body)      on an error the member returns its neutral
//   trapAndLogErrors(...)          result ("" or false), the second after
//                                  writing an error entry to the log.
#pragma once

#include <commonvelmora/error.h>

#include "core/ignore_errors.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace velmora::frame {

// Number and description of the error being handled, for a catch block:
// an AutomationError as it stands; out of memory as 7; anything else as 5,
// the runtime's "Invalid procedure call or argument".
struct CaughtError {
  std::int32_t number;
  std::string description;
};
CaughtError currentError() noexcept;

// Writes the handler's error entry of a late-bound call that failed:
// prefix, the member name, "].", a line break and the error's description,
// with the error's number, through the library's own error writer.
void logCallFailure(std::string_view prefix, std::string_view name,
                    const CaughtError& error) noexcept;

template <class Routine>
decltype(auto) passErrors(Routine&& routine) {
  return std::forward<Routine>(routine)();
}

using velmora::ignoreErrors;  // shared with the classes that never fail

template <class Result, class Body>
Result trapErrors(Result neutral, Body&& body) noexcept {
  try {
    return std::forward<Body>(body)();
  } catch (...) {
    return neutral;
  }
}

template <class Result, class Body>
Result trapAndLogErrors(Result neutral, std::string_view prefix, std::string_view name,
                        Body&& body) noexcept {
  try {
    return std::forward<Body>(body)();
  } catch (...) {
    logCallFailure(prefix, name, currentError());
    return neutral;
  }
}

}  // namespace velmora::frame
