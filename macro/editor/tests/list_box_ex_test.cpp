// The event list control on its own: clicks reported to an owner window,
// swallowed keys, the number box over a delay row, and its painting.
#include "macro/editor/list_box_ex.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "macro/event_rows.h"
#include "ui/skin.h"

namespace vantix {
namespace {

struct Message {
  std::uint32_t message;
  std::int64_t wparam, lparam;
  bool operator==(const Message&) const = default;
};

class Owner final : public MessageWindow<QWidget> {
 public:
  std::int64_t OnWindowMessage(std::uint32_t message, std::int64_t wparam,
                               std::int64_t lparam) override {
    received.push_back({message, wparam, lparam});
    return 0;
  }
  std::vector<Message> received;
};

QString Delay(int ms) { return QString::fromStdString(DelayRowText(ms)); }

class ListBoxExTest : public ::testing::Test {
 protected:
  ListBoxExTest() {
    owner.resize(400, 400);
    list = new CListBoxEx(&owner, QRect(10, 10, 273, 267), 0x1012, true);
    list->SetOwner(&owner, skin);
    list->selection_highlight = true;
    list->edit_enabled = true;
    list->right_click_notify_off = false;
    list->SetListBackground(0x505050);
    list->delay_of = [this](int row) { return delays.at(static_cast<std::size_t>(row)); };
    owner.show();
    // Rows: a delay of 1500, a key press, a key release, a delay of 20.
    AddRow(Delay(1500), kRowPlain);
    AddRow(QStringLiteral("               A"), kRowPress);
    AddRow(QStringLiteral("               A"), kRowRelease);
    AddRow(Delay(20), kRowPlain);
  }
  void AddRow(const QString& text, int data) { list->SetItemData(list->AddString(text), data); }
  QPoint RowPoint(int row) const { return list->ItemRect(row).center(); }
  void Click(int row, Qt::MouseButton button = Qt::LeftButton) {
    QTest::mouseClick(list->viewport(), button, {}, RowPoint(row));
  }
  void DoubleClick(int row) { QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, RowPoint(row)); }
  std::vector<Message> Received() {
    QCoreApplication::sendPostedEvents(&owner);
    return std::exchange(owner.received, {});
  }

  Skin skin{VANTIX_PROGRAM_DIR "/"};
  Owner owner;
  CListBoxEx* list = nullptr;
  std::vector<int> delays{1500, 0, 0, 20};  // the owner's events, row by row
};

TEST_F(ListBoxExTest, EnterCommitsTheNumberBoxAndTellsTheOwner) {
  DoubleClick(0);
  QLineEdit* box = list->NumberBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->text(), QStringLiteral("1500"));
  EXPECT_EQ(box->selectedText(), QStringLiteral("1500"));
  EXPECT_EQ(list->GetText(0), QString()) << "the row is empty under the box";
  EXPECT_EQ(box->geometry(), QRect(145, 0, 55, 23));

  QTest::keyClicks(box, QStringLiteral("250"));
  QTest::keyClick(box, Qt::Key_Return);
  EXPECT_EQ(list->NumberBox(), nullptr);
  EXPECT_EQ(list->GetText(0), Delay(250));
  EXPECT_EQ(list->GetItemData(0), kRowPlain);
  EXPECT_EQ(list->GetCurSel(), 0);
  EXPECT_EQ(Received(), (std::vector<Message>{{WM_LIST_VALUE_EDITED, 250, 0}}));
}

TEST_F(ListBoxExTest, EscapeRestoresTheOldValueSilently) {
  DoubleClick(3);
  ASSERT_NE(list->NumberBox(), nullptr);
  QTest::keyClicks(list->NumberBox(), QStringLiteral("999"));
  QTest::keyClick(list->NumberBox(), Qt::Key_Escape);
  EXPECT_EQ(list->NumberBox(), nullptr);
  EXPECT_EQ(list->GetText(3), Delay(20));
  EXPECT_EQ(list->EditedRow(), -1);
  EXPECT_TRUE(Received().empty());
}

TEST_F(ListBoxExTest, TheBoxStartsFromTheOwnersDelayWhateverTheRowSays) {
  // A row text with no number at its end, or another number there.
  for (const QString& text : {QStringLiteral("1,5 s"), QStringLiteral("Delay 15 ms (1500)")}) {
    list->SetRow(0, text, kRowPlain);
    DoubleClick(0);
    ASSERT_NE(list->NumberBox(), nullptr) << text.toStdString();
    EXPECT_EQ(list->NumberBox()->text(), QStringLiteral("1500")) << text.toStdString();
    QTest::keyClick(list->NumberBox(), Qt::Key_Escape);
    EXPECT_EQ(list->GetText(0), Delay(1500)) << text.toStdString();
  }
}

TEST_F(ListBoxExTest, AClickInTheListCommitsThenSelectsAndReports) {
  list->click_notify = true;
  DoubleClick(3);
  ASSERT_NE(list->NumberBox(), nullptr);
  QTest::keyClicks(list->NumberBox(), QStringLiteral("70"));
  Received();
  Click(1);
  EXPECT_EQ(list->NumberBox(), nullptr);
  EXPECT_EQ(list->GetText(3), Delay(70));
  EXPECT_EQ(list->GetCurSel(), 1);
  EXPECT_EQ(Received(), (std::vector<Message>{{WM_LIST_VALUE_EDITED, 70, 3},
                                              {WM_LIST_CLICK, 1, kRowPress}}));
}

TEST_F(ListBoxExTest, TheNumberBoxTakesFiveDigitsAndNothingElse) {
  DoubleClick(0);
  QLineEdit* box = list->NumberBox();
  ASSERT_NE(box, nullptr);
  QTest::keyClicks(box, QStringLiteral("12a-34567"));
  EXPECT_EQ(box->text(), QStringLiteral("12345"));
  box->selectAll();
  QTest::keyClick(box, Qt::Key_Backspace);
  QTest::keyClick(box, Qt::Key_Return);
  EXPECT_EQ(list->GetText(0), Delay(0)) << "an empty box commits 0";
  EXPECT_EQ(Received(), (std::vector<Message>{{WM_LIST_VALUE_EDITED, 0, 0}}));
}

TEST_F(ListBoxExTest, KeyRowsAndListsWithoutEditingOpenNoBox) {
  DoubleClick(1);
  DoubleClick(2);
  EXPECT_EQ(list->NumberBox(), nullptr);
  EXPECT_EQ(list->GetText(1), QStringLiteral("               A"));
  list->edit_enabled = false;
  DoubleClick(0);
  EXPECT_EQ(list->NumberBox(), nullptr);
  EXPECT_EQ(list->GetText(0), Delay(1500));
}

TEST_F(ListBoxExTest, OnlyOneNumberBoxInTheProgram) {
  CListBoxEx other(&owner, QRect(300, 10, 90, 100), 0x1014, false);
  other.SetOwner(&owner, skin);
  other.SetItemData(other.AddString(Delay(10)), kRowPlain);
  DoubleClick(0);
  EXPECT_FALSE(other.OpenNumberBox(0));
  QTest::keyClick(list->NumberBox(), Qt::Key_Escape);
  EXPECT_TRUE(other.OpenNumberBox(0));
  other.CancelNumberBox();
}

TEST_F(ListBoxExTest, RowChangesUnderTheBoxKeepItOnItsRow) {
  DoubleClick(3);
  list->InsertString(0, Delay(5));
  EXPECT_EQ(list->EditedRow(), 4);
  list->DeleteString(1);
  EXPECT_EQ(list->EditedRow(), 3);
  list->DeleteString(3);
  EXPECT_EQ(list->NumberBox(), nullptr) << "the box goes with its row";
  DoubleClick(0);
  list->ResetContent();
  EXPECT_EQ(list->NumberBox(), nullptr);
  EXPECT_EQ(list->EditedRow(), -1);
  EXPECT_TRUE(Received().empty());
}

TEST_F(ListBoxExTest, KeysNeverMoveTheSelection) {
  list->SetCurSel(1);
  list->setFocus();
  for (const Qt::Key key : {Qt::Key_Down, Qt::Key_Up, Qt::Key_End, Qt::Key_Home, Qt::Key_PageDown}) {
    QTest::keyClick(list, key);
  }
  EXPECT_EQ(list->GetCurSel(), 1);
}

TEST_F(ListBoxExTest, ClicksAndTheirReports) {
  // Without a selection, a click beside the rows does nothing at all; a
  // click on a row selects it.
  list->click_notify = true;
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(20, 200));
  EXPECT_EQ(list->GetCurSel(), -1);
  EXPECT_TRUE(Received().empty());
  Click(2);
  EXPECT_EQ(list->GetCurSel(), 2);
  EXPECT_EQ(Received(), (std::vector<Message>{{WM_LIST_CLICK, 2, kRowRelease}}));

  // With a selection, a click below the rows takes the nearest row.
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(20, 200));
  EXPECT_EQ(list->GetCurSel(), 3);
  Received();

  Click(1, Qt::RightButton);
  EXPECT_EQ(list->GetCurSel(), 1);
  EXPECT_EQ(Received(), (std::vector<Message>{{WM_LIST_CONTEXT, 1, kRowPress}}));

  list->right_click_notify_off = true;
  list->click_notify = false;
  Click(0, Qt::RightButton);
  Click(0);
  EXPECT_EQ(list->GetCurSel(), 0);
  EXPECT_TRUE(Received().empty());

  list->input_locked = true;
  Click(2);
  DoubleClick(3);
  EXPECT_EQ(list->GetCurSel(), 0);
  EXPECT_EQ(list->NumberBox(), nullptr);
}

TEST_F(ListBoxExTest, AListWithoutOwnerReportsToItsParent) {
  Owner parent;
  CListBoxEx orphan(&parent, QRect(0, 0, 100, 100), 0, false);
  orphan.click_notify = true;
  orphan.right_click_notify_off = false;
  orphan.SetItemData(orphan.AddString(QStringLiteral("x")), 138);
  parent.show();
  orphan.SetCurSel(0);
  QTest::mouseClick(orphan.viewport(), Qt::LeftButton, {}, QPoint(5, 5));
  QTest::mouseClick(orphan.viewport(), Qt::RightButton, {}, QPoint(5, 5));
  QCoreApplication::sendPostedEvents(&parent);
  EXPECT_EQ(parent.received,
            (std::vector<Message>{{WM_LIST_CLICK, 0, 0}, {WM_LIST_CONTEXT, 0, 0}}));
  // The double click opens no box without an owner to tell.
  QTest::mouseDClick(orphan.viewport(), Qt::LeftButton, {}, QPoint(5, 5));
  orphan.edit_enabled = true;
  orphan.SetItemData(0, 0);
  QTest::mouseDClick(orphan.viewport(), Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(orphan.NumberBox(), nullptr);
}

TEST_F(ListBoxExTest, RowsArePaintedWithHighlightArrowsAndPattern) {
  list->SetCurSel(1);
  const QImage shot = list->viewport()->grab().toImage();
  EXPECT_EQ(shot.pixelColor(100, 23 + 20), QColor(0x00, 0xFF, 0xCC)) << "selected row";
  EXPECT_EQ(shot.pixelColor(100, 20), QColor(0x50, 0x50, 0x50)) << "background";
  // The press arrow of row 1 sits at (5, 28), 7 x 9.
  const QImage arrow = LoadSkinImage(skin.BackgroundPath("423.png"));
  ASSERT_FALSE(arrow.isNull());
  bool arrow_drawn = false;
  for (int y = 28; y < 37; ++y) {
    for (int x = 5; x < 12; ++x) arrow_drawn |= shot.pixelColor(x, y) != QColor(0x00, 0xFF, 0xCC);
  }
  EXPECT_TRUE(arrow_drawn);

  CListBoxEx names(&owner, QRect(0, 0, 173, 346), 0x1014, false);
  names.click_notify = true;
  names.SetListBackground(0);
  const QImage pattern = names.viewport()->grab().toImage();
  EXPECT_EQ(pattern.pixelColor(50, 10), QColor(85, 84, 84));
  EXPECT_EQ(pattern.pixelColor(50, 21), QColor(7, 7, 7));
  EXPECT_EQ(pattern.pixelColor(50, 22), QColor(21, 21, 21));
  EXPECT_EQ(pattern.pixelColor(50, 23 * 14 + 21), QColor(7, 7, 7)) << "the lines go on past a tile";
  EXPECT_EQ(pattern.pixelColor(0, 10), QColor(7, 7, 7));
}

TEST(ListBoxExRows, OperationsAnswerAsAListBoxDoes) {
  QWidget parent;
  CListBoxEx list(&parent, QRect(0, 0, 100, 50), 0, true);
  EXPECT_EQ(list.GetItemData(0), LB_ERR);
  EXPECT_EQ(list.DeleteString(0), LB_ERR);
  EXPECT_EQ(list.SetCurSel(0), LB_ERR);
  EXPECT_EQ(list.GetCurSel(), -1);
  EXPECT_EQ(list.ItemFromPoint(QPoint(1, 1)), -1);
  for (int i = 0; i < 10; ++i) list.AddString(QString::number(i));
  EXPECT_EQ(list.InsertString(11, QStringLiteral("x")), LB_ERR);
  EXPECT_EQ(list.InsertString(0, QStringLiteral("first")), 0);
  list.SetCurSel(5);
  list.InsertString(2, QStringLiteral("y"));
  EXPECT_EQ(list.GetCurSel(), 6) << "the selection stays on its row";
  list.DeleteString(0);
  EXPECT_EQ(list.GetCurSel(), 5);
  EXPECT_EQ(list.GetText(5), QStringLiteral("4"));
  list.DeleteString(5);
  EXPECT_EQ(list.GetCurSel(), -1);
  // Selecting a row scrolls it into view.
  EXPECT_EQ(list.SetCurSel(10), LB_ERR);
  EXPECT_EQ(list.SetCurSel(9), 9);
  EXPECT_GT(list.TopIndex(), 0);
  EXPECT_EQ(list.ItemFromPoint(list.ItemRect(9).center()), 9);
}

}  // namespace
}  // namespace vantix
