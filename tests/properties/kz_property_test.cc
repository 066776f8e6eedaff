#include <commonvelmora/convert.h>
#include <commonvelmora/error.h>
#include <commonvelmora/kz_properties.h>
#include <commonvelmora/kz_property.h>
#include <commonvelmora/property_bag.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "properties/register_classes.h"
#include "support/error_of.h"

namespace velmora {
namespace {

using test_support::errorOf;

// A client object that is not persistable and not a collection.
class Plain : public Object {
 public:
  Variant invoke(std::string_view, CallKind, Args) override { return {}; }
  std::string typeName() const override { return "Plain"; }
};

// A client object that merely calls itself a property collection.
class LookAlike : public Plain {
 public:
  std::string typeName() const override { return "kzPROPERTIES"; }
};

TEST(KZPropertyTest, NameIsGivenOnceAndTheFlagLatches) {
  KZProperty p;
  EXPECT_EQ(p.Name(), "");
  p.Name("Width");
  p.Name("Height");
  EXPECT_EQ(p.Name(), "Width");

  p.Value(Variant(std::int32_t{5}));
  p.ReadOnly(true);
  p.Value(Variant("changed"));
  p.ReadOnly(false);
  EXPECT_TRUE(p.ReadOnly());
  EXPECT_EQ(p.Value(), Variant(std::int32_t{5}));
  // Ignored assignments are still announced.
  EXPECT_TRUE(p.changed());
  EXPECT_EQ(p.lastChanged(), "ReadOnly");
}

TEST(KZPropertyTest, ValueTypeFollowsTheCurrentValue) {
  KZProperty p;
  EXPECT_EQ(p.ValueType(), 0);
  const std::vector<std::pair<Variant, std::int16_t>> cases = {
      {Variant(std::int16_t{3}), 2},
      {Variant("42"), 2},
      {Variant("forty-two"), 3},
      {Variant(Date{45000.5}), 3},
      {Variant::null(), 3},
      {Variant(SafeArray::ofVariants({1, 2})), 3},
      {Variant(std::make_shared<Plain>()), 1},
      {Variant(), 0},
  };
  for (const auto& [value, code] : cases) {
    p.Value(value);
    EXPECT_EQ(p.ValueType(), code) << typeName(value);
  }
}

TEST(KZPropertyTest, IsParentGoesByTypeName) {
  auto p = KZProperty::create();
  p->Value(Variant(std::make_shared<Plain>()));
  EXPECT_FALSE(p->IsParent());
  p->Value(Variant(std::make_shared<LookAlike>()));
  EXPECT_TRUE(p->IsParent());
  p->Value(Variant("KZProperties"));
  EXPECT_FALSE(p->IsParent());

  auto inner = KZProperties::create();
  p->Value(Variant(inner));
  EXPECT_TRUE(p->IsParent());
  // The collection names the property that holds it, without keeping it.
  EXPECT_EQ(inner->Parent(), p);
  // The object is held, not copied.
  EXPECT_EQ(p->Value().object(), inner);
  p.reset();
  EXPECT_EQ(inner->Parent(), nullptr);
}

TEST(KZPropertyTest, ValueIsTheDefaultMember) {
  auto p = KZProperty::create();
  p->let("", Variant(std::int32_t{7}));
  EXPECT_EQ(p->get("VALUE"), Variant(std::int32_t{7}));
  EXPECT_EQ(errorOf([&] { p->call("Explode"); }), err::kNoSuchMember);
}

class KZPropertyBagTest : public ::testing::Test {
 protected:
  void SetUp() override { properties::registerPropertyClasses(); }
};

// Restoring bypasses the setters (a given name, a latched flag); entries at
// their defaults are not stored, and writing into a used bag removes those
// that are now.
TEST_F(KZPropertyBagTest, RestoreBypassesTheSettersAndDefaultsAreNotStored) {
  KZProperty full;
  full.Name("Locked");
  full.Value(Variant("text"));
  full.ReadOnly(true);
  PropertyBag bag;
  full.writeProperties(bag);
  ASSERT_EQ(bag.size(), 4u);
  auto target = KZProperty::create();
  target->Name("Other");
  target->ReadOnly(true);
  target->readProperties(bag);
  EXPECT_EQ(target->Name(), "Locked");
  EXPECT_EQ(target->Value(), Variant("text"));

  KZProperty p;
  p.Value(Variant(std::int16_t{5}));
  p.writeProperties(bag);
  EXPECT_EQ(bag.names(), std::vector<std::string>{"Value"});
  auto back = KZProperty::create();
  back->readProperties(bag);
  EXPECT_EQ(back->Name(), "");
  EXPECT_EQ(back->ValueType(), 2);
  EXPECT_FALSE(back->ReadOnly());
}

TEST_F(KZPropertyBagTest, UnpersistableObjectsReadBackAsNothing) {
  KZProperty p;
  p.Name("Handle");
  p.Value(Variant(std::make_shared<Plain>()));
  PropertyBag bag;
  p.writeProperties(bag);
  EXPECT_FALSE(bag.contains("Value"));
  auto back = KZProperty::create();
  back->readProperties(bag);
  EXPECT_TRUE(back->Value().isNothing());
  EXPECT_EQ(back->ValueType(), 1);
}

TEST_F(KZPropertyBagTest, AnObjectWithoutValueTypeIsStillRestored) {
  // Data written without a "ValueType" entry: the numeric branch accepts an
  // object too, and the restored collection names its new parent.
  auto inner = KZProperties::create();
  inner->Add("Leaf", Variant(std::int32_t{1}));
  PropertyBag bag;
  bag.writeProperty("Name", Variant("Node"));
  bag.writeProperty("Value", Variant(inner));
  auto p = KZProperty::create();
  p->readProperties(bag);
  ASSERT_TRUE(p->IsParent());
  auto restored = std::dynamic_pointer_cast<KZProperties>(p->Value().object());
  ASSERT_NE(restored, nullptr);
  EXPECT_NE(restored, inner);
  EXPECT_EQ(restored->Parent(), p);
  EXPECT_EQ(restored->Find("Leaf")->Value(), Variant(std::int32_t{1}));
}

}  // namespace
}  // namespace velmora
