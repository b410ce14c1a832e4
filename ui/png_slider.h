// Image sliders: a track that paints a skin image and maps clicks, and a
// thumb (a child window of the track) that is dragged. Every value the user
// picks is reported as the track's signal picked (control id, value), from
// the event queue of the track's parent.
// CPngHSliderBar / CPngHSlider are horizontal (min at the left),
// CPngSliderBar / CPngSlider vertical (min at the top).
// The track takes the keyboard focus: the arrow keys move the thumb one value
// (Right and Up move it right or up), Page Up / Page Down a tenth of the
// range, Home / End to the ends; the wheel over the track moves it one value
// a notch. Each of these is a click at the new value: the thumb moves and
// the track reports it.
#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QWidget>

#include "ui/window_message.h"

namespace vantix {

enum class SliderAxis { kHorizontal, kVertical };

// The vertical thumb is drawn this far right of the track's left edge when
// the track asks for it (the Y slider of a stage pair).
inline constexpr int kShiftedThumbX = 14;

// The thumb's faces, decoded; a null disabled face means the thumb has one
// face. Sliders that share a thumb image share one decoded copy.
struct ThumbFaces {
  QImage normal;
  QImage disabled;
  // From files; "" for disabled_path means one face.
  static ThumbFaces Load(const QString& path, const QString& disabled_path);
};

class PngSliderThumb : public QWidget {
 public:
  int Tag() const { return tag_; }
  int Min() const { return min_; }
  int Max() const { return max_; }
  int Value() const { return value_; }
  void SetRange(int min, int max);
  // Places the thumb at the value (min for a value outside the range);
  // notifies nobody.
  void SetPos(int value);

 protected:
  PngSliderThumb(SliderAxis axis, QWidget* track, int tag, const ThumbFaces& faces, bool shift);

  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  friend class PngSliderTrack;
  int CrossPosition() const;  // the fixed coordinate across the axis

  SliderAxis axis_;
  int tag_;
  QImage image_;
  QImage disabled_image_;
  int width_;
  int height_;
  int x0_ = 0, y0_ = 0, x1_ = 0, y1_ = 0;  // movement limits in track coordinates
  int min_ = 0;
  int max_ = 10;
  int value_ = 0;
  bool dragging_ = false;
  QPoint drag_start_;
  bool shift_;
};

class CPngHSlider final : public PngSliderThumb {
 public:
  CPngHSlider(QWidget* track, int tag, const ThumbFaces& faces)
      : PngSliderThumb(SliderAxis::kHorizontal, track, tag, faces, false) {}
};

class CPngSlider final : public PngSliderThumb {
 public:
  CPngSlider(QWidget* track, int tag, const ThumbFaces& faces, bool shift)
      : PngSliderThumb(SliderAxis::kVertical, track, tag, faces, shift) {}
};

class PngSliderTrack : public QWidget {
  Q_OBJECT

 public:
  int ControlId() const { return control_id_; }
  int Min() const { return min_; }
  int Max() const { return max_; }
  // Track and thumb; ignored unless max > min (the mapping divides by it).
  void SetRange(int min, int max);
  // The track face; a shared image value owned by whoever loaded it.
  void SetBackground(const QImage& image);
  PngSliderThumb* Thumb() const { return thumb_; }
  const QRect& Bounds() const { return bounds_; }

  // Moves to the value (kept in the range) and notifies, as a click there
  // does; nothing when the thumb already stands there.
  void PickValue(int value);

 signals:
  void picked(int control_id, int value);

 protected:
  PngSliderTrack(SliderAxis axis, bool cut_thumb_region, bool shift_thumb, const ThumbFaces& thumb,
                 const QRect& bounds, QWidget* parent, int control_id);

  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  friend class PngSliderThumb;
  void MapClick(QPoint point);
  void Report(int value);
  // Value steps "forward" (right, or up on a vertical track) by count.
  void StepForward(int count);

  SliderAxis axis_;
  int control_id_;
  QRect bounds_;
  int min_ = 0;
  int max_ = 10;
  QImage background_;
  PngSliderThumb* thumb_ = nullptr;
  int wheel_rest_ = 0;  // eighths of a degree short of a notch
};

class CPngHSliderBar final : public PngSliderTrack {
 public:
  // bounds in the parent's client coordinates; "" for thumb_disabled_path
  // means the thumb has one face.
  CPngHSliderBar(const QString& thumb_path, const QString& thumb_disabled_path, const QRect& bounds,
                 QWidget* parent, int control_id)
      : CPngHSliderBar(ThumbFaces::Load(thumb_path, thumb_disabled_path), bounds, parent,
                       control_id) {}
  CPngHSliderBar(const ThumbFaces& thumb, const QRect& bounds, QWidget* parent, int control_id)
      : PngSliderTrack(SliderAxis::kHorizontal, false, false, thumb, bounds, parent, control_id) {}
};

class CPngSliderBar final : public PngSliderTrack {
 public:
  // cut_thumb_region: black (and transparent) pixels of the thumb image are
  // cut out of the thumb window. shift_thumb: see kShiftedThumbX.
  CPngSliderBar(bool cut_thumb_region, const QString& thumb_path, const QString& thumb_disabled_path,
                const QRect& bounds, QWidget* parent, int control_id, bool shift_thumb = false)
      : CPngSliderBar(cut_thumb_region, ThumbFaces::Load(thumb_path, thumb_disabled_path), bounds,
                      parent, control_id, shift_thumb) {}
  CPngSliderBar(bool cut_thumb_region, const ThumbFaces& thumb, const QRect& bounds,
                QWidget* parent, int control_id, bool shift_thumb = false)
      : PngSliderTrack(SliderAxis::kVertical, cut_thumb_region, shift_thumb, thumb, bounds, parent,
                       control_id) {}
};

}  // namespace vantix
