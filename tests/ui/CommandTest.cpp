// Events, states, keyboard and focus of the push button.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>
#include <chrono>
#include <thread>

#include "UiTestSupport.h"
#include "ui/Command.h"

namespace zq {
namespace {

using test::MoveOver;
using test::Press;
using test::Release;
using test::SendMouse;

// Every event of one button, in the order raised.
class EventLog : public QObject {
 public:
  explicit EventLog(Command* button) {
    auto mouse = [this](const char* name) {
      return [this, name](short& b, short& s, float& x, float& y) {
        events.push_back(std::string(name) + "(" + std::to_string(b) + "," + std::to_string(s) + "," +
                         std::to_string(static_cast<int>(x)) + "," + std::to_string(static_cast<int>(y)) +
                         ")");
      };
    };
    connect(button, &Command::Click, this, [this] { events.push_back("Click"); });
    connect(button, &Command::MouseDown, this, mouse("MouseDown"));
    connect(button, &Command::MouseUp, this, mouse("MouseUp"));
    connect(button, &Command::MouseMove, this, [this](short&, short&, float&, float&) { ++moves; });
    connect(button, &Command::MouseOut, this, [this] { events.push_back("MouseOut"); });
    connect(button, &Command::KeyDown, this,
            [this](short& k, short&) { events.push_back("KeyDown(" + std::to_string(k) + ")"); });
    connect(button, &Command::KeyUp, this,
            [this](short& k, short&) { events.push_back("KeyUp(" + std::to_string(k) + ")"); });
    connect(button, &Command::KeyPress, this,
            [this](short& a) { events.push_back("KeyPress(" + std::to_string(a) + ")"); });
  }
  std::vector<std::string> events;
  int moves = 0;
};

class CommandEvents : public ::testing::Test {
 protected:
  CommandEvents() : button(QStringLiteral("确定"), nullptr), log(&button) { button.resize(65, 25); }
  ~CommandEvents() override { Command::SetPointerSource(nullptr); }

  void PointerAt(QPoint local) {
    Command::SetPointerSource([this, local] { return button.mapToGlobal(local); });
  }
  void Key(QEvent::Type type, int key, const QString& text = QString()) {
    QKeyEvent event(type, key, Qt::NoModifier, text);
    QApplication::sendEvent(&button, &event);
  }

  Command button;
  EventLog log;
};

using Events = std::vector<std::string>;

TEST_F(CommandEvents, LeftClickPressesReleasesAndClicks) {
  Press(&button, QPoint(10, 12));
  EXPECT_EQ(button.VisualState(), 2);
  Release(&button, QPoint(10, 12));
  EXPECT_EQ(button.VisualState(), 0);
  EXPECT_EQ(log.events, (Events{"MouseDown(1,0,10,12)", "MouseUp(1,0,10,12)", "Click"}));
}

TEST_F(CommandEvents, RightButtonNeitherPressesNorClicks) {
  const QImage before = button.Surface().Image();
  Press(&button, QPoint(10, 12), Qt::RightButton);
  EXPECT_EQ(button.VisualState(), 0);
  EXPECT_EQ(button.Surface().Image(), before);
  Release(&button, QPoint(10, 12), Qt::RightButton);
  EXPECT_EQ(log.events, (Events{"MouseDown(2,0,10,12)", "MouseUp(2,0,10,12)"}));
}

TEST_F(CommandEvents, SecondClickOfADoubleClickRaisesNoClick) {
  Press(&button, QPoint(10, 12));
  Release(&button, QPoint(10, 12));
  SendMouse(&button, QEvent::MouseButtonDblClick, QPoint(10, 12), Qt::LeftButton, Qt::LeftButton);
  EXPECT_EQ(button.VisualState(), 2);
  Release(&button, QPoint(10, 12));
  EXPECT_EQ(log.events, (Events{"MouseDown(1,0,10,12)", "MouseUp(1,0,10,12)", "Click", "MouseDown(1,1,1,1)",
                                "MouseUp(1,0,10,12)"}));
}

TEST_F(CommandEvents, HoverStartsTheTimerAndRepaintsOnce) {
  MoveOver(&button, QPoint(5, 5));
  EXPECT_TRUE(button.IsHover());
  EXPECT_TRUE(button.HoverTimerActive());
  const int repaints = button.RepaintCount();
  MoveOver(&button, QPoint(6, 5));
  MoveOver(&button, QPoint(7, 5));
  EXPECT_EQ(button.RepaintCount(), repaints);
  EXPECT_EQ(log.moves, 3);

  PointerAt(QPoint(30, 12));
  button.Timer1Tick();
  EXPECT_TRUE(button.HoverTimerActive());
  EXPECT_TRUE(button.IsHover());
  // The edges count as inside.
  PointerAt(QPoint(65, 25));
  button.Timer1Tick();
  EXPECT_TRUE(button.IsHover());

  PointerAt(QPoint(66, 12));
  button.Timer1Tick();
  EXPECT_FALSE(button.IsHover());
  EXPECT_FALSE(button.HoverTimerActive());
  EXPECT_EQ(log.events, (Events{"MouseOut"}));
}

TEST_F(CommandEvents, HoverPollingRunsEveryTenMilliseconds) {
  PointerAt(QPoint(-5, -5));
  MoveOver(&button, QPoint(5, 5));
  QTRY_VERIFY_WITH_TIMEOUT(!button.IsHover(), 1000);
  EXPECT_EQ(log.events, (Events{"MouseOut"}));
}

TEST_F(CommandEvents, MovesWhileTheTimerRunsDoNotPostponeItsTick) {
  // Dragging off with the left button held: the button keeps getting moves
  // from outside, closer together than the 10 ms tick.
  Press(&button, QPoint(10, 10));
  PointerAt(QPoint(90, 10));
  MoveOver(&button, QPoint(90, 10), Qt::LeftButton);
  std::this_thread::sleep_for(std::chrono::milliseconds(8));
  MoveOver(&button, QPoint(92, 10), Qt::LeftButton);
  std::this_thread::sleep_for(std::chrono::milliseconds(6));
  // 14 ms after the first move the tick is due.
  QCoreApplication::processEvents();
  EXPECT_EQ(button.VisualState(), 0);
  EXPECT_EQ(log.events, (Events{"MouseDown(1,0,10,10)", "MouseOut"}));
}

TEST_F(CommandEvents, DraggingOffAndBackWithTheLeftButtonHeld) {
  Press(&button, QPoint(10, 10));
  MoveOver(&button, QPoint(12, 10), Qt::LeftButton);
  const int repaints = button.RepaintCount();
  MoveOver(&button, QPoint(13, 10), Qt::LeftButton);
  EXPECT_EQ(button.RepaintCount(), repaints);  // no change, no repaint

  MoveOver(&button, QPoint(90, 10), Qt::LeftButton);
  PointerAt(QPoint(90, 10));
  button.Timer1Tick();
  EXPECT_EQ(button.VisualState(), 0);

  MoveOver(&button, QPoint(20, 10), Qt::LeftButton);
  EXPECT_EQ(button.VisualState(), 2);

  MoveOver(&button, QPoint(90, 10), Qt::LeftButton);
  Release(&button, QPoint(90, 10));
  EXPECT_EQ(log.events, (Events{"MouseDown(1,0,10,10)", "MouseOut", "MouseUp(1,0,90,10)"}));
}

TEST_F(CommandEvents, SpaceBarPressesAndClicks) {
  Key(QEvent::KeyPress, Qt::Key_Space, QStringLiteral(" "));
  EXPECT_EQ(button.VisualState(), 2);
  Key(QEvent::KeyRelease, Qt::Key_Space, QStringLiteral(" "));
  EXPECT_EQ(button.VisualState(), 0);
  EXPECT_EQ(log.events, (Events{"KeyDown(32)", "MouseDown(1,1,1,1)", "KeyPress(32)", "KeyUp(32)",
                                "MouseUp(1,1,1,1)", "Click"}));
}

TEST_F(CommandEvents, AKeyDownHandlerCanSwallowTheSpaceBar) {
  QObject::connect(&button, &Command::KeyDown, &log, [](short& key, short&) { key = 0; });
  Key(QEvent::KeyPress, Qt::Key_Space, QStringLiteral(" "));
  Key(QEvent::KeyRelease, Qt::Key_Space, QStringLiteral(" "));
  EXPECT_EQ(button.VisualState(), 0);
  EXPECT_EQ(std::count(log.events.begin(), log.events.end(), "Click"), 0);
}

TEST_F(CommandEvents, DisabledButtonIgnoresInputButStillReportsMouseOut) {
  MoveOver(&button, QPoint(5, 5));
  button.SetEnabled(false);
  const QImage disabled = button.Surface().Image();
  Press(&button, QPoint(10, 10));
  Release(&button, QPoint(10, 10));
  Key(QEvent::KeyPress, Qt::Key_Space, QStringLiteral(" "));
  Key(QEvent::KeyRelease, Qt::Key_Space, QStringLiteral(" "));
  EXPECT_EQ(button.VisualState(), 0);
  PointerAt(QPoint(-3, 5));
  button.Timer1Tick();
  EXPECT_EQ(log.events, (Events{"MouseOut"}));
  EXPECT_EQ(button.Surface().Image(), disabled);
}

TEST_F(CommandEvents, DisablingThroughQtShowsTheDisabledLook) {
  button.setEnabled(false);
  EXPECT_FALSE(button.Enabled());
  EXPECT_EQ(test::PixelText(button, 2, 0), "RGB(201,199,186)");
  button.setEnabled(true);
  EXPECT_TRUE(button.Enabled());
  EXPECT_EQ(test::PixelText(button, 2, 0), "RGB(0,60,115)");
}

TEST_F(CommandEvents, PropertyErrors) {
  const int repaints = button.RepaintCount();
  EXPECT_EQ(button.SetPercent(101), kErrorInvalidPropertyValue);
  EXPECT_EQ(button.SetPercent(-1), kErrorInvalidPropertyValue);
  EXPECT_EQ(button.Percent(), 16);
  EXPECT_EQ(button.RepaintCount(), repaints);
  EXPECT_EQ(button.SetPercent(100), kErrorNone);
  EXPECT_EQ(button.SetPercent(0), kErrorNone);
  EXPECT_EQ(button.Percent(), 0);
  EXPECT_EQ(button.SetHWnd(42), kErrorReadOnlyAtRunTime);
}

TEST(AccessKeyTest, AmpersandMarksTheKey) {
  const struct {
    const char* caption;
    QChar key;
  } cases[] = {{"&", QChar()},
               {"x", QChar()},
               {"&Ok", QLatin1Char('o')},
               {"A&&B", QChar()},
               {"A&&B&C", QLatin1Char('c')},
               {"Ok&", QChar()},
               {"&&&x", QLatin1Char('x')},
               {"&&&&", QChar()},
               {"Save &As", QLatin1Char('a')},
               {"plain", QChar()}};
  for (const auto& c : cases) EXPECT_EQ(AccessKeyOf(QString::fromUtf8(c.caption)), c.key) << c.caption;
}

class CommandInWindow : public ::testing::Test {
 protected:
  CommandInWindow() {
    auto* layout = new QVBoxLayout(&window);
    for (const char* caption : {"一", "&Ok", "三"}) {
      buttons.push_back(new Command(QString::fromUtf8(caption), &window));
      layout->addWidget(buttons.back());
    }
    window.show();
    window.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
  }
  QWidget window;
  std::vector<Command*> buttons;
};

TEST_F(CommandInWindow, ArrowKeysMoveTheFocus) {
  buttons[1]->setFocus();
  ASSERT_TRUE(buttons[1]->hasFocus());
  EXPECT_TRUE(buttons[1]->HasFocusFlag());
  QTest::keyClick(buttons[1], Qt::Key_Right);
  EXPECT_TRUE(buttons[2]->hasFocus());
  EXPECT_FALSE(buttons[1]->HasFocusFlag());
  QTest::keyClick(buttons[2], Qt::Key_Up);
  EXPECT_TRUE(buttons[1]->hasFocus());
  QTest::keyClick(buttons[1], Qt::Key_Left);
  EXPECT_TRUE(buttons[0]->hasFocus());
  QTest::keyClick(buttons[0], Qt::Key_Down);
  EXPECT_TRUE(buttons[1]->hasFocus());
  EXPECT_EQ(buttons[1]->VisualState(), 0);
}

TEST_F(CommandInWindow, AccessKeyClicks) {
  int clicks = 0;
  QObject::connect(buttons[1], &Command::Click, [&clicks] { ++clicks; });
  buttons[0]->setFocus();
  QTest::keyClick(&window, Qt::Key_O, Qt::AltModifier);
  EXPECT_EQ(clicks, 1);
  buttons[1]->SetEnabled(false);
  QTest::keyClick(&window, Qt::Key_O, Qt::AltModifier);
  EXPECT_EQ(clicks, 1);
}

}  // namespace
}  // namespace zq
