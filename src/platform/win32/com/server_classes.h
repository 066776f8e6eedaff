// The creatable classes of the server: ProgID, class identifier, and how an
// instance for a client is made.
#pragma once

#include <unknwn.h>

#include <span>
#include <string_view>

namespace velmora::com {

struct ServerClass {
  std::string_view progId;
  std::string_view classId;  // "{...}"
  // A new instance with one reference; raises AutomationError on failure.
  IUnknown* (*create)();
};

std::span<const ServerClass> serverClasses();

}  // namespace velmora::com
