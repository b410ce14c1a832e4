// The key dialogs off X11: keys taken from the dialog's own Qt key events
// (PlatformKeyHook on the offscreen platform) give the same records as the
// hook library's reports of the same keys, auto-repeats and Tab included.
#include <QApplication>
#include <QKeyEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "assign/dialogs/single_key.h"
#include "assign/dialogs/tests/hook_recorder.h"
#include "hook/key_map.h"
#include "hook/repeat_filter.h"
#include "ui/bitmap_btn.h"
#include "ui/platform_key_hook.h"
#include "ui/skin.h"

using namespace Qt::StringLiterals;

namespace vantix {
namespace {

// One key event as the keyboard gives it: the Qt key, the kernel key code,
// press or release, and whether it is an auto-repeat.
struct Stroke {
  Qt::Key key;
  std::uint16_t evdev;
  bool press;
  bool repeat = false;
};

Qt::KeyboardModifiers ModifiersAfter(const std::vector<Stroke>& done) {
  Qt::KeyboardModifiers held;
  for (const Stroke& s : done) {
    const Qt::KeyboardModifier m = s.key == Qt::Key_Shift     ? Qt::ShiftModifier
                                   : s.key == Qt::Key_Control ? Qt::ControlModifier
                                   : s.key == Qt::Key_Alt     ? Qt::AltModifier
                                                              : Qt::NoModifier;
    held.setFlag(m, s.press);
  }
  return held;
}

// Types the strokes into whatever has the focus. With with_reports, each
// one (but the repeats, which the library never reports) is followed by
// the report the hook library would send, as on X11; without, the dialog's
// hook must make the reports itself.
void Type(QWidget* dialog, const std::vector<Stroke>& strokes, bool with_reports) {
  std::vector<Stroke> done;
  for (const Stroke& s : strokes) {
    const Qt::KeyboardModifiers modifiers = ModifiersAfter(done);
    QKeyEvent event(s.press ? QEvent::KeyPress : QEvent::KeyRelease, s.key, modifiers,
                    s.evdev + hook::kXKeycodeOffset, 0, 0, QString(), s.repeat);
    QWidget* target = QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : dialog;
    QApplication::sendEvent(target, &event);
    if (with_reports && !s.repeat) {
      const std::optional<hook::ReportedKey> key = hook::MapEvdevKey(s.evdev);
      ASSERT_TRUE(key.has_value());
      PostWindowMessage(dialog, WM_HOOK_KEY, key->code,
                        (s.press ? 0 : kHookKeyReleased) | (key->extended ? kHookKeyExtended : 0));
    }
    QCoreApplication::sendPostedEvents(dialog);
    done.push_back(s);
  }
}

struct Outcome {
  QString text;
  KeyEventBlock events;
  int key_count;
  bool focus_in_field;
};

struct Case {
  const char* name;
  int mode;
  std::vector<Stroke> strokes;
};

class WindowKeys : public ::testing::TestWithParam<Case> {
 protected:
  Outcome Run(KeyHook& hook, bool with_reports) {
    SharedRepeatFilter<CSingleKey>().Remember(-1, -1);
    parent_.show();
    CSingleKey dialog(&parent_, skin_, hook, u"Title"_s, u"Prompt"_s, GetParam().mode);
    dialog.open();
    dialog.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
    Type(&dialog, GetParam().strokes, with_reports);
    return {dialog.KeyText(), dialog.EventBlock(), dialog.KeyCount(),
            QApplication::focusWidget() == dialog.KeyDisplay()};
  }

  Skin skin_{VANTIX_PROGRAM_DIR "/"};
  QWidget parent_;
};

TEST_P(WindowKeys, GiveTheSameRecordsAsTheHooksReports) {
  test::HookRecorder library;
  const Outcome by_hook = Run(library, true);
  PlatformKeyHook window_keys("");
  ASSERT_TRUE(window_keys.UsesWindowKeys()) << "the offscreen platform is not X11";
  const Outcome by_window = Run(window_keys, false);

  EXPECT_FALSE(by_hook.text.isEmpty()) << "the case captures something";
  EXPECT_EQ(by_window.text, by_hook.text);
  EXPECT_EQ(by_window.events, by_hook.events);
  EXPECT_EQ(by_window.key_count, by_hook.key_count);
  EXPECT_EQ(by_window.focus_in_field, by_hook.focus_in_field);
}

constexpr std::uint16_t kA = 30, kTab = 15, kLCtrl = 29, kLShift = 42, kRCtrl = 97, kDelete = 111;

INSTANTIATE_TEST_SUITE_P(
    Keys, WindowKeys,
    ::testing::Values(
        Case{"held_combination_with_repeats", CSingleKey::kCombinationMode,
             {{Qt::Key_Control, kLCtrl, true},
              {Qt::Key_Shift, kLShift, true},
              {Qt::Key_A, kA, true},
              {Qt::Key_A, kA, false, true},
              {Qt::Key_A, kA, true, true},
              {Qt::Key_A, kA, false},
              {Qt::Key_Shift, kLShift, false},
              {Qt::Key_Control, kLCtrl, false}}},
        Case{"extended_keys", CSingleKey::kSingleMode,
             {{Qt::Key_Control, kRCtrl, true},
              {Qt::Key_Control, kRCtrl, false},
              {Qt::Key_Delete, kDelete, true},
              {Qt::Key_Delete, kDelete, true, true},
              {Qt::Key_Delete, kDelete, false}}},
        Case{"tab_first_is_a_key_then_leaves", CSingleKey::kSingleMode,
             {{Qt::Key_Tab, kTab, true},
              {Qt::Key_Tab, kTab, false},
              {Qt::Key_Tab, kTab, true},
              {Qt::Key_Tab, kTab, false},
              {Qt::Key_A, kA, true},
              {Qt::Key_A, kA, false}}},
        Case{"release_of_a_key_held_before", CSingleKey::kSingleMode,
             {{Qt::Key_A, kA, false}, {Qt::Key_Tab, kTab, true}, {Qt::Key_Tab, kTab, false}}}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

TEST(WindowKeysReport, OnlyPressesAndReleasesOfMappedKeysThatAreNoRepeats) {
  const auto report = [](QEvent::Type type, quint32 scan, bool repeat) {
    return HookReportOfKeyEvent(QKeyEvent(type, Qt::Key_unknown, Qt::NoModifier, scan, 0, 0,
                                          QString(), repeat));
  };
  const auto a = report(QEvent::KeyPress, kA + 8, false);
  ASSERT_TRUE(a.has_value());
  EXPECT_EQ(a->wparam, 30);
  EXPECT_EQ(a->lparam, 0);
  const auto right_ctrl_up = report(QEvent::KeyRelease, kRCtrl + 8, false);
  ASSERT_TRUE(right_ctrl_up.has_value());
  EXPECT_EQ(right_ctrl_up->wparam, 238);
  EXPECT_EQ(right_ctrl_up->lparam, kHookKeyReleased | kHookKeyExtended);
  EXPECT_FALSE(report(QEvent::KeyPress, kA + 8, true)) << "auto-repeat";
  EXPECT_FALSE(report(QEvent::KeyPress, 0, false)) << "no scan code (a synthetic key)";
  EXPECT_FALSE(report(QEvent::KeyPress, 86 + 8, false)) << "a key without a KeyCode";
  EXPECT_FALSE(report(QEvent::ShortcutOverride, kA + 8, false));
}

TEST(WindowKeysNotice, ADialogThatCannotCaptureSaysSoInItsField) {
  Skin skin{VANTIX_PROGRAM_DIR "/"};
  test::HookRecorder hook;
  hook.can_capture = false;
  CSingleKey dialog(nullptr, skin, hook, u"Title"_s, u"Prompt"_s, CSingleKey::kSingleMode);
  dialog.open();
  EXPECT_EQ(dialog.KeyText(), skin.UiText("SINGLEKEY", 8));
  EXPECT_FALSE(dialog.KeyText().isEmpty());
}

}  // namespace
}  // namespace vantix
