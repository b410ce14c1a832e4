// Skinned popup menus: CBmpMenu, one column of CBitmapBtn rows, and one level
// of sub-menus (CSubBmpMenu) that open to the right of an item as soon as the
// pointer moves onto it. The menu runs no loop of its own and never closes
// itself: the owner creates it, receives the choice as the signal picked
// and deletes it. A click outside the program reaches the menu on X11 (it
// holds the pointer while open, for clicks on other programs' windows and
// the desktop only) and is passed on as the signal cancelled; the owner
// closes the menu then, as on Escape and when the program loses the
// activation. Both signals come from the owner's event queue, after the
// click has been handled, so the owner may delete the menu in its handler; a
// menu deleted first sends nothing more.
// On X11 the menus are windows the window manager leaves alone, placed
// exactly; on Wayland they are popups of the window below them (the menu of
// the main window, a sub-menu of its menu), which the compositor places
// relative to it.
// The menu never takes the focus: its owner passes it the keys while it is
// open (HandleKey). Up/Down move along the rows of the deepest open level,
// Right or Enter open an item's sub-menu, Left closes the sub-menu, Enter
// picks as a click does; Escape closes a sub-menu, and at the top level is
// left to the owner, which closes the menu.
#pragma once

#include <QImage>
#include <QPoint>
#include <QString>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "ui/window_message.h"

namespace vantix {

class CBitmapBtn;

inline constexpr int kMenuMaxRows = 20;
inline constexpr int kMenuMaxTextUnits = 259;

struct BmpMenuItem {
  QString text;
  bool has_sub_menu = false;
  bool sub_menu_open = false;
  std::int32_t id = 0;
  std::vector<BmpMenuItem> sub_items;
  bool current = false;  // what the menu's owner has now: marked, in the accent
};

// A choice in the menu: the item's place and value, and the sub-item's
// where the item has a sub-menu.
struct MenuChoice {
  int item = -1;
  int sub = -1;  // -1: an item without sub-items
  std::int32_t value = 0;
  std::int32_t sub_value = 0;
  bool operator==(const MenuChoice&) const = default;
};

class CSubBmpMenu final : public QWidget {
  Q_OBJECT

 public:
  // images: normal, pointer-over, pressed, disabled.
  CSubBmpMenu(QWidget* menu, int parent_index, const std::vector<BmpMenuItem>& items,
              const std::array<QImage, 4>& images, QPoint position);
  int ParentIndex() const { return parent_index_; }
  CBitmapBtn* Row(int j) const;
  int RowCount() const { return static_cast<int>(rows_.size()); }

 signals:
  // A click on row j.
  void picked(int j);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:

  int parent_index_;
  std::vector<BmpMenuItem> items_;
  std::array<QImage, 4> images_;
  std::vector<CBitmapBtn*> rows_;
};

class CBmpMenu final : public MessageWindow<QWidget> {
  Q_OBJECT

 public:
  // The owner receives the menu's messages.
  explicit CBmpMenu(QWidget* owner);
  ~CBmpMenu() override;

  // Each loads four files: normal and pointer-over of the ordinary rows, then
  // pointer-over and normal of the group rows (those at kGroupRows).
  void SetItemImages(const QString& path0, const QString& path1, const QString& path2,
                     const QString& path3);
  // Sub-menu faces: normal, pointer-over, pressed, disabled.
  void SetSubImages(const QString& path0, const QString& path1, const QString& path2,
                    const QString& path3);
  // Screen position of the top-left corner, before Create.
  void SetPosition(QPoint position) { position_ = position; }
  QPoint Position() const { return position_; }

  // False (and nothing added) past kMenuMaxRows items; texts are cut to
  // kMenuMaxTextUnits units.
  bool AddItem(const QString& text, std::int32_t id);
  // False for an index that names no item or a full sub-menu.
  bool AddSubItem(int item_index, const QString& text, std::int32_t id);
  // Marks an item, and one of its sub-items (or none: -1), as the current
  // choice; before Create.
  void MarkCurrent(int item_index, int sub_index = -1);
  // Builds the rows and shows the menu.
  void Create();

  int ItemCount() const { return static_cast<int>(items_.size()); }
  const BmpMenuItem& Item(int i) const { return items_[static_cast<std::size_t>(i)]; }
  CBitmapBtn* Row(int i) const;
  CSubBmpMenu* OpenSubMenu() const { return sub_menu_; }

  // A key while the menu is open; false when the key is not the menu's
  // (Escape at the top level among them).
  bool HandleKey(int qt_key);
  // The rows the keys stand on (-1: none yet, or no sub-menu of the keys).
  int KeyRow() const { return key_row_; }
  int KeySubRow() const { return key_sub_row_; }

  // Where the pointer is, in screen coordinates; tests stand in for it.
  void SetCursorSource(std::function<QPoint()> source) { cursor_ = std::move(source); }
  // The right edge of the screen that a sub-menu must not cross.
  void SetScreenRight(int right) { screen_right_ = right; }

  std::int64_t OnWindowMessage(std::uint32_t message, std::int64_t wparam,
                               std::int64_t lparam) override;

 signals:
  void picked(const vantix::MenuChoice& choice);
  void cancelled();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  void OnRowClicked(int i);
  void PostChoice(const MenuChoice& choice);
  void HoldPointer();
  void OnButtonHover(WindowHandle row);
  void OpenSubMenuOf(int i);
  void CloseSubMenu();
  int ScreenRight() const;
  void HighlightKeyRows();
  bool OpenSubMenuByKey();

  std::array<QImage, 4> item_images_;
  std::array<QImage, 4> sub_images_;
  QPoint position_;
  std::vector<BmpMenuItem> items_;
  std::vector<CBitmapBtn*> rows_;
  CSubBmpMenu* sub_menu_ = nullptr;
  WindowHandle last_hover_window_ = kNoWindow;
  std::function<QPoint()> cursor_;
  int screen_right_ = -1;
  int key_row_ = -1;
  int key_sub_row_ = -1;
};

}  // namespace vantix
