// Key path rules, case folding and enumeration order of the store itself.
#include "registry_test_support.h"

namespace velmora::registry::testing {
namespace {

using KeyPathTest = RegistryTest;

std::int32_t openCode(const std::string& path, bool* created = nullptr) {
  std::unique_ptr<RegistryKey> key;
  bool made = false;
  const std::int32_t code = userRegistryStore().createKey(path, key, made);
  if (created != nullptr) *created = made;
  return code;
}

TEST_F(KeyPathTest, PathRules) {
  bool created = false;
  EXPECT_EQ(openCode("", &created), regcode::kSuccess);  // the root itself
  EXPECT_FALSE(created);
  EXPECT_EQ(openCode("A\\B\\", &created), regcode::kSuccess);
  EXPECT_TRUE(created);
  EXPECT_EQ(openCode("a\\b", &created), regcode::kSuccess);
  EXPECT_FALSE(created);
  EXPECT_EQ(openCode("A", &created), regcode::kSuccess);
  EXPECT_FALSE(created);  // made on the way to A\B

  EXPECT_EQ(openCode("\\A"), regcode::kInvalidParameter);
  EXPECT_EQ(openCode("A\\\\B"), regcode::kInvalidParameter);
  EXPECT_EQ(openCode("A\\\\"), regcode::kInvalidParameter);
  EXPECT_EQ(openCode(std::string("A\0B", 3)), regcode::kInvalidParameter);
  EXPECT_EQ(openCode(std::string(255, 'k')), regcode::kSuccess);
  EXPECT_EQ(openCode(std::string(256, 'k')), regcode::kInvalidParameter);

  std::string deep = "d";
  for (int i = 1; i < 512; ++i) deep += "\\d";
  EXPECT_EQ(openCode(deep), regcode::kSuccess);
  EXPECT_EQ(openCode(deep + "\\d"), regcode::kInvalidParameter);

  // Unusual but valid: slashes, quotes, tabs, emoji are ordinary characters.
  EXPECT_EQ(SetRegistryValue("x/y \"q\"\t\xF0\x9F\x98\x80", "v", Variant("1")), regcode::kSuccess);
  EXPECT_EQ(storedData("X/Y \"Q\"\t\xF0\x9F\x98\x80", "V"), "1");
}

TEST_F(KeyPathTest, UnicodeCaseFoldingKeepsTheFirstSpelling) {
  ASSERT_EQ(SetRegistryValue("Настройки\\Окно", "Ширина", Variant("1")), regcode::kSuccess);
  ASSERT_EQ(SetRegistryValue("НАСТРОЙКИ\\окно", "ШИРИНА", Variant("2")), regcode::kSuccess);
  const Variant table = ReadAllValue("настройки\\ОКНО");
  ASSERT_TRUE(table.isArray());
  EXPECT_EQ(table.array().ubound(2), 0);
  EXPECT_EQ(table.array().get({0, 0}), Variant("Ширина"));
  EXPECT_EQ(table.array().get({1, 0}), Variant("2"));
}

TEST_F(KeyPathTest, OverwriteKeepsItsPlaceAndDeleteGoesToTheEnd) {
  for (const char* name : {"c", "a", "b"}) SetRegistryValue("K", name, Variant(name));
  SetRegistryValue("K", "A", Variant("again"));
  DeleteRegistryValue("K", "c");
  SetRegistryValue("K", "c", Variant("new"));
  const Variant table = ReadAllValue("K");
  ASSERT_EQ(table.array().ubound(2), 2);
  EXPECT_EQ(table.array().get({0, 0}), Variant("a"));
  EXPECT_EQ(table.array().get({1, 0}), Variant("again"));
  EXPECT_EQ(table.array().get({0, 1}), Variant("b"));
  EXPECT_EQ(table.array().get({0, 2}), Variant("c"));
}

TEST_F(KeyPathTest, OperationsOnADeletedKeySayKeyDeleted) {
  std::unique_ptr<RegistryKey> key;
  bool created = false;
  ASSERT_EQ(userRegistryStore().createKey("Gone", key, created), regcode::kSuccess);
  ASSERT_EQ(DeleteRegistryKey("Gone"), regcode::kSuccess);
  std::string data;
  EXPECT_EQ(key->setStringValue("v", "x"), regcode::kKeyDeleted);
  EXPECT_EQ(key->queryValue("v", 10, data), regcode::kKeyDeleted);
  EXPECT_EQ(key->deleteValue("v"), regcode::kKeyDeleted);
}

}  // namespace
}  // namespace velmora::registry::testing

namespace velmora::registry::testing {
namespace {

TEST_F(KeyPathTest, EnumerationInAnyOrderAcrossReadAheadChunks) {
  constexpr std::uint32_t kCount = 600;
  for (std::uint32_t i = 0; i < kCount; ++i)
    SetRegistryValue("Many", std::to_string(i), Variant(""));
  std::unique_ptr<RegistryKey> key;
  bool created = false;
  ASSERT_EQ(userRegistryStore().createKey("Many", key, created), regcode::kSuccess);
  std::string_view name, data;
  for (const std::uint32_t i : {599u, 0u, 300u, 301u, 256u, 255u, 257u}) {
    ASSERT_EQ(key->enumValue(i, 1024, 1024, name, data), regcode::kSuccess);
    EXPECT_EQ(name, std::to_string(i));
  }
  for (std::uint32_t i = 0; i < kCount; ++i) {
    ASSERT_EQ(key->enumValue(i, 1024, 1024, name, data), regcode::kSuccess);
    ASSERT_EQ(name, std::to_string(i));
  }
  EXPECT_EQ(key->enumValue(kCount, 1024, 1024, name, data), regcode::kNoMoreItems);
  // A write through the key is seen by the next listing.
  ASSERT_EQ(key->setStringValue("new", "x"), regcode::kSuccess);
  ASSERT_EQ(key->enumValue(kCount, 1024, 1024, name, data), regcode::kSuccess);
  EXPECT_EQ(name, "new");
}

}  // namespace
}  // namespace velmora::registry::testing
