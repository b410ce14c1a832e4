#include "ui/png_slider.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QPainter>

#include "ui/skin.h"
#include "ui/slider_math.h"

namespace vantix {

namespace {
constexpr std::uint32_t kVerticalTrackFill = 0x323232;
}

ThumbFaces ThumbFaces::Load(const QString& path, const QString& disabled_path) {
  return {LoadSkinImage(path), disabled_path.isEmpty() ? QImage() : LoadSkinImage(disabled_path)};
}

PngSliderThumb::PngSliderThumb(SliderAxis axis, QWidget* track, int tag, const ThumbFaces& faces,
                               bool shift)
    : QWidget(track),
      axis_(axis),
      tag_(tag),
      image_(faces.normal),
      disabled_image_(faces.disabled),
      shift_(axis == SliderAxis::kVertical && shift) {
  setFocusPolicy(Qt::NoFocus);
  width_ = image_.width();
  height_ = image_.height();
  x1_ = track->width();
  y1_ = track->height();
  setGeometry(x0_ - width_ / 2, y0_ - height_ / 2, width_, height_);
  show();
}

int PngSliderThumb::CrossPosition() const {
  if (axis_ == SliderAxis::kHorizontal) return y0_;
  return shift_ ? x0_ + kShiftedThumbX : x0_;
}

void PngSliderThumb::SetRange(int min, int max) {
  if (max <= min) return;
  min_ = min;
  max_ = max;
}

void PngSliderThumb::SetPos(int value) {
  value_ = slider::ValidPos(value, min_, max_);
  if (axis_ == SliderAxis::kHorizontal) {
    const int x = x0_ + slider::ThumbOffset(value_, min_, max_, x1_ - x0_ - width_);
    setGeometry(x, CrossPosition(), width_, height_);
  } else {
    const int y = y0_ + slider::ThumbOffset(value_, min_, max_, y1_ - y0_ - height_);
    setGeometry(CrossPosition(), y, width_, height_);
  }
  update();
}

void PngSliderThumb::paintEvent(QPaintEvent*) {
  const QImage& face = !isEnabled() && !disabled_image_.isNull() ? disabled_image_ : image_;
  if (face.isNull()) return;
  QPainter painter(this);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  if (!isEnabled()) painter.setOpacity(kDisabledOpacity);
  painter.drawImage(QRect(0, 0, width_, height_), face);
}

void PngSliderThumb::mousePressEvent(QMouseEvent* event) {
  // The thumb is a window of its own: a press on it never reaches the track.
  event->accept();
  if (event->button() != Qt::LeftButton) return;
  dragging_ = true;
  drag_start_ = event->position().toPoint();
}

void PngSliderThumb::mouseMoveEvent(QMouseEvent* event) {
  event->accept();
  if (!dragging_) return;
  const QPoint point = event->position().toPoint();
  const QRect r = geometry();
  if (axis_ == SliderAxis::kHorizontal) {
    int d = point.x() - drag_start_.x();
    if (r.left() + d < x0_) d = x0_ - r.left();
    if (r.left() + width_ + d > x1_) d = x1_ - (r.left() + width_);
    setGeometry(r.left() + d, CrossPosition(), width_, height_);
  } else {
    int d = point.y() - drag_start_.y();
    if (r.top() + d < y0_) d = y0_ - r.top();
    if (r.top() + height_ + d > y1_) d = y1_ - (r.top() + height_);
    setGeometry(CrossPosition(), r.top() + d, width_, height_);
  }
  update();
}

void PngSliderThumb::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  if (event->button() != Qt::LeftButton || !dragging_) return;
  dragging_ = false;
  const bool horizontal = axis_ == SliderAxis::kHorizontal;
  const int q = horizontal ? x() : y();
  const int q0 = horizontal ? x0_ : y0_;
  const int q1 = horizontal ? x1_ : y1_;
  const int s = horizontal ? width_ : height_;
  value_ = slider::DropValue(q - q0, q1 - q0, s, min_, max_);
  // The thumb stays where it was dropped; the owner's next SetPos snaps it.
  static_cast<PngSliderTrack*>(parentWidget())->Report(value_);
}

PngSliderTrack::PngSliderTrack(SliderAxis axis, bool cut_thumb_region, bool shift_thumb,
                               const ThumbFaces& thumb, const QRect& bounds, QWidget* parent,
                               int control_id)
    : QWidget(parent), axis_(axis), control_id_(control_id), bounds_(bounds) {
  setGeometry(bounds);
  setFocusPolicy(Qt::StrongFocus);
  if (axis == SliderAxis::kHorizontal) {
    thumb_ = new CPngHSlider(this, control_id, thumb);
  } else {
    thumb_ = new CPngSlider(this, control_id, thumb, shift_thumb);
    if (cut_thumb_region && !thumb_->image_.isNull()) {
      // Transparent pixels count as black, as on an opaque black backdrop.
      QImage backdrop(thumb_->image_.size(), QImage::Format_RGB32);
      backdrop.fill(Qt::black);
      QPainter(&backdrop).drawImage(0, 0, thumb_->image_);
      ApplyWindowOutline(thumb_, backdrop, 0x000000);
    }
  }
  thumb_->SetPos(0);
  show();
}

void PngSliderTrack::SetRange(int min, int max) {
  if (max <= min) return;
  min_ = min;
  max_ = max;
  thumb_->SetRange(min, max);
}

void PngSliderTrack::SetBackground(const QImage& image) {
  background_ = image;
  update();
}

void PngSliderTrack::Report(int value) {
  PostSignal(this, [this, value] { emit picked(control_id_, value); });
}

void PngSliderTrack::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (axis_ == SliderAxis::kVertical) painter.fillRect(rect(), FromColorRef(kVerticalTrackFill));
  if (!background_.isNull()) {
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect(), background_);
  }
  if (hasFocus()) DrawFocusRing(painter, rect());
}

void PngSliderTrack::MapClick(QPoint point) {
  const QPoint in_parent = mapToParent(point);
  const bool horizontal = axis_ == SliderAxis::kHorizontal;
  const int p = horizontal ? in_parent.x() : in_parent.y();
  const int a = horizontal ? bounds_.left() : bounds_.top();
  const int b = horizontal ? bounds_.left() + bounds_.width() : bounds_.top() + bounds_.height();
  const int v = slider::ClickValue(p - a, b - a, min_, max_);
  thumb_->SetPos(v);
  Report(v);
}

// A click maps on the press and again on the release, each at its own point.
void PngSliderTrack::mousePressEvent(QMouseEvent* event) {
  event->accept();
  if (event->button() == Qt::LeftButton) MapClick(event->position().toPoint());
}

void PngSliderTrack::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  // Only a release over the track belongs to it; a press dragged off the
  // track ends elsewhere.
  const QPoint point = event->position().toPoint();
  if (event->button() == Qt::LeftButton && rect().contains(point)) MapClick(point);
}

void PngSliderTrack::PickValue(int value) {
  value = slider::StepValue(value, 0, min_, max_);
  if (value == thumb_->Value()) return;
  thumb_->SetPos(value);
  Report(thumb_->Value());
}

void PngSliderTrack::StepForward(int count) {
  // Min is at the top of a vertical track: up is toward smaller values.
  const int delta = axis_ == SliderAxis::kVertical ? -count : count;
  PickValue(slider::StepValue(thumb_->Value(), delta, min_, max_));
}

void PngSliderTrack::keyPressEvent(QKeyEvent* event) {
  const int page = slider::PageStep(min_, max_);
  switch (event->key()) {
    case Qt::Key_Right:
    case Qt::Key_Up:
      StepForward(1);
      break;
    case Qt::Key_Left:
    case Qt::Key_Down:
      StepForward(-1);
      break;
    case Qt::Key_PageUp:
      StepForward(page);
      break;
    case Qt::Key_PageDown:
      StepForward(-page);
      break;
    case Qt::Key_Home:
      PickValue(min_);
      break;
    case Qt::Key_End:
      PickValue(max_);
      break;
    default:
      QWidget::keyPressEvent(event);
      return;
  }
  event->accept();
}

void PngSliderTrack::wheelEvent(QWheelEvent* event) {
  event->accept();
  if (!isEnabled()) return;
  // Fine-grained wheels send parts of a notch; they add up to whole steps.
  wheel_rest_ += event->angleDelta().y();
  const int notches = wheel_rest_ / QWheelEvent::DefaultDeltasPerStep;
  wheel_rest_ -= notches * QWheelEvent::DefaultDeltasPerStep;
  if (notches != 0) StepForward(notches);
}

void PngSliderTrack::changeEvent(QEvent* event) {
  if (event->type() == QEvent::EnabledChange) thumb_->update();
  QWidget::changeEvent(event);
}

}  // namespace vantix
