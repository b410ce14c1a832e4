// The assignment menu of the main window and every way its choice is
// handled, with the capturing dialogs played through their test hooks.
#include <QApplication>
#include <QPointer>
#include <QScreen>
#include <QTimer>

#include <filesystem>
#include <fstream>

#include "app/tests/dlg_test_fixture.h"
#include "assign/dialogs/fire_key.h"
#include "assign/dialogs/single_key.h"
#include "assign/dialogs/tests/hook_recorder.h"
#include "assign/function_catalogue.h"
#include "hook/repeat_filter.h"
#include "macro/macro_files.h"
#include "ui/bmp_menu.h"
#include "ui/clr_edit.h"
#include "ui/static_trans.h"
#include "ui/warning_dlg.h"

using namespace Qt::StringLiterals;

namespace vantix {
namespace {

using test::Down;
using test::Up;

constexpr std::uint8_t A = 30, B = 48, C = 46, LShift = 42, LCtrl = 29, LWin = 91, LAlt = 56;

class AssignmentMenu : public DlgTest {
 protected:
  void SetUp() override {
    SharedRepeatFilter<CSingleKey>().Remember(-1, -1);
    SharedRepeatFilter<CFireKey>().Remember(-1, -1);
    const DlgContext context{Folders{VANTIX_PROGRAM_DIR "/", data},
                             live,
                             bus,
                             launcher,
                             WindowFileIo(),
                             send_limit,
                             &hook};
    dlg = std::make_unique<CVantixDlg>(context);
    dlg->show();
  }
  void TearDown() override {
    CSingleKey::SetNextRun(nullptr);
    CFireKey::SetNextRun(nullptr);
  }

  ButtonRecord& Button(int b) { return Profile().Buttons[static_cast<std::size_t>(b)]; }
  QString Caption(int b) const { return C().assign_buttons[static_cast<std::size_t>(b)]->Caption(); }
  QString Label(int code) const {
    return QString::fromStdString(FunctionLabel(code, dlg->SkinFiles().Strings()));
  }

  // The menu of button b reports sub-item `sub` (value lo) of item `item`
  // (value hi).
  void Pick(int b, int item, int sub, int hi, int lo) {
    dlg->OpenAssignmentMenu(b);
    emit dlg->AssignmentMenu()->picked(MenuChoice{item, sub, hi, lo});
    QCoreApplication::sendPostedEvents(dlg.get());
  }
  void PickTop(int b, int code) { Pick(b, code - 1, -1, code, 0); }

  void WriteMacroIndex(const std::vector<std::pair<int, std::string>>& slots_in_index) {
    std::filesystem::create_directories(data + "MacroDB");
    for (const auto& [slot, name] : slots_in_index) {
      ASSERT_TRUE(IniFile(MacroIndexPath(data), SystemFileIo())
                      .WriteString("MACRO_LIST", std::to_string(slot), name)
                      .ok());
    }
  }

  test::HookRecorder hook;
};

TEST_F(AssignmentMenu, ListsEveryFunctionAndTheMacrosByTheirKey) {
  WriteMacroIndex({{0, "Alpha"}, {2, "Gamma"}});  // a gap at key 1
  Click(C().assign_buttons[3]);
  CBmpMenu* menu = dlg->AssignmentMenu();
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(dlg->SelectedButton(), 3);
  ASSERT_EQ(menu->ItemCount(), 16);
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(menu->Item(i).id, i + 1);
    EXPECT_EQ(menu->Item(i).text, Label(i + 1)) << i;
  }
  const std::pair<int, std::vector<int>> groups[] = {
      {7, {17, 18, 19, 20, 21, 22, 23, 24}},
      {8, {25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38}},
      {9, {39, 40, 41, 42, 43, 44, 45, 46}},
      {12, {47, 48, 49}},
      {14, {50, 51}},
  };
  for (const auto& [item, codes] : groups) {
    std::vector<int> ids;
    for (const BmpMenuItem& sub : menu->Item(item).sub_items) {
      ids.push_back(sub.id);
      EXPECT_EQ(sub.text, Label(sub.id));
    }
    EXPECT_EQ(ids, codes) << item;
  }
  const auto& macros = menu->Item(10).sub_items;
  ASSERT_EQ(macros.size(), 3u);
  EXPECT_EQ(macros[0].text,
            QString::fromStdString(dlg->SkinFiles().Strings().GeneralText("MACRO", 1)));
  EXPECT_EQ(macros[1].text, u"Alpha"_s);
  EXPECT_EQ(macros[1].id, 0);
  EXPECT_EQ(macros[2].text, u"Gamma"_s);
  EXPECT_EQ(macros[2].id, 2);
  for (int i : {0, 1, 2, 3, 4, 5, 6, 11, 13, 15}) EXPECT_FALSE(menu->Item(i).has_sub_menu) << i;

  // Another button's menu replaces it; the selection follows.
  QPointer<CBmpMenu> first = menu;
  Click(C().assign_buttons[5]);
  EXPECT_TRUE(first.isNull());
  EXPECT_EQ(dlg->SelectedButton(), 5);
}

TEST_F(AssignmentMenu, WithoutMacrosTheMacroSubMenuHoldsOnlyTheEditor) {
  dlg->OpenAssignmentMenu(2);
  EXPECT_EQ(dlg->AssignmentMenu()->Item(10).sub_items.size(), 1u);
}

TEST_F(AssignmentMenu, OpensBesideItsButtonAndStaysOnTheScreen) {
  const QRect area = dlg->screen()->availableGeometry();
  const QSize item = QImage(QString::fromStdString(dlg->SkinFiles().ProgramFolder()) +
                            u"images/0409/background/menuitem-n.png"_s).size();
  ASSERT_FALSE(item.isEmpty());
  const QSize menu(item.width() + 20, 16 * item.height());
  CBitmapBtn* button = C().assign_buttons[0];
  const int tall = button->height();
  struct Case {
    const char* name;
    QPoint anchor;  // where the button's bottom-left should be
    QPoint menu;
  };
  const int right = area.right() + 1 - item.width() + 1;  // one pixel too far right
  const int bottom = area.bottom() + 1 - menu.height() + 1;
  const Case cases[] = {
      {"fits", area.topLeft() + QPoint(10, 10), area.topLeft() + QPoint(10, 10)},
      {"right edge", QPoint(right, area.top() + 10), QPoint(right - 2 * item.width(), area.top() + 10)},
      // Above the button, not over it.
      {"bottom edge", QPoint(area.left() + 10, bottom),
       QPoint(area.left() + 10, bottom - tall - menu.height())},
      {"window off the top edge", QPoint(area.left() + 10, area.top() - 5),
       QPoint(area.left() + 10, area.top())},
      {"window off the left edge", QPoint(area.left() - 30, area.top() + 10),
       QPoint(area.left(), area.top() + 10)},
      {"bottom-right corner", QPoint(area.right() - 5, area.bottom() - 5),
       QPoint(area.right() - 5 - 2 * item.width(), area.bottom() - 5 - tall - menu.height())},
  };
  for (const Case& c : cases) {
    const QPoint now = button->mapToGlobal(QPoint(0, button->height()));
    dlg->move(dlg->pos() + (c.anchor - now));
    ASSERT_EQ(button->mapToGlobal(QPoint(0, button->height())), c.anchor) << c.name;
    dlg->OpenAssignmentMenu(0);
    EXPECT_EQ(dlg->AssignmentMenu()->Position(), c.menu) << c.name;
    EXPECT_TRUE(area.contains(QRect(dlg->AssignmentMenu()->Position(), menu))) << c.name;
  }
}

TEST_F(AssignmentMenu, TheCapturingDialogsLeaveTheWindowsControlsWithoutWindowsOfTheirOwn) {
  // Native controls: each its own X window, created at once with its siblings.
  const auto native_controls = [this] {
    QStringList names;
    for (QWidget* w : dlg->findChildren<QWidget*>()) {
      if (w->window() == dlg.get() && w->testAttribute(Qt::WA_NativeWindow)) {
        names << QString::fromLatin1(w->metaObject()->className());
      }
    }
    return names;
  };
  ASSERT_TRUE(native_controls().isEmpty());
  const auto check = [&](QWidget& d) {
    EXPECT_NE(hook.installed_window, 0u);
    EXPECT_EQ(hook.installed_window, d.internalWinId());
    EXPECT_TRUE(native_controls().isEmpty()) << native_controls().join(u", "_s).toStdString();
  };
  CSingleKey::SetNextRun([&](CSingleKey& d) {
    check(d);
    d.CancelButton()->clicked();
  });
  PickTop(9, 6);
  CFireKey::SetNextRun([&](CFireKey& d) {
    check(d);
    d.done(IDCANCEL);
  });
  PickTop(9, 12);
  EXPECT_TRUE(native_controls().isEmpty());
}

TEST_F(AssignmentMenu, AClickAnywhereInTheWindowClosesTheMenu) {
  for (QWidget* target : {static_cast<QWidget*>(dlg.get()),
                          static_cast<QWidget*>(C().view_switches[0])}) {
    dlg->OpenAssignmentMenu(4);
    QPointer<CBmpMenu> menu = dlg->AssignmentMenu();
    QTest::mousePress(target, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(target, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(menu.isNull()) << target->objectName().toStdString();
    EXPECT_EQ(dlg->AssignmentMenu(), nullptr);
  }
}

TEST_F(AssignmentMenu, TheMenuTakingTheActivationStaysAndGoesSafelyLater) {
  QApplication::setActiveWindow(dlg.get());
  dlg->OpenAssignmentMenu(4);
  QPointer<CBmpMenu> menu = dlg->AssignmentMenu();
  ASSERT_FALSE(menu.isNull());
  // The menu's own window taking the activation (as some platforms do when
  // it is shown) keeps it open.
  QApplication::setActiveWindow(menu);
  QCoreApplication::processEvents();
  EXPECT_EQ(dlg->AssignmentMenu(), menu.data());

  // Another program: the menu goes at once for the window, and for good
  // once Qt is through with the change (deleting it inside the change made
  // Qt read the freed menu).
  QApplication::setActiveWindow(dlg.get());
  QWidget elsewhere;
  elsewhere.show();
  QApplication::setActiveWindow(&elsewhere);
  EXPECT_EQ(dlg->AssignmentMenu(), nullptr);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(menu.isNull());
  dlg->OpenAssignmentMenu(5);
  EXPECT_NE(dlg->AssignmentMenu(), nullptr) << "and it opens again";
}

TEST_F(AssignmentMenu, TheKeyboardOpensWalksAndPicks) {
  QApplication::setActiveWindow(dlg.get());
  CBitmapBtn* button = C().assign_buttons[6];
  const auto key = [&](Qt::Key k) {
    QTest::keyClick(button, k);
    // A sub-menu's pick goes through the menu, then to the window.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents();
  };
  button->setFocus(Qt::TabFocusReason);
  key(Qt::Key_Menu);
  ASSERT_NE(dlg->AssignmentMenu(), nullptr);
  for (int i = 0; i < 14; ++i) key(Qt::Key_Down);
  EXPECT_EQ(dlg->AssignmentMenu()->KeyRow(), 13);
  key(Qt::Key_Return);  // code 14, as a click on the row
  EXPECT_EQ(Button(6).ButtonFunc, 14);
  EXPECT_EQ(dlg->AssignmentMenu(), nullptr);

  // Into a group's sub-menu and out again one level at a time.
  key(Qt::Key_Return);
  ASSERT_NE(dlg->AssignmentMenu(), nullptr);
  for (int i = 0; i < 8; ++i) key(Qt::Key_Down);
  key(Qt::Key_Right);
  ASSERT_NE(dlg->AssignmentMenu()->OpenSubMenu(), nullptr);
  EXPECT_EQ(dlg->AssignmentMenu()->KeySubRow(), 0);
  key(Qt::Key_Escape);
  ASSERT_NE(dlg->AssignmentMenu(), nullptr) << "Escape closes one level";
  EXPECT_EQ(dlg->AssignmentMenu()->OpenSubMenu(), nullptr);
  key(Qt::Key_Return);
  key(Qt::Key_Down);
  key(Qt::Key_Up);
  key(Qt::Key_Left);
  EXPECT_EQ(dlg->AssignmentMenu()->OpenSubMenu(), nullptr);
  key(Qt::Key_Right);
  key(Qt::Key_Down);
  key(Qt::Key_Up);
  key(Qt::Key_Space);  // group 8, first choice
  EXPECT_EQ(Button(6).ButtonFunc, 17);
  EXPECT_EQ(dlg->AssignmentMenu(), nullptr);

  key(Qt::Key_Return);
  key(Qt::Key_Escape);
  EXPECT_EQ(dlg->AssignmentMenu(), nullptr);
  EXPECT_TRUE(dlg->isVisible()) << "the window itself still ignores Escape";
}

TEST_F(AssignmentMenu, LeavingTheProgramClosesTheMenu) {
  QApplication::setActiveWindow(dlg.get());
  dlg->OpenAssignmentMenu(4);
  ASSERT_NE(dlg->AssignmentMenu(), nullptr);
  QWidget elsewhere;
  elsewhere.show();
  QApplication::setActiveWindow(&elsewhere);
  EXPECT_EQ(dlg->AssignmentMenu(), nullptr);
}

TEST_F(AssignmentMenu, ARowClickedInTheMenuIsStored) {
  Click(C().assign_buttons[6]);
  ASSERT_NE(dlg->AssignmentMenu(), nullptr);
  Click(dlg->AssignmentMenu()->Row(13));  // code 14
  QCoreApplication::sendPostedEvents(dlg.get());
  EXPECT_EQ(Button(6).ButtonFunc, 14);
  EXPECT_EQ(Caption(6), Label(14));
  EXPECT_EQ(dlg->AssignmentMenu(), nullptr);
  EXPECT_EQ(dlg->SelectedButton(), -1);
}

TEST_F(AssignmentMenu, PlainCodesAndGroupChoices) {
  struct Case {
    int item, sub, hi, lo;
    int stored;
  };
  const Case cases[] = {
      {1, 0, 2, 0, 2},    {2, 0, 3, 0, 3},     {3, 0, 4, 0, 4},     {4, 0, 5, 0, 5},
      {13, 0, 14, 0, 14}, {15, 0, 16, 0, 16},  {0, 0, 1, 0, 1},     {7, 0, 8, 17, 17},
      {7, 7, 8, 24, 24},  {8, 13, 9, 38, 38},  {9, 2, 10, 41, 41},  {12, 1, 13, 48, 48},
      {14, 1, 15, 51, 51},
  };
  for (const Case& c : cases) {
    Pick(3, c.item, c.sub, c.hi, c.lo);
    EXPECT_EQ(Button(3).ButtonFunc, c.stored) << c.hi << "/" << c.lo;
    EXPECT_EQ(Caption(3), Label(c.stored)) << c.hi << "/" << c.lo;
    EXPECT_EQ(dlg->SelectedButton(), -1);
  }
}

TEST_F(AssignmentMenu, ThePrimaryClickStaysOnOneButton) {
  // The factory profile: only button 0 holds code 1.
  ASSERT_EQ(Button(0).ButtonFunc, 1);
  const ButtonRecord before = Button(0);
  bool dialog_ran = false;
  CSingleKey::SetNextRun([&](CSingleKey&) { dialog_ran = true; });

  for (const auto& [item, sub, hi, lo] : std::vector<std::array<int, 4>>{
           {1, 0, 2, 0}, {5, 0, 6, 0}, {6, 0, 7, 0}, {10, 0, 11, 0}, {7, 2, 8, 19}}) {
    const auto seen = WatchModal([&] { Pick(0, item, sub, hi, lo); });
    ASSERT_TRUE(seen.has_value()) << hi;
    EXPECT_EQ(seen->name, u"warningDialog"_s) << hi;
    EXPECT_EQ(seen->title, dlg->SkinFiles().UiText("WARNING", 1)) << hi;
    EXPECT_EQ(Button(0), before) << hi;
  }
  EXPECT_FALSE(dialog_ran);
  EXPECT_EQ(dlg->SelectedButton(), -1);

  // Code 1 again: nothing to say, nothing to change.
  EXPECT_FALSE(WatchModal([&] { PickTop(0, 1); }).has_value());
  EXPECT_EQ(Button(0), before);

  // Another button may take code 1, and then button 0 may leave it.
  PickTop(7, 1);
  EXPECT_EQ(Button(7).ButtonFunc, 1);
  PickTop(0, 2);
  EXPECT_EQ(Button(0).ButtonFunc, 2);
}

TEST_F(AssignmentMenu, WithoutAnyPrimaryClickOnlyCodeOneIsSilent) {
  for (ButtonRecord& r : Profile().Buttons) r.ButtonFunc = 2;  // a damaged profile
  EXPECT_TRUE(WatchModal([&] { PickTop(5, 3); }).has_value());
  EXPECT_EQ(Button(5).ButtonFunc, 2);
  EXPECT_FALSE(WatchModal([&] { PickTop(5, 1); }).has_value());
  EXPECT_EQ(Button(5).ButtonFunc, 2);
}

TEST_F(AssignmentMenu, IgnoredOffTheButtonPageOrWithoutASelection) {
  const ButtonRecord before = Button(3);
  dlg->OpenAssignmentMenu(3);
  dlg->SwitchPage(2);
  dlg->OnMenuPick(MenuChoice{1, -1, 2, 0});
  EXPECT_EQ(Button(3), before);
  dlg->SwitchPage(1);
  dlg->OnMenuPick(MenuChoice{1, -1, 2, 0});  // handled: button 3 was selected
  EXPECT_EQ(Button(3).ButtonFunc, 2);
  dlg->OnMenuPick(MenuChoice{2, -1, 3, 0});  // nothing selected any more
  EXPECT_EQ(Button(3).ButtonFunc, 2);
}

TEST_F(AssignmentMenu, SingleKey) {
  // OK after B: a single-key assignment of B.
  CSingleKey::SetNextRun([](CSingleKey& d) {
    EXPECT_EQ(d.Mode(), CSingleKey::kSingleMode);
    test::SendKeys(&d, {Down(B), Up(B)});
    d.OkButton()->clicked();
  });
  PickTop(9, 6);
  EXPECT_EQ(Button(9).ButtonFunc, 6);
  EXPECT_EQ(Button(9).KeyEvents[0], 0x05);
  EXPECT_EQ(Caption(9), u"B"_s);
  EXPECT_EQ(hook.calls, (std::vector<std::string>{"install", "enable 1", "enable 0", "remove"}));

  // Reopened, it shows B; OK without a key and Cancel keep it.
  const ButtonRecord kept = Button(9);
  for (bool ok : {true, false}) {
    CSingleKey::SetNextRun([ok](CSingleKey& d) {
      EXPECT_EQ(d.KeyText(), u"B"_s);
      if (ok) {
        d.OkButton()->clicked();
      } else {
        test::SendKeys(&d, {Down(A)});
        d.CancelButton()->clicked();
      }
    });
    PickTop(9, 6);
    EXPECT_EQ(Button(9), kept) << ok;
  }
}

struct ComboPick {
  const char* name;
  std::vector<test::Key> keys;
  int func;
  std::uint8_t key_number;
  std::vector<std::uint8_t> first_bytes;  // the start of KeyEvents
};

void PrintTo(const ComboPick& c, std::ostream* os) { *os << c.name; }

class CombinationPick : public AssignmentMenu, public ::testing::WithParamInterface<ComboPick> {};

TEST_P(CombinationPick, StoresByTheNumberOfKeys) {
  const ComboPick& c = GetParam();
  Button(8).ButtonID = 9;
  Button(8).KeyNumber = 0;
  CSingleKey::SetNextRun([&c](CSingleKey& d) {
    EXPECT_EQ(d.Mode(), CSingleKey::kCombinationMode);
    test::SendKeys(&d, c.keys);
    d.OkButton()->clicked();
  });
  PickTop(8, 7);
  EXPECT_EQ(Button(8).ButtonFunc, c.func);
  EXPECT_EQ(Button(8).KeyNumber, c.key_number);
  for (std::size_t i = 0; i < c.first_bytes.size(); ++i) {
    EXPECT_EQ(Button(8).KeyEvents[i], c.first_bytes[i]) << i;
  }
  EXPECT_EQ(Button(8).ButtonID, c.func == 7 ? 1 : 9);
}

INSTANTIATE_TEST_SUITE_P(
    Counts, CombinationPick,
    ::testing::Values(
        ComboPick{"OneKeyIsASingleKey", {Down(A), Up(A), Down(B)}, 6, 0, {0x05}},
        ComboPick{"TwoKeys",
                  {Down(LCtrl), Down(C)},
                  7,
                  4,
                  {0xE0, 5, 0x80, 0x06, 5, 0x80, 0x06, 5, 0, 0xE0, 5, 0, 0}},
        ComboPick{"FiveKeys",
                  {Down(LShift), Down(LCtrl), Down(LWin), Down(LAlt), Down(A)},
                  7,
                  10,
                  {0xE1, 5, 0x80, 0xE0, 5, 0x80, 0xE3, 5, 0x80, 0xE2, 5, 0x80, 0x04, 5, 0x80,
                   0x04, 5, 0, 0xE2, 5, 0, 0xE3, 5, 0, 0xE0, 5, 0, 0xE1, 5, 0, 0}},
        // Only releases reached the dialog: no key, and OK gives the button
        // its own function back (button 8: single key).
        ComboPick{"NoKeyFallsBack", {Up(B)}, 6, 0, {0}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(AssignmentMenu, AStoredCombinationIsShownAndCancelKeepsIt) {
  CSingleKey::SetNextRun([](CSingleKey& d) {
    test::SendKeys(&d, {Down(LCtrl), Down(LShift), Down(A), Up(A), Up(LShift), Up(LCtrl)});
    d.OkButton()->clicked();
  });
  PickTop(4, 7);
  EXPECT_EQ(Caption(4), u"LShift + LCtrl + A"_s);
  const ButtonRecord kept = Button(4);
  CSingleKey::SetNextRun([](CSingleKey& d) {
    EXPECT_EQ(d.KeyText(), u"LShift + LCtrl + A"_s);
    EXPECT_EQ(d.KeyCount(), 3);
    d.CancelButton()->clicked();
  });
  PickTop(4, 7);
  EXPECT_EQ(Button(4), kept);
}

TEST_F(AssignmentMenu, FireKey) {
  CFireKey::SetNextRun([](CFireKey& d) {
    EXPECT_EQ(d.Values().fire_mode, CFireKey::kLeftButtonMode);  // the factory button 11
    EXPECT_EQ(d.FirstBox()->text(), u"3"_s);
    d.ModeButton(CFireKey::kMiddleButtonMode)->clicked();
    d.FirstBox()->setText(u"200"_s);
    d.SecondBox()->setText(u"300"_s);
    d.OkButton()->clicked();
  });
  PickTop(11, 12);
  EXPECT_EQ(Button(11).ButtonFunc, 12);
  EXPECT_EQ(Button(11).KeyEvents[0], 0xF2);
  EXPECT_EQ(Button(11).LoopNumber, 200);
  EXPECT_EQ(MacroNameView(Button(11)), u"300");
  EXPECT_EQ(Caption(11), Label(12));

  // Cancel leaves the record as it was.
  const ButtonRecord kept = Button(11);
  CFireKey::SetNextRun([](CFireKey& d) {
    EXPECT_EQ(d.Values().fire_mode, CFireKey::kMiddleButtonMode);
    EXPECT_EQ(d.SecondBox()->text(), u"300"_s);
    d.ModeButton(0)->clicked();
    d.CancelButton()->clicked();
  });
  PickTop(11, 12);
  EXPECT_EQ(Button(11), kept);
}

TEST_F(AssignmentMenu, MacrosByTheirKeyUpToTheTwelfthAndBeyond) {
  std::vector<std::pair<int, std::string>> names;
  for (int i = 0; i < 13; ++i) names.push_back({i, "Macro" + std::to_string(i)});
  WriteMacroIndex(names);
  ASSERT_TRUE(IniFile(data + "MacroDB/Macro11.MSMACRO", SystemFileIo())
                  .WriteInt("Setting", "LoopTime", 260)
                  .ok());

  // The twelfth macro: value 11, the same number as the macro item's code.
  Pick(2, 10, 12, 11, 11);
  EXPECT_EQ(Button(2).ButtonFunc, 11);
  EXPECT_EQ(Button(2).KeyNumber, 11);
  EXPECT_EQ(Button(2).LoopNumber, 4);  // one byte of 260
  EXPECT_EQ(MacroNameView(Button(2)), u"Macro11");
  EXPECT_EQ(Caption(2), u"Macro11"_s);

  // No macro file: it runs once.
  Pick(2, 10, 1, 11, 0);
  EXPECT_EQ(Button(2).KeyNumber, 0);
  EXPECT_EQ(Button(2).LoopNumber, 1);
  EXPECT_EQ(Caption(2), u"Macro0"_s);
}

TEST_F(AssignmentMenu, AGapInTheIndexStillNamesTheChosenMacro) {
  WriteMacroIndex({{0, "Alpha"}, {2, "Gamma"}});
  dlg->OpenAssignmentMenu(3);
  const BmpMenuItem& gamma = dlg->AssignmentMenu()->Item(10).sub_items[2];
  Pick(3, 10, 2, 11, gamma.id);
  EXPECT_EQ(Caption(3), u"Gamma"_s);
  EXPECT_EQ(MacroNameView(Button(3)), u"Gamma");
}

TEST_F(AssignmentMenu, LabelsLeaveStaleMacroAssignmentsAloneUntilTheProfileIsShownAgain) {
  WriteMacroIndex({{0, "Alpha"}});
  const auto assign = [&](int b, std::uint8_t slot, std::u16string_view name) {
    Button(b).ButtonFunc = kMacroFunction;
    Button(b).KeyNumber = slot;
    Button(b).MacroName.fill(u'\0');
    std::copy(name.begin(), name.end(), Button(b).MacroName.begin());
  };
  assign(2, 4, u"Gone");
  assign(3, 0, u"Old");
  const ProfileRecord before = Profile();

  // Labelling shows what the index says and writes nothing.
  dlg->LabelRefresh();
  EXPECT_EQ(Caption(2), Label(kMacroGoneFunction));
  EXPECT_EQ(Caption(3), u"Alpha"_s);
  EXPECT_EQ(Profile(), before);

  // Showing the profile again brings it in line with the index.
  Click(C().profile_labels[static_cast<std::size_t>(live.CurrentProfile)]);
  EXPECT_EQ(Button(2).ButtonFunc, kMacroGoneFunction);
  EXPECT_EQ(MacroNameView(Button(3)), u"Alpha");
  EXPECT_EQ(Caption(2), Label(kMacroGoneFunction));
  EXPECT_EQ(Caption(3), u"Alpha"_s);
}

TEST_F(AssignmentMenu, TheEditorEntryOpensTheEditorAndAssignsNothing) {
  WriteMacroIndex({{0, "Alpha"}});
  const ButtonRecord before = Button(3);
  // The editor entry's value is the macro code, like the twelfth macro's;
  // only its place tells it apart.
  const auto seen = WatchModal([&] { Pick(3, 10, 0, 11, 11); });
  ASSERT_TRUE(seen.has_value());
  EXPECT_NE(seen->name, u"warningDialog"_s);
  EXPECT_EQ(Button(3), before);
}

TEST_F(AssignmentMenu, ADamagedMacroIndexIsHarmless) {
  std::filesystem::create_directories(data + "MacroDB");
  // A macro file outside the macro folder, named by the index: never read.
  ASSERT_TRUE(
      IniFile(scratch / "x.MSMACRO", SystemFileIo()).WriteInt("Setting", "LoopTime", 9).ok());
  for (unsigned seed = 1; seed <= 5; ++seed) {
    std::ofstream(MacroIndexPath(data), std::ios::binary) << "[MACRO_LIST]\r\n0=../../x\r\n"
                                                          << Garbage(2000, seed);
    dlg->OpenAssignmentMenu(3);
    const std::vector<BmpMenuItem> entries = dlg->AssignmentMenu()->Item(10).sub_items;
    ASSERT_LE(entries.size(), 16u);
    for (std::size_t j = 1; j < entries.size(); ++j) {
      Pick(3, 10, static_cast<int>(j), 11, entries[j].id);
      EXPECT_EQ(Button(3).ButtonFunc, 11) << seed << "/" << j;
      EXPECT_EQ(Button(3).KeyNumber, entries[j].id) << seed << "/" << j;
      if (entries[j].text == u"../../x"_s) {
        EXPECT_EQ(Button(3).LoopNumber, 1) << seed;
      }
    }
  }
}

}  // namespace
}  // namespace vantix
