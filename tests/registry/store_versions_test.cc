// Stores written by earlier builds open with every value intact; a store of a
// later build, and a file that is no store, are left exactly as they are.
#include <fstream>
#include <thread>
#include <vector>

#include "registry_test_support.h"
#include "support/sql_query.h"

namespace velmora::registry::testing {
namespace {

namespace fs = std::filesystem;

const std::string kWindow = "Software\\Velmora, Ltd.\\Trader\\Window";
const std::string kDealer = "Software\\Velmora, Ltd.\\Dealer";

using test_support::readFile;
using test_support::sqlOn;

struct Report {
  std::int32_t code;
  std::string text;
};
std::vector<Report> reports;

class StoreVersionsTest : public RegistryTest {
 protected:
  void SetUp() override {
    RegistryTest::SetUp();
    reports.clear();
    setStoreReportSink([](std::int32_t code, std::string_view text) {
      reports.push_back({code, std::string(text)});
    });
  }
  void TearDown() override {
    setStoreReportSink(nullptr);
    RegistryTest::TearDown();
  }

  // A store file of its own for each case, so that no connection of this
  // thread still holds the file before.
  void useNewStoreFile(const std::string& folder) {
    storeFile_ = folder_ / folder / "registry.sqlite3";
    ::setenv("VELMORA_REGISTRY", storeFile_.c_str(), 1);
    fs::create_directories(storeFile_.parent_path());
  }

  // The fixture `name` as this test's store; returns its bytes.
  std::string useFixture(const std::string& name) {
    useNewStoreFile(name);
    fs::copy_file(fs::path(VELMORA_TEST_SOURCE_DIR) / "registry" / "fixtures" / name, storeFile_);
    return readFile(storeFile_);
  }

  // Every setting the fixtures hold reads back as written, in its order,
  // and the store takes new values after them.
  void expectFixtureSettings() {
    EXPECT_EQ(namesOf(ReadAllValue(kWindow)), "Left=100;Top=-1;Caption=Цена;Empty=;");
    EXPECT_EQ(namesOf(ReadAllValue(kDealer)), "Ключ=значение;Mixed Case=12;");
    std::unique_ptr<RegistryKey> empty;
    EXPECT_EQ(userRegistryStore().openKey("software\\VELMORA, LTD.\\trader\\columns window", empty),
              regcode::kSuccess);
    EXPECT_EQ(SetRegistryValue(kWindow, "Width", Variant(std::int32_t{640})), regcode::kSuccess);
    EXPECT_EQ(SetRegistryValue(kWindow, "left", Variant(std::int32_t{5})), regcode::kSuccess);
    EXPECT_EQ(namesOf(ReadAllValue(kWindow)), "Left=5;Top=-1;Caption=Цена;Empty=;Width=640;");
    EXPECT_EQ(sqlOn(storeFile_, "PRAGMA user_version"), "1");
  }

  fs::path backup(int n) const { return storeFile_.string() + ".bak-" + std::to_string(n); }
};

TEST_F(StoreVersionsTest, TodaysStoreOpensAsItIs) {
  useFixture("store-today.sqlite3");
  expectFixtureSettings();
  EXPECT_FALSE(fs::exists(backup(1)));
  EXPECT_TRUE(reports.empty());
}

TEST_F(StoreVersionsTest, EarlierLayoutsAreUpgradedAfterACopyIsKept) {
  for (const char* fixture : {"store-first-layout.sqlite3", "store-unversioned.sqlite3"}) {
    SCOPED_TRACE(fixture);
    reports.clear();
    const std::string original = useFixture(fixture);
    // A copy from an earlier upgrade is never overwritten.
    std::ofstream(backup(1)) << "kept";
    expectFixtureSettings();
    EXPECT_EQ(readFile(backup(1)), "kept");
    ASSERT_TRUE(fs::exists(backup(2)));
    EXPECT_EQ(fs::status(backup(2)).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    // The copy is the store as it was: the first layout, every value in it.
    EXPECT_EQ(sqlOn(backup(2), "SELECT count(*) FROM vals"), "6");
    EXPECT_EQ(sqlOn(backup(2), "SELECT pk FROM pragma_table_info('vals') WHERE name = 'seq'"), "1");
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].code, regcode::kSuccess);
    EXPECT_NE(reports[0].text.find(backup(2).string()), std::string::npos) << reports[0].text;
    // Another thread, with a connection of its own, finds the work done.
    std::thread([] {
      EXPECT_EQ(namesOf(ReadAllValue(kDealer)), "Ключ=значение;Mixed Case=12;");
    }).join();
    EXPECT_FALSE(fs::exists(backup(3)));
  }
}

TEST_F(StoreVersionsTest, LaterVersionIsLeftUntouchedAndReportedOnce) {
  useFixture("store-today.sqlite3");
  ASSERT_EQ(sqlOn(storeFile_, "PRAGMA user_version = 2"), "");
  const std::string later = readFile(storeFile_);
  for (int round = 0; round < 2; ++round) {
    std::thread([] {
      std::int32_t code = -1;
      EXPECT_EQ(ReadRegistryValue(kWindow, "Left", code, Variant("d")), Variant("d"));
      EXPECT_EQ(code, regcode::kNewerStore);
      EXPECT_EQ(SetRegistryValue(kWindow, "Left", Variant("1")), regcode::kNewerStore);
      EXPECT_EQ(DeleteRegistryValue(kWindow, "Left"), regcode::kNewerStore);
      EXPECT_EQ(DeleteRegistryKey(kWindow), regcode::kNewerStore);
      EXPECT_TRUE(ReadAllValue(kWindow).isEmpty());
      Variant table = ReadAllValue(kDealer);
      EXPECT_EQ(SetAllValue(kDealer, table), regcode::kNewerStore);
    }).join();
  }
  EXPECT_EQ(readFile(storeFile_), later);
  EXPECT_FALSE(fs::exists(backup(1)));
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].code, regcode::kNewerStore);
  EXPECT_NE(reports[0].text.find(storeFile_.string()), std::string::npos);
  EXPECT_NE(reports[0].text.find("store version 2"), std::string::npos) << reports[0].text;
  EXPECT_EQ(userRegistryStore().problem(), reports[0].text);
}

TEST_F(StoreVersionsTest, FileThatIsNoStoreIsNamedAndKeptByteForByte) {
  fs::create_directories(storeFile_.parent_path());
  const std::string garbage(8192, '\x5a');
  std::ofstream(storeFile_, std::ios::binary) << garbage;
  std::int32_t code = -1;
  EXPECT_EQ(ReadRegistryValue("K", "v", code, Variant("d")), Variant("d"));
  EXPECT_EQ(code, regcode::kBadDatabase);
  EXPECT_EQ(SetRegistryValue("K", "v", Variant("1")), regcode::kBadDatabase);
  EXPECT_EQ(readFile(storeFile_), garbage);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].code, regcode::kBadDatabase);
  EXPECT_NE(userRegistryStore().problem().find(storeFile_.string() + " is not a database"),
            std::string::npos);

  // A database of something else is no store either, and stays as it was.
  useNewStoreFile("foreign");
  ASSERT_EQ(sqlOn(storeFile_, "CREATE TABLE orders(id)"), "");
  const std::string foreign = readFile(storeFile_);
  EXPECT_EQ(SetRegistryValue("K", "v", Variant("1")), regcode::kBadDatabase);
  EXPECT_EQ(readFile(storeFile_), foreign);
  EXPECT_NE(userRegistryStore().problem().find("not a settings store"), std::string::npos);
}

}  // namespace
}  // namespace velmora::registry::testing
