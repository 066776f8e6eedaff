// The Work object as the automation server hands it to clients: the _Work
// function table, and IDispatch over the type library on top of it.
#pragma once

#include <unknwn.h>

namespace velmora::com {

// A new Work object with one reference, which the caller owns.
IUnknown* newWorkServer();

}  // namespace velmora::com
