// The automation error a piece of code raises, for assertions such as
// EXPECT_EQ(errorOf([&] { toInt16(Variant(40000)); }), err::kOverflow).
#pragma once

#include <commonvelmora/error.h>

#include <functional>
#include <string>

namespace velmora::test_support {

// The error number `f` raises, or 0 when it returns normally.
inline int errorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const AutomationError& e) {
    return e.number();
  }
  return 0;
}

// The description of the error `f` raises, or "" when it returns normally.
inline std::string errorDescriptionOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const AutomationError& e) {
    return e.description();
  }
  return "";
}

}  // namespace velmora::test_support
