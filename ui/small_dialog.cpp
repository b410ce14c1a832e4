#include "ui/small_dialog.h"

#include <QPalette>
#include <QWidget>

#include "ui/bitmap_btn.h"
#include "ui/skin.h"
#include "ui/static_trans.h"

namespace vantix {

CBitmapBtn* MakeDialogButton(QWidget* dialog, const Skin& skin, const char* name, const QRect& rect,
                             const QString& caption) {
  const QImage normal = LoadSkinImage(skin.ButtonsPath("ok-1.png"));
  auto* button = new CBitmapBtn(dialog, rect);
  button->setObjectName(QLatin1String(name));
  button->SetImages(normal, LoadSkinImage(skin.ButtonsPath("ok-3.png")),
                    LoadSkinImage(skin.ButtonsPath("ok-2.png")), normal);
  button->SetCaption(caption, 0, kCaptionCentred);
  button->SetDrawCaption(true);
  button->SetUseTextRect(true);
  button->SetTextRect(QRect(0, 0, rect.width(), rect.height()));
  button->SetTextColors(0xFFFFFF, 0xFFFFFF, 0xFFFFFF);
  button->SetFontWeight(700);
  return button;
}

OkCancelButtons MakeOkCancel(QWidget* dialog, const Skin& skin) {
  return {MakeDialogButton(dialog, skin, "okButton", RectLtrb(135, 219, 228, 245),
                           skin.UiText("General", 46)),
          MakeDialogButton(dialog, skin, "cancelButton", RectLtrb(234, 219, 327, 245),
                           skin.UiText("General", 47))};
}

CBitmapBtn* MakeKeyDisplay(QWidget* dialog, const Skin& skin, const QRect& rect) {
  const QImage face = LoadSkinImage(skin.BackgroundPath("menuitem-d-b.png"));
  auto* display = new CBitmapBtn(dialog, rect);
  display->setObjectName(QStringLiteral("keyDisplay"));
  display->SetImages(face, face, face, face);
  display->SetDrawCaption(true);
  display->SetUseTextRect(true);
  constexpr int kEndMarks = 4;  // with the caption's own margin, clear of the face's end marks
  display->SetTextRect(QRect(kEndMarks, 0, rect.width() - 2 * kEndMarks, rect.height()));
  display->SetElideMode(Qt::ElideMiddle);
  display->SetFontWeight(700);
  display->SetTextColors(0xFFFFFF, 0xFFFFFF, 0xFFFFFF);
  // Inside the face's accent frame, where the ring shows.
  display->SetFocusRingInset(3);
  return display;
}

CStaticTrans* MakeDialogLabel(QWidget* dialog, const char* name, const QString& text,
                              const QRect& rect, std::uint32_t style, int height, int weight) {
  auto* label = new CStaticTrans(dialog, text, kLabelStyle | style, rect);
  label->setObjectName(QLatin1String(name));
  label->SetFontHeight(height);
  label->SetFontWeight(weight);
  return label;
}

void PrepareSmallDialog(QWidget* dialog, const QImage& outline) {
  dialog->setFixedSize(kSmallDialogWidth, kSmallDialogHeight);
  QPalette back = dialog->palette();
  back.setColor(QPalette::Window, Qt::black);
  dialog->setPalette(back);
  dialog->setAutoFillBackground(true);
  ApplyWindowOutline(dialog, outline);
}

bool IsEnterKey(int qt_key) { return qt_key == Qt::Key_Return || qt_key == Qt::Key_Enter; }

}  // namespace vantix
