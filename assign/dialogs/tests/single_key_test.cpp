#include "assign/dialogs/single_key.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "assign/dialogs/tests/hook_recorder.h"
#include "assign/key_names.h"
#include "hook/repeat_filter.h"
#include "ui/bitmap_btn.h"
#include "ui/skin.h"
#include "ui/static_trans.h"
#include "ui/warning_dlg.h"

using namespace Qt::StringLiterals;

namespace vantix {
namespace {

using test::Down;
using test::Key;
using test::Up;

constexpr std::uint8_t A = 30, B = 48, Del = 83, LShift = 42, RShift = 54, LCtrl = 29,
                       RCtrl = 238, LWin = 91, LAlt = 56, RAlt = 239, Enter = 28;

KeyEventBlock Events(std::initializer_list<std::array<std::uint8_t, 3>> events) {
  KeyEventBlock block{};
  std::size_t at = 0;
  for (const auto& e : events) {
    for (std::uint8_t byte : e) block[at++] = byte;
  }
  return block;
}

class KeyDialog : public ::testing::Test {
 protected:
  // Every test starts with nothing remembered by the class's repeat filter.
  void SetUp() override { SharedRepeatFilter<CSingleKey>().Remember(-1, -1); }

  std::unique_ptr<CSingleKey> Open(int mode, std::uint8_t key = kNoKey, int count = 0,
                                   const KeyEventBlock& block = {}) {
    auto dialog = std::make_unique<CSingleKey>(&parent_, skin_, hook_, u"Title"_s, u"Prompt"_s, mode);
    dialog->SetKey(key);
    dialog->SetKeyCount(count);
    dialog->SetEventBlock(block);
    dialog->open();
    return dialog;
  }

  Skin skin_{VANTIX_PROGRAM_DIR "/"};
  test::HookRecorder hook_;
  QWidget parent_;
};

TEST_F(KeyDialog, InstallsTheHookOnItsWindowAndRemovesItWhenDestroyed) {
  auto dialog = Open(CSingleKey::kSingleMode);
  EXPECT_EQ(hook_.calls, (std::vector<std::string>{"install", "enable 1"}));
  EXPECT_EQ(hook_.installed_window, static_cast<std::uint32_t>(dialog->winId()));
  dialog.reset();
  EXPECT_EQ(hook_.calls,
            (std::vector<std::string>{"install", "enable 1", "enable 0", "remove"}));
}

TEST_F(KeyDialog, LayoutFromTheSkin) {
  auto dialog = Open(CSingleKey::kCombinationMode);
  EXPECT_EQ(dialog->size(), QSize(478, 292));
  EXPECT_EQ(dialog->findChild<CStaticTrans*>(u"titleLabel"_s)->geometry(), RectLtrb(99, 22, 382, 68));
  EXPECT_EQ(dialog->findChild<CStaticTrans*>(u"promptLabel"_s)->text(), u"Prompt"_s);
  EXPECT_EQ(dialog->KeyDisplay()->geometry(), RectLtrb(81, 145, 382, 171));
  EXPECT_EQ(dialog->OkButton()->Caption(), skin_.UiText("General", 46));
  EXPECT_EQ(dialog->CancelButton()->Caption(), skin_.UiText("General", 47));
  EXPECT_FALSE(dialog->mask().contains(QPoint(0, 0)));  // the outline cuts the corners
}

TEST_F(KeyDialog, ShowsThePreloadedValue) {
  struct Case {
    const char* name;
    int mode;
    std::uint8_t key;
    int count;
    KeyEventBlock block;
    QString shown;
  };
  const KeyEventBlock shift_a = Events({{0xE1, 5, 0x80}, {0x04, 5, 0x80}, {0x04, 5, 0}, {0xE1, 5, 0}});
  const Case cases[] = {
      {"single key A", CSingleKey::kSingleMode, 0x04, 0, {}, u"A"_s},
      {"nothing stored", CSingleKey::kSingleMode, kNoKey, 0, {}, u""_s},
      {"usage without key code", CSingleKey::kSingleMode, 0x32, 0, {}, u""_s},
      {"stored combination", CSingleKey::kCombinationMode, 0xE1, 2, shift_a, u"LShift + A"_s},
      {"one key in combination mode", CSingleKey::kCombinationMode, 0x05, 1, {}, u"B"_s},
  };
  for (const Case& c : cases) {
    auto dialog = Open(c.mode, c.key, c.count, c.block);
    EXPECT_EQ(dialog->KeyText(), c.shown) << c.name;
    EXPECT_TRUE(dialog->Untouched()) << c.name;
  }
}

TEST_F(KeyDialog, OkWithoutAKeyIsCancelInBothModes) {
  for (int mode : {CSingleKey::kSingleMode, CSingleKey::kCombinationMode}) {
    auto dialog = Open(mode, 0x04, 1);
    dialog->OkButton()->clicked();
    EXPECT_EQ(dialog->result(), IDCANCEL) << mode;
    EXPECT_EQ(dialog->Key(), 0x04) << mode;
  }
}

TEST_F(KeyDialog, SingleModeKeepsTheLastReportedKey) {
  auto dialog = Open(CSingleKey::kSingleMode, 0x04);
  test::SendKeys(dialog.get(), {Down(LShift), Down(A), Up(A), Up(LShift)});
  EXPECT_EQ(dialog->KeyText(), u"LShift"_s);
  EXPECT_EQ(dialog->Key(), 0xE1);
  EXPECT_EQ(dialog->KeyCount(), 1);
  dialog->OkButton()->clicked();
  EXPECT_EQ(dialog->result(), IDOK);
  EXPECT_EQ(dialog->Key(), 0xE1);
}

// What the combination mode makes of a sequence of key reports.
struct ComboCase {
  const char* name;
  std::vector<Key> keys;
  QString shown;
  int count;
  std::uint8_t key;  // what a one-key result stores
  KeyEventBlock events;
};

void PrintTo(const ComboCase& c, std::ostream* os) { *os << c.name; }

class KeyCombination : public KeyDialog, public ::testing::WithParamInterface<ComboCase> {};

TEST_P(KeyCombination, ShowsAndStoresTheKeysHeldAtTheLastPress) {
  const ComboCase& c = GetParam();
  auto dialog = Open(CSingleKey::kCombinationMode, 0x2B /* Tab, stored before */);
  test::SendKeys(dialog.get(), c.keys);
  EXPECT_EQ(dialog->KeyText(), c.shown);
  EXPECT_EQ(dialog->KeyCount(), c.count);
  dialog->OkButton()->clicked();
  ASSERT_EQ(dialog->result(), IDOK);
  if (c.count == 1) {
    EXPECT_EQ(dialog->Key(), c.key);
  } else {
    EXPECT_EQ(dialog->EventBlock(), c.events);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, KeyCombination,
    ::testing::Values(
        ComboCase{"CtrlShiftA",
                  {Down(LCtrl), Down(LShift), Down(A), Up(A), Up(LShift), Up(LCtrl)},
                  u"LShift + LCtrl + A"_s,
                  3,
                  0,
                  Events({{0xE1, 5, 0x80}, {0xE0, 5, 0x80}, {0x04, 5, 0x80},
                          {0x04, 5, 0x00}, {0xE0, 5, 0x00}, {0xE1, 5, 0x00}})},
        ComboCase{"AThenBAlone", {Down(A), Up(A), Down(B)}, u"B"_s, 1, 0x05, {}},
        ComboCase{"RightKeys",
                  {Down(RCtrl), Down(RAlt), Down(Del), Up(Del)},
                  u"RCtrl + RAlt + Delete"_s,
                  3,
                  0,
                  Events({{0xE4, 5, 0x80}, {0xE6, 5, 0x80}, {0x4C, 5, 0x80},
                          {0x4C, 5, 0x00}, {0xE6, 5, 0x00}, {0xE4, 5, 0x00}})},
        ComboCase{"FiveKeys",
                  {Down(LShift), Down(LCtrl), Down(LWin), Down(LAlt), Down(A)},
                  u"LShift + LCtrl + LWindows + LAlt + A"_s,
                  5,
                  0,
                  Events({{0xE1, 5, 0x80}, {0xE0, 5, 0x80}, {0xE3, 5, 0x80}, {0xE2, 5, 0x80},
                          {0x04, 5, 0x80}, {0x04, 5, 0x00}, {0xE2, 5, 0x00}, {0xE3, 5, 0x00},
                          {0xE0, 5, 0x00}, {0xE1, 5, 0x00}})},
        // Shift was down before the dialog opened: its release must not turn
        // into a right Shift that was never pressed.
        ComboCase{"ReleaseOfAKeyHeldBeforeOpening", {Up(LShift), Down(A)}, u"A"_s, 1, 0x04, {}},
        ComboCase{"ReleaseOfARightKeyWhileTheLeftIsHeld",
                  {Down(LShift), Up(RShift), Down(B)},
                  u"B"_s,
                  1,
                  0x05,
                  {}},
        // Enter and Escape are keys like any other here.
        ComboCase{"CtrlEnter",
                  {Down(LCtrl), Down(Enter)},
                  u"LCtrl + Enter"_s,
                  2,
                  0,
                  Events({{0xE0, 5, 0x80}, {0x28, 5, 0x80}, {0x28, 5, 0x00}, {0xE0, 5, 0x00}})},
        // A modifier alone is shown and stored as itself, not as the key
        // stored before.
        ComboCase{"ModifierAlone", {Down(LShift), Up(LShift)}, u"LShift"_s, 1, 0xE1, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(KeyDialog, TheLastPressDecidesAfterPartialReleases) {
  auto dialog = Open(CSingleKey::kCombinationMode);
  test::SendKeys(dialog.get(), {Down(LCtrl), Down(A), Up(A), Down(B), Up(LCtrl)});
  EXPECT_EQ(dialog->KeyText(), u"LCtrl + B"_s);
  // The release of Ctrl after the last press leaves the committed slots.
  EXPECT_EQ(dialog->LiveSlots().modifiers[1], 0);
  EXPECT_EQ(dialog->CommittedSlots().modifiers[1], 1);
  dialog->OkButton()->clicked();
  EXPECT_EQ(dialog->EventBlock(),
            Events({{0xE0, 5, 0x80}, {0x05, 5, 0x80}, {0x05, 5, 0x00}, {0xE0, 5, 0x00}}));
}

TEST_F(KeyDialog, ARepeatedReportIsDroppedEvenAcrossDialogs) {
  {
    auto first = Open(CSingleKey::kSingleMode);
    test::SendKeys(first.get(), {Down(A), Down(A)});
    EXPECT_EQ(first->KeyText(), u"A"_s);
  }
  // The class remembers the last report: the same report opening the next
  // dialog is taken for the held key's repeat.
  auto second = Open(CSingleKey::kSingleMode);
  test::SendKeys(second.get(), {Down(A)});
  EXPECT_TRUE(second->Untouched());
  test::SendKeys(second.get(), {Up(A)});
  EXPECT_FALSE(second->Untouched());
}

TEST_F(KeyDialog, ItsOwnKeysNeverAnswerIt) {
  auto dialog = Open(CSingleKey::kSingleMode);
  for (Qt::Key k : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape, Qt::Key_Space}) {
    QTest::keyClick(dialog.get(), k);
    EXPECT_TRUE(dialog->isVisible()) << k;
  }
  EXPECT_EQ(dialog->KeyText(), u""_s);  // and none of them is captured
  dialog->CancelButton()->clicked();
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(dialog->result(), IDCANCEL);
}

TEST_F(KeyDialog, TheReleaseOfAKeyHeldBeforeItOpenedIsNoStroke) {
  // Opened from the menu with Enter: Enter's release arrives first.
  auto dialog = Open(CSingleKey::kSingleMode);
  test::SendKeys(dialog.get(), {Up(Enter)});
  EXPECT_TRUE(dialog->Untouched());
  EXPECT_EQ(dialog->KeyText(), u""_s);
  test::SendKeys(dialog.get(), {Down(Enter), Up(Enter)});
  EXPECT_EQ(dialog->KeyText(), QString::fromUtf8(KeyName(Enter, skin_.Strings())))
      << "Enter typed into the dialog is a key";
  dialog->OkButton()->clicked();
  EXPECT_EQ(dialog->Key(), 0x28);
}

// The dialog shown and active, so that the keyboard focus is real.
std::unique_ptr<CSingleKey> OpenActive(QWidget& parent, const Skin& skin,
                                       test::HookRecorder& hook) {
  parent.show();
  auto dialog = std::make_unique<CSingleKey>(&parent, skin, hook, u"Title"_s, u"Prompt"_s,
                                             CSingleKey::kSingleMode);
  dialog->open();
  dialog->activateWindow();
  EXPECT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
  return dialog;
}

TEST_F(KeyDialog, EveryKeyIsCapturedInTheFieldAndTabLeavesItForTheButtons) {
  auto dialog = OpenActive(parent_, skin_, hook_);
  CBitmapBtn* field = dialog->KeyDisplay();
  ASSERT_EQ(QApplication::focusWidget(), field) << "the capture field has the focus at first";
  // Enter and Escape typed in the field are keys, not answers; so is
  // Shift+Tab, which stays in the field.
  constexpr std::uint8_t Escape = 1;
  for (const auto& [qt_key, code] : {std::pair{Qt::Key_Return, Enter}, std::pair{Qt::Key_Escape, Escape}}) {
    QTest::keyClick(field, qt_key);
    test::SendKeys(dialog.get(), {Down(code), Up(code)});
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->KeyText(), QString::fromUtf8(KeyName(code, skin_.Strings())));
  }
  for (const Qt::Key back : {Qt::Key_Backtab, Qt::Key_Tab}) {  // as X and as QTest send it
    QTest::keyClick(field, back, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), field);
  }

  // Tab moves on to OK; neither it nor keys typed on a button are captured.
  QTest::keyClick(field, Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), dialog->OkButton());
  test::SendKeys(dialog.get(), {Down(15), Up(15), Down(A), Up(A)});
  EXPECT_EQ(dialog->KeyText(), QString::fromUtf8(KeyName(1, skin_.Strings())));
  QTest::keyClick(dialog->OkButton(), Qt::Key_Tab, Qt::ShiftModifier);
  test::SendKeys(dialog.get(), {Down(15), Up(15)});
  EXPECT_EQ(QApplication::focusWidget(), field) << "Shift+Tab from OK walks back";
  EXPECT_EQ(dialog->KeyText(), QString::fromUtf8(KeyName(1, skin_.Strings())))
      << "the Tab that came back is not captured";
  test::SendKeys(dialog.get(), {Down(B), Up(B)});
  EXPECT_EQ(dialog->KeyText(), u"B"_s) << "back in the field, keys are captured again";
}

TEST_F(KeyDialog, TabAsTheFirstKeyIsCapturedAndTheNextTabLeaves) {
  constexpr std::uint8_t Tab = 15;
  auto dialog = OpenActive(parent_, skin_, hook_);
  CBitmapBtn* field = dialog->KeyDisplay();
  QTest::keyClick(field, Qt::Key_Tab);
  test::SendKeys(dialog.get(), {Down(Tab), Up(Tab)});
  EXPECT_EQ(QApplication::focusWidget(), field) << "the first Tab is a key";
  EXPECT_EQ(dialog->KeyText(), QString::fromUtf8(KeyName(Tab, skin_.Strings())));

  QTest::keyClick(field, Qt::Key_Tab);
  test::SendKeys(dialog.get(), {Down(Tab), Up(Tab)});
  EXPECT_EQ(QApplication::focusWidget(), dialog->OkButton()) << "the second Tab leaves";
  QTest::keyClick(dialog->OkButton(), Qt::Key_Space);
  test::SendKeys(dialog.get(), {Down(57), Up(57)});
  EXPECT_EQ(dialog->result(), IDOK);
  EXPECT_EQ(dialog->Key(), 0x2B) << "Tab is stored";

  // Walked back into with Shift+Tab, the field lets Tab walk on at once.
  auto again = OpenActive(parent_, skin_, hook_);
  test::SendKeys(again.get(), {Down(A), Up(A)});
  QTest::keyClick(again->KeyDisplay(), Qt::Key_Tab);
  QTest::keyClick(again->OkButton(), Qt::Key_Tab, Qt::ShiftModifier);
  ASSERT_EQ(QApplication::focusWidget(), again->KeyDisplay());
  QTest::keyClick(again->KeyDisplay(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), again->OkButton());
  EXPECT_EQ(again->KeyText(), u"A"_s);
}

TEST_F(KeyDialog, TheFocusedButtonTakesSpaceEnterAndEscape) {
  const struct {
    const char* name;
    int tabs;  // from the field: 1 OK, 2 Cancel
    Qt::Key key;
    std::uint8_t code;
    int result;
  } cases[] = {
      {"Space on OK", 1, Qt::Key_Space, 57, IDOK},
      {"Enter on OK", 1, Qt::Key_Return, Enter, IDOK},
      {"Enter on Cancel", 2, Qt::Key_Return, Enter, IDCANCEL},
      {"Escape on OK", 1, Qt::Key_Escape, 1, IDCANCEL},
  };
  for (const auto& c : cases) {
    auto dialog = OpenActive(parent_, skin_, hook_);
    test::SendKeys(dialog.get(), {Down(A), Up(A)});
    for (int t = 0; t < c.tabs; ++t) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), c.key);
    test::SendKeys(dialog.get(), {Down(c.code), Up(c.code)});
    EXPECT_FALSE(dialog->isVisible()) << c.name;
    EXPECT_EQ(dialog->result(), c.result) << c.name;
    EXPECT_EQ(dialog->Key(), 0x04) << c.name << ": the key that pressed the button is not captured";
  }
}

TEST_F(KeyDialog, NextRunPlaysTheUserInsideDoModal) {
  CSingleKey::SetNextRun([](CSingleKey& dialog) {
    test::SendKeys(&dialog, {Down(B), Up(B)});
    dialog.OkButton()->clicked();
  });
  CSingleKey dialog(&parent_, skin_, hook_, u""_s, u""_s, CSingleKey::kSingleMode);
  EXPECT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(dialog.Key(), 0x05);
  EXPECT_EQ(hook_.calls, (std::vector<std::string>{"install", "enable 1"}));
}

}  // namespace
}  // namespace vantix
