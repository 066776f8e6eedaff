// Shared by the conversion tests: pinned regional settings and a way to see
// which automation error a conversion raises.
#pragma once

#include <commonvelmora/convert.h>
#include <commonvelmora/error.h>
#include <gtest/gtest.h>

#include "support/error_of.h"

#include <functional>

namespace velmora::testing {

using velmora::test_support::errorOf;

inline RegionalSettings usEnglish() { return RegionalSettings{}; }

inline RegionalSettings german() {
  return RegionalSettings{.decimalSeparator = ",",
                          .shortDate = "dd.MM.yyyy",
                          .longTime = "HH:mm:ss",
                          .am = "",
                          .pm = "",
                          .thousandsSeparator = ".",
                          .currencySymbol = "\u20AC"};
}

// Each test starts with US English settings and leaves them so.
class RegionalTest : public ::testing::Test {
 protected:
  void SetUp() override { setRegionalSettings(usEnglish()); }
  void TearDown() override { setRegionalSettings(usEnglish()); }
};

}  // namespace velmora::testing
