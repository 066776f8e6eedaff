// Work as a client reaches it: by name, through its per-thread state and its store members.
#include <commonvelmora/class_registry.h>
#include <commonvelmora/identifiers.h>
#include <commonvelmora/work.h>

#include <filesystem>
#include <thread>
#include <vector>

#include "frame/app_descriptions.h"
#include "frame/frame_fixture.h"
#include "properties/register_classes.h"
#include "support/sql_query.h"

namespace velmora::frame::testing {
namespace {

class WorkByNameTest : public FrameTest {};

// The error of calling `member` by name with `args`, or 0.
int errorCalling(Object& o, std::string_view member, CallKind kind,
                 std::vector<Variant> args = {}) {
  return errorOf([&] { o.invoke(member, kind, args); });
}

TEST_F(WorkByNameTest, KindsAndNamesResolveAsForAScriptClient) {
  Work work;
  const CallKind either = CallKind::Method | CallKind::Get;
  EXPECT_EQ(work.invoke("regestrystring", either, {}), Variant("Software\\Velmora, Ltd.\\"));
  // A property that can only be assigned cannot be read.
  EXPECT_EQ(errorCalling(work, "MaxLogFile", either), err::kNoSuchMember);
  // Nothing registered under a factory's ProgID: nothing, never an error.
  ClassRegistry::instance().remove(ids::kKZPropertyProgId);
  EXPECT_TRUE(work.invoke("GetKZProperty", CallKind::Method, {}).isNothing());
  properties::registerPropertyClasses();
}

TEST_F(WorkByNameTest, ArgumentsAreConvertedOrTakeTheirDefaults) {
  Work work;
  // Text that reads as a number: the conversions' own table says the rest.
  std::vector<Variant> args{Variant("1005")};
  work.invoke("AppNumber", CallKind::Let, args);
  EXPECT_EQ(work.invoke("AppNumber", CallKind::Get, {}), Variant(std::int32_t{1005}));
  // An array argument must be an array; a member that never fails still
  // cannot be handed something else.
  for (const char* member : {"CheckArray", "GetImageData"})
    EXPECT_EQ(errorCalling(work, member, CallKind::Method, {Variant(3)}), err::kTypeMismatch);
  // GetStringDescription forwards an omitted Arguments as missing: the
  // template comes back unchanged.
  std::vector<Variant> templateOnly{Variant("A%0B")};
  EXPECT_EQ(work.invoke("GetStringDescription", CallKind::Method, templateOnly), Variant("A%0B"));
  EXPECT_EQ(work.GetStringDescription("A%0B"), "A%0B");
}

class WorkStateTest : public FrameTest {};

TEST_F(WorkStateTest, WorkObjectsOfOneThreadShareTheStateAndOtherThreadsStartEmpty) {
  Work first;
  first.AppNumber(akDealingDesk);
  first.LogFileName("Trade");
  Work second;  // creating a Work neither reads nor resets the block
  EXPECT_EQ(second.AppNumber(), akDealingDesk);
  EXPECT_EQ(logging::logState().filePrefix, "Trade");

  App_Key seen = akDealingDesk;
  std::string prefixSeen = "unset";
  std::thread other([&] {
    Work third;
    seen = third.AppNumber();
    prefixSeen = logging::logState().filePrefix;
    third.AppNumber(akDataLoader);
  });
  other.join();
  EXPECT_EQ(seen, 0);
  EXPECT_EQ(prefixSeen, "");
  EXPECT_EQ(first.AppNumber(), akDealingDesk);
}

TEST_F(WorkStateTest, TheStringTableIsChosenByTheUsersLanguage) {
  EXPECT_EQ(tableLanguageOf("de_DE.UTF-8"), TableLanguage::German);
  EXPECT_EQ(tableLanguageOf("ru_RU"), TableLanguage::Russian);
  EXPECT_EQ(tableLanguageOf(""), TableLanguage::English);
  // LANGUAGE wins over LANG, as in the C library's message look-up.
  test_support::ScopedEnv language("LANGUAGE", "ru_RU");
  EXPECT_EQ(userTableLanguage(), TableLanguage::Russian);
}

// The registry members forward to the settings store with no trap, pass an
// omitted default on as omitted, and write ErrorCode back to the caller.
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
  // The empty value is a default: written back, returned unchanged.
  EXPECT_EQ(read({Variant(key_), Variant("Left"), Variant()}, errorCode), Variant());
  EXPECT_EQ(errorCode, Variant(std::int32_t{0}));
  // The store's errors reach the caller.
  const Variant list(SafeArray::ofVariants({Variant(1)}));
  EXPECT_EQ(errorCalling(work_, "SetRegistryValue", CallKind::Method,
                         {Variant(key_), Variant("List"), list}),
            err::kTypeMismatch);
}

TEST_F(WorkRegistryTest, AStoreOfALaterVersionIsRefusedAndLoggedOnce) {
  const std::filesystem::path later = scratch_ / "later.sqlite3";
  std::filesystem::copy_file(
      std::filesystem::path(VELMORA_TEST_SOURCE_DIR) / "registry/fixtures/store-today.sqlite3",
      later);
  test_support::sqlOn(later, "PRAGMA user_version = 9");
  ::setenv("VELMORA_REGISTRY", later.c_str(), 1);
  EXPECT_EQ(work_.SetRegistryValue(key_, "Left", Variant("1")), 1150);
  EXPECT_EQ(work_.DeleteRegistryValue(key_, "Left"), 1150);
  const std::string log = readFile(work_.LogFileName());
  const std::string entry = "Error: 1150 the settings file " + later.string();
  ASSERT_NE(log.find(entry), std::string::npos) << log;
  EXPECT_EQ(log.find(entry), log.rfind(entry));
}

}  // namespace
}  // namespace velmora::frame::testing
