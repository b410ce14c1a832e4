// CBitmapBtn: the one clickable control of the program. Push buttons, tabs,
// radio choices, check boxes, badges and menu rows are all image-faced
// buttons that paint one of four skin images and, on request, a caption.
// Tab reaches an enabled button; focused, it shows the focus ring and Space
// or Enter press it.
#pragma once

#include <QImage>
#include <QRect>
#include <QString>
#include <QWidget>

#include <cstdint>

#include "ui/text_fit.h"

namespace vantix {

enum class ButtonFace { kNormal, kHover, kPressed, kDisabled };
enum class CaptionColor { kNormal, kHover, kPressed };

struct ButtonState {
  bool check_mode = false;
  bool checked = false;
  bool held = false;  // pressed and the pointer still over the button
  bool hovering = false;
  bool disabled = false;
  bool keep_checked_face_when_disabled = false;
};

struct FaceChoice {
  ButtonFace face;
  CaptionColor color;
  bool operator==(const FaceChoice&) const = default;
};

// Which image and caption colour a button in this state shows.
FaceChoice ChooseFace(const ButtonState& state);

// Caption orientations of SetCaption; any other value centres the caption.
inline constexpr int kCaptionRotated90 = 2;   // reads bottom to top
inline constexpr int kCaptionRotated270 = 3;  // reads top to bottom
inline constexpr int kCaptionLeft = 4;
inline constexpr int kCaptionCentred = 1;

// Where the top-left of a caption of extent (width cx, cell height cy) goes
// in a client rectangle, before the caption's x offset. The rotated cases
// name the corner that is the top-left of the unrotated text.
QPoint CaptionOrigin(int orientation, const QRect& client, QSize extent);

// How a caption is shown: its fitted text (bounds in client coordinates) and,
// for free placement, the origin and ascent it is drawn with.
struct CaptionFit {
  FittedText text;
  QPoint origin;
  int ascent = 0;
};

class CBitmapBtn : public QWidget {
  Q_OBJECT

 public:
  // Creates the button at rect (parent client coordinates), shown.
  CBitmapBtn(QWidget* parent, const QRect& rect);

  // The four faces: normal, under the pointer, pressed, disabled. Images are
  // shared values; the window that loaded them may hand the same set to many
  // buttons.
  void SetImages(const QImage& normal, const QImage& hover, const QImage& pressed,
                 const QImage& disabled);
  void SetCaption(const QString& text, int text_offset_x, int orientation);
  // Repaints only when the state changes.
  void SetChecked(bool checked);

  // Attributes; COLORREF colours (0x00BBGGRR).
  void SetTextOffsetX(int offset);
  void SetFontHeight(int height);
  void SetFontWeight(int weight);
  void SetTextColors(std::uint32_t normal, std::uint32_t hover, std::uint32_t pressed);
  void SetBackColor(std::uint32_t color);
  void SetFillBackground(bool fill);
  void SetDrawCaption(bool draw);
  void SetUseTextRect(bool use);
  void SetTextRect(const QRect& rect);
  void SetSquareImage(bool square);
  void SetCheckMode(bool check_mode);
  void SetKeepCheckedFaceWhenDisabled(bool keep);
  // Where a caption too long even when shrunk loses its text.
  void SetElideMode(Qt::TextElideMode mode);
  // Draws the focus ring this many pixels inside the face, for a face whose
  // own frame would hide a ring on its edge.
  void SetFocusRingInset(int pixels);
  // A disabled button is drawn dimmed unless this is off (a number badge is
  // disabled only so that it takes no clicks; it is no command).
  void SetDimWhenDisabled(bool dim);

  // What a click does, for a focused button's Space or Enter.
  void Activate();
  // Shows the pointer-over face without the pointer: the row a menu's arrow
  // keys stand on.
  void SetHighlighted(bool highlighted);

  bool Checked() const { return checked_; }
  bool CheckMode() const { return check_mode_; }
  bool Hovering() const { return hovering_; }
  bool Highlighted() const { return highlighted_; }
  bool Held() const { return held_ && press_inside_; }
  const QString& Caption() const { return caption_; }
  const QImage& NormalFace() const { return normal_image_; }
  // The whole caption when the face shows it cut with an ellipsis (the
  // button's tooltip then shows it), else empty.
  QString CutCaption() const;
  // The caption as the face shows it: shrunk to fit, cut only past that.
  CaptionFit FitCaption() const;

 signals:
  // The click notification: a release over the held button in push mode,
  // every left-button release in check mode (after the toggle).
  void clicked();

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void StopHovering();
  const QImage& FaceImage(ButtonFace face) const;
  std::uint32_t CaptionColorRef(CaptionColor color) const;
  void DrawCaptionText(QPainter& painter, std::uint32_t color);

  QImage normal_image_;
  QImage hover_image_;
  QImage pressed_image_;
  QImage disabled_image_;
  QString caption_;
  int text_offset_x_ = 0;
  int orientation_ = kCaptionCentred;
  int font_height_ = 15;
  int font_weight_ = 400;
  std::uint32_t normal_text_color_ = 0xFFFFFF;
  std::uint32_t hover_text_color_ = 0xCCFF00;
  std::uint32_t pressed_text_color_ = 0xCCFF00;
  std::uint32_t back_color_ = 0x000000;
  bool fill_background_ = false;
  bool draw_caption_ = false;
  bool use_text_rect_ = false;
  QRect text_rect_;
  bool square_image_ = false;
  bool check_mode_ = false;
  bool checked_ = false;
  bool keep_checked_face_when_disabled_ = false;
  Qt::TextElideMode elide_mode_ = Qt::ElideRight;
  int focus_ring_inset_ = 0;
  bool dim_when_disabled_ = true;
  bool hovering_ = false;
  bool highlighted_ = false;
  bool held_ = false;
  bool press_inside_ = false;
};

}  // namespace vantix
