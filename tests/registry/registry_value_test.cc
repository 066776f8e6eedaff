// Values, keys and whole-key tables through the public calls, against a real
// store; and the text each kind of value is stored as.
#include <commonvelmora/error.h>
#include <gtest/gtest.h>

#include <limits>

#include "registry/stored_form.h"
#include "registry_test_support.h"
#include "support/error_of.h"

namespace velmora::registry::testing {
namespace {

constexpr const char* kKey = "Software\\Velmora, Ltd.\\Test";

using RegistryValueTest = RegistryTest;

TEST_F(RegistryValueTest, MissingValuesDefaultsEmptyTextAndUnstorableNumbers) {
  // The missing key is made, empty; a default given is stored.
  EXPECT_EQ(readOf(kKey, "Left"), (Reading{Variant(""), regcode::kSuccess}));
  EXPECT_EQ(readOf(kKey, "Count", Variant(25)), (Reading{Variant(25), regcode::kSuccess}));
  EXPECT_EQ(storedData(kKey, "Count"), "&h19");
  // In an existing key, a missing value without default is "not found".
  EXPECT_EQ(readOf(kKey, "Other"), (Reading{Variant(""), regcode::kNotFound}));
  EXPECT_EQ(storedData(kKey, "Other"), "<absent>");
  // An empty text is a value: the default does not replace it.
  EXPECT_EQ(SetRegistryValue(kKey, "B", Variant("")), regcode::kSuccess);
  EXPECT_EQ(readOf(kKey, "B", Variant("default")).first, Variant(""));

  // Which error each value raises is in the stored-form tests below.
  EXPECT_THROW(SetRegistryValue("Other", "A", Variant(5e9)), AutomationError);
  EXPECT_EQ(DeleteRegistryKey("Other"), regcode::kNotFound);  // not even the key
  ASSERT_EQ(SetRegistryValue(kKey, "Broken", Variant("&hZZ")), regcode::kSuccess);
  EXPECT_EQ(test_support::errorOf([&] { readOf(kKey, "Broken"); }), err::kTypeMismatch);
}

TEST_F(RegistryValueTest, BufferLimitOf1024Bytes) {
  const std::string longest(1024, 'x');
  ASSERT_EQ(SetRegistryValue(kKey, "V", Variant(longest)), regcode::kSuccess);
  EXPECT_EQ(readOf(kKey, "V", Variant("d")), (Reading{Variant(longest), regcode::kSuccess}));
  const std::string tooLong(1025, 'y');
  ASSERT_EQ(SetRegistryValue(kKey, "V", Variant(tooLong)), regcode::kSuccess);
  EXPECT_EQ(readOf(kKey, "V", Variant("d")), (Reading{Variant("d"), regcode::kMoreData}));
  EXPECT_EQ(storedData(kKey, "V"), tooLong);  // the default did not replace it

  // A listing stops at the first value or name too long.
  SetRegistryValue("K", "a", Variant(std::string(1024, 'a')));
  SetRegistryValue("K", "b", Variant(std::string(1025, 'b')));
  SetRegistryValue("K", "c", Variant("c"));
  SetRegistryValue("L", std::string(1023, 'n'), Variant("1"));
  SetRegistryValue("L", std::string(1024, 'm'), Variant("2"));
  EXPECT_EQ(ReadAllValue("K").array().ubound(2), 0);
  EXPECT_EQ(ReadAllValue("L").array().ubound(2), 0);
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
  EXPECT_EQ(DeleteRegistryKey(""), regcode::kAccessDenied);

  // Operations through a handle on a deleted key say so.
  const std::unique_ptr<RegistryKey> key = keyAt("Gone");
  ASSERT_EQ(DeleteRegistryKey("Gone"), regcode::kSuccess);
  std::string data;
  EXPECT_EQ(key->setStringValue("v", "x"), regcode::kKeyDeleted);
  EXPECT_EQ(key->queryValue("v", 10, data), regcode::kKeyDeleted);
  EXPECT_EQ(key->deleteValue("v"), regcode::kKeyDeleted);
}

TEST_F(RegistryValueTest, NamesAndDataKeepEveryByte) {
  const std::string binary("a\0b\xff\xfe\n", 6);
  ASSERT_EQ(SetRegistryValue(kKey, "bin", Variant(binary)), regcode::kSuccess);
  EXPECT_EQ(readOf(kKey, "bin").first, Variant(binary));
  // Data ending in a zero byte loses it on reading, as every reader of
  // string values drops the terminator.
  ASSERT_EQ(SetRegistryValue(kKey, "z", Variant(std::string("ab\0", 3))), regcode::kSuccess);
  EXPECT_EQ(readOf(kKey, "z").first, Variant("ab"));

  const std::string invalidUtf8Name = "n\xc3\x28\x80";
  ASSERT_EQ(SetRegistryValue(kKey, invalidUtf8Name, Variant("v")), regcode::kSuccess);
  EXPECT_EQ(storedData(kKey, invalidUtf8Name), "v");
  EXPECT_EQ(SetRegistryValue(kKey, std::string("a\0b", 3), Variant("v")),
            regcode::kInvalidParameter);
}

TEST_F(RegistryValueTest, KeyPathRules) {
  std::string deep = "d";
  for (int i = 1; i < 512; ++i) deep += "\\d";
  struct PathCase {
    std::string path;
    std::int32_t code;
    bool created;
  };
  // "" is the root itself; "A" was made on the way to A\B.
  constexpr std::int32_t kOk = regcode::kSuccess, kBad = regcode::kInvalidParameter;
  // clang-format off
  for (const PathCase& c : std::vector<PathCase>{
           {"", kOk, false}, {"A\\B\\", kOk, true}, {"a\\b", kOk, false}, {"A", kOk, false},
           {"\\A", kBad, false}, {"A\\\\B", kBad, false}, {"A\\\\", kBad, false},
           {std::string("A\0B", 3), kBad, false}, {std::string(255, 'k'), kOk, true},
           {std::string(256, 'k'), kBad, false}, {deep, kOk, true}, {deep + "\\d", kBad, false}}) {
    // clang-format on
    std::unique_ptr<RegistryKey> key;
    bool created = false;
    EXPECT_EQ(userRegistryStore().createKey(c.path, key, created), c.code) << c.path.size();
    EXPECT_EQ(created, c.created) << c.path.size();
  }
}

TEST_F(RegistryValueTest, EnumerationInAnyOrderAcrossReadAheadChunks) {
  constexpr std::uint32_t kCount = 600;
  for (std::uint32_t i = 0; i < kCount; ++i)
    SetRegistryValue("Many", std::to_string(i), Variant(""));
  const std::unique_ptr<RegistryKey> key = keyAt("Many");
  std::string_view name, data;
  for (const std::uint32_t i : {599u, 0u, 300u, 301u, 256u, 255u, 257u}) {
    ASSERT_EQ(key->enumValue(i, 1024, 1024, name, data), regcode::kSuccess);
    EXPECT_EQ(name, std::to_string(i));
  }
  EXPECT_EQ(key->enumValue(kCount, 1024, 1024, name, data), regcode::kNoMoreItems);
  // A write through the key is seen by the next listing.
  ASSERT_EQ(key->setStringValue("new", "x"), regcode::kSuccess);
  ASSERT_EQ(key->enumValue(kCount, 1024, 1024, name, data), regcode::kSuccess);
  EXPECT_EQ(name, "new");
}

SafeArray table(std::int32_t firstEntry, const std::vector<std::pair<Variant, Variant>>& rows) {
  SafeArray t(VarType::Variant, {{0, 2}, {firstEntry, static_cast<std::int32_t>(rows.size())}});
  for (std::int32_t i = 0; i < static_cast<std::int32_t>(rows.size()); ++i) {
    t.at({0, firstEntry + i}) = rows[static_cast<std::size_t>(i)].first;
    t.at({1, firstEntry + i}) = rows[static_cast<std::size_t>(i)].second;
  }
  return t;
}

TEST_F(RegistryValueTest, SetAllValueWritesEveryEntryAndStopsAtBadOnes) {
  Variant rows(table(0, {{Variant("a"), Variant("1")},
                         {Variant("b"), Variant(2.7)},
                         {Variant(std::int32_t{7}), Variant(true)}}));
  EXPECT_EQ(SetAllValue("K", rows), regcode::kSuccess);
  SetRegistryValue("K", "", Variant("default"));
  EXPECT_EQ(ReadAllValue("K").array().bounds(), (std::vector<SafeArray::Bound>{{0, 2}, {0, 4}}));
  EXPECT_EQ(namesOf(ReadAllValue("K")), "a=1;b=2;7=-1;=default;");

  // Bad tables end the walk without error.
  const Variant fromOne(table(1, {{Variant("a"), Variant("1")}, {Variant("b"), Variant("2")}}));
  for (Variant bad : {Variant("text"), Variant(SafeArray::ofVariants({Variant("x")})), fromOne})
    EXPECT_EQ(SetAllValue("Bad", bad), regcode::kSuccess);
  EXPECT_TRUE(ReadAllValue("Bad").isEmpty());
  Variant stopsMidway(table(0, {{Variant("a"), Variant("1")},
                                {Variant("b"), Variant(SafeArray::ofVariants({}))},
                                {Variant("c"), Variant("3")}}));
  EXPECT_EQ(SetAllValue("Bad", stopsMidway), regcode::kSuccess);
  EXPECT_EQ(namesOf(ReadAllValue("Bad")), "a=1;");
}

// The text each kind of value is stored as, and what a stored text reads as:
// -3.9 goes toward zero, not rounded; the currency is -1.9999.
using velmora::test_support::errorOf;

TEST(StoredFormTest, TextsOfEachKindAndValuesWithoutOne) {
  // clang-format off
  const std::vector<Variant> values = {Variant(""), Variant(3.9), Variant(-3.9), Variant(-1),
      Variant(std::int16_t{-1}), Variant(true), Variant(false), Variant(std::uint8_t{255}),
      Variant(Currency{-19999}), Variant(Date{46000.75}), Variant(), Variant::null(),
      Variant(-2147483648.9)};
  // clang-format on
  std::vector<std::string> forms;
  for (const Variant& v : values) forms.push_back(storedForm(v));
  EXPECT_EQ(forms, (std::vector<std::string>{std::string(1, '\0'), "&h3", "&hFFFFFFFD",
                                             "&hFFFFFFFF", "&hFFFF", "&hFFFF", "&h0", "&hFF",
                                             "&hFFFFFFFF", "&hB3B0", "&h0", "&h", "&h80000000"}));
  // clang-format off
  const std::vector<std::pair<Variant, int>> refused = {
      {Variant(2147483648.0), err::kOverflow},
      {Variant(Currency{std::int64_t{1} << 62}), err::kOverflow},
      {Variant(std::numeric_limits<double>::quiet_NaN()), err::kOverflow},
      {Variant(SafeArray::ofVariants({Variant(1)})), err::kTypeMismatch},
      {Variant::nothing(), err::kTypeMismatch}, {Variant::missing(), err::kTypeMismatch}};
  // clang-format on
  for (const auto& c : refused) EXPECT_EQ(errorOf([&] { storedForm(c.first); }), c.second);
}

// Whatever callers write reads back as the same number, including the
// four-digit forms that positive 32-bit values and booleans share; only the
// lower-case prefix makes a number.
TEST(StoredFormTest, NumbersReadBackAsWritten) {
  for (const double n : {0.0, 1.0, 25.0, 32767.0, 32768.0, 40000.0, 46000.0, 65534.0, 65536.0, -1.0,
                         -2.0, -1200.0, -32768.0, -40000.0, 2147483647.0, -2147483648.0}) {
    EXPECT_EQ(readForm(storedForm(Variant(n))), Variant(n)) << n;
  }
  EXPECT_EQ(readForm(storedForm(Variant(std::int16_t{-1}))), Variant(-1.0));
  // The documented losses of the shared four-digit form.
  EXPECT_EQ(readForm(storedForm(Variant(std::int16_t{-2}))), Variant(65534.0));
  EXPECT_EQ(readForm(storedForm(Variant(65535.0))), Variant(-1.0));
  EXPECT_EQ(readForm("&H1F"), Variant("&H1F"));
  EXPECT_EQ(readForm(" &h1F"), Variant(" &h1F"));
  EXPECT_EQ(errorOf([] { readForm("&h"); }), err::kTypeMismatch);
  EXPECT_EQ(errorOf([] { readForm("&hxyz"); }), err::kTypeMismatch);
}

}  // namespace
}  // namespace velmora::registry::testing
