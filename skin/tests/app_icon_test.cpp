// The application icon as the build writes it for installation: one file
// per hicolor size and nothing else, each square, cut at the corner like the
// windows, opaque on its plate and carrying the lit mark.
#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QImage>
#include <cstdlib>
#include <set>

#include "skin/generator/app_icon.h"
#include "skin/generator/palette.h"

namespace vantix::skin::test {
namespace {

QString IconPath(int size) {
  return QStringLiteral("%1/%2x%2/apps/%3.png")
      .arg(QString::fromUtf8(VANTIX_ICON_THEME_DIR))
      .arg(size)
      .arg(QString::fromUtf8(VANTIX_APP_ID));
}

bool NearAccent(QRgb pixel) {
  const QRgb accent = palette::kAccent;
  return qAlpha(pixel) > 200 && std::abs(qRed(pixel) - qRed(accent)) < 40 &&
         std::abs(qGreen(pixel) - qGreen(accent)) < 40 && std::abs(qBlue(pixel) - qBlue(accent)) < 40;
}

class AppIconTest : public ::testing::TestWithParam<int> {};

TEST_P(AppIconTest, IsASquareCutPlateWithTheLitMark) {
  const int size = GetParam();
  QImage icon(IconPath(size));
  ASSERT_FALSE(icon.isNull()) << IconPath(size).toStdString();
  EXPECT_EQ(icon.size(), QSize(size, size));
  EXPECT_TRUE(icon.hasAlphaChannel());
  icon = icon.convertToFormat(QImage::Format_ARGB32);

  // The long cut leaves the top-left corner empty; the plate is whole in the
  // middle.
  EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0);
  EXPECT_EQ(qAlpha(icon.pixel(size / 4, size - size / 4)), 255);
  EXPECT_EQ(qAlpha(icon.pixel(size - size / 4, size / 4)), 255);

  // The inner chevron in the accent, in the upper middle of the plate.
  int lit = 0;
  for (int y = size / 4; y < size * 3 / 4; ++y) {
    for (int x = size / 4; x < size * 3 / 4; ++x) lit += NearAccent(icon.pixel(x, y)) ? 1 : 0;
  }
  EXPECT_GE(lit, std::max(2, size * size / 200)) << "the mark is missing or faint";
}

INSTANTIATE_TEST_SUITE_P(Hicolor, AppIconTest, ::testing::ValuesIn(kAppIconSizes),
                         [](const auto& info) { return std::to_string(info.param) + "px"; });

TEST(AppIconTheme, HoldsOnlyTheIconsSizes) {
  std::set<QString> expected;
  for (const int size : kAppIconSizes) expected.insert(IconPath(size));
  std::set<QString> found;
  QDirIterator files(QString::fromUtf8(VANTIX_ICON_THEME_DIR), QDir::Files, QDirIterator::Subdirectories);
  while (files.hasNext()) found.insert(files.next());
  EXPECT_EQ(found, expected);
}

}  // namespace
}  // namespace vantix::skin::test
