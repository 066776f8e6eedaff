// A client object with no members and no persisted form, for the tests of
// what the library does with an object it cannot use.
#pragma once

#include <commonvelmora/error.h>
#include <commonvelmora/object.h>

#include <string>

namespace velmora::test_support {

class PlainObject : public Object {
 public:
  Variant invoke(std::string_view, CallKind, Args) override {
    throw AutomationError(err::kNoSuchMember);
  }
  std::string typeName() const override { return "PlainObject"; }
};

}  // namespace velmora::test_support
