// CheckArray, CheckExistsFile and DeleteFile against real files in a scratch folder.
#include <commonvelmora/work.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <numeric>
#include <set>
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
  // The names in the folder, sorted, each followed by a blank.
  std::string remaining() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_.path()))
      names.insert(entry.path().filename().string() + " ");
    return std::accumulate(names.begin(), names.end(), std::string());
  }

  test_support::ScratchFolder dir_{"cvfiles"};
  Work work_;
};

TEST(CheckArrayTest, TrueExactlyForAnUpperBoundOfZeroOrMore) {
  Work work;
  for (auto [array, upperBoundAtLeastZero] : std::vector<std::pair<SafeArray, bool>>{
           {SafeArray(), false},
           {SafeArray::ofVariants({Variant(1)}), true},
           {SafeArray(VarType::Variant, {{0, 0}}), false},            // upper bound -1
           {SafeArray(VarType::Variant, {{0, 2}, {0, 0}}), true}}) {  // the first dimension counts
    EXPECT_EQ(work.CheckArray(array), upperBoundAtLeastZero) << array.dims();
  }
}

TEST(FilePatternTest, StarQuestionMarkAndTheExtensionRule) {
  EXPECT_TRUE(matchesFilePattern("report.log", "r*t.l?g"));
  EXPECT_FALSE(matchesFilePattern("report.log", "*.txt"));
  EXPECT_FALSE(matchesFilePattern("Report.log", "report.*"));  // letter case counts
  EXPECT_TRUE(matchesFilePattern("отчёт.log", "отч?т.*"));     // ? is one character
  EXPECT_TRUE(matchesFilePattern("README", "*.*"));
  EXPECT_FALSE(matchesFilePattern("reports", "report.*"));
}

TEST_F(FileUtilitiesTest, AnEmptyNameAsksNothingAndOneFileThatCannotGoFailsTheCallAlone) {
  CountingFileSystem failing;
  EXPECT_FALSE(CheckExistsFile("", failing));
  EXPECT_FALSE(DeleteFile("", failing));
  EXPECT_EQ(failing.calls, 0);
  failing.undeletable = touch("b.dat");
  touch("a.dat");
  touch("c.dat");
  EXPECT_FALSE(DeleteFile(path("?.dat"), failing));
  EXPECT_EQ(remaining(), "b.dat ");
}

// Hidden files and folders among a pattern's matches are the deleting
// test's; here a folder's own name, a missing folder and links.
TEST_F(FileUtilitiesTest, OnlyOrdinaryFilesMatch) {
  touch("only.log");
  EXPECT_FALSE(work_.CheckExistsFile(dir_.path().string()));
  EXPECT_FALSE(work_.CheckExistsFile(dir_.path().string() + "/"));
  EXPECT_FALSE(work_.CheckExistsFile(path("no-such-folder/*")));
  // A link counts as the file it points to.
  fs::create_symlink(dir_ / "only.log", dir_ / "link.txt");
  fs::create_symlink(dir_ / "gone", dir_ / "dangling.txt");
  EXPECT_TRUE(work_.CheckExistsFile(path("link.txt")));
  EXPECT_FALSE(work_.CheckExistsFile(path("dang*")));
}

TEST_F(FileUtilitiesTest, DeleteRemovesEveryMatchAndNothingElse) {
  touch("one.tmp");
  touch("two.tmp");
  touch("three.tmp");
  touch("keep.txt");
  touch(".hidden.tmp");
  fs::create_directory(dir_ / "dir.tmp");
  EXPECT_TRUE(work_.DeleteFile(path("*.tmp")));
  EXPECT_EQ(remaining(), ".hidden.tmp dir.tmp keep.txt ");
  // Nothing matches any more: a failure.
  EXPECT_FALSE(work_.DeleteFile(path("*.tmp")));
  EXPECT_TRUE(work_.DeleteFile(path("keep.txt")));
  EXPECT_FALSE(work_.DeleteFile(path(".hidden.tmp")));
  EXPECT_FALSE(work_.DeleteFile(path("dir.tmp")));
  EXPECT_EQ(remaining(), ".hidden.tmp dir.tmp ");
}

TEST_F(FileUtilitiesTest, TheFolderPartIsTakenAsItIsOrAsTheCurrentFolderWhenThereIsNone) {
  // Wildcards in the folder part are ordinary characters.
  fs::create_directory(dir_ / "a*");
  std::ofstream(dir_ / "a*" / "inner.txt") << "x";
  EXPECT_TRUE(work_.CheckExistsFile(path("a*/inner.txt")));
  EXPECT_TRUE(work_.CheckExistsFile(path("a*/*.txt")));
  EXPECT_FALSE(work_.CheckExistsFile(path("a?/*.txt")));
  fs::remove_all(dir_ / "a*");

  touch("here.txt");
  const fs::path before = fs::current_path();
  fs::current_path(dir_);
  EXPECT_TRUE(work_.CheckExistsFile("here.txt"));
  EXPECT_TRUE(work_.CheckExistsFile("her?.*"));
  EXPECT_TRUE(work_.DeleteFile("h*"));
  fs::current_path(before);
  EXPECT_EQ(remaining(), "");
}

}  // namespace
}  // namespace velmora::invoke
