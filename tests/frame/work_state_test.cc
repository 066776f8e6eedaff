// The per-thread state shared by all Work objects of a thread, and the
// members that answer by themselves.
#include <commonvelmora/work.h>

#include <thread>

#include "frame/app_descriptions.h"
#include "frame/frame_fixture.h"

namespace velmora::frame::testing {
namespace {

class WorkStateTest : public FrameTest {};

TEST_F(WorkStateTest, WorkObjectsOfOneThreadShareTheStateAndOtherThreadsStartEmpty) {
  Work first;
  first.AppNumber(akDealingDesk);
  first.LogFileName("Trade");
  Work second;  // creating a Work neither reads nor resets the block
  EXPECT_EQ(second.AppNumber(), akDealingDesk);
  EXPECT_EQ(logging::logState().filePrefix, "Trade");

  App_Key seen = akDealingDesk;
  std::string prefixSeen = "unset";
  std::thread other([&] {
    Work third;
    seen = third.AppNumber();
    prefixSeen = logging::logState().filePrefix;
    third.AppNumber(akDataLoader);
  });
  other.join();
  EXPECT_EQ(seen, 0);
  EXPECT_EQ(prefixSeen, "");
  EXPECT_EQ(first.AppNumber(), akDealingDesk);
}

TEST_F(WorkStateTest, TheStringTableIsChosenByTheUsersLanguage) {
  EXPECT_EQ(tableLanguageOf("de_DE.UTF-8"), TableLanguage::German);
  EXPECT_EQ(tableLanguageOf("ru_RU"), TableLanguage::Russian);
  EXPECT_EQ(tableLanguageOf("ru:en"), TableLanguage::Russian);
  EXPECT_EQ(tableLanguageOf("C"), TableLanguage::English);
  EXPECT_EQ(tableLanguageOf(""), TableLanguage::English);
  // LANGUAGE wins over LANG, as in the C library's message look-up.
  test_support::ScopedEnv language("LANGUAGE", "ru_RU");
  EXPECT_EQ(userTableLanguage(), TableLanguage::Russian);
}

}  // namespace
}  // namespace velmora::frame::testing
