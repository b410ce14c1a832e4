#include "ui/bmp_menu.h"

#include <QScreen>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "ui/bitmap_btn.h"
#include "ui/skin.h"
#include "ui/tests/ui_test_support.h"

using namespace Qt::StringLiterals;

namespace vantix {
namespace {

constexpr int kItemW = 130;
constexpr int kItemH = 20;
constexpr int kSubW = 100;
constexpr int kSubH = 18;
const QPoint kAt(300, 200);

const QColor kItemNormal(30, 30, 30);
const QColor kItemOver(60, 60, 60);
const QColor kGroupOver(0, 90, 0);
const QColor kGroupNormal(0, 40, 0);

// The function menu's shape: 16 items; items 7..10, 12 and 14 have
// sub-menus, item 10's with `macro_entries` entries.
class MenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    skin_.AddImage(u"background"_s, u"menuitem-n.png"_s, test::Solid({kItemW, kItemH}, kItemNormal));
    skin_.AddImage(u"background"_s, u"menuitem-d.png"_s, test::Solid({kItemW, kItemH}, kItemOver));
    skin_.AddImage(u"background"_s, u"menuitem-d2.png"_s, test::Solid({kItemW, kItemH}, kGroupOver));
    skin_.AddImage(u"background"_s, u"menuitem-n2.png"_s, test::Solid({kItemW, kItemH}, kGroupNormal));
    skin_.AddImage(u"background"_s, u"sub-n.png"_s, test::Solid({kSubW, kSubH}, Qt::darkBlue));
    skin_.AddImage(u"background"_s, u"sub-d.png"_s, test::Solid({kSubW + 50, kSubH + 10}, Qt::blue));
    owner_.resize(800, 600);
  }

  std::unique_ptr<CBmpMenu> Build(int macro_entries = 3, int screen_right = 4000, QPoint at = kAt) {
    const Skin skin(skin_.ProgramFolder());
    auto menu = std::make_unique<CBmpMenu>(&owner_);
    menu->SetItemImages(skin.BackgroundPath("menuitem-n.png"), skin.BackgroundPath("menuitem-d.png"),
                        skin.BackgroundPath("menuitem-d2.png"), skin.BackgroundPath("menuitem-n2.png"));
    menu->SetSubImages(skin.BackgroundPath("sub-n.png"), skin.BackgroundPath("sub-d.png"),
                       skin.BackgroundPath("sub-d.png"), skin.BackgroundPath("sub-n.png"));
    menu->SetPosition(at);
    menu->SetScreenRight(screen_right);
    menu->SetCursorSource([this] { return cursor_; });
    for (int i = 0; i < 16; ++i) EXPECT_TRUE(menu->AddItem(u"Item %1"_s.arg(i), i + 1));
    for (int i : {7, 8, 9, 12, 14}) {
      for (int j = 0; j < 3; ++j) EXPECT_TRUE(menu->AddSubItem(i, u"Sub %1"_s.arg(j), 17 + j));
    }
    for (int j = 0; j < macro_entries; ++j) {
      EXPECT_TRUE(menu->AddSubItem(10, u"Macro"_s, j == 0 ? 11 : j - 1));
    }
    menu->Create();
    QObject::connect(menu.get(), &CBmpMenu::picked, &owner_,
                     [this](const MenuChoice& choice) { picks_.push_back(choice); });
    QObject::connect(menu.get(), &CBmpMenu::cancelled, &owner_, [this] { ++cancels_; });
    return menu;
  }

  void HoverRow(CBmpMenu& menu, int i) {
    cursor_ = menu.Row(i)->mapToGlobal(QPoint(5, 5));
    test::Move(menu.Row(i), {5, 5});
    test::Pump();
  }

  test::SkinFolder skin_;
  test::MessageLog owner_;
  QPoint cursor_;
  // What the owner got from the menu.
  std::vector<MenuChoice> picks_;
  int cancels_ = 0;
};

TEST_F(MenuTest, ColumnOfRowsAtItsPosition) {
  auto menu = Build();
  EXPECT_EQ(menu->geometry(), QRect(kAt, QSize(kItemW + 20, 16 * kItemH)));
  EXPECT_TRUE(menu->isVisible());
  EXPECT_EQ(menu->Row(3)->geometry(), QRect(0, 3 * kItemH, kItemW + 20, kItemH));
  EXPECT_EQ(menu->Row(3)->Caption(), u"Item 3"_s);
  // Group rows take the second pair of images.
  EXPECT_EQ(test::PixelOf(menu->Row(3), {2, 2}), kItemNormal);
  EXPECT_EQ(test::PixelOf(menu->Row(12), {2, 2}), kGroupNormal);
}

// Grey text under the pointer would read as a disabled row.
TEST_F(MenuTest, TheRowUnderThePointerReadsInTheAccent) {
  auto menu = Build();
  test::ShowActive(menu.get());
  const QColor accent = FromColorRef(0xCCFF00);
  EXPECT_FALSE(test::HasPixel(menu->Row(3)->grab().toImage(), accent));
  HoverRow(*menu, 3);
  ASSERT_TRUE(menu->Row(3)->Hovering());
  EXPECT_TRUE(test::HasPixel(menu->Row(3)->grab().toImage(), accent));
}

TEST_F(MenuTest, ItemsReportTheirIndexAndValueItemsWithSubItemsReportNothing) {
  auto menu = Build();
  test::Press(menu->Row(5), {5, 5});
  test::Release(menu->Row(5), {5, 5});
  test::Press(menu->Row(7), {5, 5});
  test::Release(menu->Row(7), {5, 5});
  EXPECT_TRUE(picks_.empty()) << "from the owner's queue, not during the click";
  test::Pump();
  EXPECT_EQ(picks_, (std::vector<MenuChoice>{{5, -1, 6, 0}}));
}

// On X11 the menu holds the pointer: a press outside the program arrives at
// the menu, outside its rectangle, and the owner is told to close it.
TEST_F(MenuTest, APressOutsideTheMenuAsksTheOwnerToCloseIt) {
  auto menu = Build();
  test::Press(menu.get(), {-40, 5});
  test::Press(menu.get(), {5, 16 * kItemH + 30});
  test::Pump();
  EXPECT_EQ(cancels_, 2);
  EXPECT_TRUE(picks_.empty());
}

struct SubMenuCase {
  int item;
  int entries;
  int y_shift;
};

void PrintTo(const SubMenuCase& c, std::ostream* out) {
  *out << "item " << c.item << " with " << c.entries << " entries";
}

class SubMenuPlacement : public MenuTest, public ::testing::WithParamInterface<SubMenuCase> {};

TEST_P(SubMenuPlacement, OpensBesideItsRow) {
  const SubMenuCase& c = GetParam();
  auto menu = Build(c.entries);
  test::ShowActive(&owner_);
  HoverRow(*menu, c.item);
  CSubBmpMenu* sub = menu->OpenSubMenu();
  ASSERT_NE(sub, nullptr);
  EXPECT_EQ(sub->ParentIndex(), c.item);
  const int n = c.item == 10 ? c.entries : 3;
  EXPECT_EQ(sub->geometry(),
            QRect(kAt.x() + kItemW + 20, kAt.y() + c.item * kItemH + c.y_shift, kSubW + 20, n * kSubH + 1));
  // Rows one pixel short, one pixel apart.
  EXPECT_EQ(sub->Row(1)->geometry(), QRect(0, 1 + kSubH, kSubW + 20, kSubH - 1));
  EXPECT_TRUE(menu->Item(c.item).sub_menu_open);
}

INSTANTIATE_TEST_SUITE_P(Rows, SubMenuPlacement,
                         ::testing::Values(SubMenuCase{7, 3, 0}, SubMenuCase{8, 3, -120},
                                           SubMenuCase{9, 3, -20}, SubMenuCase{10, 6, 0},
                                           SubMenuCase{10, 9, -60}, SubMenuCase{12, 3, 0}));

TEST_F(MenuTest, SubMenuThatWouldCrossTheScreenEdgeOpensToTheLeft) {
  auto menu = Build(3, kAt.x() + kItemW + 20 + kSubW - 1);
  test::ShowActive(&owner_);
  HoverRow(*menu, 7);
  ASSERT_NE(menu->OpenSubMenu(), nullptr);
  EXPECT_EQ(menu->OpenSubMenu()->pos(), QPoint(kAt.x() + 20 - kSubW, kAt.y() + 7 * kItemH));
}

TEST_F(MenuTest, SubMenuThatWouldRunPastTheScreenBottomMovesUp) {
  const QRect area = owner_.screen()->availableGeometry();
  const QPoint at(kAt.x(), area.bottom() + 1 - 16 * kItemH);  // the menu's last row at the end
  auto menu = Build(3, 4000, at);
  test::ShowActive(&owner_);
  HoverRow(*menu, 14);
  ASSERT_NE(menu->OpenSubMenu(), nullptr);
  EXPECT_EQ(menu->OpenSubMenu()->geometry(),
            QRect(at.x() + kItemW + 20, area.bottom() + 1 - (3 * kSubH + 1), kSubW + 20, 3 * kSubH + 1));
  // Higher up, where it fits, it stays beside its row.
  HoverRow(*menu, 7);
  ASSERT_NE(menu->OpenSubMenu(), nullptr);
  EXPECT_EQ(menu->OpenSubMenu()->pos(), QPoint(at.x() + kItemW + 20, at.y() + 7 * kItemH));
}

TEST_F(MenuTest, AMenuAskedToOpenPastTheScreenOpensOnIt) {
  const QRect area = owner_.screen()->availableGeometry();
  struct Case {
    const char* name;
    QPoint asked;
    QPoint shown;
  };
  const Case cases[] = {
      {"past the bottom-right", area.bottomRight(),
       area.bottomRight() + QPoint(1, 1) - QPoint(kItemW + 20, 16 * kItemH)},
      {"past the top-left", area.topLeft() - QPoint(50, 50), area.topLeft()},
  };
  for (const Case& c : cases) {
    auto menu = Build(3, 4000, c.asked);
    EXPECT_EQ(menu->pos(), c.shown) << c.name;
    EXPECT_EQ(menu->Position(), c.shown) << c.name;
  }
}

TEST_F(MenuTest, SubItemChoiceReachesTheOwnerWithBothIndexesAndValues) {
  auto menu = Build(5);
  test::ShowActive(&owner_);
  HoverRow(*menu, 10);
  CSubBmpMenu* sub = menu->OpenSubMenu();
  ASSERT_NE(sub, nullptr);
  test::Press(sub->Row(3), {5, 5});
  test::Release(sub->Row(3), {5, 5});
  test::Pump();
  EXPECT_EQ(picks_, (std::vector<MenuChoice>{{10, 3, 11, 2}}));
}

TEST_F(MenuTest, PointerDecidesWhichSubMenuIsOpen) {
  auto menu = Build();
  test::ShowActive(&owner_);
  HoverRow(*menu, 8);
  CSubBmpMenu* first = menu->OpenSubMenu();
  ASSERT_NE(first, nullptr);

  // The same row again: nothing changes.
  HoverRow(*menu, 8);
  EXPECT_EQ(menu->OpenSubMenu(), first);

  // Leaving the row for the sub-menu keeps it open.
  cursor_ = first->geometry().center();
  test::Leave(menu->Row(8));
  test::Pump();
  EXPECT_EQ(menu->OpenSubMenu(), first);

  // A row without sub-items closes it.
  HoverRow(*menu, 3);
  EXPECT_EQ(menu->OpenSubMenu(), nullptr);
  EXPECT_FALSE(menu->Item(8).sub_menu_open);

  // Another group row opens its own.
  HoverRow(*menu, 12);
  ASSERT_NE(menu->OpenSubMenu(), nullptr);
  HoverRow(*menu, 14);
  ASSERT_NE(menu->OpenSubMenu(), nullptr);
  EXPECT_EQ(menu->OpenSubMenu()->ParentIndex(), 14);
  EXPECT_FALSE(menu->Item(12).sub_menu_open);
}

TEST_F(MenuTest, OwnerMayDeleteTheMenuOnItsChoice) {
  auto menu = Build();
  test::ShowActive(&owner_);
  HoverRow(*menu, 9);
  CSubBmpMenu* sub = menu->OpenSubMenu();
  ASSERT_NE(sub, nullptr);
  test::Press(sub->Row(0), {5, 5});
  test::Release(sub->Row(0), {5, 5});
  menu.reset();  // before the choice arrives
  test::Pump();
  EXPECT_TRUE(picks_.empty());
}

TEST_F(MenuTest, LimitsAreRefusedNotOverrun) {
  CBmpMenu menu(&owner_);
  for (int i = 0; i < kMenuMaxRows; ++i) EXPECT_TRUE(menu.AddItem(u"x"_s, i));
  EXPECT_FALSE(menu.AddItem(u"one too many"_s, 99));
  EXPECT_FALSE(menu.AddSubItem(-1, u"x"_s, 1));
  EXPECT_FALSE(menu.AddSubItem(kMenuMaxRows, u"x"_s, 1));
  for (int j = 0; j < kMenuMaxRows; ++j) EXPECT_TRUE(menu.AddSubItem(0, u"x"_s, j));
  EXPECT_FALSE(menu.AddSubItem(0, u"x"_s, 99));

  CBmpMenu texts(&owner_);
  texts.AddItem(QString(300, u'a'), 1);
  texts.AddItem(QString(258, u'a') + QString::fromUtf8("\xF0\x9F\x98\x80"), 2);
  EXPECT_EQ(texts.Item(0).text.size(), kMenuMaxTextUnits);
  EXPECT_EQ(texts.Item(1).text, QString(258, u'a')) << "no half of a surrogate pair";
}

TEST_F(MenuTest, MissingImagesGiveAFlatMenuWithoutHarm) {
  CBmpMenu menu(&owner_);
  menu.SetItemImages(u"/nonexistent/a.png"_s, u""_s, u""_s, u""_s);
  menu.SetPosition(kAt);
  menu.AddItem(u"Only"_s, 4);
  menu.AddSubItem(0, u"Sub"_s, 5);
  menu.AddItem(u"Second"_s, 6);
  menu.Create();
  EXPECT_EQ(menu.size(), QSize(20, 0));
  test::Move(menu.Row(0), {0, 0});
  test::Pump();
  ASSERT_NE(menu.OpenSubMenu(), nullptr);
  EXPECT_EQ(menu.OpenSubMenu()->size(), QSize(20, 1));
}

}  // namespace
}  // namespace vantix
