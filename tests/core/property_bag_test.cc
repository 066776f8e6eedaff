// The property bag: every kind of value and nested objects through its bytes,
// defaults, names, corrupt input, and objects that break the layout of their
// entries while they are written.
#include <commonvelmora/class_registry.h>
#include <commonvelmora/error.h>
#include <commonvelmora/property_bag.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "core/byte_codec.h"
#include "support/error_of.h"
#include "support/plain_object.h"

namespace velmora {
namespace {

using test_support::errorOf;
using test_support::PlainObject;

// A persistable client object: a label and an optional child of its kind.
struct Node : PlainObject {
  static constexpr const char* kProgId = "Test.Node";
  std::string label;
  Variant child = Variant::nothing();

  std::string_view progId() const override { return kProgId; }
  void writeProperties(PropertyBag& bag) override {
    bag.writeProperty("Label", label, "");
    bag.writeProperty("Child", child, Variant::nothing());
  }
  void readProperties(PropertyBag& bag) override {
    label = bag.readProperty("Label", "").text();
    child = bag.readProperty("Child", Variant::nothing());
  }
};

std::shared_ptr<Node> chain(int length) {
  std::shared_ptr<Node> head;
  for (int i = length - 1; i >= 0; --i) {
    auto node = std::make_shared<Node>();
    node->label = std::to_string(i);
    if (head) node->child = head;
    head = std::move(node);
  }
  return head;
}

int chainLength(const Variant& v) {
  int n = 0;
  for (Variant cur = v; !cur.isNothing(); ++n)
    cur = std::static_pointer_cast<Node>(cur.object())->child;
  return n;
}

// Loads a bag from another's bytes, checking that they are reproduced.
PropertyBag reload(const PropertyBag& from) {
  PropertyBag to;
  to.setContents(from.contents());
  EXPECT_EQ(to.contents(), from.contents());
  return to;
}

class PropertyBagTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClassRegistry::instance().add(Node::kProgId, [] { return std::make_shared<Node>(); });
  }
  void TearDown() override { ClassRegistry::instance().remove(Node::kProgId); }
};

TEST_F(PropertyBagTest, EveryKindRoundTrips) {
  SafeArray grid(VarType::Variant, {{-1, 2}, {5, 3}});
  for (std::size_t i = 0; i < grid.variants().size(); ++i)
    grid.variants()[i] = Variant(static_cast<std::int32_t>(i * 10));
  grid.set({0, 6}, Variant(SafeArray::ofVariants({Variant("inner"), Variant::null()}, 1)));
  SafeArray bytes3d(VarType::Byte, {{1, 2}, {0, 2}, {7, 2}});
  for (std::size_t i = 0; i < 8; ++i) bytes3d.bytes()[i] = static_cast<std::uint8_t>(250 + i % 6);

  const SafeArray noBytes(VarType::Byte, {{5, 0}, {0, 3}});
  const SafeArray wide(VarType::Variant, {{0, 0}, {0, 0x7fffffff}, {0, 9}});  // empty but wide
  // clang-format off
  const std::vector<Variant> values = {grid, Variant(), Variant::null(), std::int16_t{-32768},
      std::int32_t{2147483647}, 1.5f, -0.1, Currency{-922337203685477LL}, Date{45000.75},
      "Привет, мир", std::string("a\0\xff", 3), ErrorCode{-2147352572}, Variant::missing(), true,
      false, std::uint8_t{255}, Variant::nothing(), bytes3d, SafeArray(), noBytes, wide};
  // clang-format on
  PropertyBag bag;
  for (std::size_t i = 0; i < values.size(); ++i)
    bag.writeProperty("v" + std::to_string(i), values[i]);
  ASSERT_EQ(bag.size(), values.size());
  PropertyBag loaded = reload(bag);
  for (std::size_t i = 0; i < values.size(); ++i)
    EXPECT_EQ(loaded.readProperty("v" + std::to_string(i)), values[i]) << i;
}

TEST_F(PropertyBagTest, DefaultsDecideWhatIsStoredAndNamesFoldCase) {
  PropertyBag bag;
  bag.writeProperty("Count", Variant(std::int16_t{0}), Variant(std::int16_t{0}));
  EXPECT_EQ(bag.size(), 0u);
  // Equal means the same kind and value: a 32-bit 0 is not the 16-bit default.
  bag.writeProperty("Count", Variant(std::int32_t{0}), Variant(std::int16_t{0}));
  EXPECT_EQ(bag.size(), 1u);
  // Writing the default again removes the entry, so readers get the default back.
  bag.writeProperty("count", Variant(std::int16_t{0}), Variant(std::int16_t{0}));
  EXPECT_FALSE(bag.contains("Count"));
  bag.writeProperty("Empty", Variant(), Variant::missing());  // no default: always stored
  EXPECT_TRUE(bag.contains("EMPTY"));

  EXPECT_EQ(bag.readProperty("Absent", Variant(7)), Variant(7));
  EXPECT_EQ(errorOf([&] { bag.readProperty("Absent"); }), err::kDataValueNotFound);
  EXPECT_EQ(test_support::errorDescriptionOf([&] { bag.readProperty("Absent"); }),
            "Data value named 'Absent' not found");
  bag.writeProperty("Имя", "first");
  bag.writeProperty("Other", 1);
  bag.writeProperty("ИМЯ", "second");  // keeps its place and first spelling
  EXPECT_EQ(bag.names(), (std::vector<std::string>{"Empty", "Имя", "Other"}));
  EXPECT_EQ(bag.readProperty("имя"), Variant("second"));
}

TEST_F(PropertyBagTest, ALoadedBagTakesNewAndChangedEntries) {
  PropertyBag source;
  source.writeProperty("Keep", "kept");
  source.writeProperty("Tree", chain(2));
  source.writeProperty("Change", 1);
  PropertyBag bag = reload(source);
  bag.writeProperty("change", 2);  // keeps its place and first spelling
  bag.writeProperty("Added", chain(3));
  bag.writeProperty("Keep", "", "");  // a default: removed
  PropertyBag again = reload(bag);
  EXPECT_EQ(again.names(), (std::vector<std::string>{"Tree", "Change", "Added"}));
  EXPECT_EQ(again.readProperty("Change"), Variant(2));
  EXPECT_EQ(chainLength(again.readProperty("Tree")), 2);
  EXPECT_EQ(chainLength(again.readProperty("Added")), 3);
  // The same entries written afresh make the same bytes.
  PropertyBag fresh;
  fresh.writeProperty("Tree", chain(2));
  fresh.writeProperty("Change", 2);
  fresh.writeProperty("Added", chain(3));
  EXPECT_EQ(fresh.contents(), bag.contents());
}

TEST_F(PropertyBagTest, NestingIsBoundedBothWays) {
  PropertyBag bag;
  bag.writeProperty("Deepest", chain(PropertyBag::kMaxDepth));
  EXPECT_EQ(chainLength(reload(bag).readProperty("Deepest")), PropertyBag::kMaxDepth);
  EXPECT_EQ(errorOf([&] { bag.writeProperty("Too deep", chain(PropertyBag::kMaxDepth + 1)); }),
            err::kOutOfStack);
  Variant nested = Variant(1);
  for (int i = 0; i <= PropertyBag::kMaxDepth; ++i) nested = SafeArray::ofVariants({nested});
  EXPECT_EQ(errorOf([&] { bag.writeProperty("Arrays", nested); }), err::kOutOfStack);

  // 100,000 levels of objects, and of arrays, written by hand.
  for (bool objects : {true, false}) {
    bytes::Writer w;
    w.raw(std::string_view("CVPB\x02", 5));
    w.varint(objects ? 2 : 1);
    w.text("x");
    if (objects) w.text(Node::kProgId);
    const int depth = 100000;
    for (int i = 0; i < depth; ++i) {
      if (objects || i == 0) w.varint(1);  // entry "x"
      if (objects) {
        w.u8(9);
        w.varint(2);  // of class Test.Node
      } else {
        for (int b : {0x8C, 1, 0, 1}) w.u8(static_cast<std::uint8_t>(b));  // an array of one
      }
    }
    if (!objects) w.u8(0);  // the innermost element: Empty
    for (int i = 0; i <= (objects ? depth : 0); ++i) w.varint(0);
    PropertyBag deep;
    EXPECT_EQ(errorOf([&] { deep.setContents(w.bytes()); }), err::kBadFileFormat);
  }
}

TEST_F(PropertyBagTest, CorruptBytesFailCleanlyAndLeaveTheBagAlone) {
  PropertyBag source;
  source.writeProperty("Text", "abc");
  source.writeProperty("Grid", SafeArray(VarType::Variant, {{1, 2}, {0, 1}}));
  source.writeProperty("Bytes", SafeArray::ofBytes({9, 8}));
  source.writeProperty("Node", chain(2));
  source.writeProperty("Flag", true);
  const auto good = source.contents();

  PropertyBag bag;
  bag.writeProperty("Keep", 42);
  const auto before = bag.contents();
  for (std::size_t n = 0; n < good.size(); ++n) {
    std::vector<std::uint8_t> cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n));
    EXPECT_EQ(errorOf([&] { bag.setContents(cut); }), err::kBadFileFormat) << n;
  }
  EXPECT_EQ(bag.contents(), before);

  // Representatives only (the fuzz target covers the rest); the last three
  // hold one entry named `a`.
  using Bytes = std::vector<std::uint8_t>;
  const Bytes a = {'C', 'V', 'P', 'B', 2, 1, 1, 'a', 1};
  auto withTrailing = good;
  withTrailing.push_back(0);
  const std::vector<std::pair<const char*, Bytes>> bad = {
      {"trailing byte", withTrailing},
      {"duplicate entry name", {'C', 'V', 'P', 'B', 2, 2, 1, 'a', 1, 'A', 1, 0, 2, 0, 0}},
      // A 2 x 2^31-1 x 2^31-1 byte array would overflow 32-bit element counts.
      {"element count overflow",
       {0x91, 3, 0, 2, 0, 0xff, 0xff, 0xff, 0xff, 0x07, 0, 0xff, 0xff, 0xff, 0xff, 0x07, 0}},
      // 2^31-1 x 2^31-1 x 0 holds nothing, but its running count passes 2^32.
      {"running element count overflow",
       {0x8C, 3, 0, 0xff, 0xff, 0xff, 0xff, 0x07, 0, 0xff, 0xff, 0xff, 0xff, 0x07, 0, 0, 0}},
      // An upper bound beyond the 32-bit range: lbound 2^31-1, two elements.
      {"ubound overflow", {0x91, 1, 0xfe, 0xff, 0xff, 0xff, 0x0f, 2, 0, 0, 0}},
  };
  for (auto [why, bytes] : bad) {
    if (bytes[0] != 'C') bytes.insert(bytes.begin(), a.begin(), a.end());
    EXPECT_EQ(errorOf([&] { bag.setContents(bytes); }), err::kBadFileFormat) << why;
    EXPECT_EQ(bag.contents(), before) << why;
  }

  PropertyBag empty;
  bag.setContents(empty.contents());
  EXPECT_EQ(bag.size(), 0u);
}

// A nested object's entries are laid out in place while it is written; the
// innermost Scribbler breaks that layout on purpose (its parent mid-body), and
// the bytes must still come out as if every entry had been written once, in order.
enum class Twist { kNone, kOverwrite, kRemove, kWriteOuter, kTakeBag };

struct Script {
  Twist twist = Twist::kNone;
  PropertyBag* outer = nullptr;        // for kWriteOuter
  std::unique_ptr<PropertyBag> taken;  // for kTakeBag
};
Script gScript;

struct Scribbler : PlainObject {
  static constexpr const char* kProgId = "Test.Scribbler";
  Variant child = Variant::nothing();
  Variant a, b, c;

  std::string_view progId() const override { return kProgId; }
  void writeProperties(PropertyBag& bag) override {
    const Twist twist = child.isNothing() ? gScript.twist : Twist::kNone;
    bag.writeProperty("A", std::string("first"));
    bag.writeProperty("B", 2);
    bag.writeProperty("Child", child, Variant::nothing());
    if (twist == Twist::kOverwrite) bag.writeProperty("a", std::string("second"));
    if (twist == Twist::kRemove) bag.writeProperty("B", 0, 0);
    if (twist == Twist::kWriteOuter) gScript.outer->writeProperty("Outer", "from inside");
    if (twist == Twist::kTakeBag) {
      gScript.taken = std::make_unique<PropertyBag>(std::move(bag));
      gScript.taken->writeProperty("Late", 1);
      return;
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
  static std::shared_ptr<Scribbler> scribbler(const Variant& v) {
    return std::static_pointer_cast<Scribbler>(v.object());
  }
};

// Each twist writes a parent holding a twisting child under "Tree" between
// two plain entries; the bytes read back as the entries finally written.
TEST_F(PropertyBagLayoutTest, EntriesChangedWhileNestedComeOutAsFinallyWritten) {
  struct Case {
    Twist twist;
    Variant a, b, c;  // of the child read back
  };
  // kTakeBag: the object took its bag, so nothing of it was stored.
  const Case cases[] = {{Twist::kOverwrite, "second", 2, 3.5},
                        {Twist::kRemove, "first", Variant(), 3.5},
                        {Twist::kWriteOuter, "first", 2, 3.5},
                        {Twist::kTakeBag, Variant(), Variant(), Variant()}};
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.twist));
    PropertyBag bag;
    gScript.outer = &bag;
    auto parent = std::make_shared<Scribbler>();
    parent->child = std::make_shared<Scribbler>();
    gScript.twist = c.twist;
    bag.writeProperty("Before", 1);
    bag.writeProperty("Tree", parent);
    bag.writeProperty("After", 2);
    gScript.twist = Twist::kNone;
    PropertyBag loaded = reload(bag);
    EXPECT_EQ(loaded.readProperty("Before"), Variant(1));
    EXPECT_EQ(loaded.readProperty("After"), Variant(2));
    auto tree = scribbler(loaded.readProperty("Tree"));
    EXPECT_EQ(std::tuple(tree->a, tree->c), std::tuple(Variant("first"), Variant(3.5)));
    auto child = scribbler(tree->child);
    EXPECT_EQ(std::tuple(child->a, child->b, child->c), std::tuple(c.a, c.b, c.c));
    if (c.twist == Twist::kWriteOuter) {
      EXPECT_EQ(loaded.readProperty("Outer"), Variant("from inside"));
    }
  }
  ASSERT_TRUE(gScript.taken);
  EXPECT_EQ(gScript.taken->readProperty("Late"), Variant(1));
  EXPECT_EQ(reload(*gScript.taken).readProperty("B"), Variant(2));

  // An array holding such an object stays whole.
  gScript.twist = Twist::kOverwrite;
  PropertyBag bag;
  bag.writeProperty(
      "List",
      SafeArray::ofVariants({Variant(1), Variant(std::make_shared<Scribbler>()), Variant("last")}));
  gScript.twist = Twist::kNone;
  const SafeArray list = reload(bag).readProperty("List").array();
  EXPECT_EQ(std::tuple(list.get({0}), list.get({2})), std::tuple(Variant(1), Variant("last")));
  auto back = scribbler(list.get({1}));
  EXPECT_EQ(std::tuple(back->a, back->c), std::tuple(Variant("second"), Variant(3.5)));
}

}  // namespace
}  // namespace velmora
