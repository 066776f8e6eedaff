// The Work members of the late-bound calls. The routines trap and log their
// own failures; the members' trap, with their own prefixes, catches what
// could still escape, so a client only ever sees true or false.
#include <commonvelmora/work.h>

#include <utility>

#include "frame/disciplines.h"
#include "invoke/extended_procedures.h"

namespace velmora {

using frame::trapAndLogErrors;

bool Work::ExecProperty(ObjectRef& vObject, std::string_view PropName, Variant PropValue,
                        SafeArray& ParList) {
  return trapAndLogErrors(false, "Error Call Execute Property [", PropName, [&] {
    return invoke::ExecProperty(vObject, PropName, std::move(PropValue), ParList);
  });
}

bool Work::ReturnProperty(ObjectRef& vObject, std::string_view PropName, Variant& PropValue,
                          SafeArray& ParList) {
  return trapAndLogErrors(false, "Error Call Return Property [", PropName, [&] {
    return invoke::ReturnProperty(vObject, PropName, PropValue, ParList);
  });
}

bool Work::ReturnPropertyObj(ObjectRef& vObject, std::string_view PropName, ObjectRef& PropValue,
                             SafeArray& ParList) {
  return trapAndLogErrors(false, "Error Call Return Object Property [", PropName, [&] {
    return invoke::ReturnPropertyObj(vObject, PropName, PropValue, ParList);
  });
}

bool Work::ExecMetod(ObjectRef& vObject, std::string_view MetodName, SafeArray& ParList) {
  return trapAndLogErrors(false, "Error Call Execute Method [", MetodName,
                          [&] { return invoke::ExecMetod(vObject, MetodName, ParList); });
}

bool Work::ExecMetodLet(ObjectRef& vObject, std::string_view MetodName, Variant& RetValue,
                        SafeArray& ParList) {
  return trapAndLogErrors(false, "Error Call ExecuteLet Method [", MetodName, [&] {
    return invoke::ExecMetodLet(vObject, MetodName, RetValue, ParList);
  });
}

bool Work::ExecMetodSet(ObjectRef& vObject, std::string_view MetodName, ObjectRef& RetValue,
                        SafeArray& ParList) {
  return trapAndLogErrors(false, "Error Call ExecuteSet Method [", MetodName, [&] {
    return invoke::ExecMetodSet(vObject, MetodName, RetValue, ParList);
  });
}

}  // namespace velmora
