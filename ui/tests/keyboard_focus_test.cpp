#include "ui/keyboard_focus.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <vector>

#include "ui/bitmap_btn.h"
#include "ui/skin.h"
#include "ui/static_trans.h"
#include "ui/tests/ui_test_support.h"

using namespace Qt::StringLiterals;

namespace vantix {
namespace {

// A window with a row of tabs (labels) on top, a check box and a push button
// on one row below them, created out of reading order on purpose.
class KeyboardWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    window_.resize(400, 300);
    button_ = new CBitmapBtn(&window_, QRect(200, 100, 80, 24));
    button_->SetImages(test::Solid({80, 24}, Qt::darkGray), {}, {}, {});
    check_ = new CBitmapBtn(&window_, QRect(20, 103, 24, 24));
    check_->SetCheckMode(true);
    for (int i = 2; i >= 0; --i) {
      tabs_[static_cast<std::size_t>(i)] = new CStaticTrans(
          &window_, u"Tab %1"_s.arg(i + 1), kLabelStyle | SS_NOTIFY, QRect(10 + i * 100, 10, 90, 30));
      SetArrowGroup(tabs_[static_cast<std::size_t>(i)], 1);
    }
    plain_ = new CStaticTrans(&window_, u"plain"_s, kLabelStyle, QRect(10, 200, 90, 30));
    SetReadingTabOrder(&window_);
    test::ShowActive(&window_);
  }

  std::vector<QWidget*> TabWalk(bool backward) {
    std::vector<QWidget*> seen;
    tabs_[0]->setFocus(Qt::TabFocusReason);
    for (int i = 0; i < 5; ++i) {
      seen.push_back(QApplication::focusWidget());
      QTest::keyClick(QApplication::focusWidget(), backward ? Qt::Key_Backtab : Qt::Key_Tab,
                      backward ? Qt::ShiftModifier : Qt::NoModifier);
    }
    return seen;
  }

  test::MessageLog window_;
  CBitmapBtn* button_ = nullptr;
  CBitmapBtn* check_ = nullptr;
  std::array<CStaticTrans*, 3> tabs_{};
  CStaticTrans* plain_ = nullptr;
};

TEST_F(KeyboardWindow, TabWalksInReadingOrderAndSkipsPlainLabels) {
  EXPECT_EQ(TabWalk(false),
            (std::vector<QWidget*>{tabs_[0], tabs_[1], tabs_[2], check_, button_}));
  EXPECT_EQ(TabWalk(true),
            (std::vector<QWidget*>{tabs_[0], button_, check_, tabs_[2], tabs_[1]}));
  EXPECT_EQ(plain_->focusPolicy(), Qt::NoFocus);
  // A disabled button is passed over.
  button_->setEnabled(false);
  EXPECT_EQ(TabWalk(false),
            (std::vector<QWidget*>{tabs_[0], tabs_[1], tabs_[2], check_, tabs_[0]}));
}

TEST_F(KeyboardWindow, SpaceAndEnterPressTheFocusedControlOnly) {
  QSignalSpy button_clicks(button_, &CBitmapBtn::clicked);
  QSignalSpy check_clicks(check_, &CBitmapBtn::clicked);
  QSignalSpy tab_clicks(tabs_[1], &CStaticTrans::clicked);
  const struct {
    QWidget* target;
    Qt::Key key;
  } presses[] = {{button_, Qt::Key_Space}, {button_, Qt::Key_Return}, {check_, Qt::Key_Space},
                 {tabs_[1], Qt::Key_Enter}, {check_, Qt::Key_Escape}};
  for (const auto& p : presses) {
    p.target->setFocus(Qt::TabFocusReason);
    QTest::keyClick(p.target, p.key);
  }
  EXPECT_EQ(button_clicks.count(), 2);
  EXPECT_EQ(check_clicks.count(), 1);
  EXPECT_TRUE(check_->Checked()) << "toggled before the owner hears, as by a click";
  EXPECT_EQ(tab_clicks.count(), 1);
  // A held key repeats; the press counts once.
  QTest::keyPress(button_, Qt::Key_Space);
  QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, u" "_s, true);
  QApplication::sendEvent(button_, &repeat);
  EXPECT_EQ(button_clicks.count(), 3);
}

TEST_F(KeyboardWindow, ArrowKeysMoveAlongTheRowAndWrap) {
  const struct {
    int from;
    Qt::Key key;
    int to;
  } moves[] = {{0, Qt::Key_Right, 1}, {1, Qt::Key_Down, 2}, {2, Qt::Key_Right, 0},
               {0, Qt::Key_Left, 2},  {2, Qt::Key_Up, 1}};
  for (const auto& m : moves) {
    SCOPED_TRACE(m.from);
    tabs_[static_cast<std::size_t>(m.from)]->setFocus(Qt::TabFocusReason);
    QTest::keyClick(tabs_[static_cast<std::size_t>(m.from)], m.key);
    EXPECT_EQ(QApplication::focusWidget(), tabs_[static_cast<std::size_t>(m.to)]);
  }
  // A hidden tab is passed over; a button in no row ignores the arrows.
  tabs_[1]->hide();
  tabs_[0]->setFocus(Qt::TabFocusReason);
  QTest::keyClick(tabs_[0], Qt::Key_Right);
  EXPECT_EQ(QApplication::focusWidget(), tabs_[2]);
  button_->setFocus(Qt::TabFocusReason);
  QTest::keyClick(button_, Qt::Key_Right);
  EXPECT_EQ(QApplication::focusWidget(), button_);
}

TEST_F(KeyboardWindow, OnlyTheFocusedControlShowsTheRing) {
  const QColor ring = FromColorRef(kFocusRingColor);
  for (QWidget* w : std::vector<QWidget*>{button_, check_, tabs_[0]}) {
    w->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(test::BoxOf(w->grab().toImage(), ring), w->rect()) << w->metaObject()->className();
    for (QWidget* other : std::vector<QWidget*>{button_, check_, tabs_[0]}) {
      if (other != w) {
        EXPECT_FALSE(test::HasPixel(other->grab().toImage(), ring));
      }
    }
  }
}

TEST_F(KeyboardWindow, TheRingTakesInTheCaptionBesideABoxAndStaysInsideAFramedFace) {
  auto* boxed = new CBitmapBtn(&window_, QRect(20, 150, 120, 16));
  boxed->SetSquareImage(true);
  boxed->SetCaption(QStringLiteral("1000"), 20, kCaptionLeft);
  boxed->SetDrawCaption(true);
  auto* framed = new CBitmapBtn(&window_, QRect(200, 150, 100, 26));
  framed->SetFocusRingInset(3);
  const struct {
    CBitmapBtn* control;
    QRect ring;
  } cases[] = {{boxed, QRect(0, 0, 120, 16)}, {framed, QRect(3, 3, 94, 20)}};
  for (const auto& c : cases) {
    c.control->show();
    c.control->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(test::BoxOf(c.control->grab().toImage(), FromColorRef(kFocusRingColor)), c.ring);
  }
}

}  // namespace
}  // namespace vantix
