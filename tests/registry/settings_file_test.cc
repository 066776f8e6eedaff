// The text form of keys, exported and imported, and the velmora reg command
// that reads and writes the store as a user runs it.
#include <fstream>

#include "registry/settings_file.h"

#include "registry_test_support.h"
#include "support/tool_process.h"

namespace velmora::registry::testing {
namespace {

using SettingsFileTest = RegistryTest;

TEST_F(SettingsFileTest, ExportImportRoundTripsEveryByte) {
  std::string awkward;
  for (int c = 0; c < 256; ++c) awkward += static_cast<char>(c);
  awkward += "Цена \xF0\x9F\x98\x80 \xE0\x80\x80 \"q\" \\";
  SetRegistryValue("App", "all bytes", Variant(awkward));
  SetRegistryValue("App", "=\"[x]\" # not a comment", Variant(std::int32_t{-5}));
  SetRegistryValue("App", "", Variant(""));
  SetRegistryValue("App\\Sub\\Deeper", "Ширина", Variant(std::int32_t{40000}));
  keyAt("App\\Empty");

  std::string text;
  ASSERT_EQ(exportSettings(userRegistryStore(), "app\\", text), regcode::kSuccess);

  // Into a second store, then out again: the same text.
  ::setenv("VELMORA_REGISTRY", (folder_ / "other.sqlite3").c_str(), 1);
  std::string error;
  ASSERT_EQ(importSettings(userRegistryStore(), text, error), regcode::kSuccess) << error;
  std::string again;
  ASSERT_EQ(exportSettings(userRegistryStore(), "app", again), regcode::kSuccess);
  EXPECT_EQ(again, text);
  EXPECT_EQ(storedData("App", "all bytes"), awkward);
}

TEST_F(SettingsFileTest, SyntaxErrorsWriteNothing) {
  std::string error;
  const std::string text = "[\"A\"]\n\"v\" = \"1\"\n[\"B\"]\n\"w\" = \"\\q\"\n";
  EXPECT_EQ(importSettings(userRegistryStore(), text, error), regcode::kInvalidParameter);
  EXPECT_EQ(error.substr(0, 7), "line 4:");
  EXPECT_EQ(DeleteRegistryKey("A"), regcode::kNotFound);
  for (const char* bad :
       {"\"v\" = \"1\"", "[A]", "[\"A\"]\n\"v\" \"1\"", "[\"A\"]\n\"v\" = \"\\x4\"",
        "[\"A\"]\n\"v\" = \"1\" extra", "[\"A\\\\\\\\B\"]"})
    EXPECT_NE(importSettings(userRegistryStore(), bad, error), regcode::kSuccess) << bad;
  std::string out;
  EXPECT_EQ(exportSettings(userRegistryStore(), "Missing", out), regcode::kNotFound);
  EXPECT_EQ(DeleteRegistryKey("Missing"), regcode::kNotFound);  // export created nothing
}

test_support::ToolRun reg(const std::string& args) {
  return test_support::runVelmora("reg " + args);
}

// Text written by an earlier build imports with every value and exports
// again byte for byte.
TEST_F(SettingsFileTest, FixtureOfVersion1ImportsExactly) {
  const std::string text = test_support::readFile(std::filesystem::path(VELMORA_TEST_SOURCE_DIR) /
                                                  "registry/fixtures/settings-1.txt");
  std::string error;
  ASSERT_EQ(importSettings(userRegistryStore(), text, error), regcode::kSuccess) << error;
  EXPECT_EQ(namesOf(ReadAllValue("Software\\Velmora, Ltd.\\Trader\\Window")),
            "Left=100;Top=-1;Caption=Цена;Empty=;");
  std::string again;
  ASSERT_EQ(exportSettings(userRegistryStore(), "Software", again), regcode::kSuccess);
  EXPECT_EQ(again, text);
}

// The subcommands reach the store's routines (whose rules the tests above
// and registry_value_test check) and give their exit statuses.
TEST_F(SettingsFileTest, RegToolSubcommandsBadUsageAndADamagedStore) {
  EXPECT_EQ(reg("set 'Software\\App' Caption 'Price'").status, 0);
  EXPECT_EQ(reg("set 'Software\\App' Left -1200 --number").status, 0);
  EXPECT_EQ(reg("get 'software\\app' left").out, "-1200\n");
  EXPECT_EQ(reg("get 'Software\\App' Width --default 40000 --number").out, "40000\n");
  EXPECT_EQ(reg("list 'Software\\App'").out,
            "\"Caption\" = \"Price\"\n\"Left\" = -1200\n\"Width\" = 40000\n");
  EXPECT_EQ(reg("get 'Software\\App' Nothing").status, 1);
  const std::string exported = (folder_ / "a.txt").string();
  EXPECT_EQ(reg("export Software --output '" + exported + "'").status, 0);
  EXPECT_EQ(reg("delete 'Software\\App'").status, 0);
  EXPECT_EQ(reg("import '" + exported + "'").status, 0);
  EXPECT_EQ(reg("get 'Software\\App' Caption").out, "Price\n");

  for (const char* bad : {"", "frobnicate", "get A", "set A v x --output f", "get A v --bogus"})
    EXPECT_EQ(reg(bad).status, 2) << bad;
  EXPECT_EQ(reg("set A v notanumber --number").status, 3);
  EXPECT_NE(reg("get --help").out.find("usage: velmora reg"), std::string::npos);

  // A damaged store: what is wrong, with which file.
  std::ofstream(storeFile_) << std::string(4096, 'x');
  const test_support::ToolRun run = test_support::runVelmora("reg get A v", true);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("(code 1009)"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find(storeFile_.string() + " is not a database"), std::string::npos) << run.out;
}

}  // namespace
}  // namespace velmora::registry::testing
