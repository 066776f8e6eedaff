// Shared by the conversion tests: pinned regional settings, a way to see
// which automation error a conversion raises, and tables of cases.
#pragma once

#include <commonvelmora/convert.h>
#include <commonvelmora/error.h>
#include <gtest/gtest.h>

#include "support/error_of.h"

#include <vector>

namespace velmora::testing {

using velmora::test_support::errorOf;

// One conversion: `in` gives `out`, or raises error n when `out` is raises(n).
struct Case {
  Variant in;
  Variant out;
};
inline Variant raises(std::int32_t number) { return Variant(ErrorCode{number}); }

// Each case through `convert`, its result compared as a Variant of the kind
// `convert` returns (so 2 as Int32 is not 2 as Int16).
template <class Convert>
void expectCases(Convert convert, const std::vector<Case>& cases) {
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    if (const ErrorCode* e = c.out.getIf<ErrorCode>()) {
      EXPECT_EQ(errorOf([&] { (void)convert(c.in); }), e->scode) << "case " << i;
    } else {
      EXPECT_TRUE(Variant(convert(c.in)) == c.out) << "case " << i;
    }
  }
}

inline Date at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
  return dateFromParts(y, mo, d, h, mi, s);
}

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
