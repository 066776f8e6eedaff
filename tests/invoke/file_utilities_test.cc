// CheckArray, CheckExistsFile and DeleteFile against real files in a scratch
// folder.
#include <commonvelmora/work.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "invoke/extended_procedures.h"
#include "platform/file_system.h"
#include "support/scratch.h"

namespace velmora::invoke {
namespace {

namespace fs = std::filesystem;

// The real file system, counting the calls made to it; deleting the file
// named `undeletable` fails.
class CountingFileSystem final : public FileSystem {
 public:
  int calls = 0;
  std::string undeletable;

  char separator() const override { return real().separator(); }
  std::string tempFolder() override { return ++calls, real().tempFolder(); }
  std::string libraryFolder() override { return ++calls, real().libraryFolder(); }
  bool folderExists(const std::string& p) override { return ++calls, real().folderExists(p); }
  bool createFolder(const std::string& p) override { return ++calls, real().createFolder(p); }
  std::int64_t fileSize(const std::string& p) override { return ++calls, real().fileSize(p); }
  bool deleteFile(const std::string& p) override {
    return ++calls, p != undeletable && real().deleteFile(p);
  }
  std::vector<std::string> ordinaryFiles(const std::string& f) override {
    return ++calls, real().ordinaryFiles(f);
  }
  bool isOrdinaryFile(const std::string& p) override { return ++calls, real().isOrdinaryFile(p); }
  std::unique_ptr<AppendFile> openAppend(const std::string& p) override {
    return ++calls, real().openAppend(p);
  }

 private:
  static FileSystem& real() { return defaultFileSystem(); }
};

class FileUtilitiesTest : public ::testing::Test {
 protected:
  std::string touch(const std::string& name) {
    std::ofstream(dir_ / name) << "x";
    return path(name);
  }
  std::string path(const std::string& name) const { return (dir_ / name).string(); }

  test_support::ScratchFolder dir_{"cvfiles"};
  Work work_;
};

TEST(CheckArrayTest, TrueExactlyForAnUpperBoundOfZeroOrMore) {
  Work work;
  SafeArray never;
  EXPECT_FALSE(work.CheckArray(never));
  SafeArray one = SafeArray::ofVariants({Variant(1)});
  EXPECT_TRUE(work.CheckArray(one));
  SafeArray emptied(VarType::Variant, {{0, 0}});  // upper bound -1
  EXPECT_FALSE(work.CheckArray(emptied));
  SafeArray fromOne(VarType::Variant, {{1, 3}});
  EXPECT_TRUE(work.CheckArray(fromOne));
  SafeArray negative(VarType::Variant, {{-5, 5}});  // -5 to -1
  EXPECT_FALSE(work.CheckArray(negative));
  SafeArray twoDims(VarType::Variant, {{0, 2}, {0, 0}});  // only the first dimension counts
  EXPECT_TRUE(work.CheckArray(twoDims));
}

TEST(FilePatternTest, StarQuestionMarkAndTheExtensionRule) {
  EXPECT_TRUE(matchesFilePattern("report.log", "*.log"));
  EXPECT_TRUE(matchesFilePattern("report.log", "r*t.l?g"));
  EXPECT_TRUE(matchesFilePattern("aXbXc", "*X*c"));
  EXPECT_FALSE(matchesFilePattern("report.log", "*.txt"));
  EXPECT_FALSE(matchesFilePattern("report.log", "report.lo"));
  EXPECT_FALSE(matchesFilePattern("Report.log", "report.*"));  // letter case counts
  EXPECT_TRUE(matchesFilePattern("отчёт.log", "отч?т.*"));     // ? is one character
  EXPECT_FALSE(matchesFilePattern("ab", "a??"));
  EXPECT_TRUE(matchesFilePattern("README", "*.*"));
  EXPECT_TRUE(matchesFilePattern("report", "report.*"));
  EXPECT_FALSE(matchesFilePattern("reports", "report.*"));
}

TEST_F(FileUtilitiesTest, EmptyNameIsFalseWithoutTouchingTheFileSystem) {
  CountingFileSystem counting;
  EXPECT_FALSE(CheckExistsFile("", counting));
  EXPECT_FALSE(DeleteFile("", counting));
  EXPECT_EQ(counting.calls, 0);
}

TEST_F(FileUtilitiesTest, OnlyOrdinaryFilesMatch) {
  touch("only.log");
  touch(".hidden.log");
  fs::create_directory(dir_ / "folder.log");
  EXPECT_TRUE(work_.CheckExistsFile(path("*.log")));
  EXPECT_TRUE(work_.CheckExistsFile(path("only.log")));
  EXPECT_FALSE(work_.CheckExistsFile(path("folder.log")));
  EXPECT_FALSE(work_.CheckExistsFile(path("folder*")));
  EXPECT_FALSE(work_.CheckExistsFile(dir_.path().string()));
  EXPECT_FALSE(work_.CheckExistsFile(dir_.path().string() + "/"));
  EXPECT_FALSE(work_.CheckExistsFile(path(".hidden.log")));
  EXPECT_FALSE(work_.CheckExistsFile(path(".hid*")));
  EXPECT_FALSE(work_.CheckExistsFile(path("missing.log")));
  EXPECT_FALSE(work_.CheckExistsFile(path("no-such-folder/*")));
  // A link counts as the file it points to.
  fs::create_symlink(dir_ / "only.log", dir_ / "link.txt");
  fs::create_symlink(dir_ / "gone", dir_ / "dangling.txt");
  EXPECT_TRUE(work_.CheckExistsFile(path("link.txt")));
  EXPECT_FALSE(work_.CheckExistsFile(path("dang*")));
}

TEST_F(FileUtilitiesTest, WildcardsInTheFolderPartAreOrdinaryCharacters) {
  fs::create_directory(dir_ / "a*");
  std::ofstream(dir_ / "a*" / "inner.txt") << "x";
  EXPECT_TRUE(work_.CheckExistsFile(path("a*/inner.txt")));
  EXPECT_TRUE(work_.CheckExistsFile(path("a*/*.txt")));
  EXPECT_FALSE(work_.CheckExistsFile(path("a?/*.txt")));
}

TEST_F(FileUtilitiesTest, DeleteRemovesEveryMatchAndNothingElse) {
  touch("one.tmp");
  touch("two.tmp");
  touch("three.tmp");
  touch("keep.txt");
  touch(".hidden.tmp");
  fs::create_directory(dir_ / "dir.tmp");
  EXPECT_TRUE(work_.DeleteFile(path("*.tmp")));
  EXPECT_FALSE(fs::exists(dir_ / "one.tmp"));
  EXPECT_FALSE(fs::exists(dir_ / "two.tmp"));
  EXPECT_FALSE(fs::exists(dir_ / "three.tmp"));
  EXPECT_TRUE(fs::exists(dir_ / "keep.txt"));
  EXPECT_TRUE(fs::exists(dir_ / ".hidden.tmp"));
  EXPECT_TRUE(fs::is_directory(dir_ / "dir.tmp"));
  // Nothing matches any more: a failure.
  EXPECT_FALSE(work_.DeleteFile(path("*.tmp")));
  EXPECT_TRUE(work_.DeleteFile(path("keep.txt")));
  EXPECT_FALSE(fs::exists(dir_ / "keep.txt"));
  EXPECT_FALSE(work_.DeleteFile(path(".hidden.tmp")));
  EXPECT_FALSE(work_.DeleteFile(path("dir.tmp")));
}

TEST_F(FileUtilitiesTest, OneFileThatCannotGoFailsTheCallButNotTheOthers) {
  CountingFileSystem failing;
  failing.undeletable = touch("b.dat");
  touch("a.dat");
  touch("c.dat");
  EXPECT_FALSE(DeleteFile(path("?.dat"), failing));
  EXPECT_FALSE(fs::exists(dir_ / "a.dat"));
  EXPECT_TRUE(fs::exists(dir_ / "b.dat"));
  EXPECT_FALSE(fs::exists(dir_ / "c.dat"));
}

TEST_F(FileUtilitiesTest, NameWithoutAFolderIsLookedUpInTheCurrentFolder) {
  touch("here.txt");
  const fs::path before = fs::current_path();
  fs::current_path(dir_);
  EXPECT_TRUE(work_.CheckExistsFile("here.txt"));
  EXPECT_TRUE(work_.CheckExistsFile("her?.*"));
  EXPECT_TRUE(work_.DeleteFile("h*"));
  fs::current_path(before);
  EXPECT_FALSE(fs::exists(dir_ / "here.txt"));
}

}  // namespace
}  // namespace velmora::invoke
