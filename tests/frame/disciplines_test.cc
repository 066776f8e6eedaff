// The three error disciplines the Work members are built from.
#include "frame/disciplines.h"

#include <new>
#include <stdexcept>

#include "frame/frame_fixture.h"

namespace velmora::frame::testing {
namespace {

class DisciplinesTest : public FrameTest {};

TEST_F(DisciplinesTest, EachDisciplinePassesResultsAndHandlesAutomationErrors) {
  EXPECT_EQ(passErrors([] { return 5; }), 5);
  EXPECT_EQ(errorOf([] { passErrors([]() -> int { throw AutomationError(err::kOverflow); }); }),
            err::kOverflow);
  EXPECT_FALSE(ignoreErrors([] { throw AutomationError(err::kTypeMismatch); }));
  EXPECT_TRUE(ignoreErrors([] {}));
  EXPECT_EQ(trapErrors(std::string(), []() -> std::string { throw AutomationError(5); }), "");
  EXPECT_EQ(trapErrors(std::string(), [] { return std::string("text"); }), "text");
  EXPECT_TRUE(trapAndLogErrors(false, "Error Call Execute Method [", "Ok", [] { return true; }));
  EXPECT_EQ(loggedText(), "");

  // A failure is logged with the prefix, the member's name and the description.
  const bool result = trapAndLogErrors(false, "Error Call Execute Method [", "Refresh",
                                       []() -> bool { throw AutomationError(err::kNoSuchMember); });
  EXPECT_FALSE(result);
  const std::string logged = loggedText();
  EXPECT_NE(logged.find(" Error: 438 Error Call Execute Method [Refresh].\r\n"
                        "Object doesn't support this property or method\r\n"),
            std::string::npos)
      << logged;
}

// Callees that fail with what the standard library throws, not with an
// automation error: each discipline treats them as it treats any error.
bool throwRuntimeError() { throw std::runtime_error("plain"); }
bool throwBadAlloc() { throw std::bad_alloc(); }

TEST_F(DisciplinesTest, EachDisciplineHandlesPlainStandardErrors) {
  EXPECT_THROW(passErrors(throwRuntimeError), std::runtime_error);
  EXPECT_THROW(passErrors(throwBadAlloc), std::bad_alloc);
  EXPECT_FALSE(ignoreErrors(throwRuntimeError));
  EXPECT_FALSE(ignoreErrors(throwBadAlloc));
  EXPECT_EQ(trapErrors(true, throwRuntimeError), true);
  EXPECT_EQ(trapErrors(true, throwBadAlloc), true);
  EXPECT_EQ(loggedText(), "");

  EXPECT_FALSE(trapAndLogErrors(false, "Error Call Execute Method [", "Plain", throwRuntimeError));
  EXPECT_FALSE(trapAndLogErrors(false, "Error Call Execute Method [", "Memory", throwBadAlloc));
  const std::string logged = loggedText();
  EXPECT_NE(logged.find(" Error: 5 Error Call Execute Method [Plain].\r\n"
                        "Invalid procedure call or argument\r\n"),
            std::string::npos)
      << logged;
  EXPECT_NE(logged.find(" Error: 7 Error Call Execute Method [Memory].\r\nOut of memory\r\n"),
            std::string::npos)
      << logged;
}

}  // namespace
}  // namespace velmora::frame::testing
