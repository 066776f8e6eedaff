#include "core/caught_error.h"

#include <commonvelmora/error.h>

#include <exception>
#include <new>

#include "core/ignore_errors.h"

namespace velmora {

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

}  // namespace velmora
