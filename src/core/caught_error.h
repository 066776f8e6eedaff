// The number and description of the error a catch block is handling, as the
// automation runtime would report it: whatever a member raised, an
// AutomationError or not, ends up as one numbered error in a log entry.
#pragma once

#include <cstdint>
#include <string>

namespace velmora {

struct CaughtError {
  std::int32_t number;
  std::string description;
};

// Call only inside a catch block. An AutomationError as it stands; out of
// memory as 7; anything else (a std::runtime_error from a client's object,
// say) as 5, the runtime's "Invalid procedure call or argument", since a
// C++ exception that is no automation error carries no number of its own.
CaughtError currentError() noexcept;

}  // namespace velmora
