// The main window against bad input on the offscreen platform: damaged
// profile files, a data folder nothing can be written to, and an agent that
// never answers or dies. (Damaged skin files are covered with the start-up
// tests.) Nothing here may crash or hang the window.
#include <QApplication>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <poll.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "app/tests/dlg_test_fixture.h"
#include "app/vantix_dlg.h"
#include "devicelink/agent_messages.h"
#include "devicelink/message_bus.h"
#include "settings/ini_file.h"
#include "settings/profile_store.h"
#include "tests/test_support.h"
#include "ui/bitmap_btn.h"
#include "ui/png_slider.h"
#include "ui/static_trans.h"

namespace vantix {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class DlgBadInputTest : public DlgTest {
 protected:
  // Opens the window on a data folder of its own (a previous window closed
  // first, so that the new one owns the endpoint).
  CVantixDlg& OpenOn(const std::string& data_folder) {
    dlg.reset();
    data = data_folder;
    return Open();
  }

  // Clicks Apply; true when it showed a modal dialog (which is then closed,
  // so that a failing test ends instead of waiting for a user).
  bool ApplyShowedADialog() {
    bool shown = false;
    QTimer watcher;
    watcher.setInterval(10);
    QObject::connect(&watcher, &QTimer::timeout, [&] {
      if (QWidget* modal = QApplication::activeModalWidget()) {
        shown = true;
        modal->close();
      }
    });
    watcher.start();
    Click(C().apply);
    QTest::qWait(30);
    return shown;
  }

  // The agent's kind 15 through the window's endpoint brings the row back.
  void AgentApplyDoneRestoresTheRow(bool post = true) {
    if (post) {
      ASSERT_TRUE(bus.PostMessage(kMainWindowTitle, WM_AGENT_EVENT, kEventApplyDone, 0));
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return dlg->TimerActive(kTimerApplyDone); }, 5000));
    dlg->OnTimer(kTimerApplyDone);
    EXPECT_TRUE(RowEnabled());
  }

  // The pages and editors still respond.
  void ExpectWorking() {
    Click(C().page_tabs[2]);
    EXPECT_EQ(dlg->Page(), 3);
    Click(C().mode_buttons[1]);
    EXPECT_EQ(Profile().LedMode1, 1);
    Click(C().page_tabs[0]);
    EXPECT_EQ(dlg->Page(), 1);
    Slide(kSliderWheelLines, 7);
    EXPECT_EQ(C().slider_titles[2]->text(), QStringLiteral("Scroll Lines : 7"));
  }
};

TEST_F(DlgBadInputTest, DamagedProfileFilesLoadAsDefaultsAndTheWindowWorks) {
  SettingsBlock defaults;
  std::ignore = ProfileStore(scratch / "no-files/", defaults, SystemFileIo()).ReloadProfiles();
  struct Case {
    const char* name;
    std::function<void(const std::string& path, int index)> damage;
    bool replaced_by_apply;
  };
  const Case cases[] = {
      {"random bytes",
       [](const std::string& path, int i) { test::WriteBytes(path, Garbage(3000 + 700 * i, 10 + i)); },
       true},
      {"a group header, then random bytes",
       [](const std::string& path, int i) {
         test::WriteBytes(path, "[GROUP]\r\n" + Garbage(2000, 20 + i));
       },
       true},
      {"empty", [](const std::string& path, int) { test::WriteBytes(path, ""); }, true},
      {"a folder", [](const std::string& path, int) { fs::create_directory(path); }, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string folder = scratch / c.name + "/";
    fs::create_directory(folder);
    for (int i = 0; i < kProfileCount; ++i) c.damage(ProfilePath(folder, i), i);
    // Whatever the block held before is replaced by the load.
    live.CurrentProfile = 3;
    live.Profiles[0].Acceleration = 99;

    OpenOn(folder);
    EXPECT_EQ(live, defaults);
    EXPECT_EQ(dlg->ProfileShown(), defaults.CurrentProfile);
    EXPECT_EQ(C().pointer_sliders[0]->Thumb()->Value(), defaults.Profiles[0].Acceleration);
    // The agent's reload reads the same damage the same way.
    Slide(kSliderAcceleration, 2);
    Agent(WM_AGENT_EVENT, kEventReload, 0);
    EXPECT_EQ(live, defaults);

    ExpectWorking();
    Slide(kSliderAcceleration, 3);
    // Profiles that cannot be written (folders in their place) are told of.
    EXPECT_EQ(ApplyShowedADialog(), !c.replaced_by_apply);
    EXPECT_TRUE(RowEnabled());  // no agent: nothing to wait for
    for (int i = 0; i < kProfileCount; ++i) {
      const std::string path = ProfilePath(folder, i);
      if (c.replaced_by_apply) {
        // Good files again, with what the window holds.
        EXPECT_EQ(IniFile(path, SystemFileIo()).ReadInt(-5, "GROUP", "Acceleration"),
                  i == live.CurrentProfile ? 3 : defaults.Profiles[i].Acceleration);
      } else {
        EXPECT_TRUE(fs::is_directory(path)) << i;
      }
    }
    AgentApplyDoneRestoresTheRow();
    ExpectWorking();
  }
}

TEST_F(DlgBadInputTest, AnUnwritableDataFolderMakesApplySaySoAndTheRowComesBack) {
  AnsweringAgent agent(bus);
  ASSERT_TRUE(agent.Listening());
  test::WriteBytes(scratch / "a-file", "not a folder");
  struct Case {
    const char* name;
    std::string folder;
    std::function<void(const std::string&)> prepare;
  };
  const Case cases[] = {
      {"the data folder is a file", scratch / "a-file" + "/", nullptr},
      {"the data folder lies under a file", scratch / "a-file" + "/data/", nullptr},
      {"every profile file is a folder", scratch / "folders/",
       [](const std::string& folder) {
         fs::create_directory(folder);
         for (int i = 0; i < kProfileCount; ++i) fs::create_directory(ProfilePath(folder, i));
       }},
  };
  int applies = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.prepare) c.prepare(c.folder);
    launcher.started.clear();
    OpenOn(c.folder);
    EXPECT_TRUE(launcher.started.empty());  // the agent was found

    Slide(kSliderAcceleration, 3);
    EXPECT_TRUE(ApplyShowedADialog());
    // Told even though nothing was saved: it reads whatever the files hold.
    EXPECT_EQ(agent.Applies(), ++applies);
    EXPECT_TRUE(RowDisabled());
    EXPECT_EQ(test::ReadBytes(scratch / "a-file"), "not a folder");
    for (int i = 0; i < kProfileCount; ++i) {
      EXPECT_FALSE(fs::is_regular_file(ProfilePath(c.folder, i))) << i;
    }
    // The agent's own kind 15 is on its way.
    AgentApplyDoneRestoresTheRow(/*post=*/false);
    ExpectWorking();
    EXPECT_TRUE(ApplyShowedADialog());
    EXPECT_EQ(agent.Applies(), ++applies);
    AgentApplyDoneRestoresTheRow(false);
  }
}

TEST_F(DlgBadInputTest, AnAgentThatNeverAnswersOrDiesNeverHoldsTheWindowPastTheLimit) {
  send_limit = 300ms;
  enum class Fate { kNeverAnswers, kGoneBeforeApply, kDiesWhileWaitedFor };
  struct Case {
    const char* name;
    Fate fate;
  };
  const Case cases[] = {
      {"never answers", Fate::kNeverAnswers},
      {"gone before Apply", Fate::kGoneBeforeApply},
      {"dies while the window waits", Fate::kDiesWhileWaitedFor},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // An endpoint nobody processes: found, connected to, never answering.
    OpenedEndpoint opened = Endpoint::Open(kAgentWindowTitle, bus.Folder());
    ASSERT_TRUE(opened.endpoint) << opened.status.reason();
    std::unique_ptr<Endpoint> agent = std::move(opened.endpoint);
    launcher.started.clear();
    const std::string folder = scratch / c.name + "/";
    fs::create_directory(folder);
    OpenOn(folder);
    EXPECT_TRUE(launcher.started.empty());

    std::thread killer;
    if (c.fate == Fate::kGoneBeforeApply) agent.reset();
    if (c.fate == Fate::kDiesWhileWaitedFor) {
      killer = std::thread([&agent] {
        std::this_thread::sleep_for(100ms);
        agent.reset();
      });
    }
    const auto start = std::chrono::steady_clock::now();
    Click(C().apply);
    const auto waited = std::chrono::steady_clock::now() - start;
    if (killer.joinable()) killer.join();
    agent.reset();

    // Bounded by the window's limit, not the bus's default.
    EXPECT_LT(waited, kSendTimeout);
    EXPECT_TRUE(AllProfileFiles());
    // An agent found gone gives the row back at once; one that may still
    // answer is waited for until it is seen gone.
    EXPECT_EQ(RowDisabled(), c.fate != Fate::kGoneBeforeApply);
    EXPECT_TRUE(QTest::qWaitFor([&] { return RowEnabled(); }, 3000));
    EXPECT_FALSE(C().status_unconfirmed->isHidden());
    ExpectWorking();
    AgentApplyDoneRestoresTheRow();
  }
}

}  // namespace
}  // namespace vantix
