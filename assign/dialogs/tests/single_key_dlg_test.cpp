#include "assign/dialogs/single_key_dlg.h"

#include <QTest>

#include <gtest/gtest.h>

#include "ui/bitmap_btn.h"
#include "ui/clr_edit.h"
#include "ui/skin.h"
#include "ui/static_trans.h"
#include "ui/warning_dlg.h"

namespace vantix {
namespace {

class TextEntryDialog : public ::testing::Test {
 protected:
  std::unique_ptr<CSingleKeyDlg> Open() {
    auto dialog = std::make_unique<CSingleKeyDlg>(&parent_, skin_, "New Macro", "Name:");
    dialog->open();
    return dialog;
  }

  Skin skin_{VANTIX_PROGRAM_DIR "/"};
  QWidget parent_;
};

TEST_F(TextEntryDialog, LayoutFromTheSkin) {
  CSingleKeyDlg dialog(&parent_, skin_, "New Macro", "Name of the new macro:");
  EXPECT_EQ(dialog.size(), QSize(478, 292));
  EXPECT_EQ(dialog.findChild<CStaticTrans*>("firstLabel")->text(), "New Macro");
  EXPECT_EQ(dialog.findChild<CStaticTrans*>("secondLabel")->text(), "Name of the new macro:");
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
  QTest::keyClicks(dialog->Edit(), "A name that is far too long");
  dialog->OkButton()->clicked();
  EXPECT_EQ(dialog->result(), IDOK);
  EXPECT_EQ(dialog->Text(), "A name that is far t");
}

TEST_F(TextEntryDialog, EnterIsOkEscapeAndCancelKeepNoText) {
  {
    auto dialog = Open();
    QTest::keyClicks(dialog->Edit(), "Fast");
    QTest::keyClick(dialog->Edit(), Qt::Key_Return);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), IDOK);
    EXPECT_EQ(dialog->Text(), "Fast");
  }
  {
    auto dialog = Open();
    QTest::keyClicks(dialog->Edit(), "Slow");
    QTest::keyClick(dialog->Edit(), Qt::Key_Escape);
    EXPECT_EQ(dialog->result(), IDCANCEL);
    EXPECT_EQ(dialog->Text(), "");
  }
  {
    auto dialog = Open();
    QTest::keyClicks(dialog->Edit(), "Slow");
    dialog->CancelButton()->clicked();
    EXPECT_EQ(dialog->result(), IDCANCEL);
    EXPECT_EQ(dialog->Text(), "");
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
  CSingleKeyDlg first(&parent_, skin_, "", "");
  EXPECT_EQ(first.DoModal(), IDOK);
  EXPECT_EQ(first.Text(), "Combo");

  CSingleKeyDlg::SetNextCancel();
  CSingleKeyDlg second(&parent_, skin_, "", "");
  EXPECT_EQ(second.DoModal(), IDCANCEL);

  // Nothing left: the next dialog would run its window. Clearing works too.
  CSingleKeyDlg::SetNextText(QStringLiteral("x"));
  CSingleKeyDlg::SetNextText(std::nullopt);
  CSingleKeyDlg third(&parent_, skin_, "", "");
  QTimer::singleShot(0, &third, [&] { third.reject(); });
  EXPECT_EQ(third.DoModal(), IDCANCEL);
  EXPECT_EQ(third.Text(), "");
}

}  // namespace
}  // namespace vantix
