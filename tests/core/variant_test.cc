#include <commonvelmora/error.h>
#include <commonvelmora/variant.h>
#include <gtest/gtest.h>

#include "support/error_of.h"

#include <tuple>
#include <type_traits>
#include <utility>

namespace velmora {

using velmora::test_support::errorOf;
namespace {

// Missing, Empty and Nothing are distinct, and equality is exact (the bag's
// "equals its default" test: 5 as Int16 is not 5 as Int32).
TEST(VariantTest, SpecialValuesAndExactEquality) {
  const Variant missing = Variant::missing();
  EXPECT_EQ(missing.type(), VarType::Error);
  EXPECT_FALSE(Variant() == missing);
  EXPECT_TRUE(Variant(missing).isMissing());  // forwarding an omitted argument keeps it omitted
  EXPECT_FALSE(Variant(ErrorCode{5}).isMissing());
  EXPECT_FALSE(Variant(std::int16_t{5}) == Variant(5));
  EXPECT_TRUE(Variant::nothing().isObject());
  EXPECT_EQ(errorOf([] { (void)Variant(5).text(); }), err::kTypeMismatch);
}

TEST(VariantTest, AMovedFromVariantIsEmptyAndUsable) {
  Variant a(SafeArray::ofVariants({Variant(1), Variant("x")}));
  Variant b = std::move(a);
  EXPECT_EQ(a.type(), VarType::Empty);  // NOLINT(bugprone-use-after-move): the point of the test
  EXPECT_EQ(errorOf([&] { (void)a.array(); }), err::kTypeMismatch);
  EXPECT_TRUE(Variant(a) == Variant());
  EXPECT_EQ(b.array().size(), 2u);

  Variant c(SafeArray::ofBytes({1, 2, 3}));
  c = std::move(b);
  EXPECT_TRUE(b.isEmpty());  // NOLINT(bugprone-use-after-move)
  EXPECT_EQ(c.type(), static_cast<VarType>(0x2000 | 12));
  b = c;  // a moved-from value takes a new one
  EXPECT_TRUE(b == c);
}

TEST(VariantTest, ConstructorsTakeExactlyTheKindsTheyName) {
  static_assert(!std::is_constructible_v<Variant, int*>);
  static_assert(!std::is_constructible_v<Variant, const void*>);
  static_assert(!std::is_convertible_v<double*, Variant>);
  EXPECT_TRUE(Variant(nullptr).isNothing());
  const char* none = nullptr;
  EXPECT_EQ(Variant(none), Variant(""));
}

TEST(SafeArrayTest, BoundsOfNoneEmptyAndManyDimensions) {
  EXPECT_FALSE(SafeArray().isDimensioned());
  EXPECT_EQ(errorOf([&] { (void)SafeArray().ubound(); }), err::kSubscriptOutOfRange);
  const SafeArray none = SafeArray::ofVariants({});
  EXPECT_TRUE(none.isDimensioned());
  EXPECT_EQ(std::pair(none.lbound(), none.ubound()), std::pair(0, -1));
  EXPECT_EQ(errorOf([&] { (void)none.get({0}); }), err::kSubscriptOutOfRange);

  SafeArray a(VarType::Variant, {{1, 2}, {-1, 3}});  // (1 To 2, -1 To 1)
  EXPECT_EQ(std::tuple(a.dims(), a.lbound(2), a.ubound(2), a.size()), std::tuple(2, -1, 1, 6u));
  a.set({2, 1}, Variant("last"));
  a.at({1, -1}) = Variant(7);
  EXPECT_EQ(a.variants().back(), Variant("last"));  // last index varies fastest
  EXPECT_EQ(a.variants().front(), Variant(7));
  EXPECT_EQ(errorOf([&] { (void)a.get({0, 0}); }), err::kSubscriptOutOfRange);
  EXPECT_EQ(errorOf([&] { (void)a.get({1}); }), err::kSubscriptOutOfRange);
  EXPECT_EQ(errorOf([&] { (void)a.ubound(3); }), err::kSubscriptOutOfRange);
}

TEST(SafeArrayTest, RedimPreserveKeepsEveryRow) {
  SafeArray table(VarType::Variant, {{0, 2}, {0, 1}});
  table.set({0, 0}, Variant("name"));
  table.set({1, 0}, Variant(1));
  table.redimPreserveLast(3);
  table.set({0, 2}, Variant("third"));
  EXPECT_EQ(table.get({0, 0}), Variant("name"));
  EXPECT_EQ(table.get({1, 0}), Variant(1));
  EXPECT_TRUE(table.get({1, 1}).isEmpty());
  EXPECT_EQ(table.get({0, 2}), Variant("third"));
}

TEST(SafeArrayTest, ArraysHaveValueSemantics) {
  Variant a(SafeArray::ofVariants({Variant(1), Variant(2)}));
  Variant b = a;
  b.array().set({0}, Variant(99));
  EXPECT_EQ(a.array().get({0}), Variant(1));
  EXPECT_FALSE(a == b);

  Variant bytes(SafeArray::ofBytes({1, 2, 3}));
  EXPECT_EQ(bytes.type(), static_cast<VarType>(0x2000 | 17));
  EXPECT_EQ(bytes.array().get({2}), Variant(std::uint8_t{3}));
  EXPECT_EQ(errorOf([&] { bytes.array().set({0}, Variant("x")); }), err::kTypeMismatch);
}

}  // namespace
}  // namespace velmora
