// The message window's logic without a window: layout, buttons, placement, handlers.
#include <gtest/gtest.h>

#include "message/frm_message.h"
#include "message/message_test_support.h"

namespace velmora::message::testing {
namespace {

// 1024 x 768 pixels of 15 twips.
constexpr gui::ScreenMetrics kScreen{15360, 11520, 15, 15};

class MessageForm : public ::testing::Test {
 protected:
  void arrange(float neededHeight, std::int16_t buttons = 1, std::int32_t def = 1,
               const std::string& helpFile = "", std::int32_t context = -1) {
    form.arrange("text", 1, buttons, def, helpFile, context, neededHeight, kScreen);
  }
  float top(int i) const { return form.button(i).rect.top; }
  // Each button's left edge, followed by + when shown and - when hidden;
  // then the default button.
  std::string buttons() const {
    std::string all;
    for (int i = 0; i < 3; ++i) {
      const auto& b = form.button(i);
      all += std::to_string(static_cast<int>(b.rect.left)) + (b.visible ? "+ " : "- ");
    }
    return all + "default " + std::to_string(form.defaultButton());
  }

  RecordingLog log;
  frmMessage form{log};
};

TEST_F(MessageForm, TheWindowGrowsWithTheTextUpToHalfTheScreen) {
  arrange(195);  // one line: the design
  EXPECT_EQ(form.windowWidth(), 6300);
  EXPECT_EQ(form.windowHeight(), 1635);
  EXPECT_EQ(top(0), 1200);
  EXPECT_EQ(form.caption(), "Velmora Manager");

  arrange(1000);
  EXPECT_EQ(form.windowHeight(), 2100);
  EXPECT_EQ(form.windowWidth(), 6420);
  EXPECT_EQ(form.labelRect(), (gui::TwipsRect{810, 120, 5535, 1000}));
  for (int i = 0; i < 3; ++i) EXPECT_EQ(top(i), 1270);

  arrange(9000);  // beyond half the screen less the room below: clipped
  EXPECT_EQ(form.windowHeight(), 5760);
  EXPECT_EQ(form.labelRect().height, 4660);
  EXPECT_EQ(top(2), 4930);
}

TEST_F(MessageForm, ButtonsArePlacedRightToLeftAndHelpTakesItsSlotBeforeItIsHidden) {
  // Ok moves into the right-hand slot Help leaves empty; a button not asked
  // for keeps its design place.
  arrange(195, 1);
  EXPECT_EQ(buttons(), "3130+ 4920- 4615- default 0");
  arrange(195, 3, 2, "trader.hlp", 0);  // context 0 is a topic too
  EXPECT_EQ(buttons(), "1645+ 3130+ 4615+ default 1");
  arrange(195, 3, 7, "trader.hlp", -1);  // no topic: no Help; Ok the default
  EXPECT_EQ(buttons(), "1645+ 3130+ 4615- default 0");
  arrange(195, 0, 1, "trader.hlp", 5);  // no button asked for: Help shown, disabled
  EXPECT_FALSE(form.button(0).visible || form.button(1).visible);
  EXPECT_TRUE(form.button(2).visible && !form.button(2).enabled);
}

TEST_F(MessageForm, CentresOnAParentWhoseEdgesHoldTheWindowElseOnTheScreen) {
  arrange(195);  // 420 x 109 pixels
  EXPECT_EQ(form.placement(std::nullopt, kScreen), (frmMessage::Point{302, 330}));
  EXPECT_EQ(form.placement(gui::PixelRect{100, 100, 600, 400}, kScreen),
            (frmMessage::Point{140, 196}));
  // Narrower than the window, but its edges lie far enough right and down.
  EXPECT_EQ(form.placement(gui::PixelRect{500, 500, 700, 600}, kScreen),
            (frmMessage::Point{390, 496}));
  EXPECT_EQ(form.placement(gui::PixelRect{0, 0, 300, 100}, kScreen), (frmMessage::Point{302, 330}));
}

TEST_F(MessageForm, ButtonsAndEscapeSetTheResultHelpKeepsTheWindowOpen) {
  arrange(195, 3, 2, "/no/such/help.hlp", 4);
  form.Form_Activate();
  EXPECT_EQ(form.focusButton(), 1);
  EXPECT_TRUE(form.menuActive());
  form.btnCommand_Click(2);  // a help file that is not there shows nothing
  EXPECT_EQ(form.result(), 0);
  EXPECT_FALSE(form.menuActive());
  form.Form_KeyUp(13);
  EXPECT_EQ(form.result(), 0);
  form.Form_KeyUp(27);
  EXPECT_EQ(form.result(), 2);
  EXPECT_FALSE(form.shown());
  form.btnCommand_Click(0);
  EXPECT_EQ(form.result(), 1);
  form.MsgMenu_ToolClick("ID_Other");  // not the copy command: nothing to do
}

}  // namespace
}  // namespace velmora::message::testing
