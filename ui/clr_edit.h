// CClrEdit: an edit field in its own text and background colours that tells
// its parent about released keys (WM_EDIT_KEYUP) and about gaining and losing
// the focus (WM_EDIT_FOCUS).
#pragma once

#include <QLineEdit>

#include <cstdint>

namespace vantix {

inline constexpr std::int64_t kEditFocusGained = 1;
inline constexpr std::int64_t kEditFocusLost = 2;

class CClrEdit final : public QLineEdit {
 public:
  // rect in parent client coordinates; border draws a frame around the field.
  CClrEdit(QWidget* parent, const QRect& rect, int control_id, bool border = false);

  int ControlId() const { return control_id_; }
  int Tag() const { return tag_; }
  void SetTag(int tag) { tag_ = tag; }
  void SetNotifyKeyUp(bool notify) { notify_key_up_ = notify; }
  // COLORREF colours (0x00BBGGRR).
  void SetTextColor(std::uint32_t color);
  void SetBackColor(std::uint32_t color);
  std::uint32_t TextColor() const { return text_color_; }
  std::uint32_t BackColor() const { return back_color_; }

 protected:
  void keyReleaseEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void ApplyColors();

  int control_id_;
  int tag_ = 0;
  bool notify_key_up_ = false;
  std::uint32_t text_color_ = 0xFFFFFF;
  std::uint32_t back_color_ = 0x000000;
};

}  // namespace vantix
