// The colours of the default skin: a dark graphite face, one accent, white
// text. Window code names its colours as COLORREF values (0x00BBGGRR, red in
// the low byte); FromColorRef reads them the same way.
#pragma once

#include <QColor>
#include <QRgb>
#include <cstdint>

namespace vantix::skin::palette {

constexpr QRgb FromColorRef(std::uint32_t colorref) {
  return qRgb(static_cast<int>(colorref & 0xFF), static_cast<int>((colorref >> 8) & 0xFF),
              static_cast<int>((colorref >> 16) & 0xFF));
}

// The accent the windows use for the active choice: COLORREF 0xCCFF00, that
// is red 0x00, green 0xFF, blue 0xCC, a cyan-green.
constexpr QRgb kAccent = FromColorRef(0xCCFF00);
static_assert(kAccent == qRgb(0x00, 0xFF, 0xCC));
constexpr QRgb kAccentSoft = qRgb(0x00, 0xB8, 0x94);   // accent lines that must not shout
constexpr QRgb kAccentDeep = qRgb(0x00, 0x5C, 0x4B);   // pressed fills under white text
constexpr QRgb kAccentNight = qRgb(0x0A, 0x2C, 0x27);  // selected fills under accent text

// Graphite, darkest to lightest.
constexpr QRgb kInk = qRgb(0x0B, 0x0D, 0x10);     // insets, wells
constexpr QRgb kBase = qRgb(0x12, 0x14, 0x18);    // window ground
constexpr QRgb kPanel = qRgb(0x17, 0x1A, 0x1F);   // content panels
constexpr QRgb kRaised = qRgb(0x1F, 0x23, 0x29);  // plates and buttons
constexpr QRgb kLifted = qRgb(0x29, 0x2E, 0x36);  // plates under the pointer
constexpr QRgb kEdge = qRgb(0x2E, 0x33, 0x3C);    // hairlines
constexpr QRgb kRim = qRgb(0x42, 0x49, 0x54);     // borders that must show
constexpr QRgb kMuted = qRgb(0x8A, 0x93, 0xA0);   // quiet glyphs
constexpr QRgb kBright = qRgb(0xE6, 0xEB, 0xF0);  // light glyphs; never pure white

// Signals.
constexpr QRgb kRecord = qRgb(0xFF, 0x3B, 0x4E);
constexpr QRgb kDanger = qRgb(0xD9, 0x2B, 0x3A);
constexpr QRgb kWarning = qRgb(0xFF, 0xB0, 0x20);

inline QColor Colour(QRgb rgb, int alpha = 255) {
  QColor c = QColor::fromRgb(rgb);
  c.setAlpha(alpha);
  return c;
}

}  // namespace vantix::skin::palette
