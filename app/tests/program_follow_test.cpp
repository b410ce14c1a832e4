// The main window and the profile that follows the program in front: a
// rule's profile is named with its program and never becomes the window's
// (nor the files') current profile; a missing focus source is told.
#include <sys/stat.h>

#include "app/tests/dlg_test_fixture.h"
#include "devicelink/agent_config.h"

namespace vantix {
namespace {

class ProgramFollowTest : public DlgTest {
 protected:
  void Publish(int profile, std::string program, std::string focus = "x11", std::string problem = "") {
    ::mkdir(endpoints.c_str(), 0700);
    AgentState state;
    state.backend = "simulated";
    state.profile = profile;
    state.program = std::move(program);
    state.focus = std::move(focus);
    state.focus_problem = std::move(problem);
    ASSERT_TRUE(WriteAgentState(AgentStatePath(endpoints), state, SystemFileIo()).ok());
  }
  CStaticTrans* Line() { return dlg->findChild<CStaticTrans*>(QStringLiteral("program_follow")); }
};

TEST_F(ProgramFollowTest, ARulesProfileIsNamedAndTheChosenProfileStays) {
  Open();
  ASSERT_NE(Line(), nullptr);
  EXPECT_FALSE(Shown(Line()));

  Publish(4, "GameOne");
  Agent(WM_AGENT_EVENT, kEventProfile, 3);
  EXPECT_EQ(live.CurrentProfile, 0);
  EXPECT_EQ(C().profile_labels[0]->TextColor(), kHighlightColor);
  EXPECT_TRUE(Shown(Line()));
  EXPECT_EQ(Line()->text(), QStringLiteral("Profile 4 follows GameOne"));
  EXPECT_EQ(Line()->accessibleName(), Line()->text());
  EXPECT_FALSE(Line()->FitLabelText().cut);

  // An Apply meanwhile writes the chosen profile as current.
  Click(C().apply);
  SettingsBlock files;
  ProfileStore(data, files, SystemFileIo()).ReloadProfiles();
  EXPECT_EQ(files.CurrentProfile, 0);

  // The rule's end: the line goes, the window stays where it was.
  Publish(1, "");
  Agent(WM_AGENT_EVENT, kEventProfile, 0);
  EXPECT_FALSE(Shown(Line()));
  EXPECT_EQ(live.CurrentProfile, 0);
  // A switch on the device itself still moves the window.
  Agent(WM_AGENT_EVENT, kEventProfile, 2);
  EXPECT_EQ(live.CurrentProfile, 2);
}

TEST_F(ProgramFollowTest, NoFocusSourceIsToldWithTheAgentsReason) {
  Publish(1, "", "", "x11: no DISPLAY");
  Open();
  EXPECT_TRUE(Shown(Line()));
  EXPECT_EQ(Line()->text(), QStringLiteral("Programs are not followed: x11: no DISPLAY"));
  Publish(1, "", "x11");
  Agent(WM_AGENT_STATUS, 0, 0);
  EXPECT_FALSE(Shown(Line()));
}

}  // namespace
}  // namespace vantix
