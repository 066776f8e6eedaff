// Statement-by-statement error handling: run one step, and if it raises,
// swallow the error so the next step still runs. Members and classes that
// must never fail (the logging members of Work, the property classes) are
// written as a sequence of such steps.
#pragma once

#include <utility>

namespace velmora {

// Runs `statement`; true when it ran without an error.
template <class Statement>
bool ignoreErrors(Statement&& statement) noexcept {
  try {
    std::forward<Statement>(statement)();
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace velmora
