// The generated images: every file the manifest names, at its size and in
// its format, and what the windows rely on when they draw them.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <algorithm>
#include <set>
#include <vector>

#include "skin/skin_manifest.h"
#include "skin/tests/skin_test_support.h"

namespace vantix::skin::test {
namespace {

// ---- every file ------------------------------------------------------------

class SkinImageTest : public ::testing::TestWithParam<SkinImage> {};

TEST_P(SkinImageTest, IsThereWithItsSizeAndFormat) {
  const SkinImage& entry = GetParam();
  QFile file(PathOf(entry));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << PathOf(entry).toStdString();
  const QByteArray magic = file.read(8);
  if (IsOutline(entry)) {
    EXPECT_TRUE(magic.startsWith("BM"));
  } else {
    EXPECT_TRUE(magic.startsWith("\x89PNG\r\n\x1a\n"));
  }
  const QImage image(PathOf(entry));
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(image.width(), entry.width);
  EXPECT_EQ(image.height(), entry.height);
}

INSTANTIATE_TEST_SUITE_P(Manifest, SkinImageTest, ::testing::ValuesIn(kSkinImages),
                         [](const auto& info) { return TestName(info.param.name); });

// An image left from an older skin would be installed and could shadow a
// renamed one.
TEST(SkinTree, HoldsExactlyTheManifestsImages) {
  for (const SkinFolder folder :
       {SkinFolder::kBackground, SkinFolder::kButtons, SkinFolder::kControls}) {
    std::set<QString> expected;
    for (const SkinImage& image : kSkinImages) {
      if (image.folder == folder) expected.insert(ToQString(image.name));
    }
    // Beside its bitmap: the main window's outline, cut once by the build.
    if (folder == SkinFolder::kBackground) expected.insert(QStringLiteral("cfgMainback.bmp.outline"));
    const QDir dir(SkinDir() + u'/' + ToQString(FolderName(folder)));
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden);
    const std::set<QString> actual(names.begin(), names.end());
    EXPECT_EQ(actual, expected) << ToQString(FolderName(folder)).toStdString();
  }
}

// ---- faces of one control --------------------------------------------------

// The faces a control switches between must fit the same rectangle and must
// look different, or a state would not show.
struct FaceSet {
  const char* what;
  std::vector<std::string_view> faces;
};

void PrintTo(const FaceSet& set, std::ostream* os) { *os << set.what; }

class FaceSetTest : public ::testing::TestWithParam<FaceSet> {};

TEST_P(FaceSetTest, FacesShareASizeAndDiffer) {
  const std::vector<std::string_view>& faces = GetParam().faces;
  const QImage first = Load(faces[0]);
  for (std::size_t i = 0; i < faces.size(); ++i) {
    const QImage face = Load(faces[i]);
    EXPECT_EQ(face.size(), first.size()) << faces[i];
    for (std::size_t j = 0; j < i; ++j) {
      EXPECT_NE(face, Load(faces[j])) << faces[i] << " looks like " << faces[j];
    }
  }
}

const FaceSet kFaceSets[] = {
    {"minimise", {"min-1.png", "min-3.png", "min-2.png"}},
    {"close", {"close-1.png", "close-3.png", "close-2.png"}},
    {"dialog_buttons", {"ok-1.png", "ok-3.png", "ok-2.png"}},
    {"assignment_buttons", {"ButtonAssign-1.png", "ButtonAssign-3.png", "ButtonAssign-2.png"}},
    {"mode_buttons", {"RedButton-1.png", "RedButton-2.png", "RedButton-3.png"}},
    {"record", {"iconstart1.png", "iconstart2.png"}},
    {"stop", {"iconstop1.png", "iconstop2.png"}},
    {"check_box", {"checkbox1-1.png", "checkbox1-2.png"}},
    {"link_box", {"link-1.png", "link-2.png"}},
    // Sub-menus cut all four to the size of the first.
    {"menu_rows", {"menuitem-n.png", "menuitem-d.png", "menuitem-n2.png", "menuitem-d2.png"}},
    {"event_arrows", {"423.png", "424.png"}},
};

INSTANTIATE_TEST_SUITE_P(Controls, FaceSetTest, ::testing::ValuesIn(kFaceSets),
                         [](const auto& info) { return std::string(info.param.what); });

// ---- colour wheel ----------------------------------------------------------

// The lighting page stores the colour of the pixel clicked on the wheel, which
// is drawn 1:1: every pixel must be a colour worth storing.
TEST(ColourWheel, EveryPixelIsAnOpaqueFullBrightnessColour) {
  const QImage wheel = Load("RGB.png");
  int failures = 0;
  for (int y = 0; y < wheel.height() && failures < 5; ++y) {
    for (int x = 0; x < wheel.width() && failures < 5; ++x) {
      const QRgb p = wheel.pixel(x, y);
      const int brightest = std::max({qRed(p), qGreen(p), qBlue(p)});
      if (qAlpha(p) != 255 || brightest != 255) {
        ++failures;
        ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex << p;
      }
    }
  }
}

TEST(ColourWheel, OffersWhiteAndTheSixPureColours) {
  const QImage wheel = Load("RGB.png");
  std::set<QRgb> colours;
  for (int y = 0; y < wheel.height(); ++y) {
    for (int x = 0; x < wheel.width(); ++x) colours.insert(wheel.pixel(x, y) | 0xFF000000u);
  }
  for (const QRgb pure : {qRgb(255, 0, 0), qRgb(255, 255, 0), qRgb(0, 255, 0), qRgb(0, 255, 255),
                          qRgb(0, 0, 255), qRgb(255, 0, 255), qRgb(255, 255, 255)}) {
    EXPECT_TRUE(colours.contains(pure)) << std::hex << pure;
  }
}

// The pure colours must be easy to hit: each covers a spoke, not a lone pixel.
TEST(ColourWheel, PureGreenCoversASpoke) {
  const QImage wheel = Load("RGB.png");
  int green = 0;
  for (int y = 0; y < wheel.height(); ++y) {
    for (int x = 0; x < wheel.width(); ++x)
      green += (wheel.pixel(x, y) | 0xFF000000u) == qRgb(0, 255, 0);
  }
  EXPECT_GE(green, 100);
}

// ---- sliders ---------------------------------------------------------------

// Vertical thumbs paint through a bitmap without transparency, and the Y
// thumb loses its black pixels to its window region.
TEST(StageThumbs, AreOpaqueAndFreeOfBlack) {
  for (const std::string_view name : {"x1.png", "x2.png", "x3.png"}) {
    const QImage thumb = Load(name);
    for (int y = 0; y < thumb.height(); ++y) {
      for (int x = 0; x < thumb.width(); ++x) {
        const QRgb p = thumb.pixel(x, y);
        ASSERT_EQ(qAlpha(p), 255) << name << " (" << x << ", " << y << ")";
        ASSERT_NE(p & 0xFFFFFFu, 0u) << name << " (" << x << ", " << y << ")";
      }
    }
  }
}

// Every slider's thumb moves along its track without leaving it.
TEST(Sliders, ThumbsFitTheirTracks) {
  const QImage horizontal_track = Load("trackbar-back-b.png");
  const QImage horizontal_thumb = Load("y.png");
  EXPECT_EQ(horizontal_thumb.height(), horizontal_track.height());
  EXPECT_LT(horizontal_thumb.width(), horizontal_track.width());
  EXPECT_EQ(Load("dbclick-back.png").size(), horizontal_track.size());

  // X and Y thumbs share a column; the Y thumb is drawn 14 pixels in.
  const QImage x_track = Load("dpi-indicator-x.png");
  EXPECT_EQ(Load("dpi-indicator-y.png").size(), x_track.size());
  EXPECT_LE(Load("x2.png").width(), x_track.width());
  EXPECT_LE(14 + Load("x3.png").width(), x_track.width());
  EXPECT_EQ(Load("x1.png").width(), Load("dpi-indicator-xy.png").width());
}

// ---- mouse pictures --------------------------------------------------------

// The button page puts a numbered badge on each button of the picture; the
// badge must sit on the mouse, not beside it.
struct Badge {
  int number;
  int left, top, right, bottom;  // window pixels
};

struct MousePicture {
  const char* file;
  int origin_x, origin_y;  // where the window draws the picture
  std::vector<Badge> badges;
};

void PrintTo(const MousePicture& picture, std::ostream* os) { *os << picture.file; }

class MousePictureTest : public ::testing::TestWithParam<MousePicture> {};

TEST_P(MousePictureTest, EveryBadgeSitsOnTheMouse) {
  const MousePicture& picture = GetParam();
  const QImage image = Load(picture.file);
  for (const Badge& b : picture.badges) {
    const int x0 = b.left - picture.origin_x;
    const int y0 = b.top - picture.origin_y;
    const int x1 = b.right - 1 - picture.origin_x;
    const int y1 = b.bottom - 1 - picture.origin_y;
    for (const auto& [x, y] :
         {std::pair{x0, y0}, {x1, y0}, {x0, y1}, {x1, y1}, {(x0 + x1) / 2, (y0 + y1) / 2}}) {
      ASSERT_TRUE(image.rect().contains(x, y)) << "badge " << b.number;
      EXPECT_EQ(qAlpha(image.pixel(x, y)), 255)
          << "badge " << b.number << " at (" << x << ", " << y << ")";
    }
  }
}

const MousePicture kMousePictures[] = {
    {"mouse-layout-front.png",
     152,
     133,
     {{1, 194, 197, 212, 215},
      {2, 317, 197, 335, 215},
      {3, 258, 235, 276, 253},
      {12, 258, 296, 276, 314},
      {10, 258, 330, 276, 348},
      {11, 258, 360, 276, 378}}},
    {"mouse-layout-side.png",
     182,
     133,
     {{4, 278, 281, 296, 299},
      {5, 288, 316, 306, 334},
      {6, 293, 356, 311, 374},
      {7, 258, 316, 276, 334},
      {8, 263, 352, 281, 370},
      {9, 290, 396, 308, 414}}},
};

INSTANTIATE_TEST_SUITE_P(ButtonPage, MousePictureTest, ::testing::ValuesIn(kMousePictures),
                         [](const auto& info) { return TestName(info.param.file); });

}  // namespace
}  // namespace vantix::skin::test
