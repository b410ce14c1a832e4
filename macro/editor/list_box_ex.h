// CListBoxEx: the macro editor's owner-drawn list. Rows of 23 pixels with an
// arrow for presses and releases, the selection in the highlight colour, a
// solid or patterned background; clicks reported to the owner as window
// messages; reached by Tab, with a focus ring, but the selection never
// moved by keys; and a number box over a delay row, opened
// by a double click, that commits on Enter or a click in the list and
// restores the old value on Escape.
#pragma once

#include <QAbstractScrollArea>
#include <QBrush>
#include <QFont>
#include <QImage>
#include <QLineEdit>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "ui/window_message.h"

namespace vantix {

class Skin;

inline constexpr std::uint32_t WM_LIST_CONTEXT = 0x3400;       // (row, item data)
inline constexpr std::uint32_t WM_LIST_VALUE_EDITED = 0x3401;  // (milliseconds, row)
inline constexpr std::uint32_t WM_LIST_CLICK = 0x3402;         // (row, item data)

// What a list-box operation answers for a row that does not exist.
inline constexpr int LB_ERR = -1;

// The number box's value after it was committed, and the row it was on.
struct EditedValue {
  int value = 0;
  int row = -1;
};

class CListBoxEx final : public QAbstractScrollArea {
 public:
  static constexpr int kRowHeight = 23;
  static constexpr int kNumberBoxLeft = 145;
  static constexpr int kNumberBoxWidth = 55;
  static constexpr int kNumberBoxDigits = 5;
  // The pattern background: grey rows with dark lines every row height.
  static QImage PatternBitmap();

  // rect in parent client coordinates; vscroll gives the list a vertical
  // scroll bar when its rows do not fit.
  CListBoxEx(QWidget* parent, const QRect& rect, int control_id, bool vscroll);
  ~CListBoxEx() override;

  int ControlId() const { return control_id_; }

  // The owner receives the list's messages; the arrows come from the skin.
  void SetOwner(QWidget* owner, const Skin& skin);
  // The highlight becomes the accent colour; the background the pattern
  // (with click notify) or colour.
  void SetListBackground(std::uint32_t colour);

  // Flags and colours the owner sets directly (COLORREF 0x00BBGGRR).
  bool edit_enabled = false;
  bool input_locked = false;
  bool selection_highlight = false;
  bool click_notify = false;
  bool right_click_notify_off = true;
  bool text_indent_off = false;
  std::uint32_t text_colour = 0x000000;
  std::uint32_t selected_text_colour = 0xFFFFFF;
  std::uint32_t highlight_colour = 0xD77800;
  // What a screen reader says for a key row ("%1": the row's text).
  QString press_row_text = QStringLiteral("%1");
  QString release_row_text = QStringLiteral("%1");
  // The delay of a delay row in milliseconds, from the owner's events: the
  // number box starts from it and Escape restores it.
  std::function<int(int row)> delay_of;

  // Rows: the list-box operations. Indexes out of range answer LB_ERR.
  int AddString(const QString& text);
  int InsertString(int index, const QString& text);  // -1 appends
  int DeleteString(int index);                       // the rows left, or LB_ERR
  int SetItemData(int index, std::int64_t data);
  std::int64_t GetItemData(int index) const;
  QString GetText(int index) const;
  // Replaces a row's text and item data in place.
  void SetRow(int index, const QString& text, std::int64_t data);
  int GetCurSel() const { return selection_; }
  int SetCurSel(int index);  // -1 clears; scrolls the row into view
  int GetCount() const { return static_cast<int>(rows_.size()); }
  void ResetContent();
  int TopIndex() const { return top_; }
  // The row at a point of the list (viewport coordinates): the nearest row,
  // -1 for an empty list; outside tells whether the point is past the rows.
  int ItemFromPoint(QPoint point, bool* outside = nullptr) const;
  QRect ItemRect(int index) const;  // viewport coordinates

  // The number box.
  QLineEdit* NumberBox() const { return number_box_; }
  int EditedRow() const { return edited_row_; }
  bool OpenNumberBox(int row);
  // Ends editing with the box's value: the row shows it and the value is
  // returned; post also tells the owner (WM_LIST_VALUE_EDITED).
  std::optional<EditedValue> CommitNumberBox(bool post);
  // Ends editing with the value the row had.
  void CancelNumberBox();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Row {
    QString text;
    std::int64_t data = 0;
  };
  void OnLeftButtonDown(QPoint point);
  void OnRightButtonUp(QPoint point);
  void OnLeftDoubleClick(QPoint point);
  void Notify(std::uint32_t message, int row);
  void CloseNumberBox();
  bool AnyNumberBoxOpen() const;
  void PlaceNumberBox();
  void UpdateScrollRange();
  int VisibleRows() const;
  bool Valid(int index) const { return index >= 0 && index < GetCount(); }
  QBrush Background() const;

  int control_id_;
  QWidget* owner_ = nullptr;
  std::vector<Row> rows_;
  int selection_ = -1;
  int top_ = 0;
  QFont font_;
  QImage press_arrow_;
  QImage release_arrow_;
  QBrush background_;
  int old_value_ = 0;
  int edited_row_ = -1;
  QLineEdit* number_box_ = nullptr;
};

}  // namespace vantix
