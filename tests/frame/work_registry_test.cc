// The registry members forward to the settings store with no trap, pass an
// omitted default on as omitted, and write ErrorCode back to the caller.
#include <commonvelmora/work.h>

#include <filesystem>
#include <vector>

#include "frame/frame_fixture.h"
#include "support/sql_query.h"

namespace velmora::frame::testing {
namespace {

class WorkRegistryTest : public FrameTest {
 protected:
  Variant read(std::vector<Variant> args, Variant& errorCode) {
    args.insert(args.begin() + 2, errorCode);
    Variant result = work_.invoke("ReadRegistryValue", CallKind::Method, args);
    errorCode = args[2];
    return result;
  }

  Work work_;
  const std::string key_ = work_.RegestryString() + "Frame Test\\Window";
};

TEST_F(WorkRegistryTest, AnOmittedDefaultIsNoDefaultButTheEmptyValueIsOne) {
  Variant errorCode(std::int32_t{-99});
  // A key that does not exist is created; without a default: "" and 0.
  EXPECT_EQ(read({Variant(key_), Variant("Left")}, errorCode), Variant(""));
  EXPECT_EQ(errorCode, Variant(std::int32_t{0}));
  // Now the key exists and the value is missing: "" and 2, written through.
  EXPECT_EQ(read({Variant(key_), Variant("Left")}, errorCode), Variant(""));
  EXPECT_EQ(errorCode, Variant(std::int32_t{2}));
  // An explicitly missing default is still no default: nothing is written.
  EXPECT_EQ(read({Variant(key_), Variant("Left"), Variant::missing()}, errorCode), Variant(""));
  EXPECT_EQ(errorCode, Variant(std::int32_t{2}));
  // The empty value is a default: written back, returned unchanged.
  EXPECT_EQ(read({Variant(key_), Variant("Left"), Variant()}, errorCode), Variant());
  EXPECT_EQ(errorCode, Variant(std::int32_t{0}));
  EXPECT_EQ(read({Variant(key_), Variant("Left")}, errorCode), Variant(0.0));
}

TEST_F(WorkRegistryTest, TheStoresErrorsReachTheCaller) {
  std::vector<Variant> args{Variant(key_), Variant("List"),
                            Variant(SafeArray::ofVariants({Variant(1)}))};
  EXPECT_EQ(errorOf([&] { work_.invoke("SetRegistryValue", CallKind::Method, args); }),
            err::kTypeMismatch);
}

TEST_F(WorkRegistryTest, AStoreOfALaterVersionIsRefusedAndLoggedOnce) {
  const std::filesystem::path later = scratch_ / "later.sqlite3";
  std::filesystem::copy_file(
      std::filesystem::path(VELMORA_TEST_SOURCE_DIR) / "registry/fixtures/store-today.sqlite3",
      later);
  test_support::sqlOn(later, "PRAGMA user_version = 9");
  ::setenv("VELMORA_REGISTRY", later.c_str(), 1);
  std::int32_t code = -1;
  work_.ReadRegistryValue(key_, "Left", code);
  EXPECT_EQ(code, 1150);
  EXPECT_EQ(work_.SetRegistryValue(key_, "Left", Variant("1")), 1150);
  const std::string log = readFile(work_.LogFileName());
  const std::string entry = "Error: 1150 the settings file " + later.string();
  ASSERT_NE(log.find(entry), std::string::npos) << log;
  EXPECT_EQ(log.find(entry), log.rfind(entry));
}

}  // namespace
}  // namespace velmora::frame::testing
