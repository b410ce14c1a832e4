#include "ui/static_trans.h"

#include <QMouseEvent>

#include "ui/skin.h"

namespace vantix {

CStaticTrans::CStaticTrans(QWidget* parent, const QString& text, std::uint32_t style,
                           const QRect& rect)
    : QLabel(parent), style_(style) {
  // Skin strings are shown as written, never as markup.
  setTextFormat(Qt::PlainText);
  setText(text);
  setGeometry(rect);
  Apply();
  show();
}

void CStaticTrans::ModifyStyle(std::uint32_t remove, std::uint32_t add) {
  style_ = (style_ & ~remove) | add;
  Apply();
}

void CStaticTrans::SetTextColor(std::uint32_t color) {
  text_color_ = color;
  Apply();
}

void CStaticTrans::SetBackColor(std::optional<std::uint32_t> color) {
  back_color_ = color;
  Apply();
}

void CStaticTrans::SetFontHeight(int height) {
  font_height_ = height;
  Apply();
}

void CStaticTrans::SetFontWeight(int weight) {
  font_weight_ = weight;
  Apply();
}

void CStaticTrans::SetItalic(bool italic) {
  italic_ = italic;
  Apply();
}

void CStaticTrans::Apply() {
  // The type is a number in the low bits, not a set of flags: SS_SIMPLE
  // (0xB) with SS_RIGHT added is still SS_SIMPLE.
  const std::uint32_t type = style_ & SS_TYPEMASK;
  Qt::Alignment horizontal = Qt::AlignLeft;
  if (type == SS_CENTER) horizontal = Qt::AlignHCenter;
  if (type == SS_RIGHT) horizontal = Qt::AlignRight;
  const Qt::Alignment vertical = (style_ & SS_CENTERIMAGE) ? Qt::AlignVCenter : Qt::AlignTop;
  setAlignment(horizontal | vertical);
  setWordWrap(type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT);

  QPalette p = palette();
  p.setColor(QPalette::WindowText, FromColorRef(text_color_));
  if (back_color_) {
    p.setColor(QPalette::Window, FromColorRef(*back_color_));
    setPalette(p);
    setAutoFillBackground(true);
    // A solid label keeps the window's font.
    setFont(QFont());
  } else {
    setPalette(p);
    setAutoFillBackground(false);
    setFont(SkinFont(font_height_, font_weight_, italic_));
  }
  update();
}

void CStaticTrans::RefreshBehind() {
  if (parentWidget() != nullptr) parentWidget()->update(geometry());
}

void CStaticTrans::mousePressEvent(QMouseEvent* event) {
  if ((style_ & SS_NOTIFY) && event->button() == Qt::LeftButton) {
    event->accept();
    emit clicked();
    return;
  }
  QLabel::mousePressEvent(event);
}

}  // namespace vantix
