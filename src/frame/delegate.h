// The delegate component: a separate component of the suite, registered
// under the ProgID "Tarnlink.SQLConnect", that may take over message display
// and logging. The library offers those jobs to it first, calling it by
// name, and does them itself when it is absent or declines.
#pragma once

#include <commonvelmora/object.h>
#include <commonvelmora/variant.h>

#include <optional>
#include <string_view>

namespace velmora::frame {

// Creates the thread's delegate component if it has none yet. A failed
// creation leaves the thread without one, so the next call tries again;
// once created it is kept for the thread's life. Never fails.
void EnsureDelegate() noexcept;

// Calls member `name` of the thread's delegate component with `args` by
// reference. Returns its answer, or nothing when the call failed (no
// component, no such member, an error raised inside it): the caller then
// counts the job as not handled and does it itself. Never fails.
std::optional<Variant> callDelegate(std::string_view name, CallKind kind, Args args) noexcept;

// Whether the component's answer to StoreMessageToLog / StoreErrorToLog
// means "stored": True or Null. True is the boolean, or a number equal to
// the runtime's True (-1); texts and other values mean "not stored".
bool storedByDelegate(const std::optional<Variant>& answer) noexcept;

}  // namespace velmora::frame
