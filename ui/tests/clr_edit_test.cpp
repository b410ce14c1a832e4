// The edit field and the label.
#include "ui/clr_edit.h"

#include <QTest>

#include <gtest/gtest.h>

#include "ui/skin.h"
#include "ui/static_trans.h"
#include "ui/tests/ui_test_support.h"
#include "ui/virtual_key.h"

using namespace Qt::StringLiterals;

namespace vantix {
namespace {

using test::Received;

TEST(ClrEdit, EveryReleasedKeyIsReportedWithTheTag) {
  test::MessageLog window;
  auto* edit = new CClrEdit(&window, RectLtrb(501, 440, 531, 458), 0x5001);
  edit->SetNotifyKeyUp(true);
  edit->SetTag(255);
  QTest::keyRelease(edit, Qt::Key_5);
  QTest::keyRelease(edit, Qt::Key_Backspace);
  QTest::keyRelease(edit, Qt::Key_Left);
  // A held key repeats its press, not its release.
  QKeyEvent repeated(QEvent::KeyRelease, Qt::Key_5, Qt::NoModifier, u"5"_s, true);
  QApplication::sendEvent(edit, &repeated);
  EXPECT_TRUE(window.received.empty());
  test::Pump();
  EXPECT_EQ(window.Of(WM_EDIT_KEYUP), (std::vector<Received>{{WM_EDIT_KEYUP, 0x35, 255},
                                                             {WM_EDIT_KEYUP, 0x08, 255},
                                                             {WM_EDIT_KEYUP, 0x25, 255}}));

  window.received.clear();
  edit->SetNotifyKeyUp(false);
  QTest::keyRelease(edit, Qt::Key_5);
  test::Pump();
  EXPECT_TRUE(window.Of(WM_EDIT_KEYUP).empty());
}

TEST(ClrEdit, FocusComesAndGoesInOrderWhateverTheKeyNotice) {
  QWidget window;
  window.resize(200, 100);
  test::ShowActive(&window);
  // One parent per field, to tell whose notices are whose.
  auto* first_parent = new test::MessageLog(&window);
  auto* second_parent = new test::MessageLog(&window);
  auto* first = new CClrEdit(first_parent, QRect(0, 0, 50, 20), 1);
  auto* second = new CClrEdit(second_parent, QRect(0, 0, 50, 20), 2);
  first_parent->show();
  second_parent->show();
  first->setFocus();
  second->setFocus();
  test::Pump();
  EXPECT_EQ(first_parent->Of(WM_EDIT_FOCUS),
            (std::vector<Received>{{WM_EDIT_FOCUS, 1, 0}, {WM_EDIT_FOCUS, 2, 0}}));
  EXPECT_EQ(second_parent->Of(WM_EDIT_FOCUS), (std::vector<Received>{{WM_EDIT_FOCUS, 1, 0}}));
}

TEST(ClrEdit, PaintsItsOwnBackground) {
  test::MessageLog window;
  auto* edit = new CClrEdit(&window, QRect(0, 0, 50, 20), 1);
  edit->SetBackColor(0x5E5E5E);
  EXPECT_EQ(test::PixelOf(edit, {1, 1}), QColor(0x5E, 0x5E, 0x5E));
}

TEST(ClrEdit, ItsFrameShowsWhereItIsAndTurnsToTheAccentWithTheFocus) {
  QWidget window;
  window.resize(200, 100);
  test::ShowActive(&window);
  auto* first = new CClrEdit(&window, QRect(0, 0, 50, 20), 1);
  auto* second = new CClrEdit(&window, QRect(0, 40, 50, 20), 2);
  for (CClrEdit* e : {first, second}) e->SetBackColor(0x5E5E5E);
  const QColor accent = FromColorRef(0xCCFF00);
  first->setFocus();
  test::Pump();
  EXPECT_EQ(test::PixelOf(first, {0, 10}), accent);
  const QColor idle = test::PixelOf(second, {0, 10});
  EXPECT_NE(idle, accent);
  EXPECT_NE(idle, QColor(0x5E, 0x5E, 0x5E));  // a frame, not the box's own grey
  second->setFocus();
  test::Pump();
  EXPECT_EQ(test::PixelOf(second, {0, 10}), accent);
  EXPECT_EQ(test::PixelOf(first, {0, 10}), idle);
}

TEST(VirtualKey, QtKeysMapToTheirVirtualKeyCodes) {
  struct Case {
    int key;
    Qt::KeyboardModifiers modifiers;
    std::uint32_t vk;
  };
  const Case cases[] = {
      {Qt::Key_A, Qt::NoModifier, 0x41},        {Qt::Key_Z, Qt::ShiftModifier, 0x5A},
      {Qt::Key_0, Qt::NoModifier, 0x30},        {Qt::Key_7, Qt::KeypadModifier, 0x67},
      {Qt::Key_Exclam, Qt::ShiftModifier, 0x31}, {Qt::Key_Return, Qt::NoModifier, 0x0D},
      {Qt::Key_Enter, Qt::KeypadModifier, 0x0D}, {Qt::Key_Tab, Qt::NoModifier, 0x09},
      {Qt::Key_Escape, Qt::NoModifier, 0x1B},   {Qt::Key_Delete, Qt::NoModifier, 0x2E},
      {Qt::Key_F5, Qt::NoModifier, 0x74},       {Qt::Key_Minus, Qt::NoModifier, 0xBD},
      {Qt::Key_Minus, Qt::KeypadModifier, 0x6D}, {Qt::Key_Down, Qt::NoModifier, 0x28},
      {Qt::Key_unknown, Qt::NoModifier, 0},     {Qt::Key_Eacute, Qt::NoModifier, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(WindowsVirtualKey(c.key, c.modifiers), c.vk) << c.key;
}

TEST(StaticTrans, StyleTypeIsANumberNotFlags) {
  QWidget window;
  CStaticTrans centred(&window, u"A"_s, kLabelStyle | SS_CENTER, QRect(0, 0, 100, 20));
  EXPECT_EQ(centred.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
  EXPECT_TRUE(centred.wordWrap());

  CStaticTrans simple(&window, u"R:"_s, kLabelStyle | SS_SIMPLE, QRect(0, 0, 100, 20));
  simple.ModifyStyle(0, SS_RIGHT);  // 0xB | 0x2 is still 0xB
  EXPECT_EQ(simple.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
  EXPECT_FALSE(simple.wordWrap());

  CStaticTrans title(&window, u"T"_s, kLabelStyle, QRect(0, 0, 100, 20));
  title.ModifyStyle(SS_RIGHT, SS_CENTER);
  EXPECT_EQ(title.Style(), kLabelStyle | SS_CENTER);
  EXPECT_EQ(title.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
}

TEST(StaticTrans, TransparentLabelShowsOnlyItsCurrentText) {
  // The parent's face, a colour no text uses.
  QWidget window;
  window.resize(200, 40);
  window.setAutoFillBackground(true);
  QPalette p = window.palette();
  p.setColor(QPalette::Window, QColor(10, 60, 110));
  window.setPalette(p);
  auto* label = new CStaticTrans(&window, u"WWWWWWWW"_s, kLabelStyle, QRect(0, 0, 200, 40));
  label->SetFontHeight(30);
  ASSERT_TRUE(test::HasPixel(window.grab().toImage(), Qt::white));
  label->setText(u"i"_s);
  const QImage after = window.grab().toImage();

  QWidget reference;
  reference.resize(200, 40);
  reference.setAutoFillBackground(true);
  reference.setPalette(p);
  auto* fresh = new CStaticTrans(&reference, u"i"_s, kLabelStyle, QRect(0, 0, 200, 40));
  fresh->SetFontHeight(30);
  EXPECT_EQ(after, reference.grab().toImage());
  EXPECT_EQ(after.pixelColor(150, 20), QColor(10, 60, 110));
}

TEST(StaticTrans, SolidLabelKeepsTheWindowFont) {
  QWidget window;
  QFont window_font(u"DejaVu Sans"_s);
  window_font.setPixelSize(11);
  window.setFont(window_font);
  CStaticTrans label(&window, u"0"_s, kLabelStyle, QRect(0, 0, 60, 30));
  label.SetFontHeight(25);
  EXPECT_NE(label.font().pixelSize(), 11);
  label.SetBackColor(0x000000);
  EXPECT_EQ(label.font().pixelSize(), 11);
  EXPECT_EQ(test::PixelOf(&label, {58, 28}), QColor(0, 0, 0));
}

TEST(StaticTrans, OnlyNotifyingLabelsReportClicks) {
  QWidget window;
  CStaticTrans tab(&window, u"Tab"_s, kLabelStyle | SS_NOTIFY | SS_CENTER, QRect(0, 0, 60, 20));
  CStaticTrans plain(&window, u"Text"_s, kLabelStyle, QRect(0, 30, 60, 20));
  int tab_clicks = 0;
  int plain_clicks = 0;
  QObject::connect(&tab, &CStaticTrans::clicked, [&] { ++tab_clicks; });
  QObject::connect(&plain, &CStaticTrans::clicked, [&] { ++plain_clicks; });
  test::Press(&tab, {5, 5});
  test::Press(&plain, {5, 5});
  EXPECT_EQ(tab_clicks, 1);
  EXPECT_EQ(plain_clicks, 0);
}

}  // namespace
}  // namespace vantix
