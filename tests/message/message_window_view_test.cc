// The message window on real Qt widgets, driven with Qt Test and saved as images.
#include <QtGui/QImage>
#include <QtTest/QTest>
#include <QtWidgets/QLabel>
#include <QtWidgets/QMenu>
#include <QtWidgets/QPushButton>

#include <gtest/gtest.h>

#include <cmath>
#include <thread>

#include "message/message_test_support.h"
#include "platform/clipboard.h"
#include "platform/qt/qt_window.h"
#include "platform/screen.h"
#include "support/gui.h"

namespace velmora::message::testing {
namespace {

class MessageWindowView : public ::testing::Test {
 protected:
  void SetUp() override { test_support::prepareTestGui(); }

  std::int32_t show(const std::string& text, std::int32_t icon = 1, std::int16_t buttons = 1,
                    std::int32_t def = 1, std::string helpFile = "", std::int32_t context = -1) {
    frmMessage form(log);
    const std::int32_t parent = -1;
    return form.MsgActivate(text, icon, buttons, def, nullptr, helpFile, context, parent);
  }

  static QPushButton& button(QWidget& window, int i) {
    return *window.findChild<QPushButton*>(QString("btnCommand%1").arg(i));
  }

  RecordingLog log;
};

using test_support::whenShown;

TEST_F(MessageWindowView, EachIconIsShownAndOnlyAQuestionGoesUnlogged) {
  const char* names[] = {"info", "critical", "query", "warning"};
  std::vector<std::string> logged;
  for (int icon = 0; icon < 4; ++icon) {
    const std::string png = test_support::imagePath(std::string("message_") + names[icon] + ".png");
    gui::captureNextWindow(png);
    const std::string text = std::string("The order book was refreshed (") + names[icon] + ").";
    EXPECT_EQ(show(text, icon, 3, 1, "trader.hlp", 12), 0);  // closed by its frame
    const QImage image(QString::fromStdString(png));
    EXPECT_EQ(image.size(), QSize(420, 109)) << names[icon];
    if (icon != 2) logged.push_back(text);
  }
  EXPECT_EQ(log.messages, logged);
  EXPECT_TRUE(log.errors.empty());
}

TEST_F(MessageWindowView, ClicksEnterAndEscapeCloseWithTheirCodes) {
  whenShown([](QWidget& w) { QTest::mouseClick(&button(w, 0), Qt::LeftButton); });
  EXPECT_EQ(show("Ok?", 2, 3), 1);
  whenShown([](QWidget& w) { QTest::keyClick(&w, Qt::Key_Return); });
  EXPECT_EQ(show("Enter presses Cancel", 2, 3, 2), 2);
  whenShown([](QWidget& w) {
    EXPECT_TRUE(button(w, 0).isVisible());
    EXPECT_FALSE(button(w, 1).isVisible());
    QTest::keyClick(&button(w, 0), Qt::Key_Escape);  // from the focused button
  });
  EXPECT_EQ(show("Only Ok, yet Escape cancels", 2, 1), 2);
}

TEST_F(MessageWindowView, RightClickOnTheTextCopiesAllOfItEvenWhatIsClipped) {
  std::string text;
  while (text.size() < 8000) text += "Position limit exceeded on account 4411. ";
  whenShown([](QWidget& w) {
    gui::qt::saveImage(w, test_support::imagePath("message_long_clipped.png"));
    QTest::mouseClick(w.findChild<QLabel*>("txtMessage"), Qt::RightButton);
    QMenu* menu = w.findChild<QMenu*>("ID_CopyMenu");
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 1);
    EXPECT_EQ(menu->actions()[0]->text(), QString("Копировать текст сообщения"));
    menu->actions()[0]->trigger();
    QTest::keyClick(&w, Qt::Key_Escape);
  });
  EXPECT_EQ(show(text, 2), 2);
  EXPECT_EQ(defaultClipboard().text(), text);
  const QImage image(QString::fromStdString(test_support::imagePath("message_long_clipped.png")));
  const gui::ScreenMetrics screen = gui::defaultScreen().metrics();
  // Half the screen high, and 120 twips wider than at design.
  EXPECT_EQ(
      image.size(),
      QSize(428, static_cast<int>(std::nearbyint(screen.height / 2 / screen.twipsPerPixelY))));

  whenShown([](QWidget& w) {  // no text: no menu
    QTest::mouseClick(w.findChild<QLabel*>("txtMessage"), Qt::RightButton);
    EXPECT_EQ(w.findChild<QMenu*>("ID_CopyMenu"), nullptr);
    QTest::keyClick(&w, Qt::Key_Escape);
  });
  EXPECT_EQ(show("", 2), 2);
}

TEST_F(MessageWindowView, BadInputEndsAsTheFailureItLogsOrAsAWindowThatStillWorks) {
  EXPECT_EQ(show("unknown icon", 4), 2);
  ASSERT_EQ(log.errors.size(), 1u);
  EXPECT_EQ(log.errors[0], (std::pair<std::int32_t, std::string>{
                               9, "Error display Message Window.\r\nSubscript out of range"}));
  EXPECT_TRUE(log.messages.empty());

  // Off the thread that owns the GUI the window cannot be shown: the display
  // failure, logged.
  std::thread worker([&] { EXPECT_EQ(show("from a worker", 2), 2); });
  worker.join();
  EXPECT_EQ(log.errors.back().first, gui::kCantShowWindow);

  whenShown([](QWidget& w) { QTest::keyClick(&w, Qt::Key_Escape); });
  EXPECT_EQ(show("no buttons", 2, 0), 2);

  log.unreachable = true;  // the failure cannot be logged either: it leaves
  EXPECT_THROW(show("no component", 1), AutomationError);
}

}  // namespace
}  // namespace velmora::message::testing
