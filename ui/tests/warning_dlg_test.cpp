#include "ui/warning_dlg.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "ui/bitmap_btn.h"
#include "ui/skin.h"
#include "ui/static_trans.h"
#include "ui/tests/reader_walk.h"
#include "ui/tests/ui_test_support.h"

using namespace Qt::StringLiterals;

namespace vantix {
namespace {

class WarningDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    skin_.SetSkinsIni("[General]\r\n46=OK\r\n47=Cancel\r\n");
    skin_.AddImage(u"buttons"_s, u"ok-1.png"_s, test::Solid({93, 26}, QColor(80, 0, 0)));
    skin_.AddImage(u"buttons"_s, u"ok-3.png"_s, test::Solid({93, 26}, QColor(0, 80, 0)));
    skin_.AddImage(u"buttons"_s, u"ok-2.png"_s, test::Solid({93, 26}, QColor(0, 0, 80)));
    // No dlg.png and no warn.png: the dialog still works.
  }

  // Opens the dialog without a nested loop, so keys can be sent to it.
  std::unique_ptr<CWarningDlg> Open() {
    auto dialog = std::make_unique<CWarningDlg>(&parent_, Skin(skin_.ProgramFolder()), u"Title"_s,
                                                u"Message"_s, u""_s);
    dialog->open();
    return dialog;
  }

  test::SkinFolder skin_;
  QWidget parent_;
};

TEST_F(WarningDialog, OpensCentredOverItsParentAndOnItsScreen) {
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  struct Case {
    const char* name;
    QRect parent;
    QPoint dialog;
  };
  const Case cases[] = {
      // A frameless main window at the origin: no frame to allow for.
      {"centred", QRect(0, 0, 1028, 712), QPoint(275, 210)},
      {"parent partly off the screen",
       QRect(area.right() - 300, area.bottom() - 200, 1028, 712),
       QPoint(area.right() + 1 - 478, area.bottom() + 1 - 292)},
      {"parent above the top-left", QRect(area.left() - 900, area.top() - 700, 1028, 712),
       area.topLeft()},
  };
  for (const Case& c : cases) {
    QWidget parent(nullptr, Qt::Window | Qt::FramelessWindowHint);
    parent.setGeometry(c.parent);
    parent.show();
    CWarningDlg dialog(&parent, Skin(skin_.ProgramFolder()), u"Title"_s, u"Message"_s, u""_s);
    QPoint seen(-1, -1);
    QTimer::singleShot(0, &dialog, [&] {
      seen = dialog.pos();
      dialog.done(IDCANCEL);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL) << c.name;
    EXPECT_EQ(seen, c.dialog) << c.name;
  }
}

TEST_F(WarningDialog, LayoutAndTexts) {
  CWarningDlg dialog(&parent_, Skin(skin_.ProgramFolder()), u"Reset"_s, u"All profiles"_s, u""_s);
  EXPECT_EQ(dialog.size(), QSize(478, 292));
  auto* ok = dialog.findChild<CBitmapBtn*>(u"okButton"_s);
  auto* cancel = dialog.findChild<CBitmapBtn*>(u"cancelButton"_s);
  ASSERT_NE(ok, nullptr);
  ASSERT_NE(cancel, nullptr);
  EXPECT_EQ(ok->geometry(), RectLtrb(135, 219, 228, 245));
  EXPECT_EQ(cancel->geometry(), RectLtrb(234, 219, 327, 245));
  EXPECT_EQ(ok->Caption(), u"OK"_s);
  EXPECT_EQ(cancel->Caption(), u"Cancel"_s);
  EXPECT_EQ(test::PixelOf(ok, {1, 1}), QColor(80, 0, 0));

  auto* title = dialog.findChild<CStaticTrans*>(u"titleLabel"_s);
  auto* detail = dialog.findChild<CStaticTrans*>(u"detailLabel"_s);
  ASSERT_NE(title, nullptr);
  ASSERT_NE(detail, nullptr);
  EXPECT_EQ(title->text(), u"Reset"_s);
  EXPECT_EQ(title->geometry(), RectLtrb(103, 32, 376, 78));
  EXPECT_EQ(dialog.findChild<CStaticTrans*>(u"messageLabel"_s)->text(), u"All profiles"_s);
  // An empty third line keeps its place.
  EXPECT_EQ(detail->text(), u""_s);
  EXPECT_EQ(detail->geometry(), RectLtrb(127, 157, 405, 187));
}

TEST_F(WarningDialog, TakesTheShapeOfAFaceWithCutCorners) {
  // A face whose top-left corner is transparent, as the skin's are.
  QImage face(478, 292, QImage::Format_ARGB32);
  face.fill(QColor(30, 30, 30));
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 20 - y; ++x) face.setPixelColor(x, y, Qt::transparent);
  }
  skin_.AddImage(u"background"_s, u"dlg.png"_s, face);
  CWarningDlg dialog(&parent_, Skin(skin_.ProgramFolder()), u"Reset"_s, u"All profiles"_s, u""_s);
  const QRegion shape = dialog.mask();
  EXPECT_FALSE(shape.contains(QPoint(0, 0)));
  EXPECT_FALSE(shape.contains(QPoint(10, 5)));
  EXPECT_TRUE(shape.contains(QPoint(10, 15)));
  EXPECT_TRUE(shape.contains(QPoint(477, 0)));
  EXPECT_TRUE(shape.contains(QPoint(477, 291)));
}

TEST_F(WarningDialog, AnotherPictureTakesTheWarningsPlaceUnstretched) {
  skin_.AddImage(u"background"_s, u"warn.png"_s, test::Solid({96, 90}, QColor(200, 200, 0)));
  CWarningDlg dialog(&parent_, Skin(skin_.ProgramFolder()), u"About"_s, u"Vantix"_s, u""_s);
  const QPoint middle(34 + 48, 104 + 45);
  const QPoint top_of_box(34 + 48, 104 + 4);
  EXPECT_EQ(dialog.grab().toImage().pixelColor(top_of_box), QColor(200, 200, 0));
  // A wide picture keeps its shape: a band across the middle of the box.
  dialog.SetPicture(test::Solid({200, 50}, QColor(220, 0, 0)));
  QImage seen = dialog.grab().toImage();
  EXPECT_EQ(seen.pixelColor(middle), QColor(220, 0, 0));
  EXPECT_NE(seen.pixelColor(top_of_box), QColor(220, 0, 0));
  EXPECT_NE(seen.pixelColor(top_of_box), QColor(200, 200, 0));
  dialog.SetPicture(QImage());
  seen = dialog.grab().toImage();
  EXPECT_NE(seen.pixelColor(middle), QColor(220, 0, 0));
  EXPECT_NE(seen.pixelColor(middle), QColor(200, 200, 0));
}

TEST_F(WarningDialog, EnterAnswersOkEscapeCancel) {
  struct Case {
    int key;
    int answer;
  };
  for (const Case c : {Case{Qt::Key_Return, IDOK}, Case{Qt::Key_Enter, IDOK},
                       Case{Qt::Key_Escape, IDCANCEL}}) {
    auto dialog = Open();
    QTest::keyClick(dialog.get(), static_cast<Qt::Key>(c.key));
    EXPECT_FALSE(dialog->isVisible()) << c.key;
    EXPECT_EQ(dialog->result(), c.answer) << c.key;
  }
}

TEST_F(WarningDialog, EnterIsOkEvenOverTheCancelButton) {
  test::ShowActive(&parent_);
  auto dialog = Open();
  test::Move(dialog->CancelButton(), {5, 5});
  QTest::keyClick(dialog->CancelButton(), Qt::Key_Return);
  EXPECT_EQ(dialog->result(), IDOK);
}

TEST_F(WarningDialog, TabReachesTheButtonsAndTheFocusedOneTakesSpaceAndEnter) {
  struct Case {
    int tabs;  // 1: OK, 2: Cancel
    Qt::Key key;
    int answer;
  };
  for (const Case c : {Case{1, Qt::Key_Space, IDOK}, Case{2, Qt::Key_Space, IDCANCEL},
                       Case{2, Qt::Key_Return, IDCANCEL}, Case{2, Qt::Key_Escape, IDCANCEL}}) {
    auto dialog = Open();
    QApplication::setActiveWindow(dialog.get());
    dialog->OkButton()->setFocus(Qt::TabFocusReason);
    if (c.tabs == 2) QTest::keyClick(dialog->OkButton(), Qt::Key_Tab);
    QWidget* focused = QApplication::focusWidget();
    ASSERT_EQ(focused, c.tabs == 1 ? dialog->OkButton() : dialog->CancelButton());
    QTest::keyClick(focused, c.key);
    EXPECT_FALSE(dialog->isVisible()) << c.tabs << " " << c.key;
    EXPECT_EQ(dialog->result(), c.answer) << c.tabs << " " << c.key;
  }
}

TEST_F(WarningDialog, ScreenReadersHearTheTitleAndNamedButtons) {
  auto dialog = Open();
  EXPECT_EQ(test::UnnamedControls(dialog.get()), std::vector<QWidget*>{});
  EXPECT_EQ(QAccessible::queryAccessibleInterface(dialog.get())->text(QAccessible::Name), u"Title"_s);
  EXPECT_EQ(QAccessible::queryAccessibleInterface(dialog->CancelButton())->text(QAccessible::Name),
            u"Cancel"_s);
}

TEST_F(WarningDialog, ButtonsAnswer) {
  auto dialog = Open();
  test::Press(dialog->CancelButton(), {5, 5});
  test::Release(dialog->CancelButton(), {5, 5});
  EXPECT_EQ(dialog->result(), IDCANCEL);

  dialog = Open();
  test::Press(dialog->OkButton(), {5, 5});
  test::Release(dialog->OkButton(), {5, 5});
  EXPECT_EQ(dialog->result(), IDOK);
}

TEST_F(WarningDialog, NextAnswerStandsInForTheUser) {
  CWarningDlg::SetNextAnswer(IDCANCEL);
  CWarningDlg dialog(&parent_, Skin(skin_.ProgramFolder()), u"T"_s, u"M"_s, u"D"_s);
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_FALSE(dialog.isVisible());
}

}  // namespace
}  // namespace vantix
