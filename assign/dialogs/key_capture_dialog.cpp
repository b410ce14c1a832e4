#include "assign/dialogs/key_capture_dialog.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QPainter>

#include "hook/hook_link.h"
#include "ui/accessible.h"
#include "ui/bitmap_btn.h"
#include "ui/keyboard_focus.h"
#include "ui/top_window.h"

namespace vantix {
namespace {

// The key codes of the keys Qt may use for the dialog's controls.
constexpr std::uint8_t kTabCode = 15;
constexpr std::uint8_t kSpaceCode = 57;
constexpr std::uint8_t kEnterCode = 28;
constexpr std::uint8_t kNumEnterCode = 229;

std::uint8_t CodeOfQtKey(int qt_key) {
  switch (qt_key) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      return kTabCode;
    case Qt::Key_Space:
      return kSpaceCode;
    case Qt::Key_Return:
      return kEnterCode;
    case Qt::Key_Enter:
      return kNumEnterCode;
    default:
      return 0;
  }
}

bool MovesFocus(const QKeyEvent& key) {
  if (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
  return key.key() == Qt::Key_Tab || key.key() == Qt::Key_Backtab;
}

bool MovesFocusBack(const QKeyEvent& key) {
  return MovesFocus(key) &&
         (key.key() == Qt::Key_Backtab || (key.modifiers() & Qt::ShiftModifier));
}

}  // namespace

KeyCaptureDialog::KeyCaptureDialog(QWidget* parent, const Skin& skin, KeyHook& hook,
                                   const QString& title)
    : MessageWindow<QDialog>(parent, Qt::Dialog | Qt::FramelessWindowHint),
      skin_(skin),
      hook_(hook) {
  // Before any control exists: Qt keeps the first interface it makes.
  InstallSkinAccessibility();
  setWindowTitle(title);
  setFont(SkinFont(14, 400));
  LoadPictureFile(skin_.BackgroundPath("cfgMainback2.bmp"), outline_);
  face_ = LoadSkinImage(skin_.BackgroundPath("dlg.png"));
}

KeyCaptureDialog::~KeyCaptureDialog() {
  if (initialised_) {
    hook_.EnableHook(false);
    hook_.RemoveHook();
  }
}

void KeyCaptureDialog::FinishLayout(const QRect& display_rect, const QString& prompt) {
  key_display_ = MakeKeyDisplay(this, skin_, display_rect);
  // A field, not a button: Space and Enter typed there are keys to capture.
  SetTakesActivationKeys(key_display_, false);
  key_display_->setFocusPolicy(Qt::TabFocus);
  key_display_->setAccessibleName(prompt);

  const OkCancelButtons buttons = MakeOkCancel(this, skin_);
  ok_button_ = buttons.ok;
  cancel_button_ = buttons.cancel;
  connect(ok_button_, &CBitmapBtn::clicked, this, [this] { OnOk(); });
  connect(cancel_button_, &CBitmapBtn::clicked, this, [this] { done(IDCANCEL); });

  PrepareSmallDialog(this, outline_);
  SetReadingTabOrder(this);
  for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
}

void KeyCaptureDialog::InitDialog() {
  if (initialised_) return;
  initialised_ = true;
  hook_.InstallHook(NativeWindowId(this));
  hook_.EnableHook(true);
  OnInit();
  // Better said than an empty field that stays empty.
  if (!hook_.CanCapture()) key_display_->SetCaption(skin_.UiText("SINGLEKEY", 8), 0, kCaptionCentred);
}

void KeyCaptureDialog::showEvent(QShowEvent* event) {
  InitDialog();
  MessageWindow<QDialog>::showEvent(event);
}

void KeyCaptureDialog::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  if (!face_.isNull()) painter.drawImage(rect(), face_);
}

void KeyCaptureDialog::FocusCapture() { key_display_->setFocus(Qt::OtherFocusReason); }

bool KeyCaptureDialog::CaptureHasFocus() const {
  const QWidget* focused = focusWidget();
  return focused == nullptr || focused == this || focused == key_display_;
}

void KeyCaptureDialog::NoteReport(std::uint8_t code, bool released) {
  if (!released) reported_down_.insert(code);
}

bool KeyCaptureDialog::ReleaseWithoutPress(std::uint8_t code, bool released) {
  return released && reported_down_.erase(code) == 0;
}

bool KeyCaptureDialog::CountsAsCaptured(std::uint8_t code, bool released) {
  if (uncounted_.count(code) != 0) {
    if (released) uncounted_.erase(code);
    return false;
  }
  if (CaptureHasFocus()) {
    if (!released) typed_since_focus_ = true;
    return true;
  }
  if (!released) uncounted_.insert(code);
  return false;
}

bool KeyCaptureDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == key_display_ && event->type() == QEvent::FocusIn) {
    // Walked into with Tab, the field lets the next Tab walk on.
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    typed_since_focus_ = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason;
  }
  if (event->type() != QEvent::KeyPress) return MessageWindow<QDialog>::eventFilter(watched, event);
  const auto& key = static_cast<const QKeyEvent&>(*event);
  if (watched == key_display_) {
    // Shift+Tab in the field is a combination to capture. Plain Tab is a key
    // to capture too (a mouse button may well type it) when it is the first
    // key typed in the field since it opened or was clicked; otherwise it
    // leaves the field, so a keyboard user reaches OK with at most two Tabs.
    const bool first_key = !typed_since_focus_;
    typed_since_focus_ = true;
    if (MovesFocusBack(key) || (first_key && MovesFocus(key))) return true;
  }
  // The report of a key Qt uses for the controls arrives after Qt saw it.
  if (MovesFocus(key) || KeyBelongsToFocusedControl(watched, key.key())) {
    if (const std::uint8_t code = CodeOfQtKey(key.key())) uncounted_.insert(code);
  }
  return MessageWindow<QDialog>::eventFilter(watched, event);
}

}  // namespace vantix
