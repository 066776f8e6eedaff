#include "registry_test_support.h"

namespace velmora::registry::testing {
namespace {

using WholeKeyTest = RegistryTest;

SafeArray table(std::int32_t firstEntry, const std::vector<std::pair<Variant, Variant>>& rows) {
  SafeArray t(VarType::Variant, {{0, 2}, {firstEntry, static_cast<std::int32_t>(rows.size())}});
  for (std::int32_t i = 0; i < static_cast<std::int32_t>(rows.size()); ++i) {
    t.at({0, firstEntry + i}) = rows[static_cast<std::size_t>(i)].first;
    t.at({1, firstEntry + i}) = rows[static_cast<std::size_t>(i)].second;
  }
  return t;
}

TEST_F(WholeKeyTest, ReadsNamesAndReadForms) {
  EXPECT_TRUE(ReadAllValue("K").isEmpty());
  SetRegistryValue("K", "A", Variant("x"));
  SetRegistryValue("K", "B", Variant(std::int32_t{10}));
  SetRegistryValue("K", "", Variant("default"));
  const Variant result = ReadAllValue("K");
  ASSERT_TRUE(result.isArray());
  const SafeArray& t = result.array();
  EXPECT_EQ(t.bounds(), (std::vector<SafeArray::Bound>{{0, 2}, {0, 3}}));
  EXPECT_EQ(t.get({1, 0}), Variant("x"));
  EXPECT_EQ(t.get({1, 1}), Variant(10.0));
  EXPECT_EQ(t.get({0, 2}), Variant(""));
  EXPECT_EQ(t.get({1, 2}), Variant("default"));
}

TEST_F(WholeKeyTest, ListingStopsAtTheFirstValueTooLong) {
  SetRegistryValue("K", "a", Variant(std::string(1024, 'a')));
  SetRegistryValue("K", "b", Variant(std::string(1025, 'b')));
  SetRegistryValue("K", "c", Variant("c"));
  SetRegistryValue("L", std::string(1023, 'n'), Variant("1"));
  SetRegistryValue("L", std::string(1024, 'm'), Variant("2"));
  EXPECT_EQ(ReadAllValue("K").array().ubound(2), 0);
  EXPECT_EQ(ReadAllValue("L").array().ubound(2), 0);
}

TEST_F(WholeKeyTest, SetAllValueWritesEveryEntry) {
  Variant rows(table(0, {{Variant("a"), Variant("1")},
                         {Variant("b"), Variant(2.7)},
                         {Variant(std::int32_t{7}), Variant(true)}}));
  EXPECT_EQ(SetAllValue("K", rows), regcode::kSuccess);
  EXPECT_EQ(storedData("K", "b"), "&h2");
  EXPECT_EQ(storedData("K", "7"), "&hFFFF");

  // Copying a key through its table keeps numbers numbers: True was read
  // as the double -1, which is stored with 32-bit digits and reads back -1.
  Variant copy = ReadAllValue("K");
  EXPECT_EQ(SetAllValue("Copy", copy), regcode::kSuccess);
  EXPECT_EQ(storedData("Copy", "a"), "1");
  EXPECT_EQ(storedData("Copy", "b"), "&h2");
  EXPECT_EQ(storedData("Copy", "7"), "&hFFFFFFFF");
  EXPECT_EQ(ReadAllValue("Copy").array().get({1, 2}), Variant(-1.0));
}

TEST_F(WholeKeyTest, BadTablesEndTheWalkWithoutError) {
  Variant fromOne(table(1, {{Variant("a"), Variant("1")}, {Variant("b"), Variant("2")}}));
  EXPECT_EQ(SetAllValue("K", fromOne), regcode::kSuccess);
  EXPECT_TRUE(ReadAllValue("K").isEmpty());

  Variant stopsMidway(table(0, {{Variant("a"), Variant("1")},
                                {Variant("b"), Variant(SafeArray::ofVariants({}))},
                                {Variant("c"), Variant("3")}}));
  EXPECT_EQ(SetAllValue("K", stopsMidway), regcode::kSuccess);
  EXPECT_EQ(storedData("K", "a"), "1");
  EXPECT_EQ(storedData("K", "c"), "<absent>");

  Variant notATable("text");
  EXPECT_EQ(SetAllValue("K", notATable), regcode::kSuccess);
  Variant oneDim(SafeArray::ofVariants({Variant("x")}));
  EXPECT_EQ(SetAllValue("K", oneDim), regcode::kSuccess);
}

}  // namespace
}  // namespace velmora::registry::testing
