// Shared by the conversion tests: pinned regional settings and a way to see
// which automation error a conversion raises.
#pragma once

#include <commonvelmora/convert.h>
#include <commonvelmora/error.h>
#include <gtest/gtest.h>

#include <functional>

namespace velmora::testing {

inline RegionalSettings usEnglish() { return RegionalSettings{}; }

inline RegionalSettings german() {
  return RegionalSettings{.decimalSeparator = ",",
                          .shortDate = "dd.MM.yyyy",
                          .longTime = "HH:mm:ss",
                          .am = "",
                          .pm = ""};
}

// The error number `f` raises, or 0 when it returns normally.
inline int errorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const AutomationError& e) {
    return e.number();
  }
  return 0;
}

// Each test starts with US English settings and leaves them so.
class RegionalTest : public ::testing::Test {
 protected:
  void SetUp() override { setRegionalSettings(usEnglish()); }
  void TearDown() override { setRegionalSettings(usEnglish()); }
};

}  // namespace velmora::testing
