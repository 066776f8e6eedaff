// The two writers, the entry format and the size cap, on real files.
#include <regex>

#include "log_test_support.h"
#include "support/small_disk.h"

namespace velmora::logging::testing {
namespace {

namespace fs = std::filesystem;

using LogWriterTest = LogTest;

TEST_F(LogWriterTest, EntriesAreTimeStampBlankAndTextInTheUsersOwnFile) {
  ASSERT_TRUE(StoreMessageToLog("Started"));
  ASSERT_TRUE(StoreMessageToLog(""));
  ASSERT_TRUE(StoreErrorToLog(-5, "Timeout"));
  ASSERT_TRUE(StoreErrorToLog(INT32_MIN, "Lowest"));
  const std::string text = readFile(todaysFile());
  ASSERT_EQ(text.substr(text.size() - 2), "\r\n");
  const auto lines = splitLines(text);
  ASSERT_EQ(lines.size(), 4u);
  // "3/7/2024 2:05:09 PM" (or the date alone at midnight) and what follows.
  const std::regex usEntry(R"((\d{1,2}/\d{1,2}/\d{4}(?: \d{1,2}:\d\d:\d\d [AP]M)?) (.*))");
  std::smatch m;
  ASSERT_TRUE(std::regex_match(lines[0], m, usEntry)) << lines[0];
  EXPECT_EQ(m[2], "Started");
  // An empty text leaves the line ending in the blank.
  EXPECT_EQ(lines[1].back(), ' ');
  EXPECT_TRUE(std::regex_match(lines[1].substr(0, lines[1].size() - 1) + " x", usEntry));
  EXPECT_TRUE(lines[2].ends_with(" Error: -5 Timeout"));
  EXPECT_TRUE(lines[3].ends_with(" Error: -2147483648 Lowest"));
  const auto perms = fs::status(todaysFile()).permissions();
  EXPECT_EQ(perms & (fs::perms::group_all | fs::perms::others_all), fs::perms::none);
}

TEST_F(LogWriterTest, TextsAreWrittenByteForByteAndWhole) {
  logState().maxLogFile = 64 << 20;
  const std::string twoLines = "first\r\nsecond";
  const std::string odd = std::string("nul\0inside ", 11) + "\xff\xfe bad utf-8 \xd0";
  const std::string big(10 << 20, 'x');
  ASSERT_TRUE(StoreMessageToLog(twoLines));
  ASSERT_TRUE(StoreErrorToLog(7, odd));
  ASSERT_TRUE(StoreMessageToLog(big));
  const auto lines = splitLines(readFile(todaysFile()));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_TRUE(lines[0].ends_with(" first"));
  EXPECT_EQ(lines[1], "second");
  EXPECT_TRUE(lines[2].ends_with(" Error: 7 " + odd));
  EXPECT_TRUE(lines[3].ends_with(" " + big));
}

TEST_F(LogWriterTest, EntryFindingTheFileAtTheCapStartsItAfresh) {
  logState().maxLogFile = 100;
  const fs::path file = todaysFile();
  ASSERT_TRUE(StoreMessageToLog(std::string(60, 'a')));
  ASSERT_TRUE(StoreMessageToLog("below the cap still"));  // ~60+ bytes: under 100
  ASSERT_LT(fs::file_size(file), 100u + 60u);
  ASSERT_GE(fs::file_size(file), 100u);
  ASSERT_TRUE(StoreMessageToLog("fresh"));
  const auto lines = splitLines(readFile(file));
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_TRUE(lines[0].ends_with(" fresh"));

  // A cap below one becomes one mebibyte and stays.
  for (std::int32_t cap : {0, -1, INT32_MIN}) {
    logState().maxLogFile = cap;
    ASSERT_TRUE(StoreMessageToLog("entry"));
    EXPECT_EQ(logState().maxLogFile, 1048576);
  }
}

TEST_F(LogWriterTest, UnusableFolderOrFileFailsUntilTheCauseIsGone) {
  {
    const std::string missing = (scratch_ / "gone" / "deeper").string();
    ScopedEnv tmp("TMPDIR", missing.c_str());
    EXPECT_FALSE(StoreMessageToLog("lost"));
    EXPECT_FALSE(OpenLogFile());
    EXPECT_FALSE(fs::exists(scratch_ / "gone"));
  }
  const fs::path file = todaysFile();
  fs::create_directory(file);  // a folder where the file belongs
  EXPECT_FALSE(StoreMessageToLog("lost"));
  fs::remove(file);
  fs::create_symlink("/dev/full", file);  // opens, but every write fails
  EXPECT_FALSE(StoreMessageToLog("lost"));
  fs::remove(file);
  EXPECT_TRUE(StoreMessageToLog("kept"));
  EXPECT_EQ(splitLines(readFile(file)).size(), 1u);
}

TEST_F(LogWriterTest, EntryTheDiskHasNoRoomForIsCutOffAgain) {
  velmora::testing::SmallDisk disk(scratch_, 64 * 1024);
  if (!disk.mounted()) GTEST_SKIP() << disk.why();
  ASSERT_TRUE(StoreMessageToLog("before the disk filled"));
  const fs::path file = todaysFile();
  const std::string before = readFile(file);
  disk.fill("filler");
  // Longer than what is left of the file's last page: the disk takes the
  // first part of it and then no more.
  EXPECT_FALSE(StoreMessageToLog(std::string(3 * 4096, 'x')));
  EXPECT_EQ(readFile(file), before);
  fs::remove(scratch_ / "filler");
  ASSERT_TRUE(StoreMessageToLog("after"));
  const auto lines = splitLines(readFile(file));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_TRUE(lines[1].ends_with(" after")) << lines[1];
}

TEST_F(LogWriterTest, AnOpenSlotTakesTheEntry) {
  ASSERT_TRUE(OpenLogFile());
  const fs::path file = todaysFile();
  // Renamed while open: the entry still goes to the file held in the slot,
  // which the writer closes afterwards.
  fs::rename(file, scratch_ / "held.log");
  ASSERT_TRUE(StoreMessageToLog("to the held file"));
  EXPECT_EQ(splitLines(readFile(scratch_ / "held.log")).size(), 1u);
  EXPECT_FALSE(fs::exists(file));
  ASSERT_TRUE(StoreMessageToLog("to today's file"));
  EXPECT_TRUE(fs::exists(file));
  EXPECT_TRUE(CloseLogFile());
  EXPECT_TRUE(CloseLogFile());
}

}  // namespace
}  // namespace velmora::logging::testing
