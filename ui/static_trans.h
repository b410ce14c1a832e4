// CStaticTrans: a label drawn transparently over the skin in its own font, or
// on a solid colour in the window's font. Labels with SS_NOTIFY double as
// clickable tabs: Tab reaches them and Space or Enter press them.
//
// A plain widget that draws its own text: a QLabel that can take the focus
// builds a whole text document for its text (with a font of its own), which
// these labels never show.
#pragma once

#include <QString>
#include <QWidget>

#include <cstdint>
#include <optional>

#include "ui/text_fit.h"

namespace vantix {

// Window style bits of a label: the type in the low five bits, then flags.
inline constexpr std::uint32_t SS_LEFT = 0x0;
inline constexpr std::uint32_t SS_CENTER = 0x1;
inline constexpr std::uint32_t SS_RIGHT = 0x2;
inline constexpr std::uint32_t SS_SIMPLE = 0xB;
inline constexpr std::uint32_t SS_LEFTNOWORDWRAP = 0xC;
inline constexpr std::uint32_t SS_TYPEMASK = 0x1F;
inline constexpr std::uint32_t SS_NOTIFY = 0x100;
inline constexpr std::uint32_t SS_CENTERIMAGE = 0x200;
inline constexpr std::uint32_t kLabelStyle = 0x50000000;  // a visible child

class CStaticTrans final : public QWidget {
  Q_OBJECT

 public:
  CStaticTrans(QWidget* parent, const QString& text, std::uint32_t style, const QRect& rect);

  QString text() const { return text_; }
  // Plain text, never markup; the same text again repaints nothing.
  void setText(const QString& text);
  // From the style: SS_CENTER and SS_RIGHT, SS_CENTERIMAGE; wrapped unless
  // SS_SIMPLE or SS_LEFTNOWORDWRAP.
  Qt::Alignment alignment() const { return alignment_; }
  bool wordWrap() const { return word_wrap_; }

  std::uint32_t Style() const { return style_; }
  // Removes, then adds style bits; alignment and wrapping follow.
  void ModifyStyle(std::uint32_t remove, std::uint32_t add);

  // COLORREF colours (0x00BBGGRR). No back colour: transparent over the
  // parent's face.
  void SetTextColor(std::uint32_t color);
  void SetBackColor(std::optional<std::uint32_t> color);
  // The font of the transparent mode.
  void SetFontHeight(int height);
  void SetFontWeight(int weight);
  void SetItalic(bool italic);
  std::uint32_t TextColor() const { return text_color_; }
  std::optional<std::uint32_t> BackColor() const { return back_color_; }

  // Repaints the parent under the label, for owners that hide or show it.
  void RefreshBehind();

  // The text as the label shows it: shrunk to fit, cut only past that
  // (bounds in client coordinates).
  FittedText FitLabelText() const;

 signals:
  // A press on a label with SS_NOTIFY.
  void clicked();

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void Apply();

  QString text_;
  Qt::Alignment alignment_ = Qt::AlignLeft | Qt::AlignTop;
  bool word_wrap_ = false;
  std::uint32_t style_;
  std::uint32_t text_color_ = 0xFFFFFF;
  std::optional<std::uint32_t> back_color_;
  int font_height_ = 15;
  int font_weight_ = 700;
  bool italic_ = false;
};

}  // namespace vantix
