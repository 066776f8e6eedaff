#include "frame/disciplines.h"

#include <exception>
#include <new>

#include "logging/log_options.h"

namespace velmora::frame {

CaughtError currentError() noexcept {
  try {
    throw;
  } catch (const AutomationError& e) {
    return {e.number(), e.description()};
  } catch (const std::bad_alloc&) {
    return {err::kOutOfMemory, AutomationError::standardDescription(err::kOutOfMemory)};
  } catch (...) {
    return {err::kInvalidCall, AutomationError::standardDescription(err::kInvalidCall)};
  }
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
