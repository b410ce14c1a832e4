#include "ui/bitmap_btn.h"

#include <QApplication>

#include <algorithm>
#include <cstdlib>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include "ui/keyboard_focus.h"
#include "ui/skin.h"
#include "ui/text_fit.h"
#include "ui/window_message.h"

namespace vantix {

FaceChoice ChooseFace(const ButtonState& s) {
  if (s.check_mode) {
    if (!s.checked) {
      return {s.disabled ? ButtonFace::kDisabled : ButtonFace::kNormal, CaptionColor::kNormal};
    }
    if (!s.disabled) return {ButtonFace::kPressed, CaptionColor::kHover};
    return {s.keep_checked_face_when_disabled ? ButtonFace::kPressed : ButtonFace::kDisabled,
            CaptionColor::kNormal};
  }
  // Push mode: a latched (checked) button wins over everything else.
  if (s.checked) return {ButtonFace::kPressed, CaptionColor::kNormal};
  if (s.held) return {ButtonFace::kPressed, CaptionColor::kPressed};
  if (s.hovering) return {ButtonFace::kHover, CaptionColor::kHover};
  if (s.disabled) return {ButtonFace::kDisabled, CaptionColor::kNormal};
  return {ButtonFace::kNormal, CaptionColor::kNormal};
}

QPoint CaptionOrigin(int orientation, const QRect& client, QSize extent) {
  // Halves truncate toward zero, each on its own.
  const int w = client.width();
  const int h = client.height();
  const int cx = extent.width();
  const int cy = extent.height();
  switch (orientation) {
    case kCaptionRotated90:
      return {w / 2 - cy / 2, h / 2 + cx / 2};
    case kCaptionRotated270:
      return {w / 2 + cy / 2, h / 2 - cx / 2};
    case kCaptionLeft:
      return {client.left(), h / 2 - cy / 2};
    default:
      return {w / 2 - cx / 2, h / 2 - cy / 2};
  }
}

CBitmapBtn::CBitmapBtn(QWidget* parent, const QRect& rect) : QWidget(parent) {
  // Tab reaches a button; a click does not move the focus to it.
  SetTakesActivationKeys(this, true);
  setMouseTracking(true);
  setGeometry(rect);
  show();
}

void CBitmapBtn::SetImages(const QImage& normal, const QImage& hover, const QImage& pressed,
                           const QImage& disabled) {
  normal_image_ = normal;
  hover_image_ = hover;
  pressed_image_ = pressed;
  disabled_image_ = disabled;
}

void CBitmapBtn::SetCaption(const QString& text, int text_offset_x, int orientation) {
  caption_ = text;
  text_offset_x_ = text_offset_x;
  orientation_ = orientation;
  update();
}

void CBitmapBtn::SetChecked(bool checked) {
  if (checked == checked_) return;
  checked_ = checked;
  update();
}

void CBitmapBtn::SetTextOffsetX(int offset) { text_offset_x_ = offset; update(); }
void CBitmapBtn::SetFontHeight(int height) { font_height_ = height; update(); }
void CBitmapBtn::SetFontWeight(int weight) { font_weight_ = weight; update(); }
void CBitmapBtn::SetTextColors(std::uint32_t normal, std::uint32_t hover, std::uint32_t pressed) {
  normal_text_color_ = normal;
  hover_text_color_ = hover;
  pressed_text_color_ = pressed;
  update();
}
void CBitmapBtn::SetBackColor(std::uint32_t color) { back_color_ = color; update(); }
void CBitmapBtn::SetFillBackground(bool fill) { fill_background_ = fill; update(); }
void CBitmapBtn::SetDrawCaption(bool draw) { draw_caption_ = draw; update(); }
void CBitmapBtn::SetUseTextRect(bool use) { use_text_rect_ = use; update(); }
void CBitmapBtn::SetTextRect(const QRect& rect) { text_rect_ = rect; update(); }
void CBitmapBtn::SetSquareImage(bool square) { square_image_ = square; update(); }
void CBitmapBtn::SetCheckMode(bool check_mode) { check_mode_ = check_mode; update(); }
void CBitmapBtn::SetElideMode(Qt::TextElideMode mode) { elide_mode_ = mode; update(); }
void CBitmapBtn::SetFocusRingInset(int pixels) { focus_ring_inset_ = pixels; update(); }
void CBitmapBtn::SetDimWhenDisabled(bool dim) { dim_when_disabled_ = dim; update(); }
void CBitmapBtn::SetKeepCheckedFaceWhenDisabled(bool keep) {
  keep_checked_face_when_disabled_ = keep;
  update();
}

const QImage& CBitmapBtn::FaceImage(ButtonFace face) const {
  switch (face) {
    case ButtonFace::kHover: return hover_image_;
    case ButtonFace::kPressed: return pressed_image_;
    case ButtonFace::kDisabled: return disabled_image_;
    case ButtonFace::kNormal: break;
  }
  return normal_image_;
}

std::uint32_t CBitmapBtn::CaptionColorRef(CaptionColor color) const {
  switch (color) {
    case CaptionColor::kHover: return hover_text_color_;
    case CaptionColor::kPressed: return pressed_text_color_;
    case CaptionColor::kNormal: break;
  }
  return normal_text_color_;
}

void CBitmapBtn::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  const QRect client = rect();
  const QRect image_rect = square_image_ ? QRect(0, 0, client.height(), client.height()) : client;
  if (fill_background_) painter.fillRect(client, FromColorRef(back_color_));

  ButtonState state;
  state.check_mode = check_mode_;
  state.checked = checked_;
  state.held = Held();
  state.hovering = hovering_ || highlighted_;
  state.disabled = !isEnabled();
  state.keep_checked_face_when_disabled = keep_checked_face_when_disabled_;
  const FaceChoice choice = ChooseFace(state);
  if (state.disabled && dim_when_disabled_) painter.setOpacity(kDisabledOpacity);

  const QImage& image = FaceImage(choice.face);
  if (!image.isNull()) painter.drawImage(image_rect, image);
  if (!caption_.isEmpty()) DrawCaptionText(painter, CaptionColorRef(choice.color));
  // A check box with its caption beside it: the ring takes in both, as
  // its box alone is too small to show one clearly.
  const bool caption_beside = square_image_ && draw_caption_ && !caption_.isEmpty();
  const QRect ring = caption_beside ? client : image_rect;
  const int inset = focus_ring_inset_;
  if (hasFocus()) DrawFocusRing(painter, ring.adjusted(inset, inset, -inset, -inset));
}

namespace {
// Room left free at each end of a caption on a face with edges, so a long
// text does not run into them; small faces (badges) keep all their width.
int CaptionPadding(int width) { return std::min(4, width / 16); }
}  // namespace

CaptionFit CBitmapBtn::FitCaption() const {
  CaptionFit fit;
  if (!draw_caption_ || caption_.isEmpty()) return fit;
  const QFont font = SkinFont(font_height_, font_weight_);
  if (use_text_rect_) {
    const int pad = CaptionPadding(text_rect_.width());
    fit.text = FitLine(font, caption_, text_rect_.width() - 2 * pad, elide_mode_);
    // Centred both ways in the text rectangle.
    const QRectF b = fit.text.bounds;
    const QPointF at(text_rect_.left() + (text_rect_.width() - b.width()) / 2,
                     text_rect_.top() + (text_rect_.height() - b.height()) / 2);
    fit.text.bounds = QRectF(at, b.size());
    fit.text.ink.translate(at);
    return fit;
  }
  const bool rotated = orientation_ == kCaptionRotated90 || orientation_ == kCaptionRotated270;
  int room = rotated ? height() : width();
  if (!rotated) {
    // A left caption starts at its offset; a centred one is shifted by it,
    // so it must stay clear of both edges.
    const int pad = CaptionPadding(room);
    room -= orientation_ == kCaptionLeft ? std::max(0, text_offset_x_) + pad
                                         : 2 * (std::abs(text_offset_x_) + pad);
  }
  fit.text = FitLine(font, caption_, room, elide_mode_);
  const QFontMetrics metrics(fit.text.font);
  const QSize extent(metrics.horizontalAdvance(fit.text.text), metrics.height());
  fit.origin = CaptionOrigin(orientation_, rect(), extent) + QPoint(text_offset_x_, 0);
  fit.ascent = metrics.ascent();
  if (rotated) {
    const QPoint o = fit.origin;
    fit.text.ink = QRectF();  // not measured turned
    fit.text.bounds = orientation_ == kCaptionRotated90
                          ? QRectF(o.x(), o.y() - extent.width(), extent.height(), extent.width())
                          : QRectF(o.x() - extent.height(), o.y(), extent.height(), extent.width());
  } else {
    fit.text.bounds = QRectF(fit.origin, QSizeF(extent));
    fit.text.ink.translate(fit.origin);
  }
  return fit;
}

void CBitmapBtn::DrawCaptionText(QPainter& painter, std::uint32_t color) {
  if (!draw_caption_) return;
  const CaptionFit fit = FitCaption();
  painter.setFont(fit.text.font);
  painter.setPen(FromColorRef(color));
  if (use_text_rect_) {
    painter.drawText(text_rect_, Qt::AlignCenter | Qt::TextSingleLine | Qt::TextDontClip,
                     fit.text.text);
    return;
  }
  painter.save();
  painter.translate(fit.origin);
  if (orientation_ == kCaptionRotated90) painter.rotate(-90);
  if (orientation_ == kCaptionRotated270) painter.rotate(90);
  painter.drawText(0, fit.ascent, fit.text.text);
  painter.restore();
}

QString CBitmapBtn::CutCaption() const {
  const CaptionFit fit = FitCaption();
  return fit.text.cut ? caption_ : QString();
}

bool CBitmapBtn::event(QEvent* event) {
  if (event->type() != QEvent::ToolTip) return QWidget::event(event);
  // A tooltip of its own says more than the face; else a long key
  // combination or macro name cut on the face shows whole.
  const QString whole = toolTip().isEmpty() ? CutCaption() : toolTip();
  if (whole.isEmpty()) {
    QToolTip::hideText();
    event->ignore();
  } else {
    QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), whole, this);
  }
  return true;
}

void CBitmapBtn::mousePressEvent(QMouseEvent* event) {
  event->accept();
  if (event->button() != Qt::LeftButton) return;
  held_ = true;
  press_inside_ = true;
  update();
}

void CBitmapBtn::mouseMoveEvent(QMouseEvent* event) {
  event->accept();
  const bool inside = rect().contains(event->position().toPoint());
  if (held_ && inside != press_inside_) {
    press_inside_ = inside;
    update();
  }
  // Entering with the left button already down is not hovering; the pointer
  // must first be released over the button and move again.
  if ((event->buttons() & Qt::LeftButton) && !hovering_) return;
  if (!hovering_) {
    if (inside && QApplication::activeWindow() != nullptr && parentWidget() != nullptr) {
      hovering_ = true;
      update();
    }
  } else if (!inside) {
    hovering_ = false;
    update();
  }
  PostWindowMessage(parentWidget(), WM_BUTTON_HOVER, HandleOf(this), 0);
}

void CBitmapBtn::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  if (event->button() != Qt::LeftButton) return;
  const bool click = held_ && rect().contains(event->position().toPoint());
  held_ = false;
  press_inside_ = false;
  update();
  if (check_mode_) {
    // A check box toggles on every release it receives, also one that ends a
    // press dragged off the button.
    checked_ = !checked_;
    emit clicked();
    return;
  }
  if (click) emit clicked();
}

void CBitmapBtn::Activate() {
  // What a click does: a check box toggles first, then the owner hears.
  if (check_mode_) checked_ = !checked_;
  update();
  emit clicked();
}

void CBitmapBtn::SetHighlighted(bool highlighted) {
  if (highlighted_ == highlighted) return;
  highlighted_ = highlighted;
  update();
}

void CBitmapBtn::keyPressEvent(QKeyEvent* event) {
  // A face that only shows something (a captured key) passes them on.
  if (IsActivationKey(event->key()) && TakesActivationKeys(this)) {
    event->accept();
    if (!event->isAutoRepeat()) Activate();
    return;
  }
  if (MoveFocusInArrowGroup(this, event->key())) {
    event->accept();
    return;
  }
  QWidget::keyPressEvent(event);
}

void CBitmapBtn::leaveEvent(QEvent* event) {
  // The pointer's last move, now over another window: the parent hears of it
  // like of any other move while hovering.
  if (hovering_) {
    hovering_ = false;
    update();
    PostWindowMessage(parentWidget(), WM_BUTTON_HOVER, HandleOf(this), 0);
  }
  QWidget::leaveEvent(event);
}

void CBitmapBtn::StopHovering() {
  if (!hovering_) return;
  hovering_ = false;
  update();
}

void CBitmapBtn::hideEvent(QHideEvent* event) {
  StopHovering();
  held_ = false;
  QWidget::hideEvent(event);
}

void CBitmapBtn::changeEvent(QEvent* event) {
  // A disabled or deactivated button gets no more pointer moves, so it would
  // never learn that the pointer left: it stops hovering now.
  if (event->type() == QEvent::ActivationChange && !isActiveWindow()) StopHovering();
  if (event->type() == QEvent::EnabledChange && !isEnabled()) {
    StopHovering();
    held_ = false;
  }
  QWidget::changeEvent(event);
}

}  // namespace vantix
