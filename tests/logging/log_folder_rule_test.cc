// The suffix rule that places the log folder, on Windows-style and
// POSIX-style folders alike.
#include <gtest/gtest.h>

#include <vector>

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
           {"/home/u/.local/tmp", '/', "/home/u/.local/Velmora Manager",
            "/home/u/.local/Velmora Manager/LogFiles"},
           {"/srv/nonlocal/tmp/", '/', "/srv/nonlocal/Velmora Manager",
            "/srv/nonlocal/Velmora Manager/LogFiles"},
           {R"(C:\Documents and Settings\u\Local Settings\Temp)", '\\', "",
            R"(C:\Documents and Settings\u\Local Settings\Temp\LogFiles)"},
           {R"(C:\Users\u\AppData\Local\Temp)", '/', "",
            R"(C:\Users\u\AppData\Local\Temp/LogFiles)"},
           {"/tmp/x", '/', "", "/tmp/x/LogFiles"},
           {R"(/x/Local\/tmp)", '/', "", R"(/x/Local\/tmp/LogFiles)"},  // '\' is no separator here
           {R"(C:\Temp\)", '\\', "", R"(C:\Temp\LogFiles)"},
           {"/", '/', "", "/LogFiles"}}) {
    const LogFolderPlan plan = planLogFolder(c.temp, c.separator);
    EXPECT_EQ(plan.profileFolder, c.profileFolder) << c.temp;
    EXPECT_EQ(plan.logFolder, c.logFolder) << c.temp;
  }
  EXPECT_TRUE(isProfileFolder(R"(C:\Users\u\AppData\Roaming\)", '\\'));  // a trailing separator
}

}  // namespace
}  // namespace velmora::logging
