#include "macro/editor/list_box_ex.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpressionValidator>
#include <QScrollBar>

#include <algorithm>

#include "macro/event_rows.h"
#include "ui/skin.h"

namespace vantix {
namespace {

constexpr std::int64_t kReleaseArrow = kRowRelease;
constexpr std::int64_t kPressArrow = kRowPress;
constexpr int kArrowLeft = 5;
constexpr int kArrowTop = 5;
constexpr int kArrowWidth = 7;
constexpr int kArrowHeight = 9;
constexpr int kIconWidth = 16;
constexpr int kIndentAfterIcon = 16;
constexpr int kIndentWithoutIcon = 8;
// System colours of a disabled list and of disabled text.
const QColor kInactiveBorder(180, 180, 180);
const QColor kDisabledText(160, 160, 160);

bool IsArrow(std::int64_t data) { return data == kReleaseArrow || data == kPressArrow; }

}  // namespace

QImage CListBoxEx::PatternBitmap() {
  constexpr int kWidth = 175;
  constexpr int kHeight = 299;
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  const QRgb grey = qRgb(85, 84, 84);
  const QRgb line1 = qRgb(7, 7, 7);
  const QRgb line2 = qRgb(21, 21, 21);
  for (int y = 0; y < kHeight; ++y) {
    const int in_row = y % kRowHeight;
    const QRgb row = in_row == kRowHeight - 2 ? line1 : in_row == kRowHeight - 1 ? line2 : grey;
    auto* pixels = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < kWidth; ++x) pixels[x] = x == 0 ? line1 : x == 1 ? line2 : row;
  }
  return image;
}

CListBoxEx::CListBoxEx(QWidget* parent, const QRect& rect, int control_id, bool vscroll)
    : QAbstractScrollArea(parent), control_id_(control_id), font_(SkinFont(14, 400)) {
  setGeometry(rect);
  setFrameShape(QFrame::NoFrame);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(vscroll ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
  verticalScrollBar()->setSingleStep(1);
  verticalScrollBar()->setStyleSheet(QStringLiteral(
      "QScrollBar:vertical { background: #2b2b2b; width: 14px; margin: 0; }"
      "QScrollBar::handle:vertical { background: #8a8a8a; min-height: 20px; margin: 2px; }"
      "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
      "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }"));
  // Tab reaches the list, so that a screen reader reads its rows.
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setAutoFillBackground(false);
  background_ = QBrush(Qt::white);
  show();
}

CListBoxEx::~CListBoxEx() = default;

void CListBoxEx::SetOwner(QWidget* owner, const Skin& skin) {
  owner_ = owner;
  release_arrow_ = LoadSkinImage(skin.BackgroundPath("424.png"));
  press_arrow_ = LoadSkinImage(skin.BackgroundPath("423.png"));
}

void CListBoxEx::SetListBackground(std::uint32_t colour) {
  highlight_colour = 0x00CCFF00;
  background_ = click_notify ? QBrush(PatternBitmap()) : QBrush(FromColorRef(colour));
  viewport()->update();
}

QBrush CListBoxEx::Background() const {
  if (!isEnabled() && !click_notify) return QBrush(kInactiveBorder);
  return background_;
}

int CListBoxEx::AddString(const QString& text) { return InsertString(-1, text); }

int CListBoxEx::InsertString(int index, const QString& text) {
  if (index < -1 || index > GetCount()) return LB_ERR;
  if (index == -1) index = GetCount();
  rows_.insert(rows_.begin() + index, Row{text, 0});
  if (selection_ >= index) ++selection_;
  if (edited_row_ >= index) ++edited_row_;
  UpdateScrollRange();
  viewport()->update();
  return index;
}

int CListBoxEx::DeleteString(int index) {
  if (!Valid(index)) return LB_ERR;
  // The box belongs to the row: without it there is nothing to commit.
  if (index == edited_row_) CloseNumberBox();
  rows_.erase(rows_.begin() + index);
  if (selection_ == index) {
    selection_ = -1;
  } else if (selection_ > index) {
    --selection_;
  }
  if (edited_row_ > index) --edited_row_;
  UpdateScrollRange();
  viewport()->update();
  return GetCount();
}

int CListBoxEx::SetItemData(int index, std::int64_t data) {
  if (!Valid(index)) return LB_ERR;
  rows_[static_cast<std::size_t>(index)].data = data;
  viewport()->update();
  return 0;
}

std::int64_t CListBoxEx::GetItemData(int index) const {
  return Valid(index) ? rows_[static_cast<std::size_t>(index)].data : LB_ERR;
}

QString CListBoxEx::GetText(int index) const {
  return Valid(index) ? rows_[static_cast<std::size_t>(index)].text : QString();
}

void CListBoxEx::SetRow(int index, const QString& text, std::int64_t data) {
  if (!Valid(index)) return;
  rows_[static_cast<std::size_t>(index)] = Row{text, data};
  viewport()->update();
}

int CListBoxEx::SetCurSel(int index) {
  if (!Valid(index)) {
    selection_ = -1;
    viewport()->update();
    return LB_ERR;
  }
  selection_ = index;
  if (index < top_) {
    verticalScrollBar()->setValue(index);
  } else if (index >= top_ + VisibleRows()) {
    verticalScrollBar()->setValue(index - VisibleRows() + 1);
  }
  viewport()->update();
  return index;
}

void CListBoxEx::ResetContent() {
  CloseNumberBox();
  rows_.clear();
  selection_ = -1;
  UpdateScrollRange();
  viewport()->update();
}

int CListBoxEx::VisibleRows() const { return std::max(1, viewport()->height() / kRowHeight); }

void CListBoxEx::UpdateScrollRange() {
  QScrollBar* bar = verticalScrollBar();
  bar->setPageStep(VisibleRows());
  bar->setRange(0, std::max(0, GetCount() - VisibleRows()));
  top_ = bar->value();
}

void CListBoxEx::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateScrollRange();
}

void CListBoxEx::scrollContentsBy(int, int) {
  top_ = verticalScrollBar()->value();
  PlaceNumberBox();
  viewport()->update();
}

QRect CListBoxEx::ItemRect(int index) const {
  return QRect(0, (index - top_) * kRowHeight, viewport()->width(), kRowHeight);
}

int CListBoxEx::ItemFromPoint(QPoint point, bool* outside) const {
  if (rows_.empty()) {
    if (outside != nullptr) *outside = true;
    return -1;
  }
  const int row = top_ + (point.y() < 0 ? -1 : point.y() / kRowHeight);
  const int nearest = std::clamp(row, 0, GetCount() - 1);
  if (outside != nullptr) {
    *outside = row != nearest || point.x() < 0 || point.x() >= viewport()->width();
  }
  return nearest;
}

void CListBoxEx::paintEvent(QPaintEvent*) {
  QPainter p(viewport());
  // The pattern starts at the list's own top-left, so its lines fall
  // between the rows.
  p.setBrushOrigin(0, 0);
  p.fillRect(viewport()->rect(), Background());
  p.setFont(font_);
  const QFontMetrics metrics(font_);
  const int last = std::min(GetCount(), top_ + VisibleRows() + 1);
  for (int i = top_; i < last; ++i) {
    const Row& row = rows_[static_cast<std::size_t>(i)];
    const QRect r = ItemRect(i);
    if (selection_highlight && i == selection_) p.fillRect(r, FromColorRef(highlight_colour));
    // A highlighted row takes its own text colour, focused or not: the
    // normal one would not read on the highlight.
    const bool highlighted = i == selection_ && (selection_highlight || hasFocus());
    const std::uint32_t colour = highlighted ? selected_text_colour : text_colour;
    p.setPen(isEnabled() ? FromColorRef(colour) : kDisabledText);
    int x = r.left();
    if (IsArrow(row.data)) {
      const QImage& arrow = row.data == kPressArrow ? press_arrow_ : release_arrow_;
      if (!arrow.isNull()) {
        p.drawImage(QRect(r.left() + kArrowLeft, r.top() + kArrowTop, kArrowWidth, kArrowHeight),
                    arrow);
      }
      x += kIconWidth + (text_indent_off ? 0 : kIndentAfterIcon);
    } else if (row.data != 0) {
      // The program has no other pictures: the text keeps the icon's place.
      x += kIconWidth + (text_indent_off ? 0 : kIndentAfterIcon);
    } else {
      x += text_indent_off ? 0 : kIndentWithoutIcon;
    }
    p.drawText(x, r.top() + metrics.ascent(), row.text);
  }
  if (hasFocus()) DrawFocusRing(p, viewport()->rect());
}

void CListBoxEx::Notify(std::uint32_t message, int row) {
  const std::int64_t data = GetItemData(row);
  if (owner_ != nullptr) {
    if (data != LB_ERR) PostWindowMessage(owner_, message, row, data);
  } else if (parentWidget() != nullptr) {
    PostWindowMessage(parentWidget(), message, row, 0);
  }
}

void CListBoxEx::mousePressEvent(QMouseEvent* event) {
  event->accept();
  if (input_locked) return;
  if (event->button() == Qt::LeftButton) OnLeftButtonDown(event->position().toPoint());
}

void CListBoxEx::OnLeftButtonDown(QPoint point) {
  bool outside = true;
  const int i = ItemFromPoint(point, &outside);
  // A list without a selection takes a click only on a row itself; without
  // this a list whose selection was cut away could never be used again.
  if (selection_ == -1 && (i < 0 || outside)) return;
  if (edited_row_ != -1) CommitNumberBox(true);
  SetCurSel(i);
  setFocus(Qt::MouseFocusReason);
  if (click_notify) Notify(WM_LIST_CLICK, i);
}

void CListBoxEx::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  if (input_locked) return;
  if (event->button() == Qt::RightButton) OnRightButtonUp(event->position().toPoint());
}

void CListBoxEx::OnRightButtonUp(QPoint point) {
  if (right_click_notify_off) return;
  const int i = ItemFromPoint(point);
  SetCurSel(i);
  Notify(WM_LIST_CONTEXT, i);
}

void CListBoxEx::mouseDoubleClickEvent(QMouseEvent* event) {
  event->accept();
  if (input_locked || event->button() != Qt::LeftButton) return;
  OnLeftDoubleClick(event->position().toPoint());
}

void CListBoxEx::OnLeftDoubleClick(QPoint point) {
  if (!edit_enabled) return;
  const int i = ItemFromPoint(point);
  if (i < 0) return;
  SetCurSel(i);
  if (!IsArrow(GetItemData(i)) && owner_ != nullptr && edited_row_ == -1) OpenNumberBox(i);
}

bool CListBoxEx::OpenNumberBox(int row) {
  if (AnyNumberBoxOpen() || !Valid(row) || IsArrow(GetItemData(row))) return false;
  SetCurSel(row);
  old_value_ = delay_of ? delay_of(row) : 0;
  edited_row_ = row;
  SetRow(row, QString(), 0);

  number_box_ = new QLineEdit(viewport());
  number_box_->setObjectName(QStringLiteral("numberBox"));
  number_box_->setFont(font_);
  number_box_->setMaxLength(kNumberBoxDigits);
  number_box_->setValidator(new QRegularExpressionValidator(
      QRegularExpression(QStringLiteral("[0-9]{0,5}")), number_box_));
  number_box_->setStyleSheet(
      QStringLiteral("QLineEdit { border: 1px solid #000000; background: #ffffff; color: #000000;"
                     " padding: 0 2px; }"));
  number_box_->setText(QString::number(old_value_));
  number_box_->installEventFilter(this);
  PlaceNumberBox();
  number_box_->show();
  number_box_->selectAll();
  number_box_->setFocus(Qt::OtherFocusReason);
  return true;
}

bool CListBoxEx::AnyNumberBoxOpen() const {
  // One number box at a time among the lists of a window (the editor is
  // modal, so in the program).
  if (number_box_ != nullptr) return true;
  const QList<QAbstractScrollArea*> areas = window()->findChildren<QAbstractScrollArea*>();
  return std::any_of(areas.begin(), areas.end(), [](const QAbstractScrollArea* area) {
    const auto* list = dynamic_cast<const CListBoxEx*>(area);
    return list != nullptr && list->number_box_ != nullptr;
  });
}

void CListBoxEx::PlaceNumberBox() {
  if (number_box_ == nullptr) return;
  const QRect r = ItemRect(edited_row_);
  number_box_->setGeometry(r.left() + kNumberBoxLeft, r.top(), kNumberBoxWidth, kRowHeight);
}

void CListBoxEx::CloseNumberBox() {
  if (number_box_ != nullptr) {
    // The focus stays in the list rather than wandering to the next field.
    if (number_box_->hasFocus()) setFocus(Qt::OtherFocusReason);
    number_box_->removeEventFilter(this);
    number_box_->hide();
    number_box_->deleteLater();
    number_box_ = nullptr;
  }
  edited_row_ = -1;
}

std::optional<EditedValue> CListBoxEx::CommitNumberBox(bool post) {
  if (edited_row_ == -1 || number_box_ == nullptr) return std::nullopt;
  bool ok = false;
  int value = number_box_->text().left(kNumberBoxDigits).toInt(&ok);
  if (!ok) value = 0;  // an empty box commits 0
  const EditedValue edited{value, edited_row_};
  SetRow(edited.row, QString::fromStdString(DelayRowText(value)), 0);
  CloseNumberBox();
  SetCurSel(edited.row);
  viewport()->update();
  if (post && owner_ != nullptr) {
    PostWindowMessage(owner_, WM_LIST_VALUE_EDITED, edited.value, edited.row);
  }
  return edited;
}

void CListBoxEx::CancelNumberBox() {
  if (edited_row_ == -1) return;
  const int row = edited_row_;
  SetRow(row, QString::fromStdString(DelayRowText(old_value_)), 0);
  CloseNumberBox();
  SetCurSel(row);
}

bool CListBoxEx::eventFilter(QObject* watched, QEvent* event) {
  // Releases, not presses: the editor swallows the presses of Enter and
  // Escape so that they never close it.
  if (watched == number_box_ && event->type() == QEvent::KeyRelease) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      CommitNumberBox(true);
      return true;
    }
    if (key->key() == Qt::Key_Escape) {
      CancelNumberBox();
      return true;
    }
  }
  return QAbstractScrollArea::eventFilter(watched, event);
}

void CListBoxEx::keyPressEvent(QKeyEvent* event) {
  // The selection never moves by keyboard.
  event->accept();
}

void CListBoxEx::keyReleaseEvent(QKeyEvent* event) { event->accept(); }

void CListBoxEx::changeEvent(QEvent* event) {
  QAbstractScrollArea::changeEvent(event);
  if (event->type() == QEvent::EnabledChange) viewport()->update();
}

}  // namespace vantix
