#include <commonvelmora/error.h>

#include "registry_test_support.h"

namespace velmora::registry::testing {
namespace {

constexpr const char* kKey = "Software\\Velmora, Ltd.\\Test";

using RegistryValueTest = RegistryTest;

TEST_F(RegistryValueTest, MissingKeyIsCreatedAndStaysEmpty) {
  std::int32_t code = -1;
  EXPECT_EQ(ReadRegistryValue(kKey, "Left", code, Variant::missing()), Variant(""));
  EXPECT_EQ(code, regcode::kSuccess);
  EXPECT_TRUE(ReadAllValue(kKey).isEmpty());
  EXPECT_EQ(DeleteRegistryKey(kKey), regcode::kSuccess);  // it was there
}

TEST_F(RegistryValueTest, DefaultIsWrittenBackAndReturnedUnchanged) {
  std::int32_t code = -1;
  EXPECT_EQ(ReadRegistryValue(kKey, "Count", code, Variant(std::int32_t{25})),
            Variant(std::int32_t{25}));
  EXPECT_EQ(code, regcode::kSuccess);
  EXPECT_EQ(storedData(kKey, "Count"), "&h19");
  EXPECT_EQ(ReadRegistryValue(kKey, "COUNT", code, Variant::missing()), Variant(25.0));

  // In an existing key, a missing value without default is "not found".
  EXPECT_EQ(ReadRegistryValue(kKey, "Other", code, Variant::missing()), Variant(""));
  EXPECT_EQ(code, regcode::kNotFound);
  EXPECT_EQ(storedData(kKey, "Other"), "<absent>");
}

TEST_F(RegistryValueTest, SetStoresTheStoredForm) {
  EXPECT_EQ(SetRegistryValue(kKey, "A", Variant(3.9)), regcode::kSuccess);
  EXPECT_EQ(storedData(kKey, "A"), "&h3");
  EXPECT_EQ(SetRegistryValue(kKey, "B", Variant("")), regcode::kSuccess);
  EXPECT_EQ(storedData(kKey, "B"), std::string(1, '\0'));
  EXPECT_EQ(SetRegistryValue(kKey, "C", Variant("12")), regcode::kSuccess);

  std::int32_t code = -1;
  EXPECT_EQ(ReadRegistryValue(kKey, "B", code, Variant("default")), Variant(""));
  EXPECT_EQ(ReadRegistryValue(kKey, "C", code, Variant::missing()), Variant("12"));
  EXPECT_EQ(ReadRegistryValue(kKey, "A", code, Variant::missing()), Variant(3.0));
}

TEST_F(RegistryValueTest, UnstorableValueRaisesAndWritesNothing) {
  try {
    SetRegistryValue(kKey, "A", Variant(SafeArray::ofVariants({Variant(1)})));
    FAIL() << "no error";
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.number(), err::kTypeMismatch);
  }
  EXPECT_THROW(SetRegistryValue(kKey, "A", Variant(5e9)), AutomationError);
  EXPECT_EQ(DeleteRegistryKey(kKey), regcode::kNotFound);  // not even the key
}

TEST_F(RegistryValueTest, ForeignHexTextsAndBrokenNumbers) {
  ASSERT_EQ(SetRegistryValue(kKey, "Upper", Variant("&H1F")), regcode::kSuccess);
  ASSERT_EQ(SetRegistryValue(kKey, "Broken", Variant("&hZZ")), regcode::kSuccess);
  std::int32_t code = -1;
  EXPECT_EQ(ReadRegistryValue(kKey, "Upper", code, Variant::missing()), Variant("&H1F"));
  try {
    ReadRegistryValue(kKey, "Broken", code, Variant::missing());
    FAIL() << "no error";
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.number(), err::kTypeMismatch);
  }
}

TEST_F(RegistryValueTest, BufferLimitOf1024Bytes) {
  for (const std::size_t size : {1023u, 1024u}) {
    const std::string text(size, 'x');
    ASSERT_EQ(SetRegistryValue(kKey, "V", Variant(text)), regcode::kSuccess);
    std::int32_t code = -1;
    EXPECT_EQ(ReadRegistryValue(kKey, "V", code, Variant("d")), Variant(text));
    EXPECT_EQ(code, regcode::kSuccess);
  }
  const std::string tooLong(1025, 'y');
  ASSERT_EQ(SetRegistryValue(kKey, "V", Variant(tooLong)), regcode::kSuccess);
  std::int32_t code = -1;
  EXPECT_EQ(ReadRegistryValue(kKey, "V", code, Variant("d")), Variant("d"));
  EXPECT_EQ(code, regcode::kMoreData);
  EXPECT_EQ(storedData(kKey, "V"), tooLong);  // the default did not replace it
}

TEST_F(RegistryValueTest, DeleteValueAndKey) {
  ASSERT_EQ(SetRegistryValue(kKey, "A", Variant("1")), regcode::kSuccess);
  ASSERT_EQ(SetRegistryValue(std::string(kKey) + "\\Sub", "B", Variant("2")), regcode::kSuccess);
  EXPECT_EQ(DeleteRegistryValue(kKey, "a"), regcode::kSuccess);
  EXPECT_EQ(DeleteRegistryValue(kKey, "a"), regcode::kNotFound);

  // A key with sub-keys is refused and keeps everything.
  EXPECT_EQ(DeleteRegistryKey(kKey), regcode::kAccessDenied);
  EXPECT_EQ(storedData(std::string(kKey) + "\\Sub", "B"), "2");
  EXPECT_EQ(DeleteRegistryKey(std::string(kKey) + "\\SUB\\"), regcode::kSuccess);
  EXPECT_EQ(DeleteRegistryKey(kKey), regcode::kSuccess);
  EXPECT_EQ(DeleteRegistryKey(kKey), regcode::kNotFound);
  EXPECT_EQ(DeleteRegistryKey(""), regcode::kAccessDenied);
}

TEST_F(RegistryValueTest, NamesAndDataKeepEveryByte) {
  const std::string binary("a\0b\xff\xfe\n", 6);
  ASSERT_EQ(SetRegistryValue(kKey, "bin", Variant(binary)), regcode::kSuccess);
  std::int32_t code = -1;
  EXPECT_EQ(ReadRegistryValue(kKey, "bin", code, Variant::missing()), Variant(binary));
  // Data ending in a zero byte loses it on reading, as every reader of
  // string values drops the terminator.
  ASSERT_EQ(SetRegistryValue(kKey, "z", Variant(std::string("ab\0", 3))), regcode::kSuccess);
  EXPECT_EQ(ReadRegistryValue(kKey, "z", code, Variant::missing()), Variant("ab"));

  const std::string invalidUtf8Name = "n\xc3\x28\x80";
  ASSERT_EQ(SetRegistryValue(kKey, invalidUtf8Name, Variant("v")), regcode::kSuccess);
  EXPECT_EQ(storedData(kKey, invalidUtf8Name), "v");
  EXPECT_EQ(SetRegistryValue(kKey, std::string("a\0b", 3), Variant("v")),
            regcode::kInvalidParameter);
}

}  // namespace
}  // namespace velmora::registry::testing
