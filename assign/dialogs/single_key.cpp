#include "assign/dialogs/single_key.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <utility>
#include <vector>

#include "ui/small_dialog.h"
#include "assign/function_catalogue.h"
#include "assign/key_names.h"
#include "hook/hook_link.h"
#include "hook/hook_protocol.h"
#include "hook/repeat_filter.h"
#include "ui/bitmap_btn.h"
#include "ui/static_trans.h"
#include "ui/top_window.h"
#include "ui/warning_dlg.h"

namespace vantix {
namespace {

struct ModifierKeys {
  KeyCode left;
  KeyCode right;
};
// Shift, Ctrl, Win, Alt: the order of the shown text and of the events.
constexpr std::array<ModifierKeys, 4> kModifierKeys = {{
    {kKeyLeftShift, kKeyRightShift},
    {kKeyLeftCtrl, kKeyRightCtrl},
    {kKeyLeftWin, kKeyRightWin},
    {kKeyLeftAlt, kKeyRightAlt},
}};
constexpr std::uint8_t kLeftHeld = 1;
constexpr std::uint8_t kRightHeld = 2;

std::function<void(CSingleKey&)>& NextRun() {
  static std::function<void(CSingleKey&)> run;
  return run;
}

// The key codes of the held slots, in the order Shift, Ctrl, Win, Alt, key.
std::vector<KeyCode> HeldKeys(const KeySlots& state) {
  std::vector<KeyCode> keys;
  for (std::size_t m = 0; m < kModifierKeys.size(); ++m) {
    const std::uint8_t held = state.modifiers[m];
    if (held == 0) continue;
    keys.push_back(held < kRightHeld ? kModifierKeys[m].left : kModifierKeys[m].right);
  }
  if (state.key_held) keys.push_back(state.key_code);
  return keys;
}

std::uint8_t UsageOrZero(KeyCode code) { return KeyCodeToUsage(code).value_or(0); }

}  // namespace

void CSingleKey::SetNextRun(std::function<void(CSingleKey&)> run) { NextRun() = std::move(run); }

CSingleKey::CSingleKey(QWidget* parent, const Skin& skin, KeyHook& hook, const QString& title,
                       const QString& prompt, int mode)
    : KeyCaptureDialog(parent, skin, hook, title), mode_(mode) {
  setObjectName(QStringLiteral("keyDialog"));
  new SkinDrag(this);
  title_label_ =
      MakeDialogLabel(this, "titleLabel", title, RectLtrb(99, 22, 382, 68), SS_CENTER, 18, 700);
  prompt_label_ =
      MakeDialogLabel(this, "promptLabel", prompt, RectLtrb(45, 70, 433, 118), SS_CENTER, 16, 400);
  FinishLayout(RectLtrb(81, 145, 382, 171), prompt);
}

int CSingleKey::DoModal() { return RunModal(NextRun()); }

void CSingleKey::OnInit() {
  if (key_count_ < 2) {
    ShowText(key_ == kNoKey ? QString()
                            : QString::fromUtf8(KeyName(UsageToKeyCode(key_).value_or(0),
                                                        skin_.Strings())));
  } else {
    ButtonRecord shown;
    shown.KeyEvents = events_;
    ShowText(QString::fromStdString(CombinationText(shown, skin_.Strings())));
  }
  untouched_ = true;
}

void CSingleKey::showEvent(QShowEvent* event) {
  KeyCaptureDialog::showEvent(event);
  FocusCapture();
}

QString CSingleKey::KeyText() const { return KeyDisplay()->Caption(); }

void CSingleKey::ShowText(const QString& text) {
  KeyDisplay()->SetCaption(text, 0, kCaptionCentred);
}

std::int64_t CSingleKey::OnWindowMessage(std::uint32_t message, std::int64_t wparam,
                                         std::int64_t lparam) {
  if (message == WM_HOOK_KEY) OnHookKey(static_cast<std::uint8_t>(wparam & 0xFF), lparam);
  return 0;
}

void CSingleKey::OnHookKey(std::uint8_t code, std::int64_t flags) {
  NoteReport(code, (flags & kHookKeyReleased) != 0);
  if (!SharedRepeatFilter<CSingleKey>().Accept(code, flags)) return;
  if (!CountsAsCaptured(code, (flags & kHookKeyReleased) != 0)) return;
  // A stroke is a key struck here; a combination's slots already take a
  // release of a key held before opening for what it is.
  if (mode_ == kSingleMode && ReleaseWithoutPress(code, (flags & kHookKeyReleased) != 0)) return;
  if (untouched_) {
    key_count_ = 0;
    live_ = {};
    committed_ = {};
    untouched_ = false;
  }
  if (mode_ == kSingleMode) {
    // Presses and releases alike: after a stroke the key is the one struck.
    key_ = UsageOrZero(code);
    ShowText(QString::fromUtf8(KeyName(code, skin_.Strings())));
    key_count_ = 1;
    return;
  }
  if ((flags & kHookKeyReleased) != 0) {
    OnCombinationRelease(code);
  } else {
    OnCombinationPress(code);
  }
}

void CSingleKey::OnCombinationRelease(std::uint8_t code) {
  for (std::size_t m = 0; m < kModifierKeys.size(); ++m) {
    // A slot never goes below empty: a key already held when the dialog
    // opened is released without having been seen pressed.
    std::uint8_t& slot = live_.modifiers[m];
    if (code == kModifierKeys[m].left) {
      slot = static_cast<std::uint8_t>(std::max(0, slot - kLeftHeld));
      return;
    }
    if (code == kModifierKeys[m].right) {
      slot = static_cast<std::uint8_t>(std::max(0, slot - kRightHeld));
      return;
    }
  }
  live_.key_held = false;
}

void CSingleKey::OnCombinationPress(std::uint8_t code) {
  bool modifier = false;
  for (std::size_t m = 0; m < kModifierKeys.size(); ++m) {
    if (code == kModifierKeys[m].left) live_.modifiers[m] = kLeftHeld;
    if (code == kModifierKeys[m].right) live_.modifiers[m] = kRightHeld;
    modifier = modifier || code == kModifierKeys[m].left || code == kModifierKeys[m].right;
  }
  if (!modifier) {
    live_.key_held = true;
    live_.key_code = code;
  }

  events_.fill(0);
  const std::vector<KeyCode> held = HeldKeys(live_);
  QString text;
  for (const KeyCode k : held) {
    if (!text.isEmpty()) text += QStringLiteral(" + ");
    text += QString::fromUtf8(KeyName(k, skin_.Strings()));
  }
  // The key is what a one-key result stores: the other key when one is
  // held, else the one modifier shown, so that OK stores what is shown.
  if (live_.key_held) {
    key_ = UsageOrZero(live_.key_code);
  } else if (held.size() == 1) {
    key_ = UsageOrZero(held.front());
  }
  key_count_ = static_cast<int>(held.size());
  ShowText(text);
  committed_ = live_;
}

void CSingleKey::OnOk() {
  // No key since the dialog opened: nothing to store.
  if (untouched_) {
    done(IDCANCEL);
    return;
  }
  if (key_count_ > 1) {
    // Presses in slot order, then the releases in reverse order.
    std::vector<std::uint8_t> usages;
    for (const KeyCode key : HeldKeys(committed_)) usages.push_back(UsageOrZero(key));
    events_ = CombinationEvents(usages);
  }
  done(IDOK);
}

KeyEventBlock CombinationEvents(const std::vector<std::uint8_t>& usages) {
  KeyEventBlock events{};
  // Five keys at most: ten events fill 30 of the block's bytes.
  const std::size_t n = std::min<std::size_t>(usages.size(), 5);
  for (std::size_t i = 0; i < n; ++i) {
    const std::size_t press = kKeyEventSize * i;
    const std::size_t release = kKeyEventSize * (2 * n - 1 - i);
    events[press] = usages[i];
    events[press + 1] = kCombinationEventKind;
    events[press + 2] = kCombinationPress;
    events[release] = usages[i];
    events[release + 1] = kCombinationEventKind;
    events[release + 2] = kCombinationRelease;
  }
  return events;
}

void CSingleKey::keyPressEvent(QKeyEvent* event) {
  // Keys reach the dialog through the hook only; Enter and Escape must not
  // answer it while the user is capturing them. Tabbed out of the capture,
  // Escape cancels.
  if (event->key() == Qt::Key_Escape && !CaptureHasFocus()) {
    done(IDCANCEL);
    return;
  }
  event->accept();
}

void CSingleKey::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    event->accept();  // the skin drags the window once the pointer moves (SkinDrag)
    return;
  }
  KeyCaptureDialog::mousePressEvent(event);
}

}  // namespace vantix
