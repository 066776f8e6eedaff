// A nested object's entries are laid out in place in the output while it is
// written; these objects break that layout on purpose (overwriting, removing,
// writing to an outer bag meanwhile, taking the bag away) and the bytes must
// still come out as if every entry had been written once, in order.
#include <commonvelmora/class_registry.h>
#include <commonvelmora/error.h>
#include <commonvelmora/property_bag.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>

namespace velmora {
namespace {

// What the innermost Scribbler does while it is written, besides its plain
// entries; its parent is mid-body at that moment.
enum class Twist { kNone, kOverwrite, kRemove, kWriteOuter, kTakeBag };

struct Script {
  Twist twist = Twist::kNone;
  PropertyBag* outer = nullptr;        // for kWriteOuter
  std::unique_ptr<PropertyBag> taken;  // for kTakeBag
};
Script gScript;

class Scribbler : public Object {
 public:
  static constexpr const char* kProgId = "Test.Scribbler";
  Variant child = Variant::nothing();
  Variant a, b, c;

  Variant invoke(std::string_view, CallKind, Args) override {
    throw AutomationError(err::kNoSuchMember);
  }
  std::string typeName() const override { return "Scribbler"; }
  std::string_view progId() const override { return kProgId; }
  void writeProperties(PropertyBag& bag) override {
    const Twist twist = child.isNothing() ? gScript.twist : Twist::kNone;
    bag.writeProperty("A", std::string("first"));
    bag.writeProperty("B", 2);
    bag.writeProperty("Child", child, Variant::nothing());
    switch (twist) {
      case Twist::kOverwrite:
        bag.writeProperty("a", std::string("second"));
        break;
      case Twist::kRemove:
        bag.writeProperty("B", 0, 0);
        break;
      case Twist::kWriteOuter:
        gScript.outer->writeProperty("Outer", std::string("from inside"));
        break;
      case Twist::kTakeBag:
        gScript.taken = std::make_unique<PropertyBag>(std::move(bag));
        gScript.taken->writeProperty("Late", 1);
        return;
      case Twist::kNone:
        break;
    }
    bag.writeProperty("C", 3.5);
  }
  void readProperties(PropertyBag& bag) override {
    a = bag.readProperty("A", Variant());
    b = bag.readProperty("B", Variant());
    c = bag.readProperty("C", Variant());
    child = bag.readProperty("Child", Variant::nothing());
  }
};

class PropertyBagLayoutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClassRegistry::instance().add(Scribbler::kProgId, [] { return std::make_shared<Scribbler>(); });
  }
  void TearDown() override {
    ClassRegistry::instance().remove(Scribbler::kProgId);
    gScript = Script{};
  }

  // Writes a parent holding a child under "Tree" into `bag` (or, when given,
  // into an object nested in `bag`), then reads it back from the bytes, which
  // must reproduce themselves. Returns the child read back.
  static std::shared_ptr<Scribbler> roundTrip(Twist twist, PropertyBag& bag) {
    auto parent = std::make_shared<Scribbler>();
    parent->child = std::make_shared<Scribbler>();
    gScript.twist = twist;
    bag.writeProperty("Before", 1);
    bag.writeProperty("Tree", parent);
    bag.writeProperty("After", 2);
    gScript.twist = Twist::kNone;

    PropertyBag loaded;
    loaded.setContents(bag.contents());
    EXPECT_EQ(loaded.contents(), bag.contents());
    EXPECT_EQ(loaded.readProperty("Before"), Variant(1));
    EXPECT_EQ(loaded.readProperty("After"), Variant(2));
    auto tree = std::static_pointer_cast<Scribbler>(loaded.readProperty("Tree").object());
    EXPECT_EQ(tree->a, Variant("first"));
    EXPECT_EQ(tree->c, Variant(3.5));
    return std::static_pointer_cast<Scribbler>(tree->child.object());
  }
};

TEST_F(PropertyBagLayoutTest, EntriesChangedWhileNestedComeOutAsFinallyWritten) {
  PropertyBag overwritten;
  auto child = roundTrip(Twist::kOverwrite, overwritten);
  EXPECT_EQ(child->a, Variant("second"));
  EXPECT_EQ(child->b, Variant(2));

  PropertyBag removed;
  child = roundTrip(Twist::kRemove, removed);
  EXPECT_TRUE(child->b.isEmpty());
  EXPECT_EQ(child->c, Variant(3.5));

  PropertyBag bag;  // an outer bag written meanwhile
  gScript.outer = &bag;
  child = roundTrip(Twist::kWriteOuter, bag);
  EXPECT_EQ(child->c, Variant(3.5));
  PropertyBag loaded;
  loaded.setContents(bag.contents());
  EXPECT_EQ(loaded.readProperty("Outer"), Variant("from inside"));
}

TEST_F(PropertyBagLayoutTest, AnArrayHoldingAnObjectThatBreaksTheLayoutStaysWhole) {
  auto odd = std::make_shared<Scribbler>();
  gScript.twist = Twist::kOverwrite;
  PropertyBag bag;
  bag.writeProperty("List", SafeArray::ofVariants({Variant(1), Variant(odd), Variant("last")}));
  gScript.twist = Twist::kNone;
  PropertyBag loaded;
  loaded.setContents(bag.contents());
  EXPECT_EQ(loaded.contents(), bag.contents());
  const Variant list = loaded.readProperty("List");
  EXPECT_EQ(list.array().get({0}), Variant(1));
  EXPECT_EQ(list.array().get({2}), Variant("last"));
  auto back = std::static_pointer_cast<Scribbler>(list.array().get({1}).object());
  EXPECT_EQ(back->a, Variant("second"));
  EXPECT_EQ(back->c, Variant(3.5));
}

TEST_F(PropertyBagLayoutTest, ABagTakenAwayByItsObjectStaysUsable) {
  PropertyBag bag;
  auto child = roundTrip(Twist::kTakeBag, bag);
  EXPECT_TRUE(child->a.isEmpty());  // the object took its bag: nothing was stored
  ASSERT_TRUE(gScript.taken);
  EXPECT_EQ(gScript.taken->readProperty("A"), Variant("first"));
  EXPECT_EQ(gScript.taken->readProperty("Late"), Variant(1));
  PropertyBag copy;
  copy.setContents(gScript.taken->contents());
  EXPECT_EQ(copy.readProperty("B"), Variant(2));
}

}  // namespace
}  // namespace velmora
