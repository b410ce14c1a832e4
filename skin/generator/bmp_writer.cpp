#include "skin/generator/bmp_writer.h"

#include <QSaveFile>
#include <cstdint>
#include <vector>

namespace vantix::skin {
namespace {

void PutLe(std::vector<char>& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

}  // namespace

bool WriteBmp24(const QString& path, const QImage& image) {
  const auto width = static_cast<std::uint32_t>(image.width());
  const auto height = static_cast<std::uint32_t>(image.height());
  const std::uint32_t stride = (width * 3 + 3) / 4 * 4;  // rows pad to 4 bytes
  const std::uint32_t pixel_bytes = stride * height;
  constexpr std::uint32_t kHeaderBytes = 14 + 40;

  std::vector<char> out;
  out.reserve(kHeaderBytes + pixel_bytes);
  // BITMAPFILEHEADER
  out.push_back('B');
  out.push_back('M');
  PutLe(out, kHeaderBytes + pixel_bytes, 4);
  PutLe(out, 0, 4);
  PutLe(out, kHeaderBytes, 4);
  // BITMAPINFOHEADER: positive height, so rows run bottom-up.
  PutLe(out, 40, 4);
  PutLe(out, width, 4);
  PutLe(out, height, 4);
  PutLe(out, 1, 2);   // planes
  PutLe(out, 24, 2);  // bits per pixel
  PutLe(out, 0, 4);   // BI_RGB
  PutLe(out, pixel_bytes, 4);
  PutLe(out, 2835, 4);  // 72 dpi
  PutLe(out, 2835, 4);
  PutLe(out, 0, 4);
  PutLe(out, 0, 4);

  for (int y = image.height() - 1; y >= 0; --y) {
    const std::size_t row_start = out.size();
    for (int x = 0; x < image.width(); ++x) {
      const QRgb p = image.pixel(x, y);
      out.push_back(static_cast<char>(qBlue(p)));
      out.push_back(static_cast<char>(qGreen(p)));
      out.push_back(static_cast<char>(qRed(p)));
    }
    while (out.size() - row_start < stride) out.push_back(0);
  }

  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  if (file.write(out.data(), static_cast<qint64>(out.size())) != static_cast<qint64>(out.size())) {
    return false;
  }
  return file.commit();
}

}  // namespace vantix::skin
