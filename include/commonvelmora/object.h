// The base of every automation object, the library's and the clients'.
//
// An object is reached by name at run time (late binding): one virtual entry
// point takes a member name, the kind of call and the arguments. Arguments are
// a span over the caller's own variants, so a callee that assigns to an
// argument writes through to the caller (by-reference semantics); callers that
// pass by value hand in copies. For a property assignment (`Let`/`Set`) the new
// value is the last argument, as in the automation runtime.
#pragma once

#include <commonvelmora/export.h>
#include <commonvelmora/variant.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace velmora {

class PropertyBag;

// The automation invocation flags. They combine: a script client that does not
// know whether a name is a method or a property calls with Method | Get.
enum class CallKind : std::uint16_t {
  Method = 1,
  Get = 2,
  Let = 4,
  Set = 8,
};
constexpr CallKind operator|(CallKind a, CallKind b) {
  return static_cast<CallKind>(static_cast<std::uint16_t>(a) | static_cast<std::uint16_t>(b));
}
constexpr bool hasKind(CallKind set, CallKind k) {
  return (static_cast<std::uint16_t>(set) & static_cast<std::uint16_t>(k)) != 0;
}

using Args = std::span<Variant>;

// A member resolved by name once, for calling it on many objects of one class
// (see Object::memberId). kNoMemberId stands for "call by name".
using MemberId = std::int32_t;
inline constexpr MemberId kNoMemberId = -1;

// For-each over a collection object.
class VELMORA_EXPORT Enumerator {
 public:
  virtual ~Enumerator();
  // Stores the next item in `out` and returns true, or returns false at the end.
  virtual bool next(Variant& out) = 0;
};

class VELMORA_EXPORT Object : public std::enable_shared_from_this<Object> {
 public:
  virtual ~Object();

  // Calls member `name` (letter case ignored). Raises AutomationError 438 when
  // the object has no such member of that kind, 450 for a wrong number of
  // arguments, or whatever the member itself raises.
  virtual Variant invoke(std::string_view name, CallKind kind, Args args) = 0;

  // Calls by member id: for a caller that calls the same few members of many
  // objects, such as a layout restore assigning four properties to each of
  // hundreds of columns, so that each name is looked up once per class
  // instead of once per call. Nothing requires a class to give ids: the
  // defaults give none and call invoke() by name, so every object keeps
  // working through these with no change.
  //
  // memberId() is the id of member `name` (letter case ignored), or
  // kNoMemberId when the class gives no ids or has no such member. An id
  // holds for every object whose dynamic type is that of the object that
  // gave it, and for no other: a caller checks the type (typeid) before it
  // reuses an id on another object.
  //
  // invokeMember() calls the member `id` stands for, with invoke()'s kinds,
  // arguments and errors. `name` is the name the id was resolved from;
  // kNoMemberId, and every class that gives no ids, calls invoke(name, ...).
  // A class derived from one that gives ids, if it overrides invoke(), must
  // override these two as well (returning kNoMemberId is enough).
  virtual MemberId memberId(std::string_view name) const;
  virtual Variant invokeMember(MemberId id, std::string_view name, CallKind kind, Args args);

  // The name the runtime's TypeName reports, e.g. "KZProperties".
  virtual std::string typeName() const = 0;

  // For-each support; the default raises 438.
  virtual std::unique_ptr<Enumerator> newEnum();

  // Persistence through a property bag. An object that returns a non-empty
  // ProgID registered in the ClassRegistry can be written into a bag as a
  // nested object and re-created from it; the default is "not persistable".
  // The ProgID is a view of storage that outlives the object (a constant of
  // its class), so that writing a tree does not build a string per object.
  virtual std::string_view progId() const;
  virtual void writeProperties(PropertyBag& bag);
  virtual void readProperties(PropertyBag& bag);

  // Conveniences over invoke() for C++ callers.
  Variant get(std::string_view name, std::initializer_list<Variant> args = {});
  void let(std::string_view name, Variant value);
  void set(std::string_view name, ObjectRef value);
  Variant call(std::string_view name, std::initializer_list<Variant> args = {});
};

// Argument helpers for member implementations.
// True when argument `i` was supplied (present and not missing).
inline bool supplied(Args args, std::size_t i) { return i < args.size() && !args[i].isMissing(); }

}  // namespace velmora
