#include "ui/warning_dlg.h"

#include <QBitmap>
#include <QKeyEvent>
#include <QPainter>

#include <array>

#include "ui/accessible.h"
#include "ui/bitmap_btn.h"
#include "ui/keyboard_focus.h"
#include "ui/skin.h"
#include "ui/small_dialog.h"
#include "ui/static_trans.h"
#include "ui/top_window.h"

namespace vantix {
namespace {

std::optional<int>& NextAnswer() {
  static std::optional<int> answer;
  return answer;
}

// Where the picture sits, left of the texts.
constexpr QRect kPictureBox(34, 104, 96, 90);

}  // namespace

void CWarningDlg::SetNextAnswer(std::optional<int> answer) { NextAnswer() = answer; }

CWarningDlg::CWarningDlg(QWidget* parent, const Skin& skin, const QString& title,
                         const QString& message, const QString& detail)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), skin_(skin) {
  setObjectName(QStringLiteral("warningDialog"));
  // Before any control exists: Qt keeps the first interface it makes.
  InstallSkinAccessibility();
  setWindowTitle(title);
  face_ = LoadSkinImage(skin.BackgroundPath("dlg.png"));
  icon_ = LoadSkinImage(skin.BackgroundPath("warn.png"));
  setFixedSize(kWidth, kHeight);
  // Under the face, and instead of it when the skin lacks it: black, the
  // toolkit's background, so that the white texts stay readable.
  QPalette back = palette();
  back.setColor(QPalette::Window, Qt::black);
  setPalette(back);
  setAutoFillBackground(true);
  // The face has cut corners (transparent pixels): the window takes its
  // shape, so no black wedge shows where the face leaves them open.
  if (!face_.isNull() && face_.hasAlphaChannel()) {
    setMask(QRegion(QBitmap::fromImage(face_.scaled(size()).createAlphaMask())));
  }

  const OkCancelButtons buttons = MakeOkCancel(this, skin);
  ok_button_ = buttons.ok;
  cancel_button_ = buttons.cancel;
  connect(ok_button_, &CBitmapBtn::clicked, this, [this] { done(IDOK); });
  connect(cancel_button_, &CBitmapBtn::clicked, this, [this] { done(IDCANCEL); });

  title_label_ = MakeDialogLabel(this, "titleLabel", title, RectLtrb(103, 32, 376, 78), SS_CENTER,
                                 18, 700);
  message_label_ = MakeDialogLabel(this, "messageLabel", message, RectLtrb(90, 88, 405, 141),
                                   SS_CENTER, 16, 400);
  detail_label_ = MakeDialogLabel(this, "detailLabel", detail, RectLtrb(127, 157, 405, 187),
                                  SS_CENTER, 15, 400);

  SetReadingTabOrder(this);
  // Enter answers OK whatever else holds the focus inside the dialog; a
  // focused button takes Space and Enter itself.
  for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
}

void CWarningDlg::SetAnswers(const QString& ok, const QString& no, const QString& cancel) {
  // Three buttons of the dialog's width, centred with the gaps of two.
  constexpr int kTop = 219;
  constexpr int kGap = 6;
  const int width = ok_button_->width();
  const int left = (kWidth - 3 * width - 2 * kGap) / 2;
  if (no_button_ == nullptr) {
    no_button_ = MakeDialogButton(this, skin_, "noButton", QRect(), no);
    connect(no_button_, &CBitmapBtn::clicked, this, [this] { done(IDNO); });
    no_button_->installEventFilter(this);
  }
  const std::array<CBitmapBtn*, 3> row = {ok_button_, no_button_, cancel_button_};
  const std::array<QString, 3> captions = {ok, no, cancel};
  for (std::size_t i = 0; i < row.size(); ++i) {
    row[i]->setGeometry(left + static_cast<int>(i) * (width + kGap), kTop, width,
                        ok_button_->height());
    row[i]->SetTextRect(QRect(QPoint(0, 0), row[i]->size()));
    row[i]->SetCaption(captions[i], 0, kCaptionCentred);
  }
  SetReadingTabOrder(this);
}

int CWarningDlg::DoModal() {
  if (std::optional<int> answer = std::exchange(NextAnswer(), std::nullopt)) return *answer;
  return ExecOverParent(*this);
}

void CWarningDlg::SetPicture(const QImage& picture) {
  if (picture.isNull()) {
    icon_ = QImage();
  } else {
    icon_ = QImage(kPictureBox.size(), QImage::Format_ARGB32_Premultiplied);
    icon_.fill(Qt::transparent);
    const QImage fitted = picture.scaled(kPictureBox.size(), Qt::KeepAspectRatio,
                                         Qt::SmoothTransformation);
    QPainter(&icon_).drawImage((icon_.width() - fitted.width()) / 2,
                               (icon_.height() - fitted.height()) / 2, fitted);
  }
  update();
}

void CWarningDlg::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  if (!face_.isNull()) painter.drawImage(rect(), face_);
  if (!icon_.isNull()) painter.drawImage(kPictureBox, icon_);
}

void CWarningDlg::keyPressEvent(QKeyEvent* event) {
  if (IsEnterKey(event->key())) {
    done(IDOK);
    return;
  }
  QDialog::keyPressEvent(event);  // Escape rejects
}

bool CWarningDlg::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (IsEnterKey(key->key()) && !KeyBelongsToFocusedControl(watched, key->key())) {
      done(IDOK);
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace vantix
