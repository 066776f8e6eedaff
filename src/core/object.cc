#include <commonvelmora/error.h>
#include <commonvelmora/object.h>

#include <vector>

namespace velmora {

Enumerator::~Enumerator() = default;
Object::~Object() = default;

std::unique_ptr<Enumerator> Object::newEnum() { throw AutomationError(err::kNoSuchMember); }

std::string_view Object::progId() const { return {}; }

MemberId Object::memberId(std::string_view) const { return kNoMemberId; }

Variant Object::invokeMember(MemberId, std::string_view name, CallKind kind, Args args) {
  return invoke(name, kind, args);
}

// An object that is not persistable raises when a bag asks it to save or load.
void Object::writeProperties(PropertyBag&) {
  throw AutomationError(
      330, "Illegal Parameter. Can't write object because it does not support persistence.");
}
void Object::readProperties(PropertyBag&) {
  throw AutomationError(
      330, "Illegal Parameter. Can't read object because it does not support persistence.");
}

Variant Object::get(std::string_view name, std::initializer_list<Variant> args) {
  std::vector<Variant> a(args);
  return invoke(name, CallKind::Get, a);
}

void Object::let(std::string_view name, Variant value) {
  invoke(name, CallKind::Let, Args(&value, 1));
}

void Object::set(std::string_view name, ObjectRef value) {
  Variant v(std::move(value));
  invoke(name, CallKind::Set, Args(&v, 1));
}

Variant Object::call(std::string_view name, std::initializer_list<Variant> args) {
  std::vector<Variant> a(args);
  return invoke(name, CallKind::Method, a);
}

}  // namespace velmora
