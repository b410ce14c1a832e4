// Edits the profile files lack: what marks them, what does not, and the
// question when the window closes with them (close button, the window
// manager's close, the session's end); Apply's state after the agent's.
#include <QCloseEvent>
#include <QCoreApplication>
#include <gtest/gtest.h>

#include <array>
#include <optional>

#include "app/tests/dlg_test_fixture.h"
#include "settings/profile_store.h"
#include "ui/warning_dlg.h"

namespace vantix {
namespace {

class UnappliedTest : public DlgTest {
 protected:
  bool Marked() const {
    return Shown(C().status_unapplied) &&
           C().apply->NormalFace().pixel(55, 11) != PlainApply().pixel(55, 11);
  }
  QImage PlainApply() const {
    return QImage(QString::fromUtf8(VANTIX_PROGRAM_DIR "/images/0409/buttons/apply1.png"));
  }
  // The wheel-lines value stored in profile 1's file, or nothing.
  std::optional<int> StoredWheelLines() const {
    if (!Exists(ProfilePath(data, 0))) return std::nullopt;
    return IniFile(ProfilePath(data, 0), SystemFileIo()).ReadInt(-1, "GROUP", "WheelScrollLines");
  }
};

TEST_F(UnappliedTest, AnEditMarksTheWindowUntilApplyOrUntilItIsUndone) {
  Open();
  EXPECT_FALSE(Marked());
  EXPECT_EQ(C().apply->NormalFace().pixel(55, 11), PlainApply().pixel(55, 11));
  const int before = Profile().WheelScrollLines;
  Slide(kSliderWheelLines, before == 9 ? 8 : 9);
  EXPECT_TRUE(Marked());
  EXPECT_EQ(C().status_unapplied->text(), QStringLiteral("Not applied"));
  // Back to the stored value: nothing left to apply.
  Slide(kSliderWheelLines, before);
  EXPECT_FALSE(Marked());

  Slide(kSliderWheelLines, 9);
  Click(C().apply);
  EXPECT_FALSE(Marked());
  EXPECT_EQ(StoredWheelLines(), 9);
}

TEST_F(UnappliedTest, TheMouseOwnChangesAndAProfileSwitchAreNoEdits) {
  Open();
  Agent(WM_AGENT_EVENT, kEventDpiStage, 2);
  Agent(WM_AGENT_EVENT, kEventPointerSpeed, 17);
  Agent(WM_AGENT_EVENT, kEventReportRate, 8);
  Agent(WM_AGENT_EVENT, kEventProfile, 3);
  Click(C().profile_labels[1]);
  EXPECT_FALSE(dlg->HasUnappliedEdits());
  EXPECT_FALSE(Marked());
  // A user's edit beside the mouse's change still counts, and only it.
  Slide(kSliderPointerSpeed, 5);
  EXPECT_TRUE(Marked());
  Agent(WM_AGENT_EVENT, kEventPointerSpeed, 17);
  Slide(kSliderPointerSpeed, 17);
  EXPECT_FALSE(dlg->HasUnappliedEdits());
}

TEST_F(UnappliedTest, AnAssignmentChangeMarksTheWindow) {
  Open();
  Profile().Buttons[2].ButtonFunc = Profile().Buttons[2].ButtonFunc == 1 ? 2 : 1;
  dlg->LabelRefresh();
  EXPECT_TRUE(Marked());
}

enum class CloseBy { kCloseButton, kWindowManager, kSessionEnd };

struct CloseCase {
  CloseBy by;
  std::optional<int> answer;  // nothing: no edits, so no question
  bool closes;
  bool saved;
};

class CloseTest : public UnappliedTest, public ::testing::WithParamInterface<CloseCase> {
 protected:
  // Closes as the case says; whether the window agreed to close.
  bool CloseWindow(CloseBy by) {
    switch (by) {
      case CloseBy::kCloseButton:
        Click(C().close);
        return dlg->isHidden();
      case CloseBy::kWindowManager: {
        QCloseEvent event;
        QCoreApplication::sendEvent(dlg.get(), &event);
        return event.isAccepted();
      }
      case CloseBy::kSessionEnd:
        return dlg->QueryClose();
    }
    return false;
  }
};

TEST_P(CloseTest, AsksWithTheSkinsDialogOnlyWhenThereAreEdits) {
  const CloseCase& c = GetParam();
  Open();
  if (c.answer) Slide(kSliderWheelLines, Profile().WheelScrollLines == 9 ? 8 : 9);
  const int edited = Profile().WheelScrollLines;
  bool closed = false;
  const std::optional<SeenModal> seen =
      WatchModal([&] { closed = CloseWindow(c.by); }, c.answer.value_or(IDCANCEL));
  ASSERT_EQ(seen.has_value(), c.answer.has_value());
  if (seen) {
    EXPECT_EQ(seen->name, QStringLiteral("warningDialog"));
    EXPECT_EQ(seen->title, QStringLiteral("Changes not applied"));
    EXPECT_EQ(seen->message, QStringLiteral("Apply your changes before closing?"));
  }
  EXPECT_EQ(closed, c.closes);
  EXPECT_EQ(StoredWheelLines() == edited, c.saved);
  // Staying keeps the edits, still marked.
  if (!c.closes) {
    EXPECT_EQ(Profile().WheelScrollLines, edited);
    EXPECT_TRUE(Marked());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Answers, CloseTest,
    ::testing::Values(CloseCase{CloseBy::kCloseButton, std::nullopt, true, false},
                      CloseCase{CloseBy::kCloseButton, IDOK, true, true},
                      CloseCase{CloseBy::kCloseButton, IDNO, true, false},
                      CloseCase{CloseBy::kCloseButton, IDCANCEL, false, false},
                      CloseCase{CloseBy::kWindowManager, std::nullopt, true, false},
                      CloseCase{CloseBy::kWindowManager, IDOK, true, true},
                      CloseCase{CloseBy::kWindowManager, IDNO, true, false},
                      CloseCase{CloseBy::kWindowManager, IDCANCEL, false, false},
                      CloseCase{CloseBy::kSessionEnd, IDNO, true, false},
                      CloseCase{CloseBy::kSessionEnd, IDCANCEL, false, false}));

TEST_F(UnappliedTest, TheThreeAnswersStandInOneRowInsideTheDialog) {
  Open();
  CWarningDlg dlg_probe(nullptr, dlg->SkinFiles(), QString(), QString(), QString());
  dlg_probe.SetAnswers(QStringLiteral("Apply"), QStringLiteral("Discard"), QStringLiteral("Stay"));
  const std::array<CBitmapBtn*, 3> row = {dlg_probe.OkButton(), dlg_probe.NoButton(),
                                          dlg_probe.CancelButton()};
  for (std::size_t i = 0; i < row.size(); ++i) {
    EXPECT_TRUE(
        QRect(0, 0, CWarningDlg::kWidth, CWarningDlg::kHeight).contains(row[i]->geometry()));
    EXPECT_TRUE(row[i]->CutCaption().isEmpty()) << i;
    if (i > 0) {
      EXPECT_EQ(row[i]->y(), row[0]->y());
      EXPECT_GT(row[i]->x(), row[i - 1]->geometry().right());
    }
  }
  EXPECT_EQ(row[1]->Caption(), QStringLiteral("Discard"));
}

// Apply is enabled whatever the agent reported before: only an Apply that
// waits for its answer holds it.
TEST_F(UnappliedTest, ApplyIsEnabledWhateverTheConnectionDid) {
  Open();
  EXPECT_TRUE(C().apply->isEnabled());
  for (const int setting : {1, 0, 1, 0}) {
    SetConnected(setting);
    Agent(WM_AGENT_STATUS, 0, 0);
    EXPECT_TRUE(C().apply->isEnabled()) << setting;
  }
  CWarningDlg::SetNextAnswer(IDOK);
  Click(C().reset_all);
  EXPECT_TRUE(C().apply->isEnabled());
  EXPECT_FALSE(Marked());
}

}  // namespace
}  // namespace vantix
