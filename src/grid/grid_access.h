// Small helpers for reaching a grid by name, shared by the grid routines.
#pragma once

#include <commonvelmora/convert.h>
#include <commonvelmora/error.h>
#include <commonvelmora/object.h>

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <typeinfo>
#include <vector>

#include "core/ignore_errors.h"

namespace velmora::grid {

// Calls of a few members, named once, on many objects: by member id when
// the objects' class gives ids, by name otherwise. The ids are resolved from
// the first object and again whenever an object of another class comes, so
// a grid whose columns are of several classes still reaches each by its
// own ids. A class whose memberId() raises is called by name.
template <std::size_t N>
class MemberCalls {
 public:
  explicit MemberCalls(const std::array<std::string_view, N>& names) : names_(names) {
    ids_.fill(kNoMemberId);
  }

  // Makes `object` the one the calls below go to.
  void use(Object& object) {
    if (type_ == nullptr || typeid(object) != *type_) resolve(object);
    object_ = &object;
  }
  // REQUIRES: use() was called with an object that is still alive.
  Variant invoke(std::size_t member, CallKind kind, Args args) {
    return object_->invokeMember(ids_[member], names_[member], kind, args);
  }

 private:
  void resolve(const Object& object) {
    type_ = &typeid(object);
    for (std::size_t i = 0; i < N; ++i) {
      ids_[i] = kNoMemberId;
      ignoreErrors([&] { ids_[i] = object.memberId(names_[i]); });
    }
  }

  std::array<std::string_view, N> names_;
  std::array<MemberId, N> ids_;
  const std::type_info* type_ = nullptr;
  Object* object_ = nullptr;
};

// The object reference a member returned, in place: 13 when it is no
// object, 91 for Nothing. The variant must outlive its use.
inline const ObjectRef& heldObject(const Variant& v) {
  const ObjectRef* o = v.getIf<ObjectRef>();
  if (o == nullptr) throw AutomationError(err::kTypeMismatch);
  if (*o == nullptr) throw AutomationError(err::kObjectNotSet);
  return *o;
}

// The object a member returns, as a reference of its own.
inline ObjectRef objectOf(const Variant& v) { return heldObject(v); }

// `object` itself, or 91 for Nothing.
inline Object& live(const ObjectRef& object) {
  if (object == nullptr) throw AutomationError(err::kObjectNotSet);
  return *object;
}

// A property read with one argument, without the argument list the
// general Object::get builds.
inline Variant getWith(Object& object, std::string_view name, Variant arg) {
  return object.invoke(name, CallKind::Get, Args(&arg, 1));
}

// A stored field as a 16-bit integer, with the runtime's conversion. Plain
// decimal digits, the form every saved record has, are read directly; every
// other text goes through the full conversion, which gives the same number
// for plain digits and raises for what does not convert.
std::int16_t fieldToInt16(std::string_view text);

// Splits a stored record at "|" into its fields, numbered from 0.
void splitRecord(std::string_view record, std::vector<std::string_view>& fields);

// A numeric comparison by value, whatever kinds the grid returns.
inline bool sameNumber(const Variant& a, const Variant& b) { return toDouble(a) == toDouble(b); }

}  // namespace velmora::grid
