#include "skin/generator/colour_wheel.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vantix::skin {
namespace {

// Hues within this many degrees of a pure colour become that colour.
constexpr double kSpokeHalfWidth = 2.5;

// Full-brightness colour of a hue (degrees, 0 = red) and saturation (0..1).
QRgb HueColour(double hue, double saturation) {
  const double h = hue / 60.0;
  const int sector = static_cast<int>(std::floor(h)) % 6;
  const double f = h - std::floor(h);
  double r = 0, g = 0, b = 0;
  switch (sector) {
    case 0:
      r = 1;
      g = f;
      break;
    case 1:
      r = 1 - f;
      g = 1;
      break;
    case 2:
      g = 1;
      b = f;
      break;
    case 3:
      g = 1 - f;
      b = 1;
      break;
    case 4:
      r = f;
      b = 1;
      break;
    default:
      r = 1;
      b = 1 - f;
      break;
  }
  const auto channel = [saturation](double c) {
    return static_cast<int>(std::lround(255.0 * (1.0 - saturation * (1.0 - c))));
  };
  return qRgb(channel(r), channel(g), channel(b));
}

}  // namespace

QRgb WheelColour(int x, int y, int width, int height) {
  const double cx = (width - 1) / 2.0;
  const double cy = (height - 1) / 2.0;
  const double dx = x - cx;
  const double dy = y - cy;
  // Red at the top, then clockwise through yellow, green, cyan, blue, magenta.
  double hue = std::atan2(dx, -dy) * 180.0 / std::numbers::pi;
  if (hue < 0) hue += 360.0;
  const double nearest = std::round(hue / 60.0) * 60.0;
  if (std::abs(hue - nearest) <= kSpokeHalfWidth) hue = nearest >= 360.0 ? 0.0 : nearest;

  // A white core a few pixels wide: the centre falls between pixels.
  constexpr double kCore = 1.5;
  const double rim = std::min(cx, cy) - 2.0;
  const double radius = std::max(0.0, std::hypot(dx, dy) - kCore);
  // Colour comes early: a gentle curve keeps the pale centre small.
  const double saturation = std::pow(std::min(1.0, radius / (rim - kCore)), 0.75);
  return HueColour(hue, saturation);
}

QImage PaintColourWheel(int width, int height) {
  QImage image(width, height, QImage::Format_ARGB32);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) image.setPixel(x, y, WheelColour(x, y, width, height));
  }
  return image;
}

}  // namespace vantix::skin
