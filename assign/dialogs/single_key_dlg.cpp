#include "assign/dialogs/single_key_dlg.h"

#include <QKeyEvent>
#include <QPainter>

#include <utility>

#include "ui/small_dialog.h"
#include "ui/accessible.h"
#include "ui/bitmap_btn.h"
#include "ui/clr_edit.h"
#include "ui/keyboard_focus.h"
#include "ui/skin.h"
#include "ui/static_trans.h"
#include "ui/warning_dlg.h"

namespace vantix {
namespace {

// What the next DoModal answers in a test: nothing (run the window), a text
// (IDOK) or nullopt inside (IDCANCEL).
std::optional<std::optional<QString>>& NextAnswer() {
  static std::optional<std::optional<QString>> answer;
  return answer;
}

const QRect kEditFrame(82, 146, 301, 27);
// The edit sits inside its frame image.
const QRect kEditRect = RectLtrb(88, 150, 377, 169);
constexpr int kEditControlId = 1000;

}  // namespace

void CSingleKeyDlg::SetNextText(std::optional<QString> text) {
  if (text) {
    NextAnswer() = std::optional<QString>(std::move(text));
  } else {
    NextAnswer().reset();
  }
}

void CSingleKeyDlg::SetNextCancel() { NextAnswer() = std::optional<QString>(); }

CSingleKeyDlg::CSingleKeyDlg(QWidget* parent, const Skin& skin, const QString& first_text,
                             const QString& second_text)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
  setObjectName(QStringLiteral("textEntryDialog"));
  // Before any control exists: Qt keeps the first interface it makes.
  InstallSkinAccessibility();
  setWindowTitle(first_text);
  setFont(SkinFont(14, 500));
  face_ = LoadSkinImage(skin.BackgroundPath("dlg.png"));
  edit_frame_ = LoadSkinImage(skin.BackgroundPath("menuitem-d.png"));

  first_label_ = MakeDialogLabel(this, "firstLabel", first_text, RectLtrb(99, 32, 382, 78),
                                 SS_CENTER, 18, 700);
  second_label_ = MakeDialogLabel(this, "secondLabel", second_text, RectLtrb(82, 118, 383, 142),
                                  SS_LEFT, 15, 700);

  edit_ = new CClrEdit(this, kEditRect, kEditControlId);
  edit_->setObjectName(QStringLiteral("textEdit"));
  edit_->setMaxLength(kMaxTextUnits);
  edit_->SetTextColor(0xFFFFFF);
  edit_->SetBackColor(0x1E1E1E);
  edit_->setAccessibleName(second_text);

  const OkCancelButtons buttons = MakeOkCancel(this, skin);
  ok_button_ = buttons.ok;
  cancel_button_ = buttons.cancel;
  connect(ok_button_, &CBitmapBtn::clicked, this, [this] { accept(); });
  connect(cancel_button_, &CBitmapBtn::clicked, this, [this] { reject(); });

  // The face doubles as the outline: it is white outside the window's shape.
  PrepareSmallDialog(this, face_);
  SetReadingTabOrder(this);

  focus_timer_.setSingleShot(true);
  focus_timer_.setInterval(kFocusDelayMs);
  connect(&focus_timer_, &QTimer::timeout, this, [this] { edit_->setFocus(); });
}

CSingleKeyDlg::~CSingleKeyDlg() = default;

int CSingleKeyDlg::DoModal() {
  if (std::optional<std::optional<QString>> answer = std::exchange(NextAnswer(), std::nullopt)) {
    if (!*answer) return IDCANCEL;
    text_ = **answer;
    return IDOK;
  }
  return ExecOverParent(*this);
}

void CSingleKeyDlg::accept() {
  text_ = edit_->text();
  done(IDOK);
}

void CSingleKeyDlg::reject() { done(IDCANCEL); }

void CSingleKeyDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // The edit takes the focus once the window is up and active.
  if (!focus_timer_started_) {
    focus_timer_started_ = true;
    focus_timer_.start();
  }
}

void CSingleKeyDlg::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  if (!face_.isNull()) painter.drawImage(rect(), face_);
  if (!edit_frame_.isNull()) painter.drawImage(kEditFrame, edit_frame_);
}

void CSingleKeyDlg::keyPressEvent(QKeyEvent* event) {
  if (IsEnterKey(event->key())) {
    accept();
    return;
  }
  QDialog::keyPressEvent(event);  // Escape rejects
}

}  // namespace vantix
