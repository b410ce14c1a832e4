#include "assign/dialogs/fire_key.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "assign/dialogs/tests/hook_recorder.h"
#include "assign/function_catalogue.h"
#include "hook/repeat_filter.h"
#include "ui/bitmap_btn.h"
#include "ui/clr_edit.h"
#include "ui/skin.h"
#include "ui/static_trans.h"
#include "ui/warning_dlg.h"

using namespace Qt::StringLiterals;

namespace vantix {
namespace {

using test::Down;
using test::Up;

ButtonRecord Record(std::uint8_t key, std::uint8_t loop, std::u16string_view name) {
  ButtonRecord r;
  r.ButtonFunc = kFireKeyFunction;
  r.KeyEvents[0] = key;
  r.LoopNumber = loop;
  std::copy(name.begin(), name.end(), r.MacroName.begin());
  return r;
}

TEST(FireKeyPreload, FromTheButtonRecord) {
  struct Case {
    const char* name;
    ButtonRecord record;
    int mode;
    std::uint8_t key;
    std::int32_t first, second;
  };
  const Case cases[] = {
      {"no fire key yet", Record(0, 9, u"77"), 0, 0, 3, 0},
      {"left button", Record(0xF0, 5, u"100"), 0, 0xF0, 5, 100},
      {"right button", Record(0xF1, 5, u"100"), 1, 0xF1, 5, 100},
      {"middle button", Record(0xF2, 255, u"0"), 2, 0xF2, 255, 0},
      {"keyboard key", Record(0x04, 2, u"250"), 3, 0x04, 2, 250},
      {"text after the digits", Record(0x04, 2, u"12ms"), 3, 0x04, 2, 12},
      {"no digits", Record(0x04, 2, u"fast"), 3, 0x04, 2, 0},
      {"sign and blanks", Record(0x04, 2, u"  -40"), 3, 0x04, 2, -40},
      {"beyond 32 bits", Record(0x04, 2, u"99999999999"), 3, 0x04, 2, 2147483647},
  };
  for (const Case& c : cases) {
    const FireKeyValues v = FireKeyPreload(c.record);
    EXPECT_EQ(v.fire_mode, c.mode) << c.name;
    EXPECT_EQ(v.key, c.key) << c.name;
    EXPECT_EQ(v.first, c.first) << c.name;
    EXPECT_EQ(v.second, c.second) << c.name;
    EXPECT_EQ(v.events, c.record.KeyEvents) << c.name;
  }
}

TEST(FireKeyStore, KeepsTheLowByteOfTheFirstNumberAndTheSecondAsText) {
  ButtonRecord record = Record(0x04, 1, u"a much longer text than the number");
  FireKeyValues result;
  result.key = 0xF2;
  result.first = 300;
  result.second = 300;
  StoreFireKey(result, 4, record);
  EXPECT_EQ(record.ButtonFunc, kFireKeyFunction);
  EXPECT_EQ(record.KeyEvents[0], 0xF2);
  EXPECT_EQ(record.LoopNumber, 44);
  EXPECT_EQ(MacroNameView(record), u"300");

  result.first = -1;
  result.second = -5;
  StoreFireKey(result, 4, record);
  EXPECT_EQ(record.LoopNumber, 255);
  EXPECT_EQ(MacroNameView(record), u"-5");
}

TEST(FireKeyStore, WithoutAKeyTheButtonFallsBack) {
  for (int button : {0, 3, 11}) {
    ButtonRecord record = Record(0x04, 7, u"9");
    const ButtonRecord before = record;
    FireKeyValues result;  // key 0xFF
    StoreFireKey(result, button, record);
    EXPECT_EQ(record.ButtonFunc, FallbackFunction(button)) << button;
    record.ButtonFunc = before.ButtonFunc;
    EXPECT_EQ(record, before) << "only the function changes, button " << button;
  }
}

class FireKeyDialog : public ::testing::Test {
 protected:
  void SetUp() override { SharedRepeatFilter<CFireKey>().Remember(-1, -1); }

  std::unique_ptr<CFireKey> Open(const ButtonRecord& record) {
    auto dialog = std::make_unique<CFireKey>(&parent_, skin_, hook_, u"Fire Key"_s, u"Fire Key"_s);
    dialog->SetValues(FireKeyPreload(record));
    dialog->open();
    return dialog;
  }
  static std::vector<bool> Checked(const CFireKey& dialog) {
    std::vector<bool> out;
    for (int m = 0; m < 4; ++m) out.push_back(dialog.ModeButton(m)->Checked());
    return out;
  }
  static void Focus(CFireKey& dialog, std::int64_t what) {
    PostWindowMessage(&dialog, WM_EDIT_FOCUS, what, 0);
    QCoreApplication::sendPostedEvents(&dialog);
  }

  Skin skin_{VANTIX_PROGRAM_DIR "/"};
  test::HookRecorder hook_;
  QWidget parent_;
};

TEST_F(FireKeyDialog, LayoutFromTheSkin) {
  auto dialog = Open(Record(0, 0, u""));
  EXPECT_EQ(dialog->size(), QSize(478, 292));
  EXPECT_EQ(dialog->ModeButton(3)->geometry(), RectLtrb(36, 136, 144, 152));
  EXPECT_EQ(dialog->ModeButton(0)->Caption(), skin_.UiText("FireKey", 1));
  EXPECT_EQ(dialog->ModeButton(3)->Caption(), skin_.UiText("FireKey", 4));
  EXPECT_EQ(dialog->findChild<CStaticTrans*>(u"firstNumberLabel"_s)->text(),
            skin_.UiText("FireKey", 7));
  EXPECT_EQ(dialog->findChild<CStaticTrans*>(u"secondNumberLabel"_s)->text(),
            skin_.UiText("FireKey", 8));
  EXPECT_EQ(dialog->FirstBox()->ControlId(), 0x5001);
  EXPECT_EQ(dialog->SecondBox()->ControlId(), 0x5002);
  EXPECT_EQ(dialog->FirstBox()->geometry(), RectLtrb(383, 130, 444, 149));
  EXPECT_EQ(dialog->FirstBox()->BackColor(), 0x5E5E5E);
  EXPECT_EQ(dialog->KeyDisplay()->geometry(), RectLtrb(60, 165, 159, 191));
}

TEST_F(FireKeyDialog, OpensWithThePreloadAndTheHookItImplies) {
  struct Case {
    const char* name;
    ButtonRecord record;
    std::vector<bool> checked;
    bool hook_on;
    QString shown, first, second;
  };
  const Case cases[] = {
      {"no fire key", Record(0, 0, u""), {true, false, false, false}, false, u""_s, u"3"_s, u"0"_s},
      {"middle button", Record(0xF2, 4, u"60"), {false, false, true, false}, false, u""_s, u"4"_s, u"60"_s},
      {"key A", Record(0x04, 2, u"15"), {false, false, false, true}, true, u"A"_s, u"2"_s, u"15"_s},
  };
  for (const Case& c : cases) {
    hook_.calls.clear();
    auto dialog = Open(c.record);
    EXPECT_EQ(Checked(*dialog), c.checked) << c.name;
    EXPECT_EQ(dialog->HookEnabled(), c.hook_on) << c.name;
    EXPECT_EQ(hook_.calls.front(), "install") << c.name;
    EXPECT_EQ(hook_.calls.back(), c.hook_on ? "enable 1" : "enable 0") << c.name;
    EXPECT_EQ(dialog->KeyText(), c.shown) << c.name;
    EXPECT_EQ(dialog->FirstBox()->text(), c.first) << c.name;
    EXPECT_EQ(dialog->SecondBox()->text(), c.second) << c.name;
  }
  EXPECT_EQ(hook_.calls.back(), "remove");  // the last dialog is gone
}

TEST_F(FireKeyDialog, ModeButtonsChooseTheKeyAndTheHook) {
  auto dialog = Open(Record(0x04, 2, u"15"));
  dialog->ModeButton(1)->clicked();
  EXPECT_EQ(Checked(*dialog), (std::vector<bool>{false, true, false, false}));
  EXPECT_EQ(dialog->Values().key, 0xF1);
  EXPECT_FALSE(dialog->HookEnabled());
  dialog->ModeButton(3)->clicked();
  EXPECT_EQ(Checked(*dialog), (std::vector<bool>{false, false, false, true}));
  EXPECT_TRUE(dialog->HookEnabled());
  EXPECT_EQ(dialog->Values().key, 0xF1);  // keyboard mode keeps the key until one is captured
  test::SendKeys(dialog.get(), {Down(48), Up(48)});
  EXPECT_EQ(dialog->Values().key, 0x05);
  EXPECT_EQ(dialog->KeyText(), u"B"_s);
  EXPECT_EQ(dialog->KeyCount(), 1);
  dialog->OkButton()->clicked();
  EXPECT_EQ(dialog->result(), IDOK);
  EXPECT_EQ(dialog->Values().key, 0x05);
}

TEST_F(FireKeyDialog, ANumberBoxWithTheFocusStopsTheCapture) {
  auto dialog = Open(Record(0x04, 2, u"15"));
  ASSERT_TRUE(dialog->HookEnabled());
  Focus(*dialog, kEditFocusGained);
  EXPECT_EQ(dialog->FocusCount(), 1);
  EXPECT_FALSE(dialog->HookEnabled());
  // The focus moves from one box to the other: lost, then gained.
  Focus(*dialog, kEditFocusLost);
  Focus(*dialog, kEditFocusGained);
  EXPECT_FALSE(dialog->HookEnabled()) << "a box still has the focus";
  Focus(*dialog, kEditFocusLost);
  EXPECT_EQ(dialog->FocusCount(), 0);
  EXPECT_TRUE(dialog->HookEnabled());

  // In a mouse-button mode the hook stays off whatever the boxes do.
  dialog->ModeButton(0)->clicked();
  Focus(*dialog, kEditFocusGained);
  Focus(*dialog, kEditFocusLost);
  EXPECT_FALSE(dialog->HookEnabled());
}

TEST_F(FireKeyDialog, TheBoxesReportTheirFocus) {
  parent_.show();
  auto dialog = Open(Record(0x04, 2, u"15"));
  dialog->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
  dialog->FirstBox()->setFocus();
  QCoreApplication::sendPostedEvents(dialog.get());
  EXPECT_EQ(dialog->FocusCount(), 1);
  EXPECT_FALSE(dialog->HookEnabled());
  dialog->SecondBox()->setFocus();
  QCoreApplication::sendPostedEvents(dialog.get());
  EXPECT_EQ(dialog->FocusCount(), 1);
  dialog->SecondBox()->clearFocus();
  QCoreApplication::sendPostedEvents(dialog.get());
  EXPECT_EQ(dialog->FocusCount(), 0);
  EXPECT_TRUE(dialog->HookEnabled());
}

TEST_F(FireKeyDialog, KeysAreCapturedUntilABoxIsClickedAndAgainAfterAModeIsClicked) {
  parent_.show();
  auto dialog = Open(Record(0x04, 2, u"15"));
  dialog->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
  QCoreApplication::sendPostedEvents(dialog.get());
  EXPECT_FALSE(dialog->FirstBox()->hasFocus());
  EXPECT_EQ(dialog->FocusCount(), 0);
  EXPECT_TRUE(dialog->HookEnabled());

  QTest::mouseClick(dialog->FirstBox(), Qt::LeftButton);
  QCoreApplication::sendPostedEvents(dialog.get());
  EXPECT_FALSE(dialog->HookEnabled());
  QTest::mouseClick(dialog->ModeButton(3), Qt::LeftButton, {}, QPoint(4, 4));
  QCoreApplication::sendPostedEvents(dialog.get());
  EXPECT_EQ(dialog->FocusCount(), 0);
  EXPECT_TRUE(dialog->HookEnabled());
}

TEST_F(FireKeyDialog, OkReadsTheBoxesAndMapsTheMouseModes) {
  auto dialog = Open(Record(0, 0, u""));
  dialog->ModeButton(2)->clicked();
  dialog->FirstBox()->clear();
  QTest::keyClicks(dialog->FirstBox(), u"300"_s);  // more than a byte is refused as typed
  dialog->SecondBox()->clear();
  QTest::keyClicks(dialog->SecondBox(), u"x12"_s);
  EXPECT_EQ(dialog->FirstBox()->text(), u"30"_s);
  EXPECT_EQ(dialog->SecondBox()->text(), u"12"_s);
  dialog->OkButton()->clicked();
  EXPECT_EQ(dialog->result(), IDOK);
  EXPECT_EQ(dialog->Values().key, 0xF2);
  EXPECT_EQ(dialog->Values().first, 30);
  EXPECT_EQ(dialog->Values().second, 12);
}

TEST_F(FireKeyDialog, EnterKeepsTheNumbersJustTyped) {
  // Left-button mode from a record that had no fire key: Enter must store
  // the left button, not the empty key, and the numbers typed.
  for (QWidget* (*target)(CFireKey&) : {+[](CFireKey& d) -> QWidget* { return d.SecondBox(); },
                                        +[](CFireKey& d) -> QWidget* { return &d; }}) {
    auto dialog = Open(Record(0, 0, u""));
    dialog->SecondBox()->setText(u"250"_s);
    dialog->FirstBox()->setText(u"7"_s);
    QTest::keyClick(target(*dialog), Qt::Key_Return);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), IDOK);
    EXPECT_EQ(dialog->Values().key, 0xF0);
    EXPECT_EQ(dialog->Values().first, 7);
    EXPECT_EQ(dialog->Values().second, 250);
  }
}

TEST_F(FireKeyDialog, CancelAndEscapeKeepNothing) {
  for (bool escape : {false, true}) {
    CFireKey::SetNextRun([escape](CFireKey& d) {
      d.FirstBox()->setText(u"9"_s);
      if (escape) {
        QTest::keyClick(&d, Qt::Key_Escape);
      } else {
        d.CancelButton()->clicked();
      }
    });
    CFireKey dialog(&parent_, skin_, hook_, u""_s, u""_s);
    dialog.SetValues(FireKeyPreload(Record(0x04, 2, u"15")));
    EXPECT_EQ(dialog.DoModal(), IDCANCEL) << escape;
  }
}

TEST_F(FireKeyDialog, TabWalksInReadingOrderAndTheFocusedControlTakesItsKeys) {
  parent_.show();
  auto dialog = Open(Record(0x04, 2, u"15"));
  dialog->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
  ASSERT_EQ(QApplication::focusWidget(), dialog->KeyDisplay()) << "keyboard mode opens on the field";
  dialog->ModeButton(0)->setFocus(Qt::TabFocusReason);
  std::vector<QWidget*> walk;
  for (int i = 0; i < 9; ++i) {
    walk.push_back(QApplication::focusWidget());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  }
  const std::vector<QWidget*> reading = {
      dialog->ModeButton(0), dialog->ModeButton(1), dialog->ModeButton(2),
      dialog->ModeButton(3), dialog->FirstBox(),    dialog->KeyDisplay(),
      dialog->SecondBox(),   dialog->OkButton(),    dialog->CancelButton()};
  EXPECT_EQ(walk, reading);

  // Space on a mode picks it and is no fire key; picking the keyboard key
  // moves to the field, where the next key is captured.
  dialog->ModeButton(1)->setFocus(Qt::TabFocusReason);
  QTest::keyClick(dialog->ModeButton(1), Qt::Key_Space);
  EXPECT_EQ(dialog->Values().fire_mode, CFireKey::kRightButtonMode);
  dialog->ModeButton(3)->setFocus(Qt::TabFocusReason);
  QTest::keyClick(dialog->ModeButton(3), Qt::Key_Space);
  test::SendKeys(dialog.get(), {Down(57), Up(57)});
  EXPECT_EQ(dialog->Values().fire_mode, CFireKey::kKeyboardMode);
  EXPECT_EQ(QApplication::focusWidget(), dialog->KeyDisplay());
  EXPECT_EQ(dialog->KeyText(), u"A"_s) << "the Space that picked the mode is not the key";
  test::SendKeys(dialog.get(), {Down(48), Up(48)});
  EXPECT_EQ(dialog->KeyText(), u"B"_s);

  // Enter on the focused Cancel cancels; it is no OK there.
  dialog->CancelButton()->setFocus(Qt::TabFocusReason);
  QTest::keyClick(dialog->CancelButton(), Qt::Key_Return);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(dialog->result(), IDCANCEL);
}

}  // namespace
}  // namespace vantix
