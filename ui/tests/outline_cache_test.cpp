// The outline cached beside a window bitmap: read back exactly, refused
// when the bitmap changed or the cache is damaged, and what the window gets
// either way is the bitmap's own cut.
#include "ui/outline_cache.h"

#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "ui/skin.h"

namespace vantix {
namespace {

namespace fs = std::filesystem;

// A 40 x 30 outline bitmap: white outside, a cut corner and a hole inside.
QImage SampleBitmap() {
  QImage image(40, 30, QImage::Format_RGB32);
  image.fill(Qt::white);
  for (int y = 2; y < 28; ++y) {
    for (int x = 3; x < 37; ++x) {
      if (x + y >= 12 && !(x >= 15 && x < 20 && y >= 10 && y < 14)) image.setPixel(x, y, 0x204060);
    }
  }
  return image;
}

class OutlineCacheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder_.isValid());
    ASSERT_TRUE(SampleBitmap().save(QString::fromStdString(bitmap_), "BMP"));
    cut_ = *PixelRegionFromBitmap(SampleBitmap());
  }

  std::string Bytes() const {
    std::ifstream in(OutlineCachePath(bitmap_), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  void SetBytes(const std::string& bytes) const {
    std::ofstream(OutlineCachePath(bitmap_), std::ios::binary | std::ios::trunc) << bytes;
  }

  QTemporaryDir folder_;
  std::string bitmap_ = folder_.path().toStdString() + "/cfgMainback.bmp";
  PixelRegion cut_;
};

TEST_F(OutlineCacheTest, ReadsBackWhatWasWritten) {
  EXPECT_FALSE(ReadOutlineCache(bitmap_, SystemFileIo()).has_value());
  ASSERT_TRUE(WriteOutlineCache(bitmap_, cut_, SystemFileIo()).ok());
  const std::optional<PixelRegion> read = ReadOutlineCache(bitmap_, SystemFileIo());
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(*read, cut_);
  EXPECT_EQ(LoadWindowOutline(QString::fromStdString(bitmap_)), ToQRegion(cut_));
}

TEST_F(OutlineCacheTest, ABitmapChangedSinceIsCutAgain) {
  ASSERT_TRUE(WriteOutlineCache(bitmap_, cut_, SystemFileIo()).ok());
  QImage other = SampleBitmap();
  other.fill(Qt::white);
  other.setPixel(5, 5, 0);
  const std::function<void()> changes[] = {
      // Another picture of the same size, written a second later.
      [&] {
        other.save(QString::fromStdString(bitmap_), "BMP");
        fs::last_write_time(bitmap_, fs::last_write_time(bitmap_) + std::chrono::seconds(1));
      },
      // Another size with the cached time.
      [&] {
        const auto time = fs::last_write_time(bitmap_);
        std::ofstream(bitmap_, std::ios::binary | std::ios::app) << "x";
        fs::last_write_time(bitmap_, time);
      },
  };
  for (const auto& change : changes) {
    change();
    EXPECT_FALSE(ReadOutlineCache(bitmap_, SystemFileIo()).has_value());
    QImage now;
    LoadPictureFile(QString::fromStdString(bitmap_), now);
    EXPECT_EQ(LoadWindowOutline(QString::fromStdString(bitmap_)), RegionFromBitmap(now));
  }
}

TEST_F(OutlineCacheTest, ADamagedCacheIsNotUsed) {
  ASSERT_TRUE(WriteOutlineCache(bitmap_, cut_, SystemFileIo()).ok());
  const std::string good = Bytes();
  std::string empty_rect = good;
  std::fill_n(empty_rect.end() - 8, 8, '\0');  // the last rectangle's right and bottom
  const std::string damaged[] = {
      "",
      good.substr(0, 10),
      good.substr(0, good.size() - 1),
      good + "x",
      "XXOUTLN1" + good.substr(8),
      empty_rect,
      // A count far beyond the bytes that follow.
      good.substr(0, 24) + std::string("\xFF\xFF\xFF\x7F", 4) + good.substr(28),
  };
  for (const std::string& bytes : damaged) {
    SetBytes(bytes);
    EXPECT_FALSE(ReadOutlineCache(bitmap_, SystemFileIo()).has_value()) << bytes.size() << " bytes";
    EXPECT_EQ(LoadWindowOutline(QString::fromStdString(bitmap_)), ToQRegion(cut_));
  }
}

TEST_F(OutlineCacheTest, NoBitmapNoOutline) {
  ASSERT_TRUE(WriteOutlineCache(bitmap_, cut_, SystemFileIo()).ok());
  fs::remove(bitmap_);
  EXPECT_FALSE(ReadOutlineCache(bitmap_, SystemFileIo()).has_value());
  EXPECT_FALSE(LoadWindowOutline(QString::fromStdString(bitmap_)).has_value());
  EXPECT_FALSE(WriteOutlineCache(bitmap_, cut_, SystemFileIo()).ok());
}

}  // namespace
}  // namespace vantix
