// Reading a key again answers from what the connection read before, for as
// long as nothing has changed the file: every change, by another process,
// another thread or this one, must be seen by the very next read.
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

#include "registry_test_support.h"

namespace velmora::registry::testing {
namespace {

using ReadCacheTest = RegistryTest;

// The value `name` of `key` reads as, without a default.
Variant valueOf(const std::string& key, const std::string& name) {
  std::int32_t code = -1;
  return ReadRegistryValue(key, name, code, Variant::missing());
}

// The names and values of a listing, in order ("" for no listing at all).
std::string namesOf(const Variant& listing) {
  if (!listing.isArray()) return "";
  std::string names;
  const SafeArray& table = listing.array();
  for (std::int32_t i = 0; i <= table.ubound(2); ++i) {
    names += toText(table.get({0, i})) + "=" + toText(table.get({1, i})) + ";";
  }
  return names;
}

// Runs `body` in a child process and waits for it; the child has its own
// connection, as another application would.
template <class Body>
void inOtherProcess(Body body) {
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) ::_exit(body() ? 0 : 1);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

TEST_F(ReadCacheTest, OtherProcessesAndThreadsAreSeenAtOnce) {
  SetRegistryValue("K", "a", Variant("1"));
  SetRegistryValue("K", "b", Variant("2"));
  ASSERT_EQ(namesOf(ReadAllValue("K")), "a=1;b=2;");
  ASSERT_EQ(namesOf(ReadAllValue("K")), "a=1;b=2;");  // now from what was read
  ASSERT_EQ(valueOf("K", "b"), Variant("2"));
  ASSERT_EQ(valueOf("K", "c"), Variant(""));

  inOtherProcess([] {
    return SetRegistryValue("K", "b", Variant("changed")) == 0 &&
           SetRegistryValue("K", "c", Variant("3")) == 0;
  });
  EXPECT_EQ(namesOf(ReadAllValue("K")), "a=1;b=changed;c=3;");
  EXPECT_EQ(valueOf("K", "b"), Variant("changed"));
  EXPECT_EQ(valueOf("K", "c"), Variant("3"));
  ASSERT_EQ(valueOf("K", "a"), Variant("1"));

  inOtherProcess([] { return DeleteRegistryValue("K", "a") == 0; });
  EXPECT_EQ(namesOf(ReadAllValue("K")), "b=changed;c=3;");
  EXPECT_EQ(valueOf("K", "a"), Variant(""));

  std::thread([] { SetRegistryValue("K", "d", Variant("4")); }).join();
  EXPECT_EQ(namesOf(ReadAllValue("K")), "b=changed;c=3;d=4;");
  EXPECT_EQ(valueOf("K", "d"), Variant("4"));
}

TEST_F(ReadCacheTest, KeyDeletedElsewhereIsNotReusedByItsOldId) {
  SetRegistryValue("A", "v", Variant("from A"));
  ASSERT_EQ(namesOf(ReadAllValue("A")), "v=from A;");
  ASSERT_EQ(valueOf("A", "v"), Variant("from A"));
  // The freed row id may go to the next key made; "A" must not follow it.
  inOtherProcess([] {
    return DeleteRegistryKey("A") == 0 && SetRegistryValue("B", "w", Variant("from B")) == 0;
  });
  EXPECT_EQ(namesOf(ReadAllValue("A")), "");
  EXPECT_EQ(namesOf(ReadAllValue("B")), "w=from B;");
  std::int32_t code = -1;
  EXPECT_EQ(ReadRegistryValue("A", "v", code, Variant("none")), Variant("none"));
}

TEST_F(ReadCacheTest, OwnWritesAndDeletesAreSeenAtOnce) {
  SetRegistryValue("K", "a", Variant("1"));
  ASSERT_EQ(namesOf(ReadAllValue("K")), "a=1;");
  ASSERT_EQ(valueOf("K", "a"), Variant("1"));
  SetRegistryValue("K", "a", Variant("2"));
  EXPECT_EQ(namesOf(ReadAllValue("K")), "a=2;");
  EXPECT_EQ(valueOf("K", "a"), Variant("2"));
  SetRegistryValue("K", "b", Variant("3"));
  EXPECT_EQ(namesOf(ReadAllValue("K")), "a=2;b=3;");
  DeleteRegistryValue("K", "a");
  EXPECT_EQ(namesOf(ReadAllValue("K")), "b=3;");
  EXPECT_EQ(valueOf("K", "a"), Variant(""));

  // A key handle of its own writing, as the export/import and tool paths do.
  std::unique_ptr<RegistryKey> handle;
  ASSERT_EQ(userRegistryStore().openKey("K", handle), regcode::kSuccess);
  ASSERT_EQ(valueOf("K", "c"), Variant(""));
  ASSERT_EQ(handle->setStringValue("c", "4"), regcode::kSuccess);
  EXPECT_EQ(namesOf(ReadAllValue("K")), "b=3;c=4;");
  EXPECT_EQ(valueOf("K", "c"), Variant("4"));
  ASSERT_EQ(handle->deleteValue("b"), regcode::kSuccess);
  EXPECT_EQ(namesOf(ReadAllValue("K")), "c=4;");
  EXPECT_EQ(valueOf("K", "b"), Variant(""));

  ASSERT_EQ(DeleteRegistryKey("K"), regcode::kSuccess);
  EXPECT_EQ(valueOf("K", "c"), Variant(""));
  EXPECT_EQ(namesOf(ReadAllValue("K")), "");  // made anew, empty
}

}  // namespace
}  // namespace velmora::registry::testing
