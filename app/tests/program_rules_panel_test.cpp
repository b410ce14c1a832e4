// The panel of the programs a profile follows: what it lists for the
// profile being edited, adding (typed or picked from the programs lately in
// front), moving and removing rules in the real programs.ini, the agent told
// each time, the names it refuses and why, and GNOME's focus extension
// offered through a stand-in `gnome-extensions` on PATH.
#include "app/program_rules_panel.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAccessible>
#include <QApplication>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/tests/dlg_test_fixture.h"
#include "devicelink/program_rules.h"
#include "macro/editor/list_box_ex.h"
#include "ui/bmp_menu.h"
#include "ui/clr_edit.h"

namespace vantix {

void PrintTo(const ProgramRule& rule, std::ostream* out) {
  *out << rule.program << "=" << rule.profile;
}

namespace {

constexpr const char* kOff =
    "x11: no DISPLAY; gnome: the extension "
    "vantix-focus@vantix.org is not enabled";
constexpr const char* kMissing = "gnome: the extension vantix-focus@vantix.org is not installed";

class ProgramRulesPanelTest : public DlgTest {
 protected:
  ProgramRulesPanelTest() : rules_path(scratch / "config/vantix/programs.ini") {
    ::mkdir(endpoints.c_str(), 0700);
    ::setenv("XDG_CONFIG_HOME", (scratch / "config").c_str(), 1);
    old_path = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
  }
  ~ProgramRulesPanelTest() override {
    ::unsetenv("XDG_CONFIG_HOME");
    ::setenv("PATH", old_path.c_str(), 1);
  }

  ProgramRulesPanel& Panel() { return *dlg->Programs(); }
  void Publish(std::vector<std::string> recent, std::string problem = "") {
    AgentState state;
    state.backend = "simulated";
    state.profile = 1;
    state.focus = "x11";
    state.recent = std::move(recent);
    state.focus_problem = std::move(problem);
    ASSERT_TRUE(WriteAgentState(AgentStatePath(bus.Folder()), state, SystemFileIo()).ok());
    Agent(WM_AGENT_STATE, 0, 0);
  }
  void Rule(const char* program, int profile) {
    ASSERT_TRUE(SetProgramRule(rules_path, program, profile, SystemFileIo()).ok());
  }
  std::vector<ProgramRule> File() { return ReadProgramRules(rules_path, SystemFileIo()).rules; }
  std::vector<std::string> Rows() {
    std::vector<std::string> rows;
    for (const QString& row : Panel().Rows()) rows.push_back(row.toStdString());
    return rows;
  }
  std::string Said() { return Panel().Message()->text().toStdString(); }
  void Type(const QString& text) {
    QApplication::setActiveWindow(dlg.get());
    Panel().NameEdit()->setFocus();
    QTest::keyClicks(Panel().NameEdit(), text);
    QTest::keyClick(Panel().NameEdit(), Qt::Key_Return);
  }
  // A stand-in for GNOME's tool: notes its arguments, answers with status.
  void FakeGnomeExtensions(int status, const std::string& said = "") {
    const std::string bin = scratch / "bin";
    ::mkdir(bin.c_str(), 0700);
    test::WriteBytes(bin + "/gnome-extensions", "#!/bin/sh\necho \"$@\" >> '" +
                                                    (scratch / "calls") + "'\necho '" + said +
                                                    "' >&2\nexit " + std::to_string(status) + "\n");
    ::chmod((bin + "/gnome-extensions").c_str(), 0700);
    ::setenv("PATH", (bin + ":" + old_path).c_str(), 1);
  }
  std::string Calls() {
    return test::Exists(scratch / "calls") ? test::ReadBytes(scratch / "calls") : std::string();
  }

  std::string rules_path;
  std::string old_path;
};

TEST_F(ProgramRulesPanelTest, ListsTheProgramsOfTheProfileBeingEdited) {
  Rule("steam", 1);
  Rule("firefox", 2);
  Rule("hl2_linux", 1);
  Open();
  EXPECT_FALSE(Panel().IsOpen());
  EXPECT_EQ(Panel().OpenButton()->Caption(), QStringLiteral("Programs (2)"));
  Click(Panel().OpenButton());
  ASSERT_TRUE(Panel().IsOpen());
  EXPECT_EQ(Panel().Title()->text(), QStringLiteral("Programs that follow profile 1"));
  EXPECT_EQ(Rows(), (std::vector<std::string>{"steam", "hl2_linux"}));
  EXPECT_FALSE(Shown(Panel().Empty()));
  EXPECT_TRUE(Panel().RemoveButton()->isEnabled());

  // Another profile's tab: its own programs, or a list that says it is empty.
  Click(C().profile_labels[1]);
  EXPECT_EQ(Rows(), (std::vector<std::string>{"firefox"}));
  EXPECT_EQ(Panel().OpenButton()->Caption(), QStringLiteral("Programs (1)"));
  Click(C().profile_labels[4]);
  EXPECT_TRUE(Rows().empty());
  EXPECT_TRUE(Shown(Panel().Empty()));
  EXPECT_EQ(Panel().Empty()->text(),
            QStringLiteral("No program follows this profile. Type a name below "
                           "or pick a recent one."));
  EXPECT_FALSE(Panel().Empty()->FitLabelText().cut);
  EXPECT_FALSE(Panel().RemoveButton()->isEnabled());
  EXPECT_EQ(Panel().Title()->text(), QStringLiteral("Programs that follow profile 5"));

  // Changed by vantixctl meanwhile: read again when the agent says so.
  Rule("celeste", 5);
  Agent(WM_AGENT_STATE, 0, 0);
  EXPECT_EQ(Rows(), (std::vector<std::string>{"celeste"}));
  Click(Panel().CloseButton());
  EXPECT_FALSE(Panel().IsOpen());

  // A window that opens on another profile lists that profile's programs.
  Click(C().profile_labels[1]);
  Click(C().apply);
  dlg.reset();
  Open();
  Click(Panel().OpenButton());
  EXPECT_EQ(Panel().Title()->text(), QStringLiteral("Programs that follow profile 2"));
  EXPECT_EQ(Rows(), (std::vector<std::string>{"firefox"}));
}

TEST_F(ProgramRulesPanelTest, AddsMovesAndRemovesRulesAndTellsTheAgent) {
  AnsweringAgent agent(bus);
  Open();
  Click(Panel().OpenButton());
  Type(QStringLiteral("  Steam "));  // typed spaces around the name are left out
  EXPECT_EQ(File(), (std::vector<ProgramRule>{{"Steam", 1}}));
  EXPECT_EQ(Said(), "Steam follows profile 1 now.");
  EXPECT_TRUE(Panel().NameEdit()->text().isEmpty());
  EXPECT_EQ(Rows(), (std::vector<std::string>{"Steam"}));
  EXPECT_EQ(agent.RulesTold(), 1);

  // The same again changes nothing and tells nobody.
  EXPECT_TRUE(Panel().Add(QStringLiteral("Steam")));
  EXPECT_EQ(Said(), "Steam follows this profile already.");
  EXPECT_EQ(agent.RulesTold(), 1);

  // One name has one rule: added to another profile, it moves there.
  Click(C().profile_labels[2]);
  Panel().NameEdit()->setText(QStringLiteral("steam"));
  Click(Panel().AddButton());
  EXPECT_EQ(File(), (std::vector<ProgramRule>{{"steam", 3}}));
  EXPECT_EQ(Said(), "steam moved from profile 1 to profile 3.");
  EXPECT_EQ(agent.RulesTold(), 2);
  Click(C().profile_labels[0]);
  EXPECT_TRUE(Rows().empty());

  // Delete on the list removes the selected row; the next one keeps the
  // selection.
  Click(C().profile_labels[2]);
  ASSERT_TRUE(Panel().Add(QStringLiteral("factorio")));
  ASSERT_TRUE(Panel().Add(QStringLiteral("celeste")));
  EXPECT_EQ(Rows(), (std::vector<std::string>{"steam", "factorio", "celeste"}));
  Panel().List()->setFocus();
  QTest::keyClick(Panel().List(), Qt::Key_Up);
  QTest::keyClick(Panel().List(), Qt::Key_Up);
  EXPECT_EQ(Panel().List()->GetCurSel(), 0);
  QTest::keyClick(Panel().List(), Qt::Key_Down);
  QTest::keyClick(Panel().List(), Qt::Key_Delete);
  EXPECT_EQ(File(), (std::vector<ProgramRule>{{"steam", 3}, {"celeste", 3}}));
  EXPECT_EQ(Said(), "factorio follows no profile now.");
  EXPECT_EQ(Panel().List()->GetText(Panel().List()->GetCurSel()), QStringLiteral("celeste"));
  Click(Panel().RemoveButton());
  Click(Panel().RemoveButton());
  EXPECT_TRUE(File().empty());
  EXPECT_EQ(agent.RulesTold(), 7);
  EXPECT_FALSE(Panel().RemoveButton()->isEnabled());
}

struct Refusal {
  std::string name;
  const char16_t* said;
};

class ProgramRulesRefusalTest : public ProgramRulesPanelTest,
                                public ::testing::WithParamInterface<Refusal> {};

TEST_P(ProgramRulesRefusalTest, ARefusedNameIsToldWhyAndWritesNothing) {
  AnsweringAgent agent(bus);
  Rule("steam", 2);
  const std::string before = test::ReadBytes(rules_path);
  Open();
  Click(Panel().OpenButton());
  EXPECT_FALSE(Panel().Add(QString::fromStdString(GetParam().name)));
  EXPECT_EQ(Said(), QString::fromUtf16(GetParam().said).toStdString());
  EXPECT_FALSE(Panel().Message()->FitLabelText().cut);
  EXPECT_EQ(test::ReadBytes(rules_path), before);
  EXPECT_EQ(agent.RulesTold(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Names, ProgramRulesRefusalTest,
    ::testing::Values(Refusal{"", u"Type a program's name first."},
                      Refusal{"a\tb", u"Not added: the name holds a control character."},
                      Refusal{" lead", u"Not added: the name starts or ends with a space."},
                      Refusal{"\"steam\"", u"Not added: the name is in quotes."},
                      // 128 letters, each two bytes: short enough for the box, too long for
                      // the file.
                      Refusal{[] {
                                std::string s;
                                for (int i = 0; i < 128; ++i) s += "\u00e4";
                                return s;
                              }(),
                              u"Not added: the name is longer than 255 bytes."}));

TEST_F(ProgramRulesPanelTest, AFullFileOrOneThatCannotBeWrittenIsTold) {
  for (int i = 0; i < static_cast<int>(kMaxProgramRules); ++i)
    Rule(("game" + std::to_string(i)).c_str(), 1);
  Open();
  Click(Panel().OpenButton());
  EXPECT_FALSE(Panel().Add(QStringLiteral("one-more")));
  EXPECT_EQ(Said(), "Not added: there are 256 rules already. Remove one first.");
  // A name that has its rule still moves.
  Click(C().profile_labels[3]);
  EXPECT_TRUE(Panel().Add(QStringLiteral("game7")));
  EXPECT_EQ(ReadProgramRules(rules_path, SystemFileIo()).Find("game7")->profile, 4);

  // A folder where the file should be.
  std::filesystem::remove(rules_path);
  std::filesystem::create_directories(rules_path);
  EXPECT_FALSE(Panel().Add(QStringLiteral("steam")));
  EXPECT_TRUE(Said().starts_with("Not saved: ")) << Said();
  EXPECT_TRUE(std::filesystem::is_directory(rules_path));
}

TEST_F(ProgramRulesPanelTest, RecentProgramsArePickedFromTheAgentsState) {
  Rule("steam", 3);
  Open();
  Click(Panel().OpenButton());
  // No agent: nothing was seen in front.
  EXPECT_FALSE(Panel().RecentButton()->isEnabled());
  Panel().OpenRecent();
  EXPECT_EQ(Panel().RecentMenu(), nullptr);
  EXPECT_EQ(Said(), "No program was seen in front yet.");

  AnsweringAgent agent(bus);
  Publish({"GameOne", "steam"});
  ASSERT_TRUE(Panel().RecentButton()->isEnabled());
  Click(Panel().RecentButton());
  CBmpMenu* menu = Panel().RecentMenu();
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(menu->ItemCount(), 2);
  EXPECT_EQ(menu->Item(0).text, QStringLiteral("GameOne"));
  EXPECT_EQ(menu->Item(1).text, QStringLiteral("steam (profile 3)"));
  Click(menu->Row(1));
  QCoreApplication::sendPostedEvents(&Panel());
  EXPECT_EQ(Panel().RecentMenu(), nullptr);
  EXPECT_EQ(File(), (std::vector<ProgramRule>{{"steam", 1}}));
  EXPECT_EQ(Said(), "steam moved from profile 3 to profile 1.");
  EXPECT_EQ(agent.RulesTold(), 1);
}

TEST_F(ProgramRulesPanelTest, GnomesExtensionIsOfferedWhereTheAgentSaysItIsOff) {
  AnsweringAgent agent(bus);
  Open();
  Click(Panel().OpenButton());
  EXPECT_FALSE(Shown(Panel().Gnome()));
  EXPECT_FALSE(Shown(Panel().EnableButton()));

  // Not installed: where the package puts it, and nothing to enable.
  Publish({}, kMissing);
  EXPECT_TRUE(Shown(Panel().Gnome()));
  EXPECT_EQ(Panel().Gnome()->text(),
            QStringLiteral("GNOME's focus extension is not installed. Install the vantix "
                           "package (it puts it in "
                           "/usr/share/gnome-shell/extensions), then log out and in again."));
  EXPECT_FALSE(Panel().Gnome()->FitLabelText().cut);
  EXPECT_FALSE(Shown(Panel().EnableButton()));

  // Turned off: the tool that fails says why, and the offer stays.
  Publish({}, kOff);
  EXPECT_EQ(Panel().Gnome()->text(),
            QStringLiteral("GNOME's focus extension is off: profiles do not "
                           "follow GNOME's programs."));
  ASSERT_TRUE(Shown(Panel().EnableButton()));
  FakeGnomeExtensions(2, "Extension vantix-focus@vantix.org could not be enabled");
  Click(Panel().EnableButton());
  EXPECT_EQ(Calls(), "enable vantix-focus@vantix.org\n");
  EXPECT_EQ(Said(),
            "GNOME did not enable its focus extension: "
            "gnome-extensions failed: Extension "
            "vantix-focus@vantix.org could not be enabled");
  EXPECT_TRUE(Shown(Panel().EnableButton()));

  // Enabled: the offer goes, and stays away while the agent's words are
  // the old ones.
  FakeGnomeExtensions(0);
  Click(Panel().EnableButton());
  EXPECT_EQ(Said(),
            "GNOME's focus extension is on. Profiles follow programs "
            "from the next window "
            "brought to the front.");
  EXPECT_FALSE(Shown(Panel().EnableButton()));
  EXPECT_FALSE(Shown(Panel().Gnome()));
  Publish({}, kOff);
  EXPECT_FALSE(Shown(Panel().EnableButton()));
  // The agent hears from it: nothing more to say.
  Publish({"org.gnome.Nautilus"}, "");
  EXPECT_FALSE(Shown(Panel().Gnome()));
  // Turned off again later: offered again.
  Publish({}, kOff);
  EXPECT_TRUE(Shown(Panel().EnableButton()));
}

TEST(GnomeExtensionStateTest, ReadsTheAgentsWordsAmongOthers) {
  EXPECT_EQ(GnomeExtensionState(""), GnomeExtension::kFine);
  EXPECT_EQ(GnomeExtensionState("x11: no DISPLAY"), GnomeExtension::kFine);
  EXPECT_EQ(GnomeExtensionState(kOff), GnomeExtension::kDisabled);
  EXPECT_EQ(GnomeExtensionState(kMissing), GnomeExtension::kMissing);
  EXPECT_EQ(GnomeExtensionState("gnome: cannot ask GNOME Shell about its extensions: timed out"),
            GnomeExtension::kFine);
  EXPECT_EQ(GnomeExtensionState("gnome: the extension other@x.org is not enabled"),
            GnomeExtension::kFine);
}

TEST_F(ProgramRulesPanelTest, KeyboardOrderAndScreenReaderNames) {
  Rule("steam", 1);
  AnsweringAgent agent(bus);
  Open();
  Publish({"steam"}, kOff);
  QApplication::setActiveWindow(dlg.get());
  Panel().OpenButton()->setFocus(Qt::TabFocusReason);
  QTest::keyClick(Panel().OpenButton(), Qt::Key_Space);
  ASSERT_TRUE(Panel().IsOpen());
  // The name box has the focus; Tab goes through the panel in this order.
  EXPECT_EQ(QApplication::focusWidget(), Panel().NameEdit());
  const std::vector<QWidget*> order = {Panel().AddButton(), Panel().RecentButton(),
                                       Panel().RemoveButton(), Panel().EnableButton(),
                                       Panel().CloseButton()};
  for (QWidget* next : order) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), next) << next->objectName().toStdString();
  }
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
  EXPECT_EQ(QApplication::focusWidget(), Panel().List());

  // Read by their names: the list by its title, with its rows.
  QAccessibleInterface* list = QAccessible::queryAccessibleInterface(Panel().List());
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->text(QAccessible::Name), QStringLiteral("Programs that follow profile 1"));
  ASSERT_EQ(list->childCount(), 1);
  EXPECT_EQ(list->child(0)->text(QAccessible::Name), QStringLiteral("steam"));
  EXPECT_EQ(Panel().NameEdit()->accessibleName(), QStringLiteral("Program's name"));
  QAccessibleInterface* enable = QAccessible::queryAccessibleInterface(Panel().EnableButton());
  ASSERT_NE(enable, nullptr);
  EXPECT_EQ(enable->text(QAccessible::Name), QStringLiteral("Enable"));
  // Close hands the focus back to the button that opened the panel.
  Panel().CloseButton()->setFocus();
  QTest::keyClick(Panel().CloseButton(), Qt::Key_Return);
  EXPECT_FALSE(Panel().IsOpen());
  EXPECT_EQ(QApplication::focusWidget(), Panel().OpenButton());
}

}  // namespace
}  // namespace vantix
