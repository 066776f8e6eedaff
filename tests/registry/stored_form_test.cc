// The text each kind of value is stored as, and what a stored text reads as.
#include "registry/stored_form.h"

#include <commonvelmora/error.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "support/error_of.h"

namespace velmora::registry {
namespace {

using velmora::test_support::errorOf;

TEST(StoredFormTest, TextsAndNumbers) {
  EXPECT_EQ(storedForm(Variant("")), std::string(1, '\0'));
  EXPECT_EQ(storedForm(Variant(3.9)), "&h3");
  EXPECT_EQ(storedForm(Variant(-3.9)), "&hFFFFFFFD");  // toward zero, not rounded
  EXPECT_EQ(storedForm(Variant(std::int32_t{-1})), "&hFFFFFFFF");
  EXPECT_EQ(storedForm(Variant(std::int16_t{-1})), "&hFFFF");
  EXPECT_EQ(storedForm(Variant(true)), "&hFFFF");
  EXPECT_EQ(storedForm(Variant(false)), "&h0");
  EXPECT_EQ(storedForm(Variant(std::uint8_t{255})), "&hFF");
  EXPECT_EQ(storedForm(Variant(Currency{-19999})), "&hFFFFFFFF");  // -1.9999
  EXPECT_EQ(storedForm(Variant(Date{46000.75})), "&hB3B0");
  EXPECT_EQ(storedForm(Variant()), "&h0");
  EXPECT_EQ(storedForm(Variant::null()), "&h");
  EXPECT_EQ(storedForm(Variant(-2147483648.9)), "&h80000000");
}

TEST(StoredFormTest, ValuesWithoutStoredFormRaise) {
  EXPECT_EQ(errorOf([] { storedForm(Variant(2147483648.0)); }), err::kOverflow);
  EXPECT_EQ(errorOf([] { storedForm(Variant(Currency{std::int64_t{1} << 62})); }), err::kOverflow);
  EXPECT_EQ(errorOf([] { storedForm(Variant(std::numeric_limits<double>::quiet_NaN())); }),
            err::kOverflow);
  EXPECT_EQ(errorOf([] { storedForm(Variant(SafeArray::ofVariants({Variant(1)}))); }),
            err::kTypeMismatch);
  EXPECT_EQ(errorOf([] { storedForm(Variant::nothing()); }), err::kTypeMismatch);
  EXPECT_EQ(errorOf([] { storedForm(Variant::missing()); }), err::kTypeMismatch);
}

TEST(StoredFormTest, ReadForm) {
  EXPECT_EQ(readForm("&H1F"), Variant("&H1F"));  // only the lower-case prefix is a number
  EXPECT_EQ(readForm(" &h1F"), Variant(" &h1F"));
  EXPECT_EQ(readForm("&hFFFFFFFF"), Variant(-1.0));
  EXPECT_EQ(errorOf([] { readForm("&h"); }), err::kTypeMismatch);
  EXPECT_EQ(errorOf([] { readForm("&hxyz"); }), err::kTypeMismatch);
}

// Whatever callers write reads back as the same number, including the
// four-digit forms that positive 32-bit values and booleans share.
TEST(StoredFormTest, NumbersReadBackAsWritten) {
  for (const double n : {0.0, 1.0, 25.0, 32767.0, 32768.0, 40000.0, 46000.0, 65534.0, 65536.0, -1.0,
                         -2.0, -1200.0, -32768.0, -40000.0, 2147483647.0, -2147483648.0}) {
    EXPECT_EQ(readForm(storedForm(Variant(n))), Variant(n)) << n;
    if (std::abs(n) < 16777216) {  // exactly representable as a float
      EXPECT_EQ(readForm(storedForm(Variant(static_cast<float>(n)))), Variant(n)) << n;
    }
  }
  EXPECT_EQ(readForm(storedForm(Variant(std::int16_t{-1}))), Variant(-1.0));
  // The documented losses of the shared four-digit form.
  EXPECT_EQ(readForm(storedForm(Variant(std::int16_t{-2}))), Variant(65534.0));
  EXPECT_EQ(readForm(storedForm(Variant(65535.0))), Variant(-1.0));
}

}  // namespace
}  // namespace velmora::registry
