// The suffix rule that places the log folder, on Windows-style and
// POSIX-style folders alike.
#include <gtest/gtest.h>

#include "logging/log_folder_rule.h"
#include "platform/path_names.h"

namespace velmora::logging {
namespace {

TEST(ParentFolderName, IgnoresTrailingSeparatorsAndKeepsRoots) {
  EXPECT_EQ(parentFolderName(R"(C:\Users\u\AppData\Local\Temp\)", '\\'),
            R"(C:\Users\u\AppData\Local)");
  EXPECT_EQ(parentFolderName(R"(C:\Temp)", '\\'), R"(C:\)");
  EXPECT_EQ(parentFolderName(R"(C:\)", '\\'), "");
  EXPECT_EQ(parentFolderName("/home/u/.local/tmp/", '/'), "/home/u/.local");
  EXPECT_EQ(parentFolderName("/tmp", '/'), "/");
  EXPECT_EQ(parentFolderName("/", '/'), "");
  EXPECT_EQ(parentFolderName("tmp", '/'), "");
  // A colon means nothing special where '/' separates.
  EXPECT_EQ(parentFolderName("a:/b", '/'), "a:");
}

TEST(IsProfileFolder, PlainSuffixTestOnUpperCasedParent) {
  EXPECT_TRUE(isProfileFolder(R"(C:\Users\u\AppData\Local)", '\\'));
  EXPECT_TRUE(isProfileFolder(R"(C:\Users\u\AppData\Roaming\)", '\\'));
  EXPECT_TRUE(isProfileFolder("/home/u/.local/", '/'));
  EXPECT_TRUE(isProfileFolder("/srv/nonlocal", '/'));  // a suffix test, not a name test
  EXPECT_FALSE(isProfileFolder(R"(C:\Documents and Settings\u\Local Settings)", '\\'));
  EXPECT_FALSE(isProfileFolder(R"(C:\Users\u\AppData\Local\)", '/'));  // '\' is no separator here
  EXPECT_FALSE(isProfileFolder("/tmp", '/'));
  EXPECT_FALSE(isProfileFolder("", '/'));
}

TEST(PlanLogFolder, ProfileTempFoldersLogUnderVelmoraManagerOthersInsideThemselves) {
  const LogFolderPlan windows = planLogFolder(R"(C:\Users\u\AppData\Local\Temp\)", '\\');
  EXPECT_EQ(windows.profileFolder, R"(C:\Users\u\AppData\Local\Velmora Manager)");
  EXPECT_EQ(windows.logFolder, R"(C:\Users\u\AppData\Local\Velmora Manager\LogFiles)");
  const LogFolderPlan posix = planLogFolder("/home/u/.local/tmp", '/');
  EXPECT_EQ(posix.profileFolder, "/home/u/.local/Velmora Manager");
  EXPECT_EQ(posix.logFolder, "/home/u/.local/Velmora Manager/LogFiles");

  const LogFolderPlan xp =
      planLogFolder(R"(C:\Documents and Settings\u\Local Settings\Temp)", '\\');
  EXPECT_EQ(xp.profileFolder, "");
  EXPECT_EQ(xp.logFolder, R"(C:\Documents and Settings\u\Local Settings\Temp\LogFiles)");

  EXPECT_EQ(planLogFolder(R"(C:\Temp\)", '\\').logFolder, R"(C:\Temp\LogFiles)");
  EXPECT_EQ(planLogFolder("/", '/').logFolder, "/LogFiles");
}

}  // namespace
}  // namespace velmora::logging
