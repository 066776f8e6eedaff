// Placeholder filling in message templates, and the tool's log and format subcommands.
#include <commonvelmora/error.h>
#include <commonvelmora/object.h>

#include "log_test_support.h"
#include "support/error_of.h"
#include "support/plain_object.h"
#include "support/tool_process.h"

namespace velmora::logging::testing {
namespace {

Variant list(std::vector<Variant> items, std::int32_t lbound = 0) {
  return Variant(SafeArray::ofVariants(std::move(items), lbound));
}

int errorOf(std::string_view template_, const Variant& arguments) {
  return test_support::errorOf([&] { GetStringDescription(template_, arguments); });
}

using test_support::PlainObject;

using StringDescriptionTest = LogTest;  // for its pinned regional settings

TEST_F(StringDescriptionTest, FillsEachPlaceholderOnceInOrderWithTheRuntimesText) {
  EXPECT_EQ(GetStringDescription("Value %0 of %1", list({5, 7})), "Value 5 of 7");
  EXPECT_EQ(GetStringDescription("%0 and %0", Variant("x")), "x and %0");
  EXPECT_EQ(GetStringDescription("%1 %0 %2", list({"a", "b"})), "b a %2");
  // Inserted text is searched by the next step.
  EXPECT_EQ(GetStringDescription("%0", list({"%1", "y"})), "y");
  // One placeholder can eat the start of a longer one.
  std::vector<Variant> args;
  for (int i = 0; i <= 10; ++i) args.emplace_back("<" + std::to_string(i) + ">");
  EXPECT_EQ(GetStringDescription("%10 %1", list(args)), "<1>0 %1");
  // Missing arguments leave the template alone.
  EXPECT_EQ(GetStringDescription("keep %0", Variant::missing()), "keep %0");
  // An array starting below zero skips the negative elements.
  EXPECT_EQ(GetStringDescription("%0 %1", list({"minus one", "zero", "one"}, -1)), "zero one");
  // A byte array's elements are numbers.
  EXPECT_EQ(GetStringDescription("%0%1", Variant(SafeArray::ofBytes({65, 66}))), "6566");
}

TEST_F(StringDescriptionTest, UnusableArgumentsRaiseTheRuntimesErrors) {
  EXPECT_EQ(errorOf("none", list({"a", Variant::null()})), err::kInvalidUseOfNull);
  EXPECT_EQ(errorOf("%0", Variant(std::make_shared<PlainObject>())), err::kTypeMismatch);
  EXPECT_EQ(errorOf("%0", list({"a"}, 1)), err::kSubscriptOutOfRange);        // no element 0
  EXPECT_EQ(errorOf("%0", list({})), err::kTypeMismatch);                     // upper bound -1
  EXPECT_EQ(errorOf("%0", Variant(SafeArray())), err::kSubscriptOutOfRange);  // never dimensioned

  SafeArray tooLong(VarType::Variant, {{0, 32769}});
  EXPECT_EQ(errorOf("%0", Variant(tooLong)), err::kOverflow);
  SafeArray longest(VarType::Variant, {{0, 32768}});
  longest.set({0}, Variant("first"));
  EXPECT_EQ(GetStringDescription("[%0]", Variant(longest)), "[first]");

  SafeArray table(VarType::Variant, {{0, 2}, {0, 2}});
  EXPECT_EQ(errorOf("%0", Variant(table)), err::kSubscriptOutOfRange);  // one index given
}

using test_support::ToolRun;

ToolRun velmora(const std::string& arguments) { return test_support::runVelmora(arguments); }

using LogCommandTest = LogTest;

TEST_F(LogCommandTest, LogWritesAndLocatesTheDaysFileAndFormatFillsPlaceholders) {
  EXPECT_EQ(velmora("log message 'two words'").status, 0);
  EXPECT_EQ(velmora("log error -5 Timeout").status, 0);
  const ToolRun path = velmora("log path");
  ASSERT_EQ(path.status, 0);
  const auto lines = splitLines(readFile(path.out.substr(0, path.out.size() - 1)));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_TRUE(lines[0].ends_with(" two words"));
  EXPECT_TRUE(lines[1].ends_with(" Error: -5 Timeout"));
  EXPECT_EQ(velmora("log path --prefix Trade --date 2024-03-07").out,
            (logFolder() / "Trade2024_03_07.log").string() + "\n");

  EXPECT_EQ(velmora("format 'Value %0 of %1' 5 7").out, "Value 5 of 7\n");
  for (const char* bad : {"format", "log error five Timeout", "log message", "log rotate"})
    EXPECT_EQ(velmora(bad).status, 2) << bad;
  EXPECT_EQ(velmora("log path --date 'no date'").status, 1);
}

}  // namespace
}  // namespace velmora::logging::testing
