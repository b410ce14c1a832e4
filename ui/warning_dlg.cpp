#include "ui/warning_dlg.h"

#include <QKeyEvent>
#include <QPainter>

#include "ui/bitmap_btn.h"
#include "ui/skin.h"
#include "ui/static_trans.h"

namespace vantix {
namespace {

std::optional<int>& NextAnswer() {
  static std::optional<int> answer;
  return answer;
}

CStaticTrans* MakeLabel(QWidget* parent, const char* name, const QString& text, const QRect& rect,
                        int height, int weight) {
  auto* label = new CStaticTrans(parent, text, kLabelStyle | SS_CENTER, rect);
  label->setObjectName(QLatin1String(name));
  label->SetFontHeight(height);
  label->SetFontWeight(weight);
  return label;
}

}  // namespace

void CWarningDlg::SetNextAnswer(std::optional<int> answer) { NextAnswer() = answer; }

CWarningDlg::CWarningDlg(QWidget* parent, const Skin& skin, const QString& title,
                         const QString& message, const QString& detail)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
  setObjectName(QStringLiteral("warningDialog"));
  face_ = LoadSkinImage(skin.BackgroundPath("dlg.png"));
  icon_ = LoadSkinImage(skin.BackgroundPath("warn.png"));
  setFixedSize(kWidth, kHeight);
  // Under the face, and instead of it when the skin lacks it: black, the
  // toolkit's background, so that the white texts stay readable.
  QPalette back = palette();
  back.setColor(QPalette::Window, Qt::black);
  setPalette(back);
  setAutoFillBackground(true);

  const QImage normal = LoadSkinImage(skin.ButtonsPath("ok-1.png"));
  const QImage over = LoadSkinImage(skin.ButtonsPath("ok-3.png"));
  const QImage pressed = LoadSkinImage(skin.ButtonsPath("ok-2.png"));
  auto make_button = [&](const char* name, const QRect& rect, int text) {
    auto* button = new CBitmapBtn(this, rect);
    button->setObjectName(QLatin1String(name));
    button->SetImages(normal, over, pressed, normal);
    button->SetCaption(skin.UiText("General", text), 0, kCaptionCentred);
    button->SetDrawCaption(true);
    button->SetUseTextRect(true);
    button->SetTextRect(QRect(0, 0, rect.width(), rect.height()));
    button->SetTextColors(0xFFFFFF, 0xFFFFFF, 0xFFFFFF);
    button->SetFontWeight(700);
    return button;
  };
  ok_button_ = make_button("okButton", RectLtrb(135, 219, 228, 245), 46);
  cancel_button_ = make_button("cancelButton", RectLtrb(234, 219, 327, 245), 47);
  connect(ok_button_, &CBitmapBtn::clicked, this, [this] { done(IDOK); });
  connect(cancel_button_, &CBitmapBtn::clicked, this, [this] { done(IDCANCEL); });

  title_label_ = MakeLabel(this, "titleLabel", title, RectLtrb(103, 32, 376, 78), 18, 700);
  message_label_ = MakeLabel(this, "messageLabel", message, RectLtrb(90, 88, 405, 141), 16, 400);
  detail_label_ = MakeLabel(this, "detailLabel", detail, RectLtrb(127, 157, 405, 187), 15, 400);

  // Enter answers OK whatever holds the focus inside the dialog.
  for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
}

int CWarningDlg::DoModal() {
  if (std::optional<int> answer = std::exchange(NextAnswer(), std::nullopt)) return *answer;
  return exec();
}

void CWarningDlg::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  if (!face_.isNull()) painter.drawImage(rect(), face_);
  if (!icon_.isNull()) painter.drawImage(QRectF(34, 104, 96, 90), icon_);
}

void CWarningDlg::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    done(IDOK);
    return;
  }
  QDialog::keyPressEvent(event);  // Escape rejects
}

bool CWarningDlg::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      done(IDOK);
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace vantix
