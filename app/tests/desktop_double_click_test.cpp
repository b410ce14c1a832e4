// The double-click speed through the desktops' own settings, each on a
// stand-in of its own: GNOME's gsettings on a private key-file backend, KDE's
// kcminputrc in a private config folder with its reload signal on a private
// session bus, Xfce's xfconf with its XSETTINGS owner on an Xvfb of the
// test's own; and the notes on what the mouse's firmware keeps.
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "app/desktop_double_click.h"
#include "app/tests/dlg_test_fixture.h"
#include "tests/hook/x_display.h"

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

// A session bus of the test's own, ended with the test.
class PrivateBus {
 public:
  explicit PrivateBus(ScopedEnv& env) {
    bus_.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                               QStringLiteral("--print-address")});
    if (!bus_.waitForReadyRead(5000)) return;
    env.Set("DBUS_SESSION_BUS_ADDRESS", bus_.readLine().trimmed().toStdString());
    up_ = true;
  }
  ~PrivateBus() {
    bus_.kill();
    bus_.waitForFinished();
  }
  bool up() const { return up_; }

 private:
  QProcess bus_;
  bool up_ = false;
};

// The integer setting NAME as the XSETTINGS owner of screen 0 publishes it
// (the selection _XSETTINGS_S0, its window's _XSETTINGS_SETTINGS property),
// read the way every X toolkit reads it.
std::optional<std::int32_t> XsettingsInteger(xcb_connection_t* c, std::string_view name) {
  auto atom = [c](const char* text) {
    xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(text)), text), nullptr);
    const xcb_atom_t a = r != nullptr ? r->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(r);
    return a;
  };
  xcb_get_selection_owner_reply_t* owner =
      xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, atom("_XSETTINGS_S0")), nullptr);
  const xcb_window_t window = owner != nullptr ? owner->owner : xcb_window_t{XCB_WINDOW_NONE};
  std::free(owner);
  if (window == XCB_WINDOW_NONE) return std::nullopt;
  const xcb_atom_t settings = atom("_XSETTINGS_SETTINGS");
  xcb_get_property_reply_t* reply = xcb_get_property_reply(
      c, xcb_get_property(c, 0, window, settings, settings, 0, 1 << 20), nullptr);
  if (reply == nullptr) return std::nullopt;
  const auto* data = static_cast<const unsigned char*>(xcb_get_property_value(reply));
  const std::string bytes(reinterpret_cast<const char*>(data),
                          static_cast<std::size_t>(xcb_get_property_value_length(reply)));
  std::free(reply);
  // Little-endian owners only: the byte order is the first byte, 0 for LSB.
  if (bytes.size() < 12 || bytes[0] != 0) return std::nullopt;
  auto u16 = [&](std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 8;
  };
  auto u32 = [&](std::size_t at) { return u16(at) | u16(at + 2) << 16; };
  auto padded = [](std::size_t n) { return (n + 3) & ~std::size_t{3}; };
  std::size_t at = 12;
  for (std::uint32_t left = u32(8); left > 0 && at + 8 <= bytes.size(); --left) {
    const auto type = static_cast<unsigned char>(bytes[at]);
    const std::size_t name_length = u16(at + 2);
    const std::size_t value_at = at + 4 + padded(name_length) + 4;
    if (value_at + 4 > bytes.size()) return std::nullopt;
    const bool named = bytes.compare(at + 4, name_length, name) == 0 && name_length == name.size();
    if (type == 0 && named) return static_cast<std::int32_t>(u32(value_at));
    if (type == 0) at = value_at + 4;
    else if (type == 1) at = value_at + 4 + padded(u32(value_at));
    else at = value_at + 8;
  }
  return std::nullopt;
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
  PrivateBus bus(env);
  ASSERT_TRUE(bus.up());
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
  monitor.waitForFinished();
}

TEST(DesktopDoubleClickTest, XfceTakesItThroughXfconfAndItsXsettingsOwnerPublishesIt) {
  for (const char* tool : {"xfsettingsd", "xfconf-query", "dbus-daemon"}) {
    if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty()) {
      GTEST_SKIP() << tool << " is not installed";
    }
  }
  test::Xvfb x;
  ASSERT_TRUE(x.error().empty()) << x.error();
  test::ScratchDir scratch;
  ScopedEnv env;
  env.Set("DISPLAY", x.display());
  env.Set("XDG_CONFIG_HOME", scratch.path());  // xfconfd keeps its channels here
  env.Set("XDG_CURRENT_DESKTOP", "XFCE");
  ASSERT_EQ(FindSessionDoubleClickDesktop(), DoubleClickDesktop::kXfce);
  PrivateBus bus(env);
  ASSERT_TRUE(bus.up());
  // Xfce's settings daemon owns the XSETTINGS selection and publishes what
  // xfconf holds; the bus starts xfconfd for it.
  QProcess daemon;
  daemon.start(QStringLiteral("xfsettingsd"), {QStringLiteral("--no-daemon"), QStringLiteral("--replace")});
  ASSERT_TRUE(daemon.waitForStarted(5000));
  xcb_connection_t* c = xcb_connect(x.display().c_str(), nullptr);
  ASSERT_EQ(xcb_connection_has_error(c), 0);
  ASSERT_TRUE(test::WaitFor([&] { return XsettingsInteger(c, "Net/DoubleClickTime").has_value(); },
                            std::chrono::seconds(10), "xfsettingsd's XSETTINGS"));
  for (const int speed : {8, 2}) {
    ASSERT_TRUE(SetDesktopDoubleClick(DoubleClickDesktop::kXfce, speed).ok()) << speed;
    const int ms = DoubleClickMilliseconds(speed);
    EXPECT_TRUE(test::WaitFor([&] { return XsettingsInteger(c, "Net/DoubleClickTime") == ms; },
                              std::chrono::seconds(5), "Net/DoubleClickTime"))
        << speed << ": " << XsettingsInteger(c, "Net/DoubleClickTime").value_or(-1);
  }
  xcb_disconnect(c);
  daemon.kill();
  daemon.waitForFinished();
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
