// Script clients pass every variable by reference as a variant reference;
// Wine's DispInvoke accepts only a reference of the parameter's own type
// for a typed by-reference parameter. These arguments are turned into
// that type in the caller's variant (as a call through the function table
// would convert them) and passed as a typed reference to it, so the
// member's write-back still reaches the caller's variable.
#pragma once

#include <oaidl.h>

#include <vector>

namespace velmora::com {

// Returns the arguments to pass instead of `params->rgvarg`; `params` is
// left as it was. Arguments that need nothing are copied unchanged.
std::vector<VARIANTARG> typedByRefArguments(ITypeInfo* info, DISPID id, WORD flags,
                                            const DISPPARAMS& params);

}  // namespace velmora::com
