// Statement-by-statement error handling: the property classes never raise to
// their callers, and a failing step of a longer operation is skipped so that
// the next one still runs.
#pragma once

#include <exception>

namespace velmora::properties {

// Runs `step`; returns false (and swallows the error) when it raised.
template <class Step>
bool ignoringFailures(Step&& step) noexcept {
  try {
    step();
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace velmora::properties
