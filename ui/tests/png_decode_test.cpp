#include "ui/png_decode.h"

#include <QColorSpace>
#include <QDirIterator>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace vantix {
namespace {

struct PngShape {
  const char* name;
  int color_type;
  int bit_depth;
  bool interlaced;
  bool with_trns;
  bool with_gamma;  // a gAMA chunk far from sRGB: neither reader may apply it
};

int Channels(int color_type) {
  switch (color_type) {
    case PNG_COLOR_TYPE_GRAY: return 1;
    case PNG_COLOR_TYPE_GRAY_ALPHA: return 2;
    case PNG_COLOR_TYPE_RGB: return 3;
    case PNG_COLOR_TYPE_RGB_ALPHA: return 4;
    default: return 1;  // palette indices
  }
}

// Writes a 37 x 23 picture of the shape with varied samples (odd sizes catch
// row and interlace pass mistakes). Gives false when libpng refuses.
bool WritePng(const std::string& path, const PngShape& shape) {
  constexpr int kWidth = 37;
  constexpr int kHeight = 23;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  const int channels = Channels(shape.color_type);
  const int bytes_per_sample = shape.bit_depth == 16 ? 2 : 1;
  const int row_bytes = shape.bit_depth < 8 ? (kWidth * shape.bit_depth + 7) / 8
                                            : kWidth * channels * bytes_per_sample;
  std::vector<std::vector<png_byte>> rows(kHeight, std::vector<png_byte>(row_bytes));
  for (int y = 0; y < kHeight; ++y) {
    for (int i = 0; i < row_bytes; ++i) rows[y][i] = static_cast<png_byte>((y * 53 + i * 29 + y * i) & 0xFF);
  }
  std::vector<png_bytep> row_pointers;
  for (auto& r : rows) row_pointers.push_back(r.data());
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    return false;
  }
  png_init_io(png, f);
  png_set_IHDR(png, info, kWidth, kHeight, shape.bit_depth, shape.color_type,
               shape.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  std::vector<png_color> palette;
  std::vector<png_byte> alphas;
  if (shape.color_type == PNG_COLOR_TYPE_PALETTE) {
    const int entries = 1 << shape.bit_depth;
    for (int i = 0; i < entries; ++i) {
      palette.push_back({static_cast<png_byte>(i * 7), static_cast<png_byte>(255 - i),
                         static_cast<png_byte>(i * 13)});
      alphas.push_back(static_cast<png_byte>(i * 37));
    }
    png_set_PLTE(png, info, palette.data(), entries);
    if (shape.with_trns) png_set_tRNS(png, info, alphas.data(), entries / 2, nullptr);
  } else if (shape.with_trns) {
    png_color_16 key{};
    key.gray = static_cast<png_uint_16>(rows[0][0] >> (8 - std::min(shape.bit_depth, 8)));
    key.red = rows[0][0];
    key.green = rows[0][1];
    key.blue = rows[0][2];
    png_set_tRNS(png, info, nullptr, 0, &key);
  }
  if (shape.with_gamma) png_set_gAMA(png, info, 1.0);
  png_write_info(png, info);
  png_write_image(png, row_pointers.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  std::fclose(f);
  return true;
}

QImage ReadWithQt(const QString& path) {
  QImage image = QImageReader(path).read();
  image.setColorSpace(QColorSpace());
  return image;
}

// Every pixel as Qt itself reads the file: the reader the start-up decoder
// stands in for must give the same picture.
TEST(PngDecode, GivesQtsPixelsForEveryEightBitShape) {
  const PngShape shapes[] = {
      {"rgb", PNG_COLOR_TYPE_RGB, 8, false, false, false},
      {"rgba", PNG_COLOR_TYPE_RGB_ALPHA, 8, false, false, false},
      {"rgba interlaced", PNG_COLOR_TYPE_RGB_ALPHA, 8, true, false, false},
      {"rgb with a transparent colour", PNG_COLOR_TYPE_RGB, 8, false, true, false},
      {"rgb with gamma 1.0", PNG_COLOR_TYPE_RGB, 8, false, false, true},
      {"palette 8", PNG_COLOR_TYPE_PALETTE, 8, false, false, false},
      {"palette 8 with alphas", PNG_COLOR_TYPE_PALETTE, 8, false, true, false},
      {"palette 4 interlaced", PNG_COLOR_TYPE_PALETTE, 4, true, false, false},
      {"palette 1", PNG_COLOR_TYPE_PALETTE, 1, false, false, false},
      {"gray 8", PNG_COLOR_TYPE_GRAY, 8, false, false, false},
      {"gray 2", PNG_COLOR_TYPE_GRAY, 2, false, false, false},
      {"gray 1 interlaced", PNG_COLOR_TYPE_GRAY, 1, true, false, false},
      {"gray 4 with a transparent level", PNG_COLOR_TYPE_GRAY, 4, false, true, false},
      {"gray and alpha", PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, false, false},
  };
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  for (const PngShape& shape : shapes) {
    SCOPED_TRACE(shape.name);
    const QString path = dir.filePath(QString::fromLatin1(shape.name) + QStringLiteral(".png"));
    ASSERT_TRUE(WritePng(path.toStdString(), shape));
    const QImage expected = ReadWithQt(path);
    ASSERT_FALSE(expected.isNull());
    const std::optional<QImage> decoded = DecodePngDirect(path.toStdString());
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(decoded->format(),
              expected.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    EXPECT_EQ(decoded->convertToFormat(QImage::Format_ARGB32),
              expected.convertToFormat(QImage::Format_ARGB32));

    const std::optional<QImage> premultiplied = DecodePngDirect(path.toStdString(), true);
    ASSERT_TRUE(premultiplied.has_value());
    if (expected.hasAlphaChannel()) {
      EXPECT_EQ(premultiplied->format(), QImage::Format_ARGB32_Premultiplied);
      EXPECT_EQ(*premultiplied, expected.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    } else {
      EXPECT_EQ(*premultiplied, *decoded);
    }
  }
}

// The skin's own pictures, as shipped.
TEST(PngDecode, GivesQtsPixelsForEverySkinPicture) {
  QDirIterator it(QStringLiteral(VANTIX_PROGRAM_DIR "/images"), {QStringLiteral("*.png")},
                  QDir::Files, QDirIterator::Subdirectories);
  int pictures = 0;
  while (it.hasNext()) {
    const QString path = it.next();
    SCOPED_TRACE(path.toStdString());
    const QImage expected = ReadWithQt(path);
    const std::optional<QImage> decoded = DecodePngDirect(path.toStdString(), true);
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(decoded->convertToFormat(QImage::Format_ARGB32_Premultiplied),
              expected.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    ++pictures;
  }
  EXPECT_GT(pictures, 0) << "no skin in the build tree";
}

// What it leaves to Qt's reader comes back as nothing, never as a wrong or
// half picture, and never takes the process down.
TEST(PngDecode, LeavesToQtWhatItDoesNotRead) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const std::string folder = dir.path().toStdString() + "/";
  auto write = [&](const std::string& name, const QByteArray& bytes) {
    QFile f(QString::fromStdString(folder + name));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return folder + name;
  };
  ASSERT_TRUE(WritePng(folder + "deep.png", {"rgba 16", PNG_COLOR_TYPE_RGB_ALPHA, 16, false, false, false}));
  ASSERT_TRUE(WritePng(folder + "good.png", {"rgb", PNG_COLOR_TYPE_RGB, 8, false, false, false}));
  QFile good(QString::fromStdString(folder + "good.png"));
  ASSERT_TRUE(good.open(QIODevice::ReadOnly));
  const QByteArray png = good.readAll();

  QByteArray damaged = png;
  damaged[damaged.size() / 2] = static_cast<char>(damaged[damaged.size() / 2] ^ 0x5A);
  // The width field of the header says 2^30 pixels.
  QByteArray huge = png;
  huge[16] = 0x40;

  const struct {
    const char* what;
    std::string path;
  } cases[] = {
      {"missing file", folder + "none.png"},
      {"a folder", folder},
      {"empty file", write("empty.png", {})},
      {"not a PNG", write("bitmap.png", QByteArray("BM") + QByteArray(60, '\0'))},
      {"cut in half", write("half.png", png.left(png.size() / 2))},
      {"damaged data", write("damaged.png", damaged)},
      {"a huge size in the header", write("huge.png", huge)},
      {"16 bits a channel", folder + "deep.png"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_FALSE(DecodePngDirect(c.path).has_value());
  }
}

}  // namespace
}  // namespace vantix
