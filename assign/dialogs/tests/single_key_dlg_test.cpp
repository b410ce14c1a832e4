#include "assign/dialogs/single_key_dlg.h"

#include <QTest>

#include <gtest/gtest.h>

#include "ui/bitmap_btn.h"
#include "ui/clr_edit.h"
#include "ui/skin.h"
#include "ui/static_trans.h"
#include "ui/warning_dlg.h"

using namespace Qt::StringLiterals;

namespace vantix {
namespace {

class TextEntryDialog : public ::testing::Test {
 protected:
  std::unique_ptr<CSingleKeyDlg> Open() {
    auto dialog = std::make_unique<CSingleKeyDlg>(&parent_, skin_, u"New Macro"_s, u"Name:"_s);
    dialog->open();
    return dialog;
  }

  Skin skin_{VANTIX_PROGRAM_DIR "/"};
  QWidget parent_;
};

TEST_F(TextEntryDialog, LayoutFromTheSkin) {
  CSingleKeyDlg dialog(&parent_, skin_, u"New Macro"_s, u"Name of the new macro:"_s);
  EXPECT_EQ(dialog.size(), QSize(478, 292));
  EXPECT_EQ(dialog.findChild<CStaticTrans*>(u"firstLabel"_s)->text(), u"New Macro"_s);
  EXPECT_EQ(dialog.findChild<CStaticTrans*>(u"secondLabel"_s)->text(), u"Name of the new macro:"_s);
  EXPECT_EQ(dialog.OkButton()->Caption(), skin_.UiText("General", 46));
  EXPECT_EQ(dialog.CancelButton()->Caption(), skin_.UiText("General", 47));
  EXPECT_FALSE(dialog.OkButton()->Caption().isEmpty());
  EXPECT_EQ(dialog.OkButton()->geometry(), RectLtrb(135, 219, 228, 245));
  EXPECT_EQ(dialog.CancelButton()->geometry(), RectLtrb(234, 219, 327, 245));
  // The edit lies inside its frame image.
  EXPECT_TRUE(QRect(82, 146, 301, 27).contains(dialog.Edit()->geometry()));
  // The face is cut to the window's outline: its corners are gone.
  EXPECT_FALSE(dialog.mask().isEmpty());
  EXPECT_FALSE(dialog.mask().contains(QPoint(0, 0)));
  EXPECT_TRUE(dialog.mask().contains(QPoint(239, 146)));
}

TEST_F(TextEntryDialog, OkTakesAtMostTwentyUnitsOfTheText) {
  auto dialog = Open();
  QTest::keyClicks(dialog->Edit(), u"A name that is far too long"_s);
  dialog->OkButton()->clicked();
  EXPECT_EQ(dialog->result(), IDOK);
  EXPECT_EQ(dialog->Text(), u"A name that is far t"_s);
}

TEST_F(TextEntryDialog, EnterIsOkEscapeAndCancelKeepNoText) {
  {
    auto dialog = Open();
    QTest::keyClicks(dialog->Edit(), u"Fast"_s);
    QTest::keyClick(dialog->Edit(), Qt::Key_Return);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), IDOK);
    EXPECT_EQ(dialog->Text(), u"Fast"_s);
  }
  {
    auto dialog = Open();
    QTest::keyClicks(dialog->Edit(), u"Slow"_s);
    QTest::keyClick(dialog->Edit(), Qt::Key_Escape);
    EXPECT_EQ(dialog->result(), IDCANCEL);
    EXPECT_EQ(dialog->Text(), u""_s);
  }
  {
    auto dialog = Open();
    QTest::keyClicks(dialog->Edit(), u"Slow"_s);
    dialog->CancelButton()->clicked();
    EXPECT_EQ(dialog->result(), IDCANCEL);
    EXPECT_EQ(dialog->Text(), u""_s);
  }
}

TEST_F(TextEntryDialog, TheEditTakesTheFocusOnceShown) {
  parent_.show();
  auto dialog = Open();
  dialog->activateWindow();
  EXPECT_TRUE(dialog->FocusTimerActive());
  EXPECT_TRUE(QTest::qWaitFor([&] { return !dialog->FocusTimerActive(); }));
  EXPECT_TRUE(dialog->Edit()->hasFocus());
}

TEST_F(TextEntryDialog, NextAnswerHooksAreUsedOnce) {
  CSingleKeyDlg::SetNextText(QStringLiteral("Combo"));
  CSingleKeyDlg first(&parent_, skin_, u""_s, u""_s);
  EXPECT_EQ(first.DoModal(), IDOK);
  EXPECT_EQ(first.Text(), u"Combo"_s);

  CSingleKeyDlg::SetNextCancel();
  CSingleKeyDlg second(&parent_, skin_, u""_s, u""_s);
  EXPECT_EQ(second.DoModal(), IDCANCEL);

  // Nothing left: the next dialog would run its window. Clearing works too.
  CSingleKeyDlg::SetNextText(QStringLiteral("x"));
  CSingleKeyDlg::SetNextText(std::nullopt);
  CSingleKeyDlg third(&parent_, skin_, u""_s, u""_s);
  QTimer::singleShot(0, &third, [&] { third.reject(); });
  EXPECT_EQ(third.DoModal(), IDCANCEL);
  EXPECT_EQ(third.Text(), u""_s);
}

}  // namespace
}  // namespace vantix
