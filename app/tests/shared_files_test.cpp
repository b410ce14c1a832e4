// The window and the other writers of its files (vantixctl, the agent):
// changes made outside show where the window holds no edits of its own and
// are never overwritten without asking; an Apply that cannot write (another
// writer holds the folder, a file is read-only) says so; files too large to
// be ours are told of once.
#include <filesystem>

#include "app/tests/dlg_test_fixture.h"
#include "settings/file_io.h"
#include "ui/png_slider.h"
#include "ui/warning_dlg.h"

namespace vantix {
namespace {

class SharedFiles : public DlgTest {
 protected:
  // The window with five files on disk, written by its own Apply.
  void OpenApplied() {
    Open();
    dlg->ApplySettings();
    dlg->OnTimer(kTimerApplyDone);
  }
  // Another writer, as vantixctl writes one profile.
  void WriteOutside(int profile, const char* key, int value) {
    ASSERT_TRUE(
        IniFile(ProfilePath(data, profile), SystemFileIo()).WriteInt("GROUP", key, value).ok());
  }
  int OnDisk(int profile, const char* key) {
    return IniFile(ProfilePath(data, profile), SystemFileIo()).ReadInt(-5, "GROUP", key);
  }
  // Long enough for the window to have looked at the folder.
  static void Settle() { QTest::qWait(400); }
  QString Warning(int number) const { return dlg->SkinFiles().UiText("WARNING", number); }
};

TEST_F(SharedFiles, AreShownWhereTheWindowHasNoEditsOfItsOwn) {
  OpenApplied();
  // The current profile and one in the background.
  WriteOutside(0, "Acceleration", 3);
  WriteOutside(3, "PollingRate", 1);
  EXPECT_TRUE(QTest::qWaitFor([&] { return live.Profiles[3].PollingRate == 1; }, 5000));
  EXPECT_TRUE(QTest::qWaitFor([&] { return live.Profiles[0].Acceleration == 3; }, 5000));
  EXPECT_EQ(C().pointer_sliders[0]->Thumb()->Value(), 3);

  // The window's own writes are not news: an edit made after Apply survives
  // them, and the next Apply asks nothing.
  Slide(kSliderAcceleration, 2);
  Settle();
  EXPECT_EQ(Profile().Acceleration, 2);
  EXPECT_FALSE(WatchModal([&] { dlg->ApplySettings(); }).has_value());
  EXPECT_EQ(OnDisk(0, "Acceleration"), 2);
}

TEST_F(SharedFiles, ApplyAsksBeforeOverwritingThemInAnEditedProfile) {
  struct Case {
    int answer;
    int profile;
    int polling_rate;  // on disk and shown afterwards
  };
  // OK keeps the window's values; Cancel keeps the other writer's.
  for (const Case c : {Case{IDOK, 2, 8}, Case{IDCANCEL, 4, 1}}) {
    SCOPED_TRACE(c.answer == IDOK ? "overwrite" : "keep");
    OpenApplied();
    Click(C().profile_labels[c.profile]);
    Profile().PollingRate = 8;
    dlg->RefreshControls();
    Slide(kSliderAcceleration, 4);
    const int before = OnDisk(c.profile, "Acceleration");
    WriteOutside(c.profile, "PollingRate", 1);
    Settle();
    // The edits stay until the user decides.
    EXPECT_EQ(Profile().Acceleration, 4);
    EXPECT_EQ(Profile().PollingRate, 8);

    const auto seen = WatchModal([&] { Click(C().apply); }, c.answer);
    ASSERT_TRUE(seen.has_value());
    EXPECT_EQ(seen->message, Warning(17).arg(c.profile + 1));
    const int acceleration = c.answer == IDOK ? 4 : before;
    EXPECT_EQ(Profile().Acceleration, acceleration);
    EXPECT_EQ(Profile().PollingRate, c.polling_rate);
    EXPECT_EQ(OnDisk(c.profile, "Acceleration"), acceleration);
    EXPECT_EQ(OnDisk(c.profile, "PollingRate"), c.polling_rate);
    EXPECT_EQ(C().pointer_sliders[0]->Thumb()->Value(), acceleration);
    // Decided once: the next Apply asks no more.
    dlg->OnTimer(kTimerApplyDone);
    EXPECT_FALSE(WatchModal([&] { Click(C().apply); }).has_value());
    dlg.reset();
  }
}

TEST_F(SharedFiles, AChangeMadeWhileTheUserDecidesIsAskedAboutInItsTurn) {
  OpenApplied();
  const int mine = Profile().PollingRate;
  Slide(kSliderAcceleration, 4);
  WriteOutside(0, "PollingRate", 1);
  Settle();
  int questions = 0;
  QTimer answerer;
  QObject::connect(&answerer, &QTimer::timeout, [&] {
    auto* question = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (question == nullptr) return;
    if (++questions == 1) WriteOutside(0, "PollingRate", 2);  // the other writer again
    question->done(IDOK);
  });
  answerer.start(0);
  Click(C().apply);
  answerer.stop();
  EXPECT_EQ(questions, 2);
  EXPECT_EQ(OnDisk(0, "PollingRate"), mine);
  EXPECT_EQ(OnDisk(0, "Acceleration"), 4);
}

TEST_F(SharedFiles, ApplyWhileAnotherWriterHoldsTheFolderWritesNothingAndSaysSo) {
  OpenApplied();
  Slide(kSliderAcceleration, 4);
  const std::string before = test::ReadBytes(ProfilePath(data, 0));
  {
    const test::HeldFolderLock other_writer(data);
    ASSERT_TRUE(other_writer.held());
    const auto seen = WatchModal([&] { Click(C().apply); }, IDOK);
    ASSERT_TRUE(seen.has_value());
    EXPECT_EQ(seen->message, Warning(19));
    EXPECT_NE(seen->detail, QString());
    EXPECT_EQ(test::ReadBytes(ProfilePath(data, 0)), before);
    EXPECT_TRUE(RowEnabled()) << "the user may try again";
  }
  EXPECT_FALSE(WatchModal([&] { Click(C().apply); }).has_value());
  EXPECT_EQ(OnDisk(0, "Acceleration"), 4);
}

TEST_F(SharedFiles, ApplyThatCannotWriteAProfileSaysSo) {
  OpenApplied();
  Slide(kSliderAcceleration, 4);
  const std::string path = ProfilePath(data, 0);
  const std::string before = test::ReadBytes(path);
  std::filesystem::permissions(path, std::filesystem::perms::owner_read |
                                         std::filesystem::perms::group_read |
                                         std::filesystem::perms::others_read);
  const auto seen = WatchModal([&] { Click(C().apply); }, IDOK);
  ASSERT_TRUE(seen.has_value());
  EXPECT_EQ(seen->message, Warning(19));
  EXPECT_NE(seen->detail.indexOf(QStringLiteral("read-only")), -1) << seen->detail.toStdString();
  EXPECT_EQ(test::ReadBytes(path), before);
  EXPECT_EQ(Profile().Acceleration, 4) << "the window keeps its values";

  std::filesystem::permissions(path, std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::add);
  dlg->OnTimer(kTimerApplyDone);
  EXPECT_FALSE(WatchModal([&] { Click(C().apply); }).has_value());
  EXPECT_EQ(OnDisk(0, "Acceleration"), 4);
}

TEST_F(SharedFiles, FilesTooLargeToBeOursAreToldOnceAndSetAsideByApply) {
  const std::string huge = Garbage(kMaxDataFileBytes + 1, 7);
  test::WriteBytes(ProfilePath(data, 1), huge);
  test::WriteBytes(ProfilePath(data, 3), huge);
  std::filesystem::create_directory(data + "MacroDB");
  test::WriteBytes(MacroIndexPath(data), huge);
  const auto seen = WatchModal([&] {
    Open();
    QTest::qWait(50);
  });
  ASSERT_TRUE(seen.has_value());
  EXPECT_EQ(seen->message, Warning(20));
  EXPECT_EQ(seen->detail, QStringLiteral("RSProfile2.pfd, RSProfile4.pfd, MacroSet.MSDB"));
  SettingsBlock defaults;
  std::ignore = ProfileStore(scratch / "none/", defaults, SystemFileIo()).ReloadProfiles();
  EXPECT_EQ(live.Profiles[1], defaults.Profiles[1]);

  // Read again on every refresh, told no more.
  EXPECT_FALSE(WatchModal([&] {
                 Agent(WM_AGENT_EVENT, kEventReload, 0);
                 Click(C().profile_labels[3]);
                 Settle();
               }).has_value());
  // Apply writes good files and keeps the damaged bytes beside them.
  EXPECT_FALSE(WatchModal([&] {
                 Click(C().apply);
                 Settle();
               }).has_value());
  int set_aside = 0;
  for (const auto& entry : std::filesystem::directory_iterator(data)) {
    if (entry.path().filename().string().find(".damaged-") != std::string::npos) ++set_aside;
  }
  EXPECT_EQ(set_aside, 2);
  EXPECT_LT(std::filesystem::file_size(ProfilePath(data, 1)), 64u * 1024);
}

}  // namespace
}  // namespace vantix
