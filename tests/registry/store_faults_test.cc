// The store file in trouble (read-only, damaged, busy, many writers, writer
// killed, disk full), the read cache every change must refresh, and stores of
// earlier builds (upgraded), of a later one and no store at all (left alone).
#include <signal.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <thread>
#include <vector>

#include "registry_test_support.h"
#include "support/child_process.h"
#include "support/small_disk.h"
#include "support/sql_query.h"

namespace velmora::registry::testing {
namespace {

using StoreFaultsTest = RegistryTest;
using ReadCacheTest = RegistryTest;
using test_support::exitedCleanly;
using test_support::forkRunning;
using test_support::readFile;
using test_support::sqlOn;

// Runs `body` on a thread of its own, which opens its own connection.
template <class Body>
void onNewThread(Body body) {
  std::thread(body).join();
}

// The code of a read of `name` in `key` that must fail, giving its default.
std::int32_t failedReadCode(const std::string& key, const std::string& name) {
  const auto [value, code] = readOf(key, name, Variant("d"));
  EXPECT_EQ(value, Variant("d"));
  return code;
}

// What this thread's connection reads of `key`: the listing, then each listed
// value read alone, then "" for each name of `absent`.
void expectSeen(const std::string& key, const std::string& listing,
                std::initializer_list<const char*> absent = {}) {
  EXPECT_EQ(namesOf(ReadAllValue(key)), listing);
  for (std::size_t start = 0, end; (end = listing.find(';', start)) != std::string::npos;
       start = end + 1) {
    const std::size_t eq = listing.find('=', start);
    EXPECT_EQ(readOf(key, listing.substr(start, eq - start)).first,
              Variant(listing.substr(eq + 1, end - eq - 1)))
        << listing.substr(start, end - start);
  }
  for (const char* name : absent) EXPECT_EQ(readOf(key, name).first, Variant("")) << name;
}

TEST_F(StoreFaultsTest, NewStoreIsPrivateAndReadOnlyStoreDeniesAccess) {
  ASSERT_EQ(SetRegistryValue("K", "v", Variant("1")), regcode::kSuccess);
  using std::filesystem::perms;
  EXPECT_EQ(std::filesystem::status(storeFile_).permissions() & perms::all, perms(0600));
  EXPECT_EQ(std::filesystem::status(storeFile_.parent_path()).permissions() & perms::all,
            perms(0700));

  // Read-only, it denies access and keeps its values.
  ::chmod(storeFile_.c_str(), 0400);
  onNewThread([] {
    EXPECT_EQ(failedReadCode("K", "v"), regcode::kAccessDenied);
    EXPECT_EQ(SetRegistryValue("K", "v", Variant("2")), regcode::kAccessDenied);
  });
  ::chmod(storeFile_.c_str(), 0600);
  onNewThread([] { EXPECT_EQ(storedData("K", "v"), "1"); });
}

TEST_F(StoreFaultsTest, DamagedPagesGiveACorruptionCode) {
  onNewThread([] {
    for (int i = 0; i < 200; ++i) SetRegistryValue("K", std::to_string(i), Variant("value"));
  });  // the thread's connection closes and folds the log into the file
  {
    std::fstream file(storeFile_, std::ios::binary | std::ios::in | std::ios::out);
    file.seekp(4096);  // every page after the first
    const std::string noise(static_cast<std::size_t>(std::filesystem::file_size(storeFile_)) - 4096,
                            '\xA5');
    file << noise;
  }
  onNewThread([] {
    const std::int32_t code = failedReadCode("K", "1");
    EXPECT_TRUE(code == regcode::kRegistryCorrupt || code == regcode::kBadDatabase) << code;
    EXPECT_NE(SetRegistryValue("K", "new", Variant("x")), regcode::kSuccess);
  });
}

TEST_F(StoreFaultsTest, WaitsForAnotherProcessThenReportsBusy) {
  test_support::ScopedEnv busy("VELMORA_REGISTRY_BUSY_MS", "200");
  onNewThread([] { ASSERT_EQ(SetRegistryValue("K", "old", Variant("1")), regcode::kSuccess); });
  int ready[2], release[2];
  ASSERT_EQ(::pipe(ready), 0);
  ASSERT_EQ(::pipe(release), 0);
  const pid_t child = forkRunning([&] {
    sqlite3* db = nullptr;
    sqlite3_open(storeFile_.c_str(), &db);
    char byte =
        sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK ? 'y' : 'n';
    (void)!::write(ready[1], &byte, 1);
    (void)!::read(release[0], &byte, 1);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    return sqlite3_close(db) == SQLITE_OK;
  });
  char byte = 0;
  ASSERT_EQ(::read(ready[0], &byte, 1), 1);
  ASSERT_EQ(byte, 'y');
  onNewThread([] {
    EXPECT_EQ(SetRegistryValue("K", "new", Variant("2")), regcode::kBusy);
    // Readers do not wait for the writer.
    EXPECT_EQ(readOf("K", "old"), (Reading{Variant("1"), regcode::kSuccess}));
  });
  ASSERT_EQ(::write(release[1], &byte, 1), 1);
  EXPECT_TRUE(exitedCleanly(child));
  onNewThread([] { EXPECT_EQ(SetRegistryValue("K", "new", Variant("2")), regcode::kSuccess); });
  for (int fd : {ready[0], ready[1], release[0], release[1]}) ::close(fd);
}

TEST_F(StoreFaultsTest, FourProcessesWritingAtOnceLoseNothing) {
  constexpr int kProcesses = 4;
  constexpr int kValuesEach = 10000;
  const auto children = test_support::forkChildren(kProcesses, [](int p) {
    bool ok = true;
    for (int i = 0; i < kValuesEach; ++i) {
      const std::string name = std::to_string(p) + "-" + std::to_string(i);
      ok = SetRegistryValue("Shared", name, Variant(std::int32_t{i})) == 0 && ok;
    }
    return ok;
  });
  EXPECT_EQ(test_support::failuresOf(children), 0);
  const Variant table = ReadAllValue("Shared");
  ASSERT_TRUE(table.isArray());
  EXPECT_EQ(table.array().ubound(2) + 1, kProcesses * kValuesEach);
  EXPECT_EQ(sqlOn(storeFile_, "PRAGMA integrity_check"), "ok");
}

TEST_F(StoreFaultsTest, WriterKilledMidwayLeavesEveryCommittedValue) {
  int done[2];
  ASSERT_EQ(::pipe(done), 0);
  const pid_t child = forkRunning([&] {
    for (std::int32_t i = 0;; ++i) {
      if (SetRegistryValue("Loop", "v" + std::to_string(i), Variant(std::string(100, 'x'))) != 0)
        return false;
      (void)!::write(done[1], &i, sizeof i);  // committed
    }
  });
  ::close(done[1]);
  std::int32_t last = -1;
  while (last < 3000 && ::read(done[0], &last, sizeof last) == sizeof last) {
  }
  ::kill(child, SIGKILL);
  for (std::int32_t i; ::read(done[0], &i, sizeof i) == sizeof i;) last = i;
  ::close(done[0]);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status));

  EXPECT_EQ(sqlOn(storeFile_, "PRAGMA integrity_check"), "ok");
  const Variant table = ReadAllValue("Loop");
  ASSERT_TRUE(table.isArray());
  EXPECT_GE(table.array().ubound(2), last);
  for (std::int32_t i = 0; i <= last; ++i)
    ASSERT_EQ(table.array().get({0, i}), Variant("v" + std::to_string(i)));
}

TEST_F(StoreFaultsTest, FullDiskKeepsWhatItAcknowledgedAndRefusesTheRest) {
  std::filesystem::create_directories(storeFile_.parent_path());
  velmora::testing::SmallDisk disk(storeFile_.parent_path(), 1024 * 1024);
  if (!disk.mounted()) GTEST_SKIP() << disk.why();
  const std::string payload(200, 'v');
  std::vector<std::string> kept, refused;
  for (int i = 0; i < 2000 && refused.size() < 20; ++i) {
    const std::string name = "v" + std::to_string(i);
    const std::int32_t code = SetRegistryValue("Full", name, Variant(payload + name));
    ASSERT_TRUE(code == regcode::kSuccess || code == regcode::kDiskFull) << code;
    (code == regcode::kSuccess ? kept : refused).push_back(name);
  }
  ASSERT_FALSE(kept.empty());
  ASSERT_EQ(refused.size(), 20u);
  onNewThread([&] {  // a connection that has seen none of it
    for (const std::string& name : kept) ASSERT_EQ(storedData("Full", name), payload + name);
    for (const std::string& name : refused) ASSERT_EQ(storedData("Full", name), "<absent>");
  });
  EXPECT_EQ(sqlOn(storeFile_, "PRAGMA integrity_check"), "ok");
}

TEST_F(ReadCacheTest, OtherProcessesThreadsAndOwnWritesAreSeenAtOnce) {
  SetRegistryValue("K", "a", Variant("1"));
  SetRegistryValue("K", "b", Variant("2"));
  expectSeen("K", "a=1;b=2;", {"c"});
  expectSeen("K", "a=1;b=2;", {"c"});  // now from what was read
  EXPECT_TRUE(exitedCleanly(forkRunning([] {
    return SetRegistryValue("K", "b", Variant("changed")) == 0 &&
           SetRegistryValue("K", "c", Variant("3")) == 0;
  })));
  expectSeen("K", "a=1;b=changed;c=3;");
  EXPECT_TRUE(exitedCleanly(forkRunning([] { return DeleteRegistryValue("K", "a") == 0; })));
  expectSeen("K", "b=changed;c=3;", {"a"});
  std::thread([] { SetRegistryValue("K", "d", Variant("4")); }).join();
  expectSeen("K", "b=changed;c=3;d=4;");

  // Its own deletes, also through a key handle of its own as the
  // export/import and tool paths write (its own writes are read back by
  // every other test).
  DeleteRegistryValue("K", "c");
  expectSeen("K", "b=changed;d=4;", {"c"});
  std::unique_ptr<RegistryKey> handle;
  ASSERT_EQ(userRegistryStore().openKey("K", handle), regcode::kSuccess);
  ASSERT_EQ(handle->setStringValue("c", "6"), regcode::kSuccess);
  expectSeen("K", "b=changed;d=4;c=6;");
  ASSERT_EQ(handle->deleteValue("b"), regcode::kSuccess);
  expectSeen("K", "d=4;c=6;", {"b"});
  ASSERT_EQ(DeleteRegistryKey("K"), regcode::kSuccess);
  expectSeen("K", "", {"c"});  // made anew, empty
}

TEST_F(ReadCacheTest, KeyDeletedElsewhereIsNotReusedByItsOldId) {
  SetRegistryValue("A", "v", Variant("from A"));
  expectSeen("A", "v=from A;");
  // The freed row id may go to the next key made; "A" must not follow it.
  EXPECT_TRUE(exitedCleanly(forkRunning([] {
    return DeleteRegistryKey("A") == 0 && SetRegistryValue("B", "w", Variant("from B")) == 0;
  })));
  EXPECT_EQ(namesOf(ReadAllValue("A")), "");
  EXPECT_EQ(namesOf(ReadAllValue("B")), "w=from B;");
  failedReadCode("A", "v");
}

namespace fs = std::filesystem;

const std::string kWindow = "Software\\Velmora, Ltd.\\Trader\\Window";
const std::string kDealer = "Software\\Velmora, Ltd.\\Dealer";

std::vector<std::pair<std::int32_t, std::string>> reports;  // the code and text of each

class StoreVersionsTest : public RegistryTest {
 protected:
  void SetUp() override {
    RegistryTest::SetUp();
    reports.clear();
    setStoreReportSink([](std::int32_t code, std::string_view text) {
      reports.push_back({code, std::string(text)});
    });
  }
  void TearDown() override { setStoreReportSink(nullptr); }

  // A store file of its own for each case, so that no connection of this
  // thread still holds the file before.
  void useNewStoreFile(const std::string& folder) {
    storeFile_ = folder_ / folder / "registry.sqlite3";
    ::setenv("VELMORA_REGISTRY", storeFile_.c_str(), 1);
    fs::create_directories(storeFile_.parent_path());
  }

  // The fixture `name` as this test's store.
  void useFixture(const std::string& name) {
    useNewStoreFile(name);
    fs::copy_file(fs::path(VELMORA_TEST_SOURCE_DIR) / "registry" / "fixtures" / name, storeFile_);
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

  // Exactly one report was made, with `code` and naming `part`.
  static void expectOneReport(std::int32_t code, const std::string& part) {
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].first, code);
    EXPECT_NE(reports[0].second.find(part), std::string::npos) << reports[0].second;
  }
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
    useFixture(fixture);
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
    expectOneReport(regcode::kSuccess, backup(2).string());
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
      EXPECT_EQ(failedReadCode(kWindow, "Left"), regcode::kNewerStore);
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
  expectOneReport(
      regcode::kNewerStore,
      storeFile_.string() + " was written by a newer version of the library (store version 2");
  EXPECT_EQ(userRegistryStore().problem(), reports[0].second);
}

TEST_F(StoreVersionsTest, FileThatIsNoStoreIsNamedAndKeptByteForByte) {
  fs::create_directories(storeFile_.parent_path());
  const std::string garbage(8192, '\x5a');
  std::ofstream(storeFile_, std::ios::binary) << garbage;
  EXPECT_EQ(failedReadCode("K", "v"), regcode::kBadDatabase);
  EXPECT_EQ(SetRegistryValue("K", "v", Variant("1")), regcode::kBadDatabase);
  EXPECT_EQ(readFile(storeFile_), garbage);
  expectOneReport(regcode::kBadDatabase, storeFile_.string() + " is not a database");

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
