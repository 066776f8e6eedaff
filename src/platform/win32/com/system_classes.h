// Classes that clients register with the system rather than with the
// library (the delegate component is one): the library's ClassRegistry
// creates them through the system by ProgID.
#pragma once

#include <string_view>

namespace velmora::com {

// Unless the library's registry already has `progId`, adds a factory that
// creates the system's class of that name and hands out its IDispatch as
// an Object; the factory gives nothing when the system has no such class.
void createThroughSystem(std::string_view progId);

}  // namespace velmora::com
