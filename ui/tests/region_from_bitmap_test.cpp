// The outline region against the plainest possible answer: every pixel on
// its own, united by Qt's region code.
#include "ui/region_from_bitmap.h"

#include <QImage>
#include <QRegion>
#include <QWidget>

#include <gtest/gtest.h>

#include <random>

#include "ui/skin.h"

namespace vantix {
namespace {

constexpr std::uint32_t kWhite = 0xFFFFFFFF;
constexpr std::uint32_t kInk = 0xFF204060;

struct Pixels {
  std::int32_t width;
  std::int32_t height;
  std::vector<std::uint32_t> data;

  Pixels(std::int32_t w, std::int32_t h, std::uint32_t fill = kWhite)
      : width(w), height(h), data(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), fill) {}
  std::uint32_t& At(int x, int y) { return data[static_cast<std::size_t>(y * width + x)]; }
  BitmapView View() const { return {data.data(), width, height, width}; }
};

// Every pixel that is not white, one by one.
QRegion BruteForce(const Pixels& p) {
  QRegion region;
  for (int y = 0; y < p.height; ++y) {
    for (int x = 0; x < p.width; ++x) {
      if ((p.data[static_cast<std::size_t>(y * p.width + x)] & 0xFFFFFF) != 0xFFFFFF) {
        region |= QRect(x, y, 1, 1);
      }
    }
  }
  return region;
}

void ExpectMatchesBruteForce(const Pixels& p) {
  const std::optional<PixelRegion> region = RegionFromBitmap(p.View());
  ASSERT_TRUE(region.has_value());
  EXPECT_EQ(ToQRegion(*region), BruteForce(p));
  for (int y = 0; y < p.height; ++y) {
    for (int x = 0; x < p.width; ++x) {
      const bool opaque = (p.data[static_cast<std::size_t>(y * p.width + x)] & 0xFFFFFF) != 0xFFFFFF;
      ASSERT_EQ(region->Contains(x, y), opaque) << "pixel " << x << "," << y;
    }
  }
}

TEST(RegionFromBitmap, NoPixelsGivesNoRegion) {
  const std::uint32_t one = kInk;
  EXPECT_FALSE(RegionFromBitmap(BitmapView{nullptr, 4, 4, 4}).has_value());
  EXPECT_FALSE(RegionFromBitmap(BitmapView{&one, 0, 1, 1}).has_value());
  EXPECT_FALSE(RegionFromBitmap(BitmapView{&one, 1, 0, 1}).has_value());
  EXPECT_FALSE(RegionFromBitmap(BitmapView{&one, 2, 1, 1}).has_value()) << "pitch shorter than a row";
  EXPECT_FALSE(vantix::RegionFromBitmap(QImage()).has_value());
}

TEST(RegionFromBitmap, AllWhiteIsEmptyNoWhiteIsTheWholeRectangle) {
  const std::optional<PixelRegion> white = RegionFromBitmap(Pixels(7, 5).View());
  ASSERT_TRUE(white.has_value());
  EXPECT_TRUE(white->Empty());

  const std::optional<PixelRegion> ink = RegionFromBitmap(Pixels(7, 5, kInk).View());
  ASSERT_TRUE(ink.has_value());
  EXPECT_EQ(ink->Rects(), (std::vector<PixelRect>{{0, 0, 7, 5}}));
}

TEST(RegionFromBitmap, OnlyExactWhiteIsCutAndAlphaIsIgnored) {
  Pixels p(4, 1);
  p.At(0, 0) = 0x00FFFFFF;  // white with alpha 0: still white
  p.At(1, 0) = 0xFFFFFFFE;  // blue 254
  p.At(2, 0) = 0xFFFEFFFF;  // red 254
  p.At(3, 0) = 0xFFFFFFFF;
  const std::optional<PixelRegion> region = RegionFromBitmap(p.View());
  ASSERT_TRUE(region.has_value());
  EXPECT_EQ(region->Rects(), (std::vector<PixelRect>{{1, 0, 3, 1}}));
}

TEST(RegionFromBitmap, WhitePixelInsideMakesAOnePixelHole) {
  Pixels p(5, 5, kInk);
  p.At(2, 2) = kWhite;
  ExpectMatchesBruteForce(p);
  EXPECT_FALSE(RegionFromBitmap(p.View())->Contains(2, 2));
  EXPECT_EQ(RegionFromBitmap(p.View())->Bounds(), (PixelRect{0, 0, 5, 5}));
}

TEST(RegionFromBitmap, RandomBitmapsMatchBruteForce) {
  std::mt19937 random(20240611);
  for (int round = 0; round < 20; ++round) {
    Pixels p(1 + static_cast<int>(random() % 40), 1 + static_cast<int>(random() % 30));
    const unsigned density = random() % 100;
    for (std::uint32_t& px : p.data) {
      if (random() % 100 < density) px = kInk;
    }
    SCOPED_TRACE(round);
    ExpectMatchesBruteForce(p);
  }
}

// Rows of alternating pixels: 2050 runs each, so batches of 2000 end in the
// middle of a row.
Pixels ManyRuns(int rows) {
  Pixels p(4100, rows);
  for (int y = 0; y < rows; ++y) {
    for (int x = y % 2; x < p.width; x += 2) p.At(x, y) = kInk;
  }
  return p;
}

TEST(RegionFromBitmap, RowsWithMoreRunsThanABatch) {
  ExpectMatchesBruteForce(ManyRuns(3));
}

TEST(RegionFromBitmap, BatchSizeDoesNotChangeTheRegion) {
  Pixels outline(60, 40, kInk);
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 60; ++x) {
      const bool corner = (x < 6 && y < 6 && (x - 6) * (x - 6) + (y - 6) * (y - 6) > 36);
      const bool notch = (y > 15 && y < 25 && x > 50);
      if (corner || notch || (x * 7 + y * 3) % 11 == 0) outline.At(x, y) = kWhite;
    }
  }
  const std::optional<PixelRegion> whole =
      RegionFromBitmap(outline.View(), kOutlineKeyColor, 1u << 30);
  ASSERT_TRUE(whole.has_value());
  for (std::size_t batch : {1u, 2u, 7u, 100u, 2000u}) {
    EXPECT_EQ(*RegionFromBitmap(outline.View(), kOutlineKeyColor, batch), *whole) << batch;
  }
  const Pixels runs = ManyRuns(4);
  EXPECT_EQ(*RegionFromBitmap(runs.View()), *RegionFromBitmap(runs.View(), kOutlineKeyColor, 1u << 30));
}

TEST(RegionFromBitmap, IdenticalRowsBecomeOneBand) {
  Pixels p(10, 6);
  for (int y = 1; y < 5; ++y) {
    for (int x = 2; x < 8; ++x) p.At(x, y) = kInk;
  }
  EXPECT_EQ(RegionFromBitmap(p.View())->Rects(), (std::vector<PixelRect>{{2, 1, 8, 5}}));
}

TEST(PixelRegion, UniteInAnyOrderGivesTheSameRegion) {
  const std::vector<PixelRect> rects = {{0, 0, 4, 4}, {2, 2, 8, 3}, {10, 0, 12, 10}, {3, 3, 11, 5}};
  PixelRegion forward;
  for (const PixelRect& r : rects) forward.Unite(PixelRegion::FromRects(std::span(&r, 1)));
  PixelRegion backward;
  for (auto it = rects.rbegin(); it != rects.rend(); ++it) {
    backward.Unite(PixelRegion::FromRects(std::span(&*it, 1)));
  }
  EXPECT_EQ(forward, backward);
  EXPECT_EQ(forward, PixelRegion::FromRects(rects));
  QRegion qt;
  for (const PixelRect& r : rects) qt |= QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
  EXPECT_EQ(ToQRegion(forward), qt);
}

TEST(WindowOutline, MaskFollowsTheBitmapAndAMissingFileLeavesTheWindowRectangular) {
  QImage outline(20, 10, QImage::Format_RGB32);
  outline.fill(Qt::white);
  for (int y = 2; y < 8; ++y) {
    for (int x = 3; x < 17; ++x) outline.setPixel(x, y, qRgb(10, 10, 10));
  }
  QWidget window;
  window.resize(20, 10);
  ApplyWindowOutline(&window, outline);
  EXPECT_EQ(window.mask(), QRegion(3, 2, 14, 6));

  QImage missing;
  EXPECT_EQ(LoadPictureFile(QStringLiteral("/nonexistent/cfgMainback.bmp"), missing), QSize(0, 0));
  EXPECT_TRUE(missing.isNull());
  QWidget plain;
  plain.resize(20, 10);
  ApplyWindowOutline(&plain, missing);
  EXPECT_TRUE(plain.mask().isEmpty());

  // An all-white outline shows nothing of the window.
  outline.fill(Qt::white);
  QWidget hidden;
  hidden.resize(20, 10);
  ApplyWindowOutline(&hidden, outline);
  EXPECT_TRUE(hidden.mask().intersected(hidden.rect()).isEmpty());
  EXPECT_FALSE(hidden.mask().isEmpty());
}

}  // namespace
}  // namespace vantix
