// Bytes written by every format version the library ever wrote read back,
// value for value: a later build must never lose a persisted tree.
#include <commonvelmora/convert.h>
#include <commonvelmora/error.h>
#include <commonvelmora/kz_properties.h>
#include <commonvelmora/kz_property.h>
#include <commonvelmora/property_bag.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "properties/register_classes.h"

namespace velmora::properties {
namespace {

std::vector<std::uint8_t> fixture(const std::string& name) {
  std::ifstream in(
      std::filesystem::path(VELMORA_TEST_SOURCE_DIR) / "properties" / "fixtures" / name,
      std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

class StoredBytesTest : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override { registerPropertyClasses(); }
};

// Bytes of today's version read back as they are; version 1 bytes load,
// name for name, and give bytes of today's version that load again.
TEST_P(StoredBytesTest, EveryVersionLoads) {
  const std::string name = GetParam();
  PropertyBag today;
  today.setContents(fixture(name + "-v2.bin"));
  EXPECT_EQ(today.contents(), fixture(name + "-v2.bin"));

  PropertyBag old;
  old.setContents(fixture(name + "-v1.bin"));
  ASSERT_GT(old.size(), 0u);
  PropertyBag again;
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
    EXPECT_EQ(tree->FindEx("Grid\\Columns\\Price")->Value(), Variant(std::int32_t{1200}));
    EXPECT_TRUE(tree->FindEx("Grid\\Columns\\Qty")->ReadOnly());
    EXPECT_EQ(tree->FindEx("Grid\\Columns\\3")->Value(), Variant(std::int32_t{2400}));
    EXPECT_EQ(tree->FindEx("Grid\\SortColumn")->Value(), Variant("Price"));
    EXPECT_EQ(tree->FindEx("Grid\\Descending")->Value(), Variant(true));
    EXPECT_EQ(tree->FindEx("User")->Value(), Variant("trader"));
    EXPECT_EQ(tree->FindEx("Limit")->Value(), Variant(Currency{2'500'000'000}));
    EXPECT_EQ(tree->FindEx("Opened")->Value(), Variant(dateFromParts(2026, 1, 15, 9, 30)));
    // Written again, the tree makes today's bytes.
    PropertyBag again;
    again.writeProperty("Properties", Variant(tree));
    EXPECT_EQ(again.contents(), fixture("tree-v2.bin"));
  }
}

TEST_F(StoredBytesTest, LaterOrDamagedVersionsAreRefused) {
  std::vector<std::uint8_t> later = fixture("tree-v2.bin");
  later[4] = 3;
  PropertyBag bag;
  EXPECT_THROW(bag.setContents(later), AutomationError);
  std::vector<std::uint8_t> cut = fixture("tree-v1.bin");
  cut.resize(cut.size() / 2);
  EXPECT_THROW(bag.setContents(cut), AutomationError);
}

}  // namespace
}  // namespace velmora::properties
