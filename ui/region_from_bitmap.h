// Window outlines: the part of a bitmap that is not the key colour (pure
// white), as a region of pixels. Standard C++ only, so the computation can be
// tested and measured without a window system; the windows turn the result
// into their mask.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace vantix {

// Half-open: covers left <= x < right and top <= y < bottom.
struct PixelRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;

  bool Empty() const { return right <= left || bottom <= top; }
  bool operator==(const PixelRect&) const = default;
};

// A set of pixels kept as y-x bands, the way window systems keep regions:
// bands run top to bottom without overlapping, two touching bands never hold
// the same spans (they would be one band), and the spans of a band are sorted
// and neither overlap nor touch. So two regions that cover the same pixels
// compare equal, however they were built.
class PixelRegion {
 public:
  PixelRegion() = default;

  // The union of the rectangles, in any order; empty ones are ignored.
  static PixelRegion FromRects(std::span<const PixelRect> rects);

  // Adds other's pixels. Cheap when other lies below or on the last row of
  // this region, which is how outlines are built: row by row, in batches.
  void Unite(const PixelRegion& other);

  bool Empty() const { return bands_.empty(); }
  bool Contains(std::int32_t x, std::int32_t y) const;
  // The smallest rectangle holding every pixel; all zero when empty.
  PixelRect Bounds() const;
  // One rectangle per span of every band, sorted by top, then left: the
  // y-x banded list that window systems take for a region.
  std::vector<PixelRect> Rects() const;
  std::size_t RectCount() const { return spans_.size(); }

  bool operator==(const PixelRegion& other) const;

 private:
  struct Span {
    std::int32_t left;
    std::int32_t right;
    bool operator==(const Span&) const = default;
  };
  struct Band {
    std::int32_t top;
    std::int32_t bottom;
    std::size_t first;  // index of its first span in spans_
    std::size_t count;
  };

  void AppendBand(std::int32_t top, std::int32_t bottom, std::span<const Span> spans);
  void AppendRegion(const PixelRegion& other);

  std::vector<Band> bands_;
  std::vector<Span> spans_;
};

// 32-bit pixels, 0xAARRGGBB in native byte order (the layout of a 32-bit DIB
// and of QImage's RGB32 and ARGB32 formats); row 0 is the top row.
struct BitmapView {
  const std::uint32_t* pixels = nullptr;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::ptrdiff_t pitch = 0;  // pixels from the start of one row to the next
};

inline constexpr std::uint32_t kOutlineKeyColor = 0xFFFFFF;  // 0xRRGGBB: pure white
inline constexpr std::size_t kOutlineBatchRects = 2000;

// The region of every pixel whose red, green and blue differ from key_rgb
// (the alpha byte is ignored), in the bitmap's pixel coordinates. It is built
// from one rectangle per horizontal run of such pixels, turned into a region
// batch_rects rectangles at a time: a whole window outline costs a handful of
// region merges, not one per pixel. Nothing for a bitmap without pixels or
// with a pitch shorter than a row; an all-key bitmap gives an empty region.
std::optional<PixelRegion> RegionFromBitmap(const BitmapView& bitmap,
                                            std::uint32_t key_rgb = kOutlineKeyColor,
                                            std::size_t batch_rects = kOutlineBatchRects);

}  // namespace vantix
