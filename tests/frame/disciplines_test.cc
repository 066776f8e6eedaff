// The three error disciplines the Work members are built from.
#include "frame/disciplines.h"

#include <new>
#include <stdexcept>

#include "frame/frame_fixture.h"

namespace velmora::frame::testing {
namespace {

class DisciplinesTest : public FrameTest {};

bool throwAutomationError() { throw AutomationError(err::kNoSuchMember); }
// What the standard library throws, not an automation error: each discipline
// treats it as it treats any error.
bool throwRuntimeError() { throw std::runtime_error("plain"); }
bool throwBadAlloc() { throw std::bad_alloc(); }

TEST_F(DisciplinesTest, EachDisciplinePassesResultsAndHandlesEveryKindOfError) {
  EXPECT_EQ(passErrors([] { return 5; }), 5);
  EXPECT_EQ(errorOf([] { passErrors(throwAutomationError); }), err::kNoSuchMember);
  EXPECT_THROW(passErrors(throwRuntimeError), std::runtime_error);
  EXPECT_THROW(passErrors(throwBadAlloc), std::bad_alloc);
  EXPECT_TRUE(ignoreErrors([] {}));
  EXPECT_EQ(trapErrors(std::string(), [] { return std::string("text"); }), "text");
  EXPECT_TRUE(trapAndLogErrors(false, "Error Call Execute Method [", "Ok", [] { return true; }));
  EXPECT_EQ(loggedText(), "");

  // A failure is logged with the prefix, the member's name and the description.
  const struct {
    const char* member;
    bool (*fail)();
    const char* logged;
  } callees[] = {
      {"Refresh", throwAutomationError,
       "438 Error Call Execute Method [Refresh].\r\n"
       "Object doesn't support this property or method\r\n"},
      {"Plain", throwRuntimeError,
       "5 Error Call Execute Method [Plain].\r\nInvalid procedure call or argument\r\n"},
      {"Memory", throwBadAlloc, "7 Error Call Execute Method [Memory].\r\nOut of memory\r\n"},
  };
  for (const auto& c : callees) {
    SCOPED_TRACE(c.member);
    EXPECT_FALSE(ignoreErrors(c.fail));
    EXPECT_TRUE(trapErrors(true, c.fail));
    EXPECT_FALSE(trapAndLogErrors(false, "Error Call Execute Method [", c.member, c.fail));
    EXPECT_NE(loggedText().find(std::string(" Error: ") + c.logged), std::string::npos);
  }
}

}  // namespace
}  // namespace velmora::frame::testing
