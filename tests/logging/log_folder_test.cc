// The log folder rule on Windows- and POSIX-style names, then on real folders; file names.
#include <cmath>
#include <thread>
#include <vector>

#include "log_test_support.h"
#include "logging/log_folder_rule.h"
#include "platform/file_system.h"
#include "platform/locale.h"
#include "platform/path_names.h"

namespace velmora::logging::testing {
namespace {

namespace fs = std::filesystem;

using LogFolderTest = LogTest;

TEST(ParentFolderName, IgnoresTrailingSeparatorsAndKeepsRoots) {
  EXPECT_EQ(parentFolderName(R"(C:\Temp)", '\\'), R"(C:\)");
  EXPECT_EQ(parentFolderName(R"(C:\)", '\\'), "");
  EXPECT_EQ(parentFolderName("/home/u/.local/tmp/", '/'), "/home/u/.local");  // a trailing one
  EXPECT_EQ(parentFolderName("/tmp", '/'), "/");
  EXPECT_EQ(parentFolderName("tmp", '/'), "");
  // A colon means nothing special where '/' separates.
  EXPECT_EQ(parentFolderName("a:/b", '/'), "a:");
}

// The profile test is a plain suffix test on the upper-cased parent:
// ".local" and "AppData\Local" count, "Local Settings" does not.
TEST(PlanLogFolder, ProfileTempFoldersLogUnderVelmoraManagerOthersInsideThemselves) {
  struct Case {
    const char* temp;
    char separator;
    const char* profileFolder;
    const char* logFolder;
  };
  for (const Case& c : std::vector<Case>{
           {R"(C:\Users\u\AppData\Local\Temp\)", '\\',
            R"(C:\Users\u\AppData\Local\Velmora Manager)",
            R"(C:\Users\u\AppData\Local\Velmora Manager\LogFiles)"},
           {R"(C:\Users\u\AppData\Roaming\Temp)", '\\',
            R"(C:\Users\u\AppData\Roaming\Velmora Manager)",
            R"(C:\Users\u\AppData\Roaming\Velmora Manager\LogFiles)"},
           {"/srv/nonlocal/tmp/", '/', "/srv/nonlocal/Velmora Manager",
            "/srv/nonlocal/Velmora Manager/LogFiles"},
           {R"(C:\Documents and Settings\u\Local Settings\Temp)", '\\', "",
            R"(C:\Documents and Settings\u\Local Settings\Temp\LogFiles)"},
           {R"(C:\Users\u\AppData\Local\Temp)", '/', "",
            R"(C:\Users\u\AppData\Local\Temp/LogFiles)"},
           {R"(/x/Local\/tmp)", '/', "", R"(/x/Local\/tmp/LogFiles)"},  // '\' is no separator here
           {"/tmp/x/", '/', "", "/tmp/x/LogFiles"}}) {                  // no doubled separator
    const LogFolderPlan plan = planLogFolder(c.temp, c.separator);
    EXPECT_EQ(plan.profileFolder, c.profileFolder) << c.temp;
    EXPECT_EQ(plan.logFolder, c.logFolder) << c.temp;
  }
  EXPECT_TRUE(isProfileFolder(R"(C:\Users\u\AppData\Roaming\)", '\\'));  // a trailing separator
}

TEST_F(LogFolderTest, PlainTempFolderGetsLogFilesInsideOrNoNameWhenItCannotBeHad) {
  ASSERT_TRUE(GetLogFolder());
  EXPECT_EQ(logState().folder, logFolder().string());
  EXPECT_TRUE(fs::is_directory(logFolder()));
  // The parent of the log folder is missing: one level is created at most.
  const std::string missing = (scratch_ / "gone" / "deeper").string();
  {
    ScopedEnv tmp("TMPDIR", missing.c_str());
    EXPECT_FALSE(GetLogFolder());
    EXPECT_EQ(BuildLogFileName(Variant()), "");
    EXPECT_EQ(logState().folder, logFolder().string());
  }
  // A file standing where the folder belongs; once it is gone, the next
  // name creates the deleted folder again.
  fs::remove_all(logFolder());
  std::ofstream(logFolder()) << "in the way";
  EXPECT_EQ(BuildLogFileName(Variant()), "");
  fs::remove(logFolder());
  EXPECT_NE(BuildLogFileName(Variant()), "");
  EXPECT_TRUE(fs::is_directory(logFolder()));
}

TEST_F(LogFolderTest, NamesArePrefixDateAndExtensionForAnythingThatConvertsToADate) {
  const Variant lateEvening(dateFromParts(2024, 3, 7, 23, 59, 0));
  EXPECT_EQ(BuildLogFileName(lateEvening), (logFolder() / "Quorent2024_03_07.log").string());
  EXPECT_EQ(logState().filePrefix, "Quorent");  // the default sticks
  const double today = std::floor(currentLocalDate().serial);
  EXPECT_EQ(BuildLogFileName(Variant()), BuildLogFileName(Variant(Date{today + 0.5})));
  // Values that convert to no date, or to one beyond the years 100 to 9999,
  // name no day.
  for (const Variant& none : {Variant::null(), Variant("no date at all"), Variant(Date{1E9}),
                              Variant(SafeArray::ofVariants({Variant("3/7/2024")}))})
    EXPECT_EQ(BuildLogFileName(none), "") << typeName(none);

  logState().filePrefix = "Журнал торгов ";
  EXPECT_EQ(BuildLogFileName(lateEvening), (logFolder() / "Журнал торгов 2024_03_07.log").string());
  // Another thread has its own prefix.
  std::string other;
  std::thread([&] { other = BuildLogFileName(lateEvening); }).join();
  EXPECT_EQ(fs::path(other).filename(), "Quorent2024_03_07.log");
  EXPECT_EQ(logState().filePrefix, "Журнал торгов ");
}

TEST(LibraryFolder, IsTheFolderOfTheFileHoldingTheLibrary) {
  // These tests link the library statically, so that file is the program.
  EXPECT_EQ(defaultFileSystem().libraryFolder(),
            fs::read_symlink("/proc/self/exe").parent_path().string());
}

}  // namespace
}  // namespace velmora::logging::testing
