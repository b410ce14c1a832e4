#include "ui/skin.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QToolTip>

#include <gtest/gtest.h>

#include "ui/tests/ui_test_support.h"

using namespace Qt::StringLiterals;

namespace vantix {
namespace {

TEST(Skin, PathsJoinTheProgramFolderAndTheSkinFolders) {
  const Skin skin("/opt/vantix/");
  EXPECT_EQ(skin.BackgroundPath("dlg.png"), u"/opt/vantix/images/0409/background/dlg.png"_s);
  EXPECT_EQ(skin.ButtonsPath("ok-1.png"), u"/opt/vantix/images/0409/buttons/ok-1.png"_s);
  EXPECT_EQ(skin.ControlsPath("y.png"), u"/opt/vantix/images/0409/controls/y.png"_s);
}

TEST(Skin, UiTextReadsTheStringFile) {
  test::SkinFolder folder;
  const std::string long_text(5000, 'x');
  // 4094 units, then a character of two units that would end past 4095.
  const std::string pair_at_cut = std::string(4094, 'y') + "\xF0\x9F\x98\x80";
  folder.SetSkinsIni("[General]\r\n46=OK\r\n47=Abbrechen \xC3\xBC\r\n"
                     "[WARNING]\r\n1=" + long_text + "\r\n2=" + pair_at_cut + "\r\n");
  const Skin skin(folder.ProgramFolder());
  EXPECT_EQ(skin.UiText("General", 46), u"OK"_s);
  EXPECT_EQ(skin.UiText("General", 47), QString::fromUtf8("Abbrechen \xC3\xBC"));
  EXPECT_EQ(skin.UiText("General", 48), u""_s);
  EXPECT_EQ(skin.UiText("MACRO", 1), u""_s);
  EXPECT_EQ(skin.UiText("WARNING", 1), QString(4095, u'x'));
  EXPECT_EQ(skin.UiText("WARNING", 2), QString(4094, u'y'));

  const Skin nowhere("/nonexistent/");
  EXPECT_EQ(nowhere.UiText("General", 46), u""_s);
}

TEST(Skin, MissingOrBrokenImagesLoadAsEmptyImages) {
  test::SkinFolder folder;
  folder.AddImage(u"buttons"_s, u"ok-1.png"_s, test::Solid(QSize(93, 26), Qt::red));
  const Skin skin(folder.ProgramFolder());
  EXPECT_EQ(LoadSkinImage(skin.ButtonsPath("ok-1.png")).size(), QSize(93, 26));
  EXPECT_TRUE(LoadSkinImage(skin.ButtonsPath("ok-2.png")).isNull());
  EXPECT_EQ(LoadSkinImage(skin.ButtonsPath("ok-2.png")).size(), QSize(0, 0));
  EXPECT_TRUE(LoadSkinImage(QString::fromStdString(folder.ProgramFolder()) + u"images"_s).isNull());
}

TEST(Skin, FontHeightIsTheWholeCell) {
  for (int height : {13, 15, 18, 20}) {
    const QFontMetrics metrics(SkinFont(height, 700));
    EXPECT_NEAR(metrics.height(), height, 1) << height;
  }
  EXPECT_EQ(SkinFont(-12, 400).pixelSize(), 12);
  EXPECT_TRUE(SkinFont(15, 400, true).italic());
  EXPECT_EQ(SkinFont(15, 700).weight(), QFont::Bold);
}

// The skin's metrics come from a font with Arial's widths; the cell height
// holds for the fallback too, so a forced family changes widths only.
TEST(Skin, FontIsLiberationSansWithArialAsAliasOrTheFamilyAskedFor) {
  EXPECT_EQ(SkinFontFamilies(), (QStringList{u"Liberation Sans"_s, u"Arial"_s}));
  EXPECT_EQ(QFontInfo(SkinFont(15, 400)).family(), u"Liberation Sans"_s);
  SetSkinFontFamily(QStringLiteral("DejaVu Sans"));
  EXPECT_EQ(QFontInfo(SkinFont(15, 400)).family(), u"DejaVu Sans"_s);
  EXPECT_NEAR(QFontMetrics(SkinFont(15, 700)).height(), 15, 1);
  SetSkinFontFamily({});
  EXPECT_EQ(QFontInfo(SkinFont(15, 400)).family(), u"Liberation Sans"_s);
}

TEST(Skin, TooltipsAreLightOnTheMenuGrey) {
  ApplySkinToolTipLook();
  const QPalette tips = QToolTip::palette();
  EXPECT_EQ(tips.color(QPalette::ToolTipBase), QColor(0x1E, 0x1E, 0x1E));
  EXPECT_EQ(tips.color(QPalette::ToolTipText), QColor(Qt::white));
}

TEST(Skin, ColorRefsAreRedInTheLowByte) {
  EXPECT_EQ(FromColorRef(0xCCFF00), QColor(0, 255, 204));
  EXPECT_EQ(ToColorRef(QColor(255, 0, 0)), 0x0000FFu);
  EXPECT_EQ(RectLtrb(135, 219, 228, 245), QRect(135, 219, 93, 26));
}

}  // namespace
}  // namespace vantix
