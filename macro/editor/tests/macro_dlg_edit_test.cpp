// The macro editor's event editing: the editing buttons on every kind of
// row, paste and insert-click at their limits, and the number box.
#include "macro/editor/tests/macro_dlg_fixture.h"

namespace vantix {
namespace {

// A fixture from another file needs a suite name of its own.
class MacroDlgEditingTest : public MacroDlgTest {
 protected:
  // The insert-click menu reports the item of this value.
  void PickClick(std::int32_t value) {
    Click(C().insert_click());
    ASSERT_NE(dlg->InsertClickMenu(), nullptr);
    emit dlg->InsertClickMenu()->picked(MenuChoice{0, -1, value, 0});
    Deliver();
  }
};

struct EditCase {
  const char* what;
  int button;  // index into MacroControls::editing
  int row;
  std::vector<int> order;  // the events left, by their old index
  int selection;
};

class MacroDlgEditTest : public MacroDlgTest, public ::testing::WithParamInterface<EditCase> {};

TEST_P(MacroDlgEditTest, ButtonsActOnTheSelectedRowAndSave) {
  const EditCase& c = GetParam();
  const std::vector<MacroEvent> old = {Press(4), MacroEvent::Delay(5), Release(4)};
  MakeMacro("x", {});
  MakeMacro("m", old);
  Open();
  ClickRow(C().names, 1);
  C().events->SetCurSel(c.row);
  agent.Take();
  if (c.button == 4) {  // copy, then paste
    Click(C().copy());
    EXPECT_TRUE(agent.sent.empty()) << "copying changes nothing";
    Click(C().paste());
  } else {
    Click(C().editing[static_cast<std::size_t>(c.button)]);
  }
  std::vector<MacroEvent> expected;
  for (int i : c.order) expected.push_back(old[static_cast<std::size_t>(i)]);
  EXPECT_EQ(Events(Stored("m")), expected);
  EXPECT_EQ(Rows(), RowsOf(expected));
  EXPECT_EQ(C().events->GetCurSel(), c.selection);
  EXPECT_EQ(C().event_count->text(), QString::number(expected.size()));
  // Every edit is saved and announced, also one that changes nothing.
  EXPECT_EQ(agent.Take(), (std::vector<Sent>{Changed(1)}));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, MacroDlgEditTest,
    ::testing::Values(EditCase{"delete first", 1, 0, {1, 2}, 0},
                      EditCase{"delete middle", 1, 1, {0, 2}, 1},
                      EditCase{"delete last", 1, 2, {0, 1}, 1},
                      EditCase{"up first", 2, 0, {0, 1, 2}, 0},
                      EditCase{"up middle", 2, 1, {1, 0, 2}, 0},
                      EditCase{"up last", 2, 2, {0, 2, 1}, 1},
                      EditCase{"down first", 3, 0, {1, 0, 2}, 1},
                      EditCase{"down middle", 3, 1, {0, 2, 1}, 2},
                      EditCase{"down last", 3, 2, {0, 1, 2}, 2},
                      EditCase{"copy and paste first", 4, 0, {0, 0, 1, 2}, 0},
                      EditCase{"copy and paste middle", 4, 1, {0, 1, 1, 2}, 1},
                      EditCase{"copy and paste last", 4, 2, {0, 1, 2, 2}, 2},
                      EditCase{"cut first", 5, 0, {1, 2}, -1},
                      EditCase{"cut middle", 5, 1, {0, 2}, -1},
                      EditCase{"cut last", 5, 2, {0, 1}, -1}),
    [](const auto& info) {
      std::string name = info.param.what;
      std::erase(name, ' ');
      return name;
    });

TEST_F(MacroDlgEditingTest, PasteNeedsRoomAndGoesToTheTopWithoutSelection) {
  std::vector<MacroEvent> full(63, MacroEvent::Delay(1));
  full[0] = Press(4);
  MakeMacro("full", full);
  MakeMacro("m", {Press(5), Release(5)});
  Open();
  Click(C().copy());  // the press of the full macro's first row
  Click(C().paste());
  EXPECT_EQ(Stored("full").count, 63);
  EXPECT_EQ(C().events->GetCount(), 63);
  EXPECT_TRUE(agent.sent.empty());

  ClickRow(C().names, 1);
  C().events->SetCurSel(1);
  Click(C().cut());  // no row stays selected
  ASSERT_EQ(C().events->GetCurSel(), -1);
  Click(C().paste());
  Click(C().paste());
  EXPECT_EQ(Events(Stored("m")), (std::vector{Release(5), Release(5), Press(5)}));
  // The clipboard outlives the macro it came from.
  ClickRow(C().names, 1);
  EXPECT_EQ(C().events->GetCurSel(), 0);
}

TEST_F(MacroDlgEditingTest, InsertClickAddsAPressAndAReleaseAfterTheRow) {
  MakeMacro("m", {Press(4), Release(4), Press(5)});
  Open();
  ClickRow(C().events, 1);
  Click(C().insert_click());
  CBmpMenu* menu = dlg->InsertClickMenu();
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(menu->ItemCount(), 3);
  Click(menu->Row(2));  // the middle button
  Deliver();
  EXPECT_EQ(dlg->InsertClickMenu(), nullptr);
  const std::vector<MacroEvent> expected = {Press(4), Release(4),
                                            MacroEvent::MouseButton(kMacroMiddleButton, true),
                                            MacroEvent::MouseButton(kMacroMiddleButton, false),
                                            Press(5)};
  EXPECT_EQ(Events(Stored("m")), expected);
  EXPECT_EQ(Rows(), RowsOf(expected));
  EXPECT_EQ(C().events->GetCurSel(), 3);
  EXPECT_EQ(agent.Take(), (std::vector<Sent>{Changed(0)}));

  // Left and right clicks, and a click on the face that closes the menu.
  for (const auto& [item, button] : std::vector<std::pair<int, std::uint8_t>>{
           {0, kMacroLeftButton}, {1, kMacroRightButton}}) {
    C().events->SetCurSel(-1);
    Click(C().insert_click());
    Click(dlg->InsertClickMenu()->Row(item));
    Deliver();
    EXPECT_EQ(Stored("m").events[0], MacroEvent::MouseButton(button, true));
  }
  Click(C().insert_click());
  QTest::mouseClick(dlg.get(), Qt::LeftButton, {}, QPoint(400, 20));
  EXPECT_EQ(dlg->InsertClickMenu(), nullptr);
}

TEST_F(MacroDlgEditingTest, InsertClickNeedsRoomForTwoEvents) {
  for (const int filled : {61, 62}) {
    SCOPED_TRACE(filled);
    dlg.reset();
    ::unlink((data + "MacroDB/m.MSMACRO").c_str());
    files.RewriteMacroList({});
    MakeMacro("m", std::vector<MacroEvent>(static_cast<std::size_t>(filled), MacroEvent::Delay(1)));
    Open();
    PickClick(1);
    EXPECT_EQ(Stored("m").count, filled == 61 ? 63 : 62);
    EXPECT_EQ(C().events->GetCount(), Stored("m").count);
  }
  // A choice that no menu offers is ignored.
  PickClick(7);
  EXPECT_EQ(Stored("m").count, 62);
}

TEST_F(MacroDlgEditingTest, NumberBoxValuesAreStoredInWholeUnits) {
  MakeMacro("m", {Press(4), MacroEvent::Delay(150), Release(4), MacroEvent::Delay(2)});
  Open();
  CListBoxEx* list = C().events;
  // Enter: 1234 ms is stored as 123 units and shown as what is stored.
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->ItemRect(1).center());
  ASSERT_NE(list->NumberBox(), nullptr);
  EXPECT_EQ(list->NumberBox()->text(), QStringLiteral("1500"));
  QTest::keyClicks(list->NumberBox(), QStringLiteral("1234"));
  QTest::keyClick(list->NumberBox(), Qt::Key_Return);
  Deliver();
  EXPECT_TRUE(dlg->isVisible()) << "Enter never closes the editor";
  EXPECT_EQ(Stored("m").events[1], MacroEvent::Delay(123));
  EXPECT_EQ(list->GetText(1).toStdString(), DelayRowText(1230));
  EXPECT_EQ(agent.Take(), (std::vector<Sent>{Changed(0)}));
  EXPECT_EQ(C().total_delay->text(), QStringLiteral("1250"));

  // Escape: nothing changes.
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->ItemRect(3).center());
  QTest::keyClicks(list->NumberBox(), QStringLiteral("9"));
  QTest::keyClick(list->NumberBox(), Qt::Key_Escape);
  Deliver();
  EXPECT_TRUE(dlg->isVisible());
  EXPECT_EQ(list->GetText(3).toStdString(), DelayRowText(20));
  EXPECT_TRUE(agent.Take().empty());

  // A click in the list commits.
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->ItemRect(3).center());
  QTest::keyClicks(list->NumberBox(), QStringLiteral("99999"));
  ClickRow(list, 0);
  EXPECT_EQ(Stored("m").events[3], MacroEvent::Delay(9999));
  EXPECT_EQ(list->GetText(3).toStdString(), DelayRowText(99990));
  EXPECT_EQ(list->GetCurSel(), 0);

  // A button commits before it acts, so the value stays with its row.
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->ItemRect(3).center());
  QTest::keyClicks(list->NumberBox(), QStringLiteral("40"));
  Click(C().up());
  const std::vector<MacroEvent> expected = {Press(4), MacroEvent::Delay(123), MacroEvent::Delay(4),
                                            Release(4)};
  EXPECT_EQ(Events(Stored("m")), expected);
  EXPECT_EQ(Rows(), RowsOf(expected));

  // Closing keeps what is still in the box.
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->ItemRect(2).center());
  QTest::keyClicks(list->NumberBox(), QStringLiteral("70"));
  Click(C().close);
  EXPECT_EQ(dlg->result(), CMacroDlg::kResultClose);
  EXPECT_EQ(Stored("m").events[2], MacroEvent::Delay(7));
}

TEST_F(MacroDlgEditingTest, ATypedDelayStaysWithItsMacroAndOnlyDelaysTakeValues) {
  MakeMacro("a", {Press(4), MacroEvent::Delay(1), Release(4)});
  MakeMacro("b", {Press(5), Release(5)});
  Open();
  CListBoxEx* list = C().events;
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->ItemRect(1).center());
  ASSERT_NE(list->NumberBox(), nullptr);
  QTest::keyClicks(list->NumberBox(), QStringLiteral("500"));
  // Another macro is chosen while the box is open: the value goes to "a".
  ClickRow(C().names, 1);
  EXPECT_EQ(Events(Stored("a")), (std::vector{Press(4), MacroEvent::Delay(50), Release(4)}));
  EXPECT_EQ(Events(Stored("b")), (std::vector{Press(5), Release(5)}));
  EXPECT_EQ(Rows(), RowsOf({Press(5), Release(5)}));

  // A value for a row that is not a delay changes nothing.
  agent.Take();
  PostWindowMessage(dlg.get(), WM_LIST_VALUE_EDITED, 500, 0);
  PostWindowMessage(dlg.get(), WM_LIST_VALUE_EDITED, 500, 7);
  Deliver();
  EXPECT_EQ(Events(Stored("b")), (std::vector{Press(5), Release(5)}));
  EXPECT_TRUE(agent.sent.empty());
}

}  // namespace
}  // namespace vantix
