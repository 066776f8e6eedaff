// The six late-bound routines: one pattern (check the list, pass its
// elements as the caller's own variants, do something with the result, log
// whatever fails) with the kind of call and the wording of each.
#include <commonvelmora/convert.h>
#include <commonvelmora/error.h>

#include <array>
#include <cstddef>
#include <utility>

#include "core/caught_error.h"
#include "invoke/call_log.h"
#include "invoke/extended_procedures.h"

namespace velmora::invoke {
namespace {

struct Wording {
  std::string_view range;    // a list too long to pass
  std::string_view failure;  // a trapped failure
};

constexpr Wording kReturnProperty{"Error Return Property. Property Name [",
                                  "Error Return Property. Property Name ["};
constexpr Wording kReturnPropertyObj{"Error Return Object Property. Property Name [",
                                     "Error Return Object Property. Property Name ["};
constexpr Wording kExecMetod{"Error Execute Metod. Metod Name [",
                             "Error Execute Metod. Metod Name ["};
constexpr Wording kExecMetodLet{"Error Execute Metod Let. Metod Name [",
                                "Error Execute Metod Let. Metod Name ["};
constexpr Wording kExecMetodSet{"Error Execute Metod Set. Metod Name [",
                                "Error Execute Metod Set. Metod Name ["};
// Assignment names its kind when the list is too long, not when it fails.
constexpr Wording kExecPropertyLet{"Error Execute Property (Let). Property Name [",
                                   "Error Execute Property. Property Name ["};
constexpr Wording kExecPropertySet{"Error Execute Property (Set). Property Name [",
                                   "Error Execute Property. Property Name ["};

// The upper bound of the list's first dimension, or -1 when it holds no
// arguments.
std::int32_t upperBoundOf(const SafeArray& list) noexcept {
  return CheckArray(list) ? list.bounds().front().ubound() : -1;
}

// Elements 0 .. upperBound of the list, in place: the callee reads and
// writes the caller's own variants. Element 0 must exist in the one
// dimension (9 otherwise), and a byte array holds no variants to pass (13).
Args elementsUpTo(SafeArray& list, std::int32_t upperBound) {
  if (upperBound < 0) return {};
  const std::int32_t lbound = list.bounds().front().lbound;
  if (list.dims() != 1 || lbound > 0) throw AutomationError(err::kSubscriptOutOfRange);
  if (list.elementType() != VarType::Variant) throw AutomationError(err::kTypeMismatch);
  const auto first = static_cast<std::size_t>(-static_cast<std::int64_t>(lbound));
  return Args(list.variants().data() + first, static_cast<std::size_t>(upperBound) + 1);
}

Object& target(const ObjectRef& object) {
  if (object == nullptr) throw AutomationError(err::kObjectNotSet);
  return *object;
}

// The common steps of the routines other than ExecProperty; `use` takes
// the call's result.
template <class Use>
bool callByName(const ObjectRef& object, std::string_view name, CallKind kind, SafeArray& list,
                const Wording& wording, Use&& use) noexcept {
  try {
    const std::int32_t upperBound = upperBoundOf(list);
    if (upperBound > kMaxListUpperBound) {
      logRangeMessage(wording.range, name, upperBound);
      return true;
    }
    const Args args = elementsUpTo(list, upperBound);
    std::forward<Use>(use)(target(object).invoke(name, kind, args));
    return true;
  } catch (...) {
    logCallFailure(wording.failure, name, currentError());
    return false;
  }
}

// The list's elements lent to an assignment that needs one more argument
// after them: moved into a buffer with the value last, and moved back when
// the call is over, whatever its outcome, so the callee's writes reach the
// caller's array as they do for the other calls.
class LentElements {
 public:
  LentElements(Args elements, Variant value) noexcept : elements_(elements) {
    for (std::size_t i = 0; i < elements_.size(); ++i) passed_[i] = std::move(elements_[i]);
    passed_[elements_.size()] = std::move(value);
  }
  LentElements(const LentElements&) = delete;
  LentElements& operator=(const LentElements&) = delete;
  ~LentElements() {
    for (std::size_t i = 0; i < elements_.size(); ++i) elements_[i] = std::move(passed_[i]);
  }
  Args args() noexcept { return Args(passed_.data(), elements_.size() + 1); }

 private:
  Args elements_;
  std::array<Variant, kMaxListUpperBound + 2> passed_;
};

}  // namespace

bool ExecProperty(const ObjectRef& object, std::string_view propName, Variant propValue,
                  SafeArray& parList) noexcept {
  // An object reference, Nothing included, is assigned by reference.
  const bool byReference = propValue.isObject();
  const Wording& wording = byReference ? kExecPropertySet : kExecPropertyLet;
  try {
    const std::int32_t upperBound = upperBoundOf(parList);
    if (upperBound > kMaxListUpperBound) {
      logRangeMessage(wording.range, propName, upperBound);
      return true;
    }
    LentElements lent(elementsUpTo(parList, upperBound), std::move(propValue));
    target(object).invoke(propName, byReference ? CallKind::Set : CallKind::Let, lent.args());
    return true;
  } catch (...) {
    logCallFailure(wording.failure, propName, currentError());
    return false;
  }
}

bool ReturnProperty(const ObjectRef& object, std::string_view propName, Variant& propValue,
                    SafeArray& parList) noexcept {
  return callByName(object, propName, CallKind::Get, parList, kReturnProperty,
                    [&](Variant result) { propValue = std::move(result); });
}

bool ReturnPropertyObj(const ObjectRef& object, std::string_view propName, ObjectRef& propValue,
                       SafeArray& parList) noexcept {
  return callByName(object, propName, CallKind::Get, parList, kReturnPropertyObj,
                    [&](const Variant& result) { propValue = toObject(result); });
}

bool ExecMetod(const ObjectRef& object, std::string_view metodName, SafeArray& parList) noexcept {
  return callByName(object, metodName, CallKind::Method, parList, kExecMetod,
                    [](const Variant&) {});
}

bool ExecMetodLet(const ObjectRef& object, std::string_view metodName, Variant& retValue,
                  SafeArray& parList) noexcept {
  return callByName(object, metodName, CallKind::Method, parList, kExecMetodLet,
                    [&](Variant result) { retValue = std::move(result); });
}

bool ExecMetodSet(const ObjectRef& object, std::string_view metodName, ObjectRef& retValue,
                  SafeArray& parList) noexcept {
  return callByName(object, metodName, CallKind::Method, parList, kExecMetodSet,
                    [&](const Variant& result) { retValue = toObject(result); });
}

}  // namespace velmora::invoke
