// The double-click speed through the desktops' own settings, each on a
// stand-in of its own: GNOME's gsettings on a private key-file backend, KDE's
// kcminputrc in a private config folder with its reload signal on a private
// session bus; and the notes on what the mouse's firmware keeps.
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/desktop_double_click.h"
#include "app/tests/dlg_test_fixture.h"

namespace vantix {
namespace {

// Sets environment variables for one test and puts the old values back.
class ScopedEnv {
 public:
  void Set(const char* name, const std::string& value) {
    Keep(name);
    ::setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    for (const auto& [name, value] : old_) {
      if (value) {
        ::setenv(name.c_str(), value->c_str(), 1);
      } else {
        ::unsetenv(name.c_str());
      }
    }
  }

 private:
  void Keep(const char* name) {
    const char* now = std::getenv(name);
    old_.emplace_back(name, now != nullptr ? std::optional<std::string>(now) : std::nullopt);
  }
  std::vector<std::pair<std::string, std::optional<std::string>>> old_;
};

QString Output(const QString& program, const QStringList& arguments) {
  QProcess p;
  p.start(program, arguments);
  p.waitForFinished(5000);
  return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
}

TEST(DesktopDoubleClickTest, GnomeTakesItThroughGsettings) {
  if (QStandardPaths::findExecutable(QStringLiteral("gsettings")).isEmpty()) {
    GTEST_SKIP() << "gsettings is not installed";
  }
  test::ScratchDir scratch;
  ScopedEnv env;
  // GIO's key-file backend keeps the values in this private folder, where
  // gsettings run later reads them back.
  env.Set("GSETTINGS_BACKEND", "keyfile");
  env.Set("XDG_CONFIG_HOME", scratch.path());
  env.Set("XDG_CURRENT_DESKTOP", "ubuntu:GNOME");
  ASSERT_EQ(FindSessionDoubleClickDesktop(), DoubleClickDesktop::kGnome);
  for (const int speed : {1, 7, 10}) {
    ASSERT_TRUE(SetDesktopDoubleClick(DoubleClickDesktop::kGnome, speed).ok());
    EXPECT_EQ(Output(QStringLiteral("gsettings"),
                     {QStringLiteral("get"), QStringLiteral("org.gnome.desktop.peripherals.mouse"),
                      QStringLiteral("double-click")}),
              QString::number(DoubleClickMilliseconds(speed)));
  }
  EXPECT_TRUE(test::Exists(scratch / "glib-2.0/settings/keyfile"));
}

TEST(DesktopDoubleClickTest, KdeTakesItInKcminputrcAndIsToldToReadItAgain) {
  if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty()) {
    GTEST_SKIP() << "dbus-daemon is not installed";
  }
  test::ScratchDir scratch;
  ScopedEnv env;
  env.Set("XDG_CONFIG_HOME", scratch.path());
  env.Set("XDG_CURRENT_DESKTOP", "KDE");
  ASSERT_EQ(FindSessionDoubleClickDesktop(), DoubleClickDesktop::kKde);
  test::WriteBytes(scratch / "kcminputrc", "[Mouse]\ncursorTheme=breeze\n");

  // A session bus of our own, and a listener on it for KDE's signal.
  QProcess bus;
  bus.start(QStringLiteral("dbus-daemon"),
            {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address")});
  ASSERT_TRUE(bus.waitForReadyRead(5000));
  env.Set("DBUS_SESSION_BUS_ADDRESS", bus.readLine().trimmed().toStdString());
  QProcess monitor;
  monitor.start(QStringLiteral("dbus-monitor"),
                {QStringLiteral("--session"),
                 QStringLiteral("type='signal',interface='org.kde.KGlobalSettings'")});
  ASSERT_TRUE(monitor.waitForReadyRead(5000));  // its own greeting: it listens now

  ASSERT_TRUE(SetDesktopDoubleClick(DoubleClickDesktop::kKde, 8).ok());
  EXPECT_EQ(test::ReadBytes(scratch / "kcminputrc"),
            "[Mouse]\ncursorTheme=breeze\n\n[KDE]\nDoubleClickInterval=320\n");
  QByteArray heard;
  EXPECT_TRUE(test::WaitFor(
      [&] {
        monitor.waitForReadyRead(50);
        heard += monitor.readAll();
        return heard.contains("int32 0") && heard.contains("member=notifyChange");
      },
      std::chrono::seconds(5), "KDE's notifyChange signal"));
  EXPECT_TRUE(heard.contains("int32 3"));
  monitor.kill();
  bus.kill();
  monitor.waitForFinished();
  bus.waitForFinished();
}

TEST(DesktopDoubleClickTest, WithoutAKnownDesktopNothingIsFound) {
  ScopedEnv env;
  for (const char* desktop : {"", "MATE", "LXQt"}) {
    env.Set("XDG_CURRENT_DESKTOP", desktop);
    EXPECT_EQ(FindSessionDoubleClickDesktop(), DoubleClickDesktop::kNone) << desktop;
  }
}

class NotesTest : public DlgTest, public ::testing::WithParamInterface<const char*> {
 protected:
  void SetUp() override { env.Set("VANTIX_LANGUAGE", GetParam()); }
  QString Note(int number) const { return dlg->SkinFiles().UiText("STATE", number); }
  ScopedEnv env;
};

TEST_P(NotesTest, FirmwareSettingsAreMarkedWhereTheyAreShown) {
  Open();
  ASSERT_FALSE(Note(8).isEmpty());
  EXPECT_EQ(C().rate_note->text(), Note(8));
  EXPECT_EQ(C().lighting_note->text(), Note(8));
  EXPECT_NE(Note(8), QStringLiteral("8"));  // a text, not the number of a missing one
  const std::array<std::array<bool, 2>, 3> shown = {{{true, false}, {false, false}, {false, true}}};
  for (int page = 1; page <= 3; ++page) {
    Click(C().page_tabs[static_cast<std::size_t>(page - 1)]);
    EXPECT_EQ(Shown(C().rate_note), shown[page - 1][0]) << page;
    EXPECT_EQ(Shown(C().lighting_note), shown[page - 1][1]) << page;
    // No desktop setting here (the fixture's): the double-click slider says so.
    EXPECT_EQ(Shown(C().double_click_note), page == 1) << page;
  }
  EXPECT_EQ(C().double_click_note->text(), Note(9));
}

TEST_P(NotesTest, WithADesktopSettingApplyHandsItTheSpeedAndTheNoteGoes) {
  test::ScratchDir config;
  env.Set("XDG_CONFIG_HOME", config.path());
  double_click_desktop = DoubleClickDesktop::kKde;
  Open();
  EXPECT_FALSE(Shown(C().double_click_note));
  Slide(kSliderDoubleClick, 2);
  Click(C().apply);
  EXPECT_EQ(test::ReadBytes(config / "kcminputrc"), "[KDE]\nDoubleClickInterval=800\n");
}

INSTANTIATE_TEST_SUITE_P(Languages, NotesTest, ::testing::Values("en", "de"));

}  // namespace
}  // namespace vantix
