#include "frame/delegate.h"

#include <commonvelmora/class_registry.h>
#include <commonvelmora/convert.h>
#include <commonvelmora/identifiers.h>

#include "frame/disciplines.h"
#include "frame/thread_state.h"

namespace velmora::frame {

void EnsureDelegate() noexcept {
  ignoreErrors([] {
    ThreadState& state = threadState();
    if (state.delegate) return;
    // Most installations have no component: asking first spares every log
    // entry the cost of a failed creation's exception.
    ClassRegistry& classes = ClassRegistry::instance();
    if (!classes.contains(ids::kDelegateProgId)) return;
    state.delegate = classes.create(ids::kDelegateProgId);
  });
}

std::optional<Variant> callDelegate(std::string_view name, CallKind kind, Args args) noexcept {
  std::optional<Variant> answer;
  ignoreErrors([&] {
    // Hold our own reference: the component may be replaced while it runs.
    ObjectRef component = threadState().delegate;
    if (!component) return;
    answer = component->invoke(name, kind, args);
  });
  return answer;
}

bool storedByDelegate(const std::optional<Variant>& answer) noexcept {
  if (!answer) return false;
  switch (answer->type()) {
    case VarType::Null:
      return true;
    case VarType::Bool:
      return answer->as<bool>();
    case VarType::Int16:
    case VarType::Int32:
    case VarType::Single:
    case VarType::Double:
    case VarType::Currency:
      return toDouble(*answer) == -1.0;
    default:
      return false;
  }
}

}  // namespace velmora::frame
