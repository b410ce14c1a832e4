#include "ui/static_trans.h"

#include <QAccessible>
#include <QFontMetricsF>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>

#include "ui/keyboard_focus.h"
#include "ui/skin.h"

namespace vantix {

CStaticTrans::CStaticTrans(QWidget* parent, const QString& text, std::uint32_t style,
                           const QRect& rect)
    : QWidget(parent), text_(text), style_(style) {
  setGeometry(rect);
  Apply();
  show();
}

void CStaticTrans::setText(const QString& text) {
  if (text == text_) return;
  text_ = text;
  update();
  QAccessibleEvent changed(this, QAccessible::NameChanged);
  QAccessible::updateAccessibility(&changed);
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
  alignment_ = horizontal | vertical;
  word_wrap_ = type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT;
  // A clickable label is a tab: the keyboard reaches it too.
  SetTakesActivationKeys(this, (style_ & SS_NOTIFY) != 0);

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

FittedText CStaticTrans::FitLabelText() const {
  const QRect room = contentsRect();
  const Qt::Alignment align = alignment();
  if (wordWrap()) {
    FittedText fit = FitBlock(font(), text(), room, static_cast<int>(align) | Qt::TextWordWrap);
    fit.bounds.translate(room.topLeft());
    fit.ink.translate(room.topLeft());
    return fit;
  }
  FittedText fit = FitLine(font(), text(), room.width());
  double x = room.left();
  if (align & Qt::AlignHCenter) x += (room.width() - fit.bounds.width()) / 2;
  if (align & Qt::AlignRight) x += room.width() - fit.bounds.width();
  const QFontMetricsF metrics(fit.font);
  double top = room.top();
  if (align & Qt::AlignVCenter) {
    top += (room.height() - metrics.height()) / 2;
  } else {
    // A shrunk line keeps the baseline of its full size, so it stays level
    // with its neighbours.
    top += QFontMetricsF(font()).ascent() - metrics.ascent();
    // Han, kana and Hangul fill the em and reach higher than Latin capitals:
    // lowered into free room below rather than cut at the top.
    const double over = room.top() - (top + fit.ink.top());
    const double under = room.bottom() + 1 - (top + fit.ink.bottom());
    if (over > 0 && under > 0) top += std::min(over, under);
  }
  fit.ink.translate(x, top);
  fit.bounds = QRectF(x, top, fit.bounds.width(), metrics.height());
  return fit;
}

void CStaticTrans::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (hasFocus()) DrawFocusRing(painter, rect());
  if (text().isEmpty()) return;
  const FittedText fit = FitLabelText();
  painter.setFont(fit.font);
  painter.setPen(palette().color(QPalette::WindowText));
  if (wordWrap() && !fit.cut) {
    painter.drawText(fit.bounds, static_cast<int>(alignment()) | Qt::TextWordWrap, fit.text);
    return;
  }
  painter.drawText(QPointF(fit.bounds.left(), fit.bounds.top() + QFontMetricsF(fit.font).ascent()),
                   fit.text);
}

bool CStaticTrans::event(QEvent* event) {
  if (event->type() != QEvent::ToolTip) return QWidget::event(event);
  // A text cut on the skin shows whole in the tooltip.
  const FittedText fit = FitLabelText();
  if (!fit.cut) {
    QToolTip::hideText();
    event->ignore();
  } else {
    QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), text(), this);
  }
  return true;
}

void CStaticTrans::RefreshBehind() {
  if (parentWidget() != nullptr) parentWidget()->update(geometry());
}

void CStaticTrans::keyPressEvent(QKeyEvent* event) {
  if ((style_ & SS_NOTIFY) && IsActivationKey(event->key())) {
    event->accept();
    if (!event->isAutoRepeat()) emit clicked();
    return;
  }
  if (MoveFocusInArrowGroup(this, event->key())) {
    event->accept();
    return;
  }
  QWidget::keyPressEvent(event);
}

void CStaticTrans::mousePressEvent(QMouseEvent* event) {
  if ((style_ & SS_NOTIFY) && event->button() == Qt::LeftButton) {
    event->accept();
    emit clicked();
    return;
  }
  QWidget::mousePressEvent(event);
}

}  // namespace vantix
