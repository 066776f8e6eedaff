// The three error disciplines the Work members are built from.
#include "frame/disciplines.h"

#include <new>
#include <stdexcept>

#include "frame/frame_fixture.h"

namespace velmora::frame::testing {
namespace {

class DisciplinesTest : public FrameTest {};

TEST_F(DisciplinesTest, PassErrorsLetsTheRoutinesErrorThrough) {
  EXPECT_EQ(passErrors([] { return 5; }), 5);
  EXPECT_EQ(errorOf([] { passErrors([]() -> int { throw AutomationError(err::kOverflow); }); }),
            err::kOverflow);
}

TEST_F(DisciplinesTest, IgnoreErrorsSkipsTheFailingStatementOnly) {
  int ran = 0;
  EXPECT_FALSE(ignoreErrors([&] {
    ++ran;
    throw AutomationError(err::kTypeMismatch);
  }));
  EXPECT_FALSE(ignoreErrors([] { throw std::runtime_error("not an automation error"); }));
  EXPECT_TRUE(ignoreErrors([&] { ++ran; }));
  EXPECT_EQ(ran, 2);
}

TEST_F(DisciplinesTest, TrapErrorsReturnsTheNeutralResultWithoutLogging) {
  EXPECT_EQ(trapErrors(std::string(), []() -> std::string { throw AutomationError(5); }), "");
  EXPECT_EQ(trapErrors(std::string(), [] { return std::string("text"); }), "text");
  EXPECT_EQ(loggedText(), "");
}

TEST_F(DisciplinesTest, TrapAndLogErrorsWritesPrefixNameAndDescription) {
  const bool result = trapAndLogErrors(false, "Error Call Execute Method [", "Refresh",
                                       []() -> bool { throw AutomationError(err::kNoSuchMember); });
  EXPECT_FALSE(result);
  const std::string logged = loggedText();
  EXPECT_NE(logged.find(" Error: 438 Error Call Execute Method [Refresh].\r\n"
                        "Object doesn't support this property or method\r\n"),
            std::string::npos)
      << logged;

  // Errors that are not automation errors are logged with a runtime number.
  trapAndLogErrors(false, "Error Call Return Property [", "Caption",
                   []() -> bool { throw std::bad_alloc(); });
  EXPECT_NE(loggedText().find(" Error: 7 Error Call Return Property [Caption].\r\nOut of memory"),
            std::string::npos);
  // A call that succeeds writes nothing and returns its own result.
  EXPECT_TRUE(trapAndLogErrors(false, "Error Call Execute Method [", "Ok", [] { return true; }));
}

}  // namespace
}  // namespace velmora::frame::testing
