#include "ui/bmp_menu.h"

#include <xcb/xcb.h>

#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

#include "ui/bitmap_btn.h"
#include "ui/keyboard_focus.h"
#include "ui/skin.h"
#include "ui/top_window.h"

namespace vantix {
namespace {

// Rows drawn with the second pair of item images: the items that head a
// sub-menu in the function menu.
constexpr std::array<int, 6> kGroupRows = {7, 8, 9, 10, 12, 14};

// Sub-menus of these rows open higher, so that their long lists stay near
// the middle of the menu.
constexpr int kRowUp120 = 8;
constexpr int kRowUp20 = 9;
constexpr int kRowUpPerItem = 10;
constexpr int kItemsBeforeShift = 6;

// A borderless top-level window that the window manager leaves alone, so it
// opens exactly where it is put and never takes the focus. A Wayland
// compositor places every window itself and would centre that one; a tooltip
// window there is a popup of its parent, placed relative to it, without the
// grab (and the keyboard) a Qt popup takes.
Qt::WindowFlags PopupFlags() {
  const Qt::WindowFlags common = Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus;
  if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
    return Qt::ToolTip | common;
  }
  return Qt::Tool | Qt::X11BypassWindowManagerHint | common;
}

QString CutText(const QString& text) {
  if (text.size() <= kMenuMaxTextUnits) return text;
  qsizetype n = kMenuMaxTextUnits;
  if (text.at(n - 1).isHighSurrogate()) --n;
  return text.left(n);
}

void StyleRow(CBitmapBtn* row, const BmpMenuItem& item) {
  // The current choice carries a check mark and reads in the accent.
  row->SetCaption(item.current ? QStringLiteral("\u2713 ") + item.text : item.text, 0,
                  kCaptionCentred);
  // The row under the pointer reads in the accent: a grey text there would
  // look disabled.
  row->SetTextColors(item.current ? 0xCCFF00 : 0xFFFFFF, 0xCCFF00, 0xFFFFFF);
  row->SetDrawCaption(true);
  row->SetBackColor(0x1E1E1E);
  row->SetFillBackground(true);
  // Menus take no focus: the keys reach them through the owner.
  SetTakesActivationKeys(row, false);
}

void PaintFace(QWidget* window, const QImage& face) {
  if (face.isNull()) return;
  QPainter painter(window);
  painter.drawImage(window->rect(), face);
}

}  // namespace

CSubBmpMenu::CSubBmpMenu(QWidget* menu, int parent_index, const std::vector<BmpMenuItem>& items,
                         const std::array<QImage, 4>& images, QPoint position)
    : QWidget(menu, PopupFlags()), parent_index_(parent_index), items_(items), images_(images) {
  const int w = images_[0].width();
  const int h = images_[0].height();
  const int n = static_cast<int>(items_.size());
  int y = position.y();
  if (parent_index == kRowUp120) y -= 120;
  if (parent_index == kRowUp20) y -= 20;
  if (parent_index == kRowUpPerItem && n > kItemsBeforeShift) y += 20 * (kItemsBeforeShift - n);
  // Whole on the menu's screen: a long sub-menu near the bottom moves up.
  const QRect area = ScreenArea(menu);
  const QRect wanted(position.x(), y, w + 20, n * h + 1);
  setGeometry(area.isEmpty() ? wanted : wanted.translated(0, KeepInside(wanted, area).y() - y));

  // Rows are one pixel shorter than the image, with a one-pixel gap above.
  for (int j = 0; j < n; ++j) {
    auto* row = new CBitmapBtn(this, QRect(0, 1 + j * h, w + 20, std::max(0, h - 1)));
    row->SetImages(images_[0], images_[1], images_[2], images_[3]);
    StyleRow(row, items_[static_cast<std::size_t>(j)]);
    connect(row, &CBitmapBtn::clicked, this, [this, j] { emit picked(j); });
    rows_.push_back(row);
  }
  show();
}

CBitmapBtn* CSubBmpMenu::Row(int j) const {
  return j >= 0 && j < RowCount() ? rows_[static_cast<std::size_t>(j)] : nullptr;
}

void CSubBmpMenu::paintEvent(QPaintEvent*) { PaintFace(this, images_[0]); }

CBmpMenu::CBmpMenu(QWidget* owner) : MessageWindow<QWidget>(owner, PopupFlags()) {}

CBmpMenu::~CBmpMenu() { CloseSubMenu(); }

void CBmpMenu::SetItemImages(const QString& path0, const QString& path1, const QString& path2,
                             const QString& path3) {
  item_images_ = {LoadSkinImage(path0), LoadSkinImage(path1), LoadSkinImage(path2),
                  LoadSkinImage(path3)};
}

void CBmpMenu::SetSubImages(const QString& path0, const QString& path1, const QString& path2,
                            const QString& path3) {
  sub_images_ = {LoadSkinImage(path0), LoadSkinImage(path1), LoadSkinImage(path2),
                 LoadSkinImage(path3)};
}

bool CBmpMenu::AddItem(const QString& text, std::int32_t id) {
  if (ItemCount() >= kMenuMaxRows) return false;
  items_.push_back({CutText(text), false, false, id, {}, false});
  return true;
}

bool CBmpMenu::AddSubItem(int item_index, const QString& text, std::int32_t id) {
  if (item_index < 0 || item_index >= ItemCount()) return false;
  BmpMenuItem& item = items_[static_cast<std::size_t>(item_index)];
  if (static_cast<int>(item.sub_items.size()) >= kMenuMaxRows) return false;
  item.sub_items.push_back({CutText(text), false, false, id, {}, false});
  item.has_sub_menu = true;
  return true;
}

void CBmpMenu::MarkCurrent(int item_index, int sub_index) {
  if (item_index < 0 || item_index >= ItemCount()) return;
  BmpMenuItem& item = items_[static_cast<std::size_t>(item_index)];
  item.current = true;
  if (sub_index >= 0 && sub_index < static_cast<int>(item.sub_items.size())) {
    item.sub_items[static_cast<std::size_t>(sub_index)].current = true;
  }
}

void CBmpMenu::Create() {
  if (!rows_.empty()) return;  // created once
  const int w = item_images_[0].width();
  const int h = item_images_[0].height();
  const int n = ItemCount();
  // Whole on the owner's screen, whatever position the owner asked for; the
  // sub-menus then open beside the rows where they really are.
  const QRect area = ScreenArea(parentWidget());
  const QRect wanted(position_, QSize(w + 20, n * h));
  position_ = (area.isEmpty() ? wanted : KeepInside(wanted, area)).topLeft();
  setGeometry(QRect(position_, wanted.size()));
  for (int i = 0; i < n; ++i) {
    const bool group = std::find(kGroupRows.begin(), kGroupRows.end(), i) != kGroupRows.end();
    const QImage& normal = item_images_[group ? 3 : 0];
    const QImage& over = item_images_[group ? 2 : 1];
    auto* row = new CBitmapBtn(this, RectLtrb(0, h * i, w + 20, h * (i + 1)));
    row->SetImages(normal, over, over, normal);
    StyleRow(row, items_[static_cast<std::size_t>(i)]);
    connect(row, &CBitmapBtn::clicked, this, [this, i] { OnRowClicked(i); });
    rows_.push_back(row);
  }
  show();
  HoldPointer();
}

void CBmpMenu::HoldPointer() {
  const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  if (x11 == nullptr || x11->connection() == nullptr || internalWinId() == 0) return;
  // Without a window manager a click on the desktop or another program moves
  // no activation: nothing would tell the owner. With owner_events the
  // program's own windows get their clicks as usual; only the others' come
  // here. The server ends the grab when the menu's window goes.
  xcb_connection_t* conn = x11->connection();
  xcb_grab_pointer(conn, 1, static_cast<xcb_window_t>(internalWinId()),
                   XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE,
                   XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC, XCB_NONE, XCB_NONE,
                   XCB_CURRENT_TIME);
  xcb_flush(conn);
}

void CBmpMenu::mousePressEvent(QMouseEvent* event) {
  // Only a press outside the program arrives here outside the menu.
  if (!rect().contains(event->position().toPoint())) {
    PostSignal(this, [this] { emit cancelled(); });
  }
  event->accept();
}

CBitmapBtn* CBmpMenu::Row(int i) const {
  return i >= 0 && i < static_cast<int>(rows_.size()) ? rows_[static_cast<std::size_t>(i)] : nullptr;
}

void CBmpMenu::OnRowClicked(int i) {
  const BmpMenuItem& item = items_[static_cast<std::size_t>(i)];
  // Items with sub-items only open their sub-menu.
  if (item.has_sub_menu) return;
  PostChoice({i, -1, item.id, 0});
}

void CBmpMenu::PostChoice(const MenuChoice& choice) {
  PostSignal(this, [this, choice] { emit picked(choice); });
}

std::int64_t CBmpMenu::OnWindowMessage(std::uint32_t message, std::int64_t wparam,
                                       std::int64_t lparam) {
  static_cast<void>(lparam);
  if (message == WM_BUTTON_HOVER) OnButtonHover(wparam);
  return 0;
}

void CBmpMenu::OnButtonHover(WindowHandle row) {
  last_hover_window_ = row;
  const QPoint cursor = cursor_ ? cursor_() : QCursor::pos();
  for (int i = 0; i < ItemCount(); ++i) {
    BmpMenuItem& item = items_[static_cast<std::size_t>(i)];
    if (i < static_cast<int>(rows_.size()) && HandleOf(rows_[static_cast<std::size_t>(i)]) == row) {
      if (sub_menu_ != nullptr) {
        if (sub_menu_->ParentIndex() == i) return;
        items_[static_cast<std::size_t>(sub_menu_->ParentIndex())].sub_menu_open = false;
        CloseSubMenu();
      }
      if (item.has_sub_menu && !item.sub_menu_open) {
        item.sub_menu_open = true;
        OpenSubMenuOf(i);
      }
    } else if (item.has_sub_menu && item.sub_menu_open && sub_menu_ != nullptr) {
      // Moving into the open sub-menu keeps it; anywhere else closes it.
      if (!sub_menu_->geometry().contains(cursor)) {
        CloseSubMenu();
        item.sub_menu_open = false;
      }
    }
  }
}

void CBmpMenu::OpenSubMenuOf(int i) {
  const int w = item_images_[0].width();
  const int h = item_images_[0].height();
  const QSize sub_size = sub_images_[0].size();
  std::array<QImage, 4> faces;
  for (std::size_t k = 0; k < faces.size(); ++k) {
    faces[k] = sub_images_[k].copy(0, 0, sub_size.width(), sub_size.height());
  }
  int x = position_.x() + w + 20;
  const int y = position_.y() + i * h;
  if (x + sub_size.width() > ScreenRight()) x -= w + sub_size.width();
  sub_menu_ = new CSubBmpMenu(this, i, items_[static_cast<std::size_t>(i)].sub_items, faces,
                              QPoint(x, y));
  connect(sub_menu_, &CSubBmpMenu::picked, this, [this, i](int j) {
    const BmpMenuItem& item = items_[static_cast<std::size_t>(i)];
    PostChoice({i, j, item.id, item.sub_items[static_cast<std::size_t>(j)].id});
  });
}

void CBmpMenu::CloseSubMenu() {
  delete sub_menu_;
  sub_menu_ = nullptr;
  key_sub_row_ = -1;
}

namespace {
// The next row of n in the key's direction, wrapping; from none, the first
// or the last.
int NextRow(int row, int n, int qt_key) {
  if (n <= 0) return -1;
  if (row < 0) return qt_key == Qt::Key_Up ? n - 1 : 0;
  return (row + (qt_key == Qt::Key_Up ? n - 1 : 1)) % n;
}
}  // namespace

bool CBmpMenu::OpenSubMenuByKey() {
  if (key_row_ < 0) return false;
  BmpMenuItem& item = items_[static_cast<std::size_t>(key_row_)];
  if (!item.has_sub_menu) return false;
  if (sub_menu_ == nullptr || sub_menu_->ParentIndex() != key_row_) {
    if (sub_menu_ != nullptr) {
      items_[static_cast<std::size_t>(sub_menu_->ParentIndex())].sub_menu_open = false;
    }
    CloseSubMenu();
    item.sub_menu_open = true;
    OpenSubMenuOf(key_row_);
  }
  key_sub_row_ = 0;
  return true;
}

bool CBmpMenu::HandleKey(int qt_key) {
  const bool in_sub = sub_menu_ != nullptr && key_sub_row_ >= 0;
  switch (qt_key) {
    case Qt::Key_Up:
    case Qt::Key_Down:
      if (in_sub) {
        key_sub_row_ = NextRow(key_sub_row_, sub_menu_->RowCount(), qt_key);
      } else {
        key_row_ = NextRow(key_row_, ItemCount(), qt_key);
      }
      break;
    case Qt::Key_Right:
      if (!in_sub) OpenSubMenuByKey();
      break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
      if (in_sub) {
        sub_menu_->Row(key_sub_row_)->Activate();
      } else if (!OpenSubMenuByKey() && key_row_ >= 0) {
        Row(key_row_)->Activate();
      }
      break;
    case Qt::Key_Left:
    case Qt::Key_Escape:
      if (sub_menu_ != nullptr) {
        items_[static_cast<std::size_t>(sub_menu_->ParentIndex())].sub_menu_open = false;
        CloseSubMenu();
      } else if (qt_key == Qt::Key_Escape) {
        return false;
      }
      break;
    default:
      return false;
  }
  HighlightKeyRows();
  return true;
}

void CBmpMenu::HighlightKeyRows() {
  for (int i = 0; i < static_cast<int>(rows_.size()); ++i) Row(i)->SetHighlighted(i == key_row_);
  if (sub_menu_ == nullptr) return;
  for (int j = 0; j < sub_menu_->RowCount(); ++j) {
    sub_menu_->Row(j)->SetHighlighted(j == key_sub_row_);
  }
}

int CBmpMenu::ScreenRight() const {
  if (screen_right_ >= 0) return screen_right_;
  // The screen of the window the menu belongs to, not the primary one.
  const QRect area = ScreenArea(parentWidget());
  return area.x() + area.width();
}

void CBmpMenu::paintEvent(QPaintEvent*) { PaintFace(this, item_images_[0]); }

}  // namespace vantix
