#include "ui/png_decode.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>

namespace vantix {
namespace {

// Picture sizes beyond any skin's: a damaged header must not make the decoder
// ask for gigabytes.
constexpr png_uint_32 kMaxSide = 16384;

struct File {
  std::FILE* f;
  ~File() {
    if (f != nullptr) std::fclose(f);
  }
};

void Premultiply(QImage& image) {
  for (int y = 0; y < image.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) row[x] = qPremultiply(row[x]);
  }
}

// Quiet: what this decoder refuses goes to Qt's reader, which speaks for it.
void IgnoreWarning(png_structp, png_const_charp) {}
[[noreturn]] void GiveUp(png_structp png, png_const_charp) { png_longjmp(png, 1); }

// libpng reports errors by longjmp back to the setjmp here. No object with a
// destructor lives in the frames it leaves (the image belongs to the caller),
// and the error branch uses only what was set before setjmp.
bool Decode(std::FILE* f, QImage& out) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, GiveUp, IgnoreWarning);
  if (png == nullptr) return false;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    out = QImage();
    return false;
  }
  png_set_user_limits(png, kMaxSide, kMaxSide);
  png_init_io(png, f);
  png_read_info(png, info);
  const png_byte depth = png_get_bit_depth(png, info);
  const png_byte type = png_get_color_type(png, info);
  if (depth > 8) {
    // Qt keeps 16 bits a channel and rounds when drawing; leave those to it.
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  const bool transparent =
      (type & PNG_COLOR_MASK_ALPHA) != 0 || png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  if (type == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (type == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
  if (png_get_valid(png, info, PNG_INFO_tRNS) != 0) png_set_tRNS_to_alpha(png);
  if ((type & PNG_COLOR_MASK_COLOR) == 0) png_set_gray_to_rgb(png);
  // Bytes B, G, R, A: a QRgb (0xAARRGGBB) in the machine's order.
  png_set_bgr(png);
  if (!transparent) png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
  const int passes = png_set_interlace_handling(png);
  png_read_update_info(png, info);
  const png_uint_32 width = png_get_image_width(png, info);
  const png_uint_32 height = png_get_image_height(png, info);
  if (png_get_rowbytes(png, info) != static_cast<png_size_t>(width) * 4) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  out = QImage(static_cast<int>(width), static_cast<int>(height),
               transparent ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  if (out.isNull()) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  for (int pass = 0; pass < passes; ++pass) {
    for (png_uint_32 y = 0; y < height; ++y) png_read_row(png, out.scanLine(static_cast<int>(y)), nullptr);
  }
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  return true;
}

}  // namespace

std::optional<QImage> DecodePngDirect(const std::string& path, bool premultiplied) {
  const File file{std::fopen(path.c_str(), "rbe")};
  if (file.f == nullptr) return std::nullopt;
  png_byte signature[8];
  if (std::fread(signature, 1, sizeof signature, file.f) != sizeof signature ||
      png_sig_cmp(signature, 0, sizeof signature) != 0) {
    return std::nullopt;
  }
  std::rewind(file.f);
  QImage image;
  if (!Decode(file.f, image)) return std::nullopt;
  if (premultiplied && image.format() == QImage::Format_ARGB32) {
    Premultiply(image);
    image.reinterpretAsFormat(QImage::Format_ARGB32_Premultiplied);
  }
  return image;
}

}  // namespace vantix
