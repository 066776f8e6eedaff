// Small helpers for reaching a grid by name, shared by the grid routines.
#pragma once

#include <commonvelmora/convert.h>
#include <commonvelmora/error.h>
#include <commonvelmora/object.h>

#include <string>
#include <string_view>
#include <vector>

namespace velmora::grid {

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

// The field `i`, or 9 when the record has too few.
inline std::string_view field(const std::vector<std::string_view>& fields, std::size_t i) {
  if (i >= fields.size()) throw AutomationError(err::kSubscriptOutOfRange);
  return fields[i];
}

// A numeric comparison by value, whatever kinds the grid returns.
inline bool sameNumber(const Variant& a, const Variant& b) { return toDouble(a) == toDouble(b); }

}  // namespace velmora::grid
