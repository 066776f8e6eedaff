// Script clients pass every variable by reference as a variant reference;
// Wine's DispInvoke accepts only a reference of the parameter's own type
// for a typed by-reference parameter. These arguments are turned into
// that type in the caller's variant (as a call through the function table
// would convert them) and passed as a typed reference to it, so the
// member's write-back still reaches the caller's variable. A value passed
// by value (a script's expression, a JScript variable) is the caller's,
// which the member must not replace or release: the member gets a
// reference to a copy instead, and the copy goes with the call.
#pragma once

#include <oaidl.h>

#include <vector>

namespace velmora::com {

// The arguments to pass instead of `params->rgvarg` (`params` is left as
// it was; arguments that need nothing are copied unchanged), and the copies
// they refer to, cleared with this object.
class TypedArguments {
 public:
  TypedArguments(ITypeInfo* info, DISPID id, WORD flags, const DISPPARAMS& params);
  TypedArguments(const TypedArguments&) = delete;
  TypedArguments& operator=(const TypedArguments&) = delete;
  ~TypedArguments();

  VARIANTARG* data() { return args_.data(); }

 private:
  VARIANT& copyOf(const VARIANTARG& value);

  std::vector<VARIANTARG> args_;
  std::vector<VARIANT> copies_;  // reserved for every argument: never moves
};

}  // namespace velmora::com
