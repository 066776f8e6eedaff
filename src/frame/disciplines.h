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

#include "core/caught_error.h"
#include "core/ignore_errors.h"
#include "invoke/call_log.h"

#include <string_view>
#include <utility>

namespace velmora::frame {

// The error being handled (see core/caught_error.h) and the entry a late-bound
// call's failure leaves in the log (invoke/call_log.h).
using invoke::logCallFailure;
using velmora::currentError;

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
