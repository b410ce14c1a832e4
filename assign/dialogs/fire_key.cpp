#include "assign/dialogs/fire_key.h"

#include <QValidator>
#include <QKeyEvent>
#include <QPainter>

#include <algorithm>
#include <limits>
#include <string>
#include <utility>

#include "ui/small_dialog.h"
#include "assign/function_catalogue.h"
#include "assign/key_names.h"
#include "hook/hook_link.h"
#include "hook/hook_protocol.h"
#include "hook/repeat_filter.h"
#include "ui/bitmap_btn.h"
#include "ui/clr_edit.h"
#include "ui/static_trans.h"
#include "ui/top_window.h"
#include "ui/warning_dlg.h"

namespace vantix {
namespace {

constexpr std::array<std::uint8_t, 3> kMouseButtonKeys = {kFireLeftButton, kFireRightButton,
                                                          kFireMiddleButton};
const std::array<QRect, 4> kModeRects = {RectLtrb(36, 112, 87, 128), RectLtrb(89, 112, 156, 128),
                                         RectLtrb(159, 112, 218, 128),
                                         RectLtrb(36, 136, 144, 152)};
constexpr std::uint32_t kNumberBoxBack = 0x5E5E5E;
constexpr int kNumberBoxUnits = 3;
// What a record without a fire key starts with.
constexpr std::int32_t kDefaultFirstNumber = 3;

// Digits only, up to top. Out-of-range text is refused as it is typed
// (QIntValidator lets it through as "intermediate").
class NumberBoxValidator final : public QValidator {
 public:
  NumberBoxValidator(int top, QObject* parent) : QValidator(parent), top_(top) {}
  State validate(QString& input, int&) const override {
    if (input.isEmpty()) return Intermediate;
    int value = 0;
    for (const QChar c : input) {
      if (c < u'0' || c > u'9') return Invalid;
      value = value * 10 + (c.unicode() - u'0');
      if (value > top_) return Invalid;
    }
    return Acceptable;
  }

 private:
  int top_;
};

std::function<void(CFireKey&)>& NextRun() {
  static std::function<void(CFireKey&)> run;
  return run;
}

int FireModeOf(std::uint8_t key) {
  for (std::size_t m = 0; m < kMouseButtonKeys.size(); ++m) {
    if (key == kMouseButtonKeys[m]) return static_cast<int>(m);
  }
  return CFireKey::kKeyboardMode;
}

}  // namespace

std::int32_t LeadingNumber(std::u16string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == u' ' || (text[i] >= u'\t' && text[i] <= u'\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
  std::int64_t value = 0;
  constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
    value = std::min(kLimit, value * 10 + (text[i] - u'0'));
  }
  if (negative) value = -value;
  return static_cast<std::int32_t>(
      std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                               std::numeric_limits<std::int32_t>::max()));
}

FireKeyValues FireKeyPreload(const ButtonRecord& record) {
  FireKeyValues v;
  v.events = record.KeyEvents;
  v.key = record.KeyEvents[0];
  v.fire_mode = FireModeOf(v.key);
  v.first = record.LoopNumber;
  v.second = LeadingNumber(MacroNameView(record));
  if (record.KeyEvents[0] == 0) {
    v.fire_mode = CFireKey::kLeftButtonMode;
    v.first = kDefaultFirstNumber;
    v.second = 0;
  }
  return v;
}

void StoreFireKey(const FireKeyValues& result, int button, ButtonRecord& record) {
  if (result.key == kNoKey) {
    record.ButtonFunc = FallbackFunction(button);
    return;
  }
  record.ButtonFunc = kFireKeyFunction;
  record.KeyEvents[0] = result.key;
  record.LoopNumber = static_cast<std::uint8_t>(result.first & 0xFF);
  const std::string digits = std::to_string(result.second);
  record.MacroName.fill(u'\0');
  std::copy(digits.begin(), digits.end(), record.MacroName.begin());
}

void CFireKey::SetNextRun(std::function<void(CFireKey&)> run) { NextRun() = std::move(run); }

CFireKey::CFireKey(QWidget* parent, const Skin& skin, KeyHook& hook, const QString& title,
                   const QString& prompt, int /*capture_mode*/)
    : KeyCaptureDialog(parent, skin, hook, title) {
  setObjectName(QStringLiteral("fireKeyDialog"));
  title_label_ =
      MakeDialogLabel(this, "titleLabel", title, RectLtrb(99, 32, 382, 78), SS_CENTER, 18, 700);
  prompt_label_ =
      MakeDialogLabel(this, "promptLabel", prompt, RectLtrb(45, 86, 433, 124), SS_LEFT, 15, 400);

  const QImage off = LoadSkinImage(skin_.ControlsPath("checkbox1-1.png"));
  const QImage on = LoadSkinImage(skin_.ControlsPath("checkbox1-2.png"));
  for (std::size_t m = 0; m < mode_buttons_.size(); ++m) {
    auto* b = new CBitmapBtn(this, kModeRects[m]);
    b->setObjectName(QStringLiteral("modeButton%1").arg(m));
    b->SetImages(off, off, on, off);
    b->SetSquareImage(true);
    b->SetCaption(skin_.UiText("FireKey", static_cast<int>(m) + 1), 20, kCaptionLeft);
    b->SetDrawCaption(true);
    b->SetTextColors(0xFFFFFF, 0xCCFF00, 0xCCFF00);
    // A click on a mode takes the focus out of a number box, as a click on
    // any button would, so that the next key is captured, not typed; Tab
    // reaches the modes too.
    b->setFocusPolicy(Qt::StrongFocus);
    connect(b, &CBitmapBtn::clicked, this, [this, m] { OnModeClicked(static_cast<int>(m)); });
    mode_buttons_[m] = b;
  }

  const QString first_label = skin_.UiText("FireKey", 7);
  const QString second_label = skin_.UiText("FireKey", 8);
  MakeDialogLabel(this, "firstNumberLabel", first_label, RectLtrb(229, 130, 367, 149), SS_RIGHT,
                  15, 700);
  MakeDialogLabel(this, "secondNumberLabel", second_label, RectLtrb(229, 171, 367, 190), SS_RIGHT,
                  15, 700);
  const auto make_box = [this](const char* name, const QRect& rect, int id, int top) {
    auto* box = new CClrEdit(this, rect, id);
    box->setObjectName(QLatin1String(name));
    box->setMaxLength(kNumberBoxUnits);
    // The first number is kept in one byte: the box takes no more, so
    // nothing typed is silently cut when it is stored.
    box->setValidator(new NumberBoxValidator(top, box));
    box->SetTextColor(0xFFFFFF);
    box->SetBackColor(kNumberBoxBack);
    return box;
  };
  first_box_ = make_box("firstNumberBox", RectLtrb(383, 130, 444, 149), kFireFirstNumberId, 255);
  second_box_ = make_box("secondNumberBox", RectLtrb(383, 171, 444, 190), kFireSecondNumberId, 999);
  first_box_->setAccessibleName(first_label);
  second_box_->setAccessibleName(second_label);

  FinishLayout(RectLtrb(60, 165, 159, 191), skin_.UiText("FireKey", 4));
}

int CFireKey::DoModal() { return RunModal(NextRun()); }

void CFireKey::showEvent(QShowEvent* event) {
  KeyCaptureDialog::showEvent(event);
  // The dialog opens with the chosen mode in focus rather than a number box,
  // or, for a keyboard key, with the capture field, so keys go to the
  // capture until the user clicks into a box.
  if (values_.fire_mode == kKeyboardMode) {
    FocusCapture();
  } else {
    mode_buttons_[static_cast<std::size_t>(values_.fire_mode)]->setFocus();
  }
}

void CFireKey::OnInit() {
  hook_enabled_ = true;
  if (values_.key != kNoKey) {
    // The mouse-button values have no key code and show nothing.
    const KeyCode code = UsageToKeyCode(values_.key).value_or(0);
    KeyDisplay()->SetCaption(QString::fromUtf8(KeyName(code, skin_.Strings())), 0,
                             kCaptionCentred);
  }
  SelectMode(values_.fire_mode);
  first_box_->setText(QString::number(values_.first));
  second_box_->setText(QString::number(values_.second));
  untouched_ = true;
}

QString CFireKey::KeyText() const { return KeyDisplay()->Caption(); }

void CFireKey::EnableHook(bool on) {
  hook_.EnableHook(on);
  hook_enabled_ = on;
}

void CFireKey::SelectMode(int mode) {
  if (mode < kLeftButtonMode || mode > kKeyboardMode) mode = kLeftButtonMode;
  for (CBitmapBtn* b : mode_buttons_) b->SetChecked(false);
  mode_buttons_[static_cast<std::size_t>(mode)]->SetChecked(true);
  values_.fire_mode = mode;
  EnableHook(mode == kKeyboardMode);
}

void CFireKey::OnModeClicked(int mode) {
  SelectMode(mode);
  if (mode != kKeyboardMode) {
    values_.key = kMouseButtonKeys[static_cast<std::size_t>(mode)];
  } else {
    FocusCapture();  // the next key is the one to fire
  }
}

std::int64_t CFireKey::OnWindowMessage(std::uint32_t message, std::int64_t wparam,
                                       std::int64_t lparam) {
  if (message == WM_HOOK_KEY) OnHookKey(static_cast<std::uint8_t>(wparam & 0xFF), lparam);
  if (message == WM_EDIT_FOCUS) OnFocusReport(wparam);
  return 0;
}

void CFireKey::OnHookKey(std::uint8_t code, std::int64_t flags) {
  NoteReport(code, (flags & kHookKeyReleased) != 0);
  if (!SharedRepeatFilter<CFireKey>().Accept(code, flags)) return;
  if (!CountsAsCaptured(code, (flags & kHookKeyReleased) != 0)) return;
  if (ReleaseWithoutPress(code, (flags & kHookKeyReleased) != 0)) return;
  if (untouched_) {
    key_count_ = 0;
    untouched_ = false;
  }
  values_.key = KeyCodeToUsage(code).value_or(0);
  KeyDisplay()->SetCaption(QString::fromUtf8(KeyName(code, skin_.Strings())), 0, kCaptionCentred);
  key_count_ = 1;
}

void CFireKey::OnFocusReport(std::int64_t what) {
  if (what == kEditFocusGained) ++focus_count_;
  if (what == kEditFocusLost) --focus_count_;
  // Digits typed into a number box are not the fire key.
  EnableHook(focus_count_ == 0 && values_.fire_mode == kKeyboardMode);
}

void CFireKey::OnOk() {
  values_.first = LeadingNumber(first_box_->text().toStdU16String());
  values_.second = LeadingNumber(second_box_->text().toStdU16String());
  if (values_.fire_mode != kKeyboardMode) {
    values_.key = kMouseButtonKeys[static_cast<std::size_t>(values_.fire_mode)];
  }
  done(IDOK);
}

void CFireKey::keyPressEvent(QKeyEvent* event) {
  if (IsEnterKey(event->key())) {
    OnOk();
    return;
  }
  KeyCaptureDialog::keyPressEvent(event);  // Escape cancels
}

bool CFireKey::eventFilter(QObject* watched, QEvent* event) {
  // Enter in a number box answers the dialog as the OK button does, so the
  // numbers just typed are kept.
  if (event->type() == QEvent::KeyPress && (watched == first_box_ || watched == second_box_) &&
      IsEnterKey(static_cast<QKeyEvent*>(event)->key())) {
    OnOk();
    return true;
  }
  return KeyCaptureDialog::eventFilter(watched, event);
}

}  // namespace vantix
