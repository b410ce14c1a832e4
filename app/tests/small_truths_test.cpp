// The small things the window says: the focus after a keyboard Apply, the
// mark on the current function in the assignment menu, a fire-key button's
// tooltip, and the line that tells of an export or import.
#include <QApplication>
#include <QFileInfo>
#include <QIcon>
#include <QPixmap>
#include <QRegularExpression>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "app/profile_file_dialog.h"
#include "app/tests/dlg_test_fixture.h"
#include "assign/dialogs/fire_key.h"
#include "assign/key_names.h"
#include "settings/function_codes.h"
#include "ui/bmp_menu.h"

namespace vantix {
namespace {

class SmallTruths : public DlgTest {
 protected:
  // Apply by the keyboard, as a user who tabbed to it.
  void ApplyByKeyboard() {
    QApplication::setActiveWindow(dlg.get());
    C().apply->setFocus(Qt::TabFocusReason);
    ASSERT_EQ(QApplication::focusWidget(), C().apply);
    QTest::keyClick(C().apply, Qt::Key_Space);
  }
};

TEST_F(SmallTruths, AKeyboardApplyWithoutAnAgentLeavesTheFocusOnApply) {
  Open();
  ApplyByKeyboard();
  EXPECT_TRUE(AllProfileFiles());
  EXPECT_EQ(QApplication::focusWidget(), C().apply);
  // The next Space applies again instead of switching profiles.
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
  EXPECT_EQ(live.CurrentProfile, 0);
}

TEST_F(SmallTruths, WhileTheAgentConfirmsTheWindowHoldsTheFocusThenApplyHasItBack) {
  AnsweringAgent agent(bus);
  ASSERT_TRUE(agent.Listening());
  Open();
  ApplyByKeyboard();
  EXPECT_TRUE(RowDisabled());
  EXPECT_EQ(QApplication::focusWidget(), dlg.get());
  QTest::keyClick(dlg.get(), Qt::Key_Space);  // nothing to press meanwhile
  EXPECT_EQ(live.CurrentProfile, 0);
  ASSERT_TRUE(test::WaitFor(
      [&] {
        QCoreApplication::processEvents();
        return RowEnabled();
      },
      std::chrono::seconds(5), "the bottom row back"));
  EXPECT_EQ(QApplication::focusWidget(), C().apply);
}

TEST_F(SmallTruths, AFireKeyButtonsTooltipNamesWhatHowManyAndHowOften) {
  Open();
  const auto fire = [&](int button, std::uint8_t key, int shots, int interval) {
    FireKeyValues v;
    v.key = key;
    v.first = shots;
    v.second = interval;
    StoreFireKey(v, button, Profile().Buttons[static_cast<std::size_t>(button)]);
  };
  fire(4, kFireRightButton, 5, 80);
  constexpr std::uint8_t kKeyA = 30;
  fire(5, kKeyA, 2, 120);
  dlg->LabelRefresh();
  EXPECT_EQ(C().assign_buttons[4]->toolTip(), QStringLiteral("Fire key: Right, 5 shots, every 80 ms"));
  const std::string_view a = KeyName(kKeyA, dlg->SkinFiles().Strings());
  EXPECT_EQ(C().assign_buttons[5]->toolTip(),
            QStringLiteral("Fire key: %1, 2 shots, every 120 ms")
                .arg(QString::fromUtf8(a.data(), static_cast<qsizetype>(a.size()))));
  EXPECT_TRUE(C().assign_buttons[0]->toolTip().isEmpty());
}

TEST_F(SmallTruths, TheAssignmentMenuMarksTheCurrentFunctionOnly) {
  Open();
  Profile().Buttons[3].ButtonFunc = 20;  // the fourth of the first group
  dlg->OpenAssignmentMenu(3);
  CBmpMenu* menu = dlg->AssignmentMenu();
  ASSERT_NE(menu, nullptr);
  int marked = 0;
  for (int i = 0; i < menu->ItemCount(); ++i) {
    const BmpMenuItem& item = menu->Item(i);
    marked += item.current ? 1 : 0;
    EXPECT_EQ(menu->Row(i)->Caption().startsWith(QStringLiteral("\u2713")), item.current) << i;
    for (std::size_t j = 0; j < item.sub_items.size(); ++j) {
      EXPECT_EQ(item.sub_items[j].current, i == 7 && j == 3) << i << " " << j;
    }
  }
  EXPECT_EQ(marked, 1);
  EXPECT_TRUE(menu->Item(7).current);

  // A top-level function marks its own row.
  Profile().Buttons[3].ButtonFunc = 2;
  dlg->OpenAssignmentMenu(3);
  EXPECT_TRUE(dlg->AssignmentMenu()->Item(1).current);
}

TEST_F(SmallTruths, ExportAndImportSayInOneLineWhatTheyDid) {
  Open();
  Click(C().profile_labels[2]);
  EXPECT_FALSE(Shown(C().result_line));
  const std::string file = scratch / "three.pfd";
  SetNextProfileFileName(QString::fromStdString(file));
  Click(C().export_button);
  EXPECT_TRUE(Shown(C().result_line));
  EXPECT_EQ(C().result_line->text(), QStringLiteral("Profile 3 exported to three.pfd"));
  Click(C().profile_labels[1]);
  SetNextProfileFileName(QString::fromStdString(file));
  Click(C().import_button);
  EXPECT_EQ(C().result_line->text(), QStringLiteral("Profile 2 imported from three.pfd"));
  // A refused file says so in the warning, not in the line.
  const std::string empty = scratch / "empty.pfd";
  test::WriteBytes(empty, "");
  SetNextProfileFileName(QString::fromStdString(empty));
  WatchModal([&] { Click(C().import_button); });
  EXPECT_EQ(C().result_line->text(), QStringLiteral("Profile 2 imported from three.pfd"));
}

TEST_F(SmallTruths, TheAboutButtonAndF1ShowTheVersionTheManualAndTheReadme) {
  // The program's icon, where a warning box has its warning sign.
  const QColor icon_colour(255, 0, 255);
  QImage icon(64, 64, QImage::Format_RGB32);
  icon.fill(icon_colour);
  const QIcon before = QApplication::windowIcon();
  QApplication::setWindowIcon(QIcon(QPixmap::fromImage(icon)));
  Open();
  QApplication::setActiveWindow(dlg.get());
  for (const std::function<void()>& open :
       {std::function<void()>([&] { Click(C().about); }),
        std::function<void()>([&] { QTest::keyClick(dlg.get(), Qt::Key_F1); })}) {
    const std::optional<SeenModal> seen = WatchModal(open);
    ASSERT_TRUE(seen.has_value());
    EXPECT_EQ(seen->name, QStringLiteral("aboutDialog"));
    EXPECT_EQ(seen->title, QStringLiteral("About"));
    EXPECT_TRUE(seen->message.startsWith(QStringLiteral("Vantix ")));
    EXPECT_TRUE(seen->message.contains(QRegularExpression(QStringLiteral("\\d+\\.\\d+"))));
    EXPECT_TRUE(seen->detail.contains(QStringLiteral("man vantix")));
    const QString readme = seen->detail.section(QStringLiteral("README: "), 1);
    EXPECT_TRUE(readme.endsWith(QStringLiteral("README.md")));
    EXPECT_TRUE(QFileInfo::exists(readme)) << readme.toStdString();
    EXPECT_EQ(seen->face.pixelColor(34 + 48, 104 + 45), icon_colour);
  }
  QApplication::setWindowIcon(before);
}

}  // namespace
}  // namespace vantix
