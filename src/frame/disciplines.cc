#include "frame/disciplines.h"

#include <exception>
#include <new>

#include "logging/log_options.h"

namespace velmora::frame {

CaughtError currentError() noexcept {
  CaughtError caught{err::kInvalidCall, {}};
  // Copying a description allocates, and this runs while an error (out of
  // memory, perhaps) is being handled: a copy that fails leaves it "".
  try {
    throw;
  } catch (const AutomationError& e) {
    caught.number = e.number();
    ignoreErrors([&] { caught.description = e.description(); });
    return caught;
  } catch (const std::bad_alloc&) {
    caught.number = err::kOutOfMemory;
  } catch (...) {
  }
  ignoreErrors([&] { caught.description = AutomationError::standardDescription(caught.number); });
  return caught;
}

void logCallFailure(std::string_view prefix, std::string_view name,
                    const CaughtError& error) noexcept {
  try {
    std::string text;
    text.append(prefix).append(name).append("].\r\n").append(error.description);
    logging::StoreErrorToLog(error.number, text);
  } catch (...) {
    // Nothing is left to report a failing log write to.
  }
}

}  // namespace velmora::frame
