// The Work members that forward to the registry store and the logging module
// or answer by themselves, and the members of the class as an Object. The
// delegate-first members are in work_delegated.cc, those whose subsystem is
// still to come in work_pending.cc, the by-name table in work_members.cc.
#include <commonvelmora/class_registry.h>
#include <commonvelmora/identifiers.h>
#include <commonvelmora/work.h>

#include "frame/app_descriptions.h"
#include "frame/disciplines.h"
#include "frame/thread_state.h"
#include "logging/log_options.h"
#include "logging/log_state.h"
#include "registry/edit_regestry.h"

namespace velmora {

using frame::ignoreErrors;
using frame::passErrors;
using frame::trapErrors;

// Creating a Work neither reads nor resets the thread's state: the block
// comes into being with the thread's first member call.
Work::Work() { initializeLibrary(); }

std::string Work::typeName() const { return "Work"; }

Variant Work::ReadRegistryValue(std::string RegKey, std::string ValueName, std::int32_t& ErrorCode,
                                Variant DefaultValue) {
  return passErrors(
      [&] { return registry::ReadRegistryValue(RegKey, ValueName, ErrorCode, DefaultValue); });
}

Variant Work::ReadAllValue(std::string RegKey) {
  return passErrors([&] { return registry::ReadAllValue(RegKey); });
}

std::int32_t Work::SetRegistryValue(std::string RegKey, std::string ValueName, Variant Value) {
  return passErrors([&] { return registry::SetRegistryValue(RegKey, ValueName, Value); });
}

std::int32_t Work::DeleteRegistryValue(std::string RegKey, std::string ValueName) {
  return passErrors([&] { return registry::DeleteRegistryValue(RegKey, ValueName); });
}

std::int32_t Work::DeleteRegistryKey(std::string RegKey) {
  return passErrors([&] { return registry::DeleteRegistryKey(RegKey); });
}

std::int32_t Work::SetAllValue(std::string RegKey, Variant& ArrayValue) {
  return passErrors([&] { return registry::SetAllValue(RegKey, ArrayValue); });
}

// The library never prepends this root itself; callers build their key
// paths from it.
std::string Work::RegestryString() {
  return passErrors([] { return std::string(registry::kSuiteRoot); });
}

// Stored without any test; the delegate component is not told.
void Work::MaxLogFile(std::int32_t NewValue) {
  passErrors([&] { logging::logState().maxLogFile = NewValue; });
}

std::string Work::GetStringDescription(std::string St_Descr, Variant Arguments) {
  return passErrors([&] { return logging::GetStringDescription(St_Descr, Arguments); });
}

// AppNumber is only stored and returned; nothing in the library reads it.
App_Key Work::AppNumber() {
  return passErrors([] { return static_cast<App_Key>(frame::threadState().appNumber); });
}

void Work::AppNumber(App_Key NewValue) {
  passErrors([&] { frame::threadState().appNumber = NewValue; });
}

std::string Work::AppDescription(App_Key App_Number) {
  return trapErrors(std::string(),
                    [&] { return frame::appDescription(App_Number, frame::userTableLanguage()); });
}

ObjectRef Work::GetKZProperties() {
  ObjectRef result;
  ignoreErrors([&] { result = createObject(ids::kKZPropertiesProgId); });
  return result;
}

ObjectRef Work::GetKZProperty() {
  ObjectRef result;
  ignoreErrors([&] { result = createObject(ids::kKZPropertyProgId); });
  return result;
}

Variant CommonInfo::invoke(std::string_view, CallKind, Args) {
  throw AutomationError(err::kNoSuchMember);
}

std::string CommonInfo::typeName() const { return "CommonInfo"; }

}  // namespace velmora
