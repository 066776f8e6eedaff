// Trees persisted through property bags: written and read back by this
// build, and the bytes every earlier build wrote.
#include <commonvelmora/convert.h>
#include <commonvelmora/error.h>
#include <commonvelmora/kz_properties.h>
#include <commonvelmora/kz_property.h>
#include <commonvelmora/property_bag.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "properties/register_classes.h"
#include "support/scratch.h"

namespace velmora {
namespace {

class PersistenceTest : public ::testing::Test {
 protected:
  void SetUp() override { properties::registerPropertyClasses(); }

  // Writes `tree` as the entry "Properties" of a bag and reads it back
  // through the bag's bytes, as a file would.
  static std::shared_ptr<KZProperties> roundTrip(const std::shared_ptr<KZProperties>& tree) {
    PropertyBag out, in;
    out.writeProperty("Properties", Variant(tree));
    in.setContents(out.contents());
    return std::dynamic_pointer_cast<KZProperties>(in.readProperty("Properties").object());
  }
};

// A property named `name` holding `value`, for bags written by hand.
Variant named(const char* name, const Variant& value = Variant()) {
  auto p = KZProperty::create();
  p->Name(name);
  p->Value(value);
  return Variant(p);
}

// Depth of a chain root -> "Next" -> ... and the deepest property.
std::pair<int, std::shared_ptr<KZProperty>> chainDepth(std::shared_ptr<KZProperties> current) {
  int depth = 0;
  std::shared_ptr<KZProperty> last;
  for (std::shared_ptr<KZProperty> next; current && (next = current->Find("Next")); ++depth) {
    last = next;
    current = std::dynamic_pointer_cast<KZProperties>(
        next->Value().isObject() ? next->Value().object() : nullptr);
  }
  return {depth, last};
}

std::shared_ptr<KZProperties> chain(int depth) {
  auto root = KZProperties::create();
  auto current = root;
  for (int i = 0; i < depth; ++i) {
    auto next = KZProperties::create();
    current->Add("Next", Variant(next));
    current = next;
  }
  current->Add("End", Variant(std::int32_t{depth}));
  return root;
}

TEST_F(PersistenceTest, ItemEntriesAreNumberedFromOneAcrossDigitCounts) {
  auto list = KZProperties::create();
  for (std::int32_t i = 1; i <= 1050; ++i) list->Add("p" + std::to_string(i), Variant(i));
  PropertyBag bag;
  list->writeProperties(bag);
  EXPECT_EQ(bag.size(), 1051u);  // the items and "Count"
  for (const char* name : {"Properties(1)", "Properties(99)", "Properties(1050)"})
    EXPECT_TRUE(bag.contains(name)) << name;
  auto back = KZProperties::create();
  back->readProperties(bag);
  ASSERT_EQ(back->Count(), 1050);
  EXPECT_EQ(back->Properties(Variant(1000))->Name(), "p1000");
  EXPECT_EQ(back->Properties(Variant(1050))->Value(), Variant(1050));
}

// Clone, persist and release all walk 100,000 levels without recursion; the
// bag keeps what fits its nesting limit.
TEST_F(PersistenceTest, DeepChainsCloneAndPersistWithoutRecursion) {
  constexpr int kDepth = 100'000;
  auto root = chain(kDepth);
  auto [depth, last] = chainDepth(root->Clone());
  EXPECT_EQ(depth, kDepth);
  auto end = std::dynamic_pointer_cast<KZProperties>(last->Value().object())->Find("End");
  EXPECT_EQ(end->Value(), Variant(std::int32_t{kDepth}));

  std::tie(depth, last) = chainDepth(roundTrip(root));
  // Each collection and each property is one nesting level of the bag.
  EXPECT_GT(depth, PropertyBag::kMaxDepth / 2 - 4);
  EXPECT_LE(depth, PropertyBag::kMaxDepth / 2);
  ASSERT_NE(last, nullptr);
  EXPECT_TRUE(last->Value().isNothing());
}

// Cloned or persisted, a cycle is copied once and holds nothing where it
// closes.
TEST_F(PersistenceTest, ACycleIsCopiedOnceAndComesBackAsNothing) {
  auto root = KZProperties::create();
  auto inner = KZProperties::create();
  root->Add("Inner", Variant(inner));
  inner->Add("Leaf", Variant("x"));
  inner->Add("Back", Variant(root));
  for (const auto& back : {root->Clone(), roundTrip(root)}) {
    EXPECT_EQ(back->Find("Inner\\Leaf")->Value(), Variant("x"));
    EXPECT_TRUE(back->Find("Inner\\Back")->Value().isNothing());
  }
  // Break the cycle (the Back property also stays reachable as NewItem).
  inner->Properties(Variant("Back"))->Value(Variant());
}

TEST_F(PersistenceTest, BadEntriesAreSkipped) {
  PropertyBag bag;
  bag.writeProperty("Count", Variant(6));
  bag.writeProperty("Properties(1)", named("One", 1));
  bag.writeProperty("Properties(2)", Variant(KZProperties::create()));  // wrong class
  bag.writeProperty("Properties(3)", Variant("not an object"));
  bag.writeProperty("Properties(4)", named("ONE", 4));  // duplicate name
  // Properties(5) is missing.
  bag.writeProperty("Properties(6)", named("Six", 6));
  auto c = KZProperties::create();
  c->readProperties(bag);
  EXPECT_EQ(c->Count(), 2);
  EXPECT_EQ(c->Find("one")->Value(), Variant(1));
  EXPECT_EQ(c->Find("Six")->Value(), Variant(6));
}

// Entries after a long run of missing ones are still read; absurd counts end
// quickly.
TEST_F(PersistenceTest, EntriesAfterALongRunOfMissingOnesAreReadAndAbsurdCountsEnd) {
  PropertyBag bag;
  bag.writeProperty("Count", Variant(std::int32_t{10'000}));
  bag.writeProperty("Properties(10000)", named("Last"));  // written out of order
  bag.writeProperty("Properties(1)", named("First"));
  bag.writeProperty("properties(5000)", named("Middle"));  // names ignore case
  bag.writeProperty("Properties(05001)", named("NotAnItemName"));
  bag.writeProperty("Properties(10001)", named("BeyondCount"));
  auto c = KZProperties::create();
  c->readProperties(bag);
  std::vector<std::string> names;
  for (std::int32_t i = 1; i <= c->Count(); ++i) names.push_back(c->Properties(Variant(i))->Name());
  EXPECT_EQ(names, (std::vector<std::string>{"First", "Middle", "Last"}));

  PropertyBag absurd;
  absurd.writeProperty("Count", Variant(std::int32_t{2'000'000'000}));
  absurd.writeProperty("Properties(2000000000)", named("Last"));
  c = KZProperties::create();
  c->readProperties(absurd);
  EXPECT_EQ(c->Count(), 1);
  for (const Variant& count : {Variant(-5), Variant("many")}) {
    PropertyBag odd;
    odd.writeProperty("Count", count);
    c = KZProperties::create();
    c->readProperties(odd);
    EXPECT_EQ(c->Count(), 0);
  }
}

// Bytes written by every format version the library ever wrote read back,
// value for value: a later build must never lose a persisted tree.
std::vector<std::uint8_t> fixture(const std::string& name) {
  const std::string bytes = test_support::readFile(std::filesystem::path(VELMORA_TEST_SOURCE_DIR) /
                                                   "properties/fixtures" / name);
  return {bytes.begin(), bytes.end()};
}

class StoredBytesTest : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override { properties::registerPropertyClasses(); }
};

// Bytes of today's version read back as they are; version 1 bytes load,
// name for name, and give bytes of today's version that load again.
TEST_P(StoredBytesTest, EveryVersionLoads) {
  const std::string name = GetParam();
  PropertyBag today;
  today.setContents(fixture(name + "-v2.bin"));
  EXPECT_EQ(today.contents(), fixture(name + "-v2.bin"));

  PropertyBag old, again;
  old.setContents(fixture(name + "-v1.bin"));
  ASSERT_GT(old.size(), 0u);
  again.setContents(old.contents());
  EXPECT_EQ(again.names(), old.names());
  EXPECT_EQ(again.contents(), old.contents());
}

INSTANTIATE_TEST_SUITE_P(Fixtures, StoredBytesTest,
                         ::testing::Values("tree", "scalars", "arrays", "objects"));

TEST_F(StoredBytesTest, PersistedTreeOfEachVersionHoldsEveryValue) {
  for (const char* file : {"tree-v1.bin", "tree-v2.bin"}) {
    SCOPED_TRACE(file);
    PropertyBag bag;
    bag.setContents(fixture(file));
    const auto tree =
        std::dynamic_pointer_cast<KZProperties>(bag.readProperty("Properties").object());
    ASSERT_TRUE(tree);
    EXPECT_EQ(tree->FindEx("Grid\\Columns\\Price")->Value(), Variant(1200));
    EXPECT_TRUE(tree->FindEx("Grid\\Columns\\Qty")->ReadOnly());
    EXPECT_EQ(tree->FindEx("Grid\\Columns\\3")->Value(), Variant(2400));
    EXPECT_EQ(tree->FindEx("Grid\\SortColumn")->Value(), Variant("Price"));
    EXPECT_EQ(tree->FindEx("Grid\\Descending")->Value(), Variant(true));
    EXPECT_EQ(tree->FindEx("User")->Value(), Variant("trader"));
    EXPECT_EQ(tree->FindEx("Limit")->Value(), Variant(Currency{2'500'000'000}));
    EXPECT_EQ(tree->FindEx("Opened")->Value(), Variant(dateFromParts(2026, 1, 15, 9, 30)));
    // Restoring makes no newest item, and each collection names its holder.
    EXPECT_EQ(tree->NewItem(), nullptr);
    const auto grid = tree->Find("Grid");
    EXPECT_EQ(std::dynamic_pointer_cast<KZProperties>(grid->Value().object())->Parent(), grid);
    // Written again, the tree makes today's bytes.
    PropertyBag again;
    again.writeProperty("Properties", Variant(tree));
    EXPECT_EQ(again.contents(), fixture("tree-v2.bin"));
  }
}

TEST_F(StoredBytesTest, LaterVersionsAreRefused) {
  std::vector<std::uint8_t> later = fixture("tree-v2.bin");
  later[4] = 3;
  PropertyBag bag;
  EXPECT_THROW(bag.setContents(later), AutomationError);
}

}  // namespace
}  // namespace velmora
