// The shapes of the skinned windows: rectangles with corners cut at 45
// degrees, decided per pixel so that a face and its outline bitmap agree on
// every pixel.
#pragma once

#include <QImage>
#include <QRgb>
#include <algorithm>

namespace vantix::skin {

struct Outline {
  int width;
  int height;
  // Lengths of the corner cuts; a pixel (x, y) is inside when it lies on or
  // beyond each cut's first diagonal.
  int top_left;
  int top_right;
  int bottom_right;
  int bottom_left;

  constexpr bool Inside(int x, int y) const { return Depth(x, y) >= 0; }

  // Steps from the edge: 0 on the outermost inside pixels, negative outside.
  constexpr int Depth(int x, int y) const {
    const int rx = width - 1 - x;
    const int by = height - 1 - y;
    return std::min({x, y, rx, by, x + y - top_left, rx + y - top_right, rx + by - bottom_right,
                     x + by - bottom_left});
  }

  // Whether the cut of a corner, not a straight edge, is nearest to (x, y);
  // used to light the cuts.
  constexpr bool OnTopLeftCut(int x, int y) const { return x + y - top_left < std::min(x, y); }
  constexpr bool OnBottomRightCut(int x, int y) const {
    const int rx = width - 1 - x;
    const int by = height - 1 - y;
    return rx + by - bottom_right < std::min(rx, by);
  }
};

// The main window: the two long cuts mark it; the other corners are only
// softened.
inline constexpr Outline kMainOutline{1028, 712, 36, 8, 36, 8};
// The macro editor takes the main outline's top-left part: the same top-left
// cut, square elsewhere.
inline constexpr Outline kEditorOutline{757, 582, kMainOutline.top_left, 0, 0, 0};
static_assert(kMainOutline.width - kMainOutline.top_right > kEditorOutline.width &&
                  kMainOutline.height - kMainOutline.bottom_left > kEditorOutline.height &&
                  kMainOutline.width + kMainOutline.height - kMainOutline.bottom_right >
                      kEditorOutline.width + kEditorOutline.height,
              "no other cut of the main outline may reach into the macro editor");
// The small dialogs.
inline constexpr Outline kDialogOutline{478, 292, 18, 5, 18, 5};

// The face drawn so far, cut to the outline: outside becomes transparent
// white (so a region cut from the face by its white pixels is the outline
// too), inside becomes opaque and never pure white.
void ClipToOutline(QImage& face, const Outline& outline);

// The outline bitmap: pure white outside, the ground colour inside.
QImage OutlineBitmap(const Outline& outline);

// Colours the inside pixels at a given depth, for crisp rims along the edge
// and the cuts.
void PaintRim(QImage& face, const Outline& outline, int depth, QRgb colour, qreal opacity = 1.0);

}  // namespace vantix::skin
