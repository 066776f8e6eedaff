// One property and the collection of them: their members, and what each
// writes to and reads from a bag.
#include <commonvelmora/convert.h>
#include <commonvelmora/error.h>
#include <commonvelmora/keyed_collection.h>
#include <commonvelmora/kz_properties.h>
#include <commonvelmora/kz_property.h>
#include <commonvelmora/property_bag.h>
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "properties/register_classes.h"
#include "support/plain_object.h"

namespace velmora {
namespace {

using Plain = test_support::PlainObject;  // not persistable, not a collection

// A client object that merely calls itself a property collection.
struct LookAlike : Plain {
  std::string typeName() const override { return "kzPROPERTIES"; }
};

TEST(KZPropertyTest, NameIsGivenOnceTheFlagLatchesAndValueTypeFollowsTheValue) {
  KZProperty p;
  p.Name("Width");
  p.Name("Height");
  EXPECT_EQ(p.Name(), "Width");

  p.Value(Variant(5));
  p.ReadOnly(true);
  p.Value(Variant("changed"));
  p.ReadOnly(false);
  EXPECT_TRUE(p.ReadOnly());
  EXPECT_EQ(p.Value(), Variant(5));
  EXPECT_EQ(p.lastChanged(), "ReadOnly");  // ignored assignments are still announced
  EXPECT_TRUE(p.changed());

  KZProperty typed;
  // clang-format off
  const std::vector<std::pair<Variant, std::int16_t>> cases = {
      {Variant(std::int16_t{3}), 2}, {Variant("42"), 2}, {Variant("forty-two"), 3},
      {Variant(Date{45000.5}), 3}, {Variant::null(), 3}, {Variant(SafeArray::ofVariants({1, 2})), 3},
      {Variant(std::make_shared<Plain>()), 1}, {Variant(), 0}};
  // clang-format on
  for (const auto& [value, code] : cases) {
    typed.Value(value);
    EXPECT_EQ(typed.ValueType(), code) << typeName(value);
  }
}

TEST(KZPropertyTest, ValueIsTheDefaultMemberAndIsParentGoesByTypeName) {
  auto p = KZProperty::create();
  p->let("", Variant(7));
  EXPECT_EQ(p->get("VALUE"), Variant(7));
  p->Value(Variant(std::make_shared<Plain>()));
  EXPECT_FALSE(p->IsParent());
  p->Value(Variant(std::make_shared<LookAlike>()));
  EXPECT_TRUE(p->IsParent());
  p->Value(Variant("KZProperties"));
  EXPECT_FALSE(p->IsParent());

  // The collection is held, not copied, and names the property that holds it
  // without keeping it.
  auto inner = KZProperties::create();
  p->Value(Variant(inner));
  EXPECT_TRUE(p->IsParent());
  EXPECT_EQ(inner->Parent(), p);
  EXPECT_EQ(p->Value().object(), inner);
  p.reset();
  EXPECT_EQ(inner->Parent(), nullptr);
}

class KZPropertyBagTest : public ::testing::Test {
 protected:
  void SetUp() override { properties::registerPropertyClasses(); }
};

// Restoring bypasses the setters (a given name, a latched flag); entries at
// their defaults are not stored, and writing into a used bag removes those
// that are now.
TEST_F(KZPropertyBagTest, RestoreBypassesTheSettersDefaultsAreNotStoredAndValueTypeMayLack) {
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
  EXPECT_EQ(std::tuple(back->Name(), back->ValueType(), back->ReadOnly()),
            std::tuple("", std::int16_t{2}, false));

  // An object that cannot be persisted is not stored and reads back as Nothing.
  p.Value(Variant(std::make_shared<Plain>()));
  PropertyBag plain;
  p.writeProperties(plain);
  EXPECT_FALSE(plain.contains("Value"));
  back = KZProperty::create();
  back->readProperties(plain);
  EXPECT_TRUE(back->Value().isNothing());
  EXPECT_EQ(back->ValueType(), 1);

  // Data written without a "ValueType" entry: the numeric branch accepts an
  // object too, and the restored collection names its new parent.
  auto inner = KZProperties::create();
  inner->Add("Leaf", Variant(1));
  PropertyBag untyped;
  untyped.writeProperty("Name", Variant("Node"));
  untyped.writeProperty("Value", Variant(inner));
  auto holder = KZProperty::create();
  holder->readProperties(untyped);
  auto restored = std::dynamic_pointer_cast<KZProperties>(holder->Value().object());
  ASSERT_NE(restored, nullptr);
  EXPECT_NE(restored, inner);
  EXPECT_EQ(restored->Parent(), holder);
  EXPECT_EQ(restored->Find("Leaf")->Value(), Variant(1));
}

std::vector<std::string> names(const KZProperties& c) {
  std::vector<std::string> out;
  for (std::int32_t i = 1; i <= c.Count(); ++i) out.push_back(c.Properties(Variant(i))->Name());
  return out;
}

std::shared_ptr<KZProperties> threeItems() {
  auto c = KZProperties::create();
  for (const char* name : {"A", "B", "C"}) c->Add(name, Variant(name));
  return c;
}

TEST(KZPropertiesTest, AddKeepsOneItemPerNameInAnyCase) {
  KZProperties c;
  auto first = c.Add("Width", Variant(10));
  EXPECT_EQ(c.Add("WIDTH", Variant(20)), first);
  EXPECT_EQ(c.Count(), 1);
  EXPECT_EQ(first->Value(), Variant(20));
  EXPECT_EQ(first->Name(), "Width");
  EXPECT_EQ(c.NewItem(), first);

  // Omitted value changes nothing; an explicit empty value is a value.
  EXPECT_EQ(c.Add("width"), first);
  EXPECT_EQ(first->Value(), Variant(20));
  c.Add("Width", Variant());
  EXPECT_TRUE(first->Value().isEmpty());

  auto fixed = c.Add("Fixed", Variant("initial"), true);
  EXPECT_EQ(c.Add("FIXED", Variant("other")), fixed);
  EXPECT_EQ(fixed->Value(), Variant("initial"));
  // By name, an omitted optional argument stays omitted.
  Variant added = c.call("Add", {Variant("A"), Variant::missing(), Variant(true)});
  EXPECT_EQ(added.object()->get("ReadOnly"), Variant(true));
  EXPECT_EQ(added.object()->get("ValueType"), Variant(std::int16_t{0}));
}

TEST(KZPropertiesTest, RemoveAndClearRememberTheNameThroughALiveCollection) {
  auto c = threeItems();
  EXPECT_FALSE(c->Remove(Variant("Nope")));
  EXPECT_TRUE(c->LastRemovedName().isEmpty());
  EXPECT_TRUE(c->Remove(Variant("b")));
  EXPECT_EQ(c->LastRemovedName(), Variant("B"));
  EXPECT_TRUE(c->Remove(Variant(1)));
  EXPECT_EQ(c->LastRemovedName(), Variant("A"));
  EXPECT_FALSE(c->Remove(Variant(5)));
  EXPECT_EQ(names(*c), std::vector<std::string>{"C"});
  auto newest = c->NewItem();
  EXPECT_TRUE(c->Clear().isEmpty());
  EXPECT_EQ(c->Count(), 0);
  EXPECT_EQ(c->NewItem(), newest);
  EXPECT_EQ(c->LastRemovedName(), Variant("A"));

  // The collection of items is live; things a client puts in it that are not
  // properties are skipped, not fatal.
  c = threeItems();
  auto list = c->PropCollection();
  EXPECT_EQ(list, c->PropCollection());
  list->remove(Variant(1));
  EXPECT_EQ(c->Count(), 2);
  list->add(Variant(99), std::string_view("Number"));
  EXPECT_EQ(c->Properties(Variant("Number")), nullptr);
  EXPECT_EQ(c->Find("Number"), nullptr);
  EXPECT_EQ(c->Clone()->Count(), 2);
}

// Moves take positions, and text that reads as a number is a position for
// them (a key for Properties and Remove); halves round to even.
TEST(KZPropertiesTest, MoveUpAndDown) {
  auto c = threeItems();
  EXPECT_EQ(c->MoveUp(Variant(1)), 1);
  EXPECT_EQ(c->MoveUp(Variant(3)), 2);
  EXPECT_EQ(c->MoveDown(Variant(1)), 2);
  EXPECT_EQ(names(*c), (std::vector<std::string>{"C", "A", "B"}));
  EXPECT_EQ(c->MoveUp(Variant(4)), -1);
  EXPECT_EQ(c->MoveDown(Variant(3)), 3);
  EXPECT_EQ(c->MoveUp(Variant::null()), -1);
  EXPECT_EQ(c->MoveDown(Variant("a")), 3);
  EXPECT_EQ(c->Properties(Variant("A"))->Name(), "A");  // keys survive the moves

  c->Add("1");
  EXPECT_EQ(c->MoveDown(Variant("1")), 2);
  EXPECT_EQ(names(*c), (std::vector<std::string>{"B", "C", "A", "1"}));
  EXPECT_EQ(c->Properties(Variant("1"))->Name(), "1");
  EXPECT_EQ(c->MoveUp(Variant(2.5)), 1);
  EXPECT_TRUE(c->Remove(Variant("1")));
  EXPECT_EQ(names(*c), (std::vector<std::string>{"C", "B", "A"}));
}

std::shared_ptr<KZProperties> grid() {
  auto root = KZProperties::create();
  auto columns = KZProperties::create();
  columns->Add("Price", Variant(80));
  columns->Add("Qty", Variant(40), true);
  root->Add("Columns", Variant(columns));
  root->Add("Title", Variant("Orders"));
  root->Add("7", Variant("seven"));
  return root;
}

// "Title\\X": Title is not a collection; FindEx("7"): there is no position 7.
TEST(KZPropertiesTest, FindWalksNamesAndFindExPositions) {
  auto root = grid();
  auto name = [](const std::shared_ptr<KZProperty>& p) { return p ? p->Name() : "<none>"; };
  EXPECT_EQ(
      (std::vector{name(root->Find("columns\\PRICE")), name(root->Find("Columns::Qty", "::")),
                   name(root->Find("")), name(root->Find("Columns\\")),
                   name(root->Find("Title\\X")), name(root->Find("Columns\\Price", "")),
                   name(root->Find("Title", "")), name(root->Find("1")), name(root->Find("7")),
                   name(root->FindEx("1\\2")), name(root->FindEx("Columns\\1")),
                   name(root->FindEx("7")), name(root->FindEx("40000"))}),
      (std::vector<std::string>{"Price", "Qty", "<none>", "<none>", "<none>", "<none>", "Title",
                                "<none>", "7", "Qty", "Price", "<none>", "<none>"}));
  // By name, through the object interface, with the default delimiter.
  EXPECT_EQ(root->call("Find", {Variant("Columns\\Price")}).object()->get(""), Variant(80));
  EXPECT_TRUE(root->call("FindEx", {Variant("9"), Variant("\\")}).isNothing());
}

TEST(KZPropertiesTest, CloneIsDeepExceptForForeignObjects) {
  auto root = grid();
  auto copy = root->Clone();
  EXPECT_EQ(names(*copy), (std::vector<std::string>{"Columns", "Title", "7"}));
  auto copiedColumns =
      std::dynamic_pointer_cast<KZProperties>(copy->Find("Columns")->Value().object());
  ASSERT_NE(copiedColumns, nullptr);
  EXPECT_EQ(copiedColumns->Parent(), copy->Find("Columns"));
  EXPECT_TRUE(copy->Find("Columns\\Qty")->ReadOnly());
  EXPECT_EQ(copy->NewItem()->Name(), "7");
  copy->Find("Columns\\Price")->Value(Variant(1));
  EXPECT_EQ(root->Find("Columns\\Price")->Value(), Variant(80));

  // Each plain property is copied with its collection key; the copy must look
  // its items up exactly as the source does.
  root = KZProperties::create();
  root->Add("Straße", Variant(1), true);
  root->Add("Привет", Variant("text"));
  root->Add("Plain");  // never assigned
  copy = root->Clone();
  EXPECT_EQ(copy->Find("STRASSE")->Value(), Variant(1));
  EXPECT_EQ(copy->Find("ПРИВЕТ")->Name(), "Привет");
  // The copied keys are real keys: a second item under one is refused, and
  // adding under it assigns the existing copy.
  EXPECT_THROW(copy->PropCollection()->add(Variant(1), std::string_view("ПРИВЕТ")),
               AutomationError);
  EXPECT_EQ(copy->ItemIndex("привет"), 2);
  copy->Add("ПРИВЕТ", Variant("changed"));
  EXPECT_EQ(copy->Count(), 3);
  EXPECT_EQ(copy->Find("Привет")->Value(), Variant("changed"));

  // An item keyed unlike its name is copied under its name.
  root = KZProperties::create();
  auto property = KZProperty::create();
  property->Name("Real");
  property->Value(Variant(5));
  root->PropCollection()->add(Variant(property), std::string_view("Other"));
  copy = root->Clone();
  EXPECT_EQ(copy->Find("Real")->Value(), Variant(5));
  EXPECT_EQ(copy->Find("Other"), nullptr);
}

}  // namespace
}  // namespace velmora
