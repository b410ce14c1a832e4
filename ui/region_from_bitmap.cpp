#include "ui/region_from_bitmap.h"

#include <algorithm>

namespace vantix {

PixelRegion PixelRegion::FromRects(std::span<const PixelRect> rects) {
  std::vector<PixelRect> sorted;
  sorted.reserve(rects.size());
  for (const PixelRect& r : rects) {
    if (!r.Empty()) sorted.push_back(r);
  }
  PixelRegion region;
  if (sorted.empty()) return region;
  std::sort(sorted.begin(), sorted.end(), [](const PixelRect& a, const PixelRect& b) {
    return a.top != b.top ? a.top < b.top : a.left < b.left;
  });

  // Every place where some rectangle starts or ends begins a new stretch of
  // rows; inside a stretch the same rectangles are active.
  std::vector<std::int32_t> edges;
  edges.reserve(sorted.size() * 2);
  for (const PixelRect& r : sorted) {
    edges.push_back(r.top);
    edges.push_back(r.bottom);
  }
  std::sort(edges.begin(), edges.end());
  edges.erase(std::unique(edges.begin(), edges.end()), edges.end());

  std::vector<PixelRect> active;
  std::vector<Span> spans;
  std::size_t next = 0;
  for (std::size_t e = 0; e + 1 < edges.size(); ++e) {
    const std::int32_t top = edges[e];
    const std::int32_t bottom = edges[e + 1];
    std::erase_if(active, [top](const PixelRect& r) { return r.bottom <= top; });
    while (next < sorted.size() && sorted[next].top == top) active.push_back(sorted[next++]);
    if (active.empty()) continue;

    spans.clear();
    for (const PixelRect& r : active) spans.push_back({r.left, r.right});
    std::sort(spans.begin(), spans.end(),
              [](const Span& a, const Span& b) { return a.left < b.left; });
    std::size_t merged = 0;
    for (std::size_t i = 1; i < spans.size(); ++i) {
      if (spans[i].left <= spans[merged].right) {
        spans[merged].right = std::max(spans[merged].right, spans[i].right);
      } else {
        spans[++merged] = spans[i];
      }
    }
    spans.resize(merged + 1);
    region.AppendBand(top, bottom, spans);
  }
  return region;
}

void PixelRegion::AppendBand(std::int32_t top, std::int32_t bottom, std::span<const Span> spans) {
  if (spans.empty()) return;
  if (!bands_.empty()) {
    Band& last = bands_.back();
    if (last.bottom == top && last.count == spans.size() &&
        std::equal(spans.begin(), spans.end(), spans_.begin() + static_cast<std::ptrdiff_t>(last.first))) {
      last.bottom = bottom;
      return;
    }
  }
  bands_.push_back({top, bottom, spans_.size(), spans.size()});
  spans_.insert(spans_.end(), spans.begin(), spans.end());
}

void PixelRegion::AppendRegion(const PixelRegion& other) {
  for (const Band& b : other.bands_) {
    AppendBand(b.top, b.bottom,
               std::span<const Span>(other.spans_).subspan(b.first, b.count));
  }
}

void PixelRegion::Unite(const PixelRegion& other) {
  if (other.Empty()) return;
  if (Empty()) {
    *this = other;
    return;
  }
  // Bands wholly above other stay as they are; only the rest is merged.
  const std::int32_t top = other.bands_.front().top;
  const auto keep_end = std::partition_point(bands_.begin(), bands_.end(),
                                             [top](const Band& b) { return b.bottom <= top; });
  const std::size_t keep = static_cast<std::size_t>(keep_end - bands_.begin());
  if (keep == bands_.size()) {
    AppendRegion(other);
    return;
  }
  std::vector<PixelRect> rest;
  for (std::size_t i = keep; i < bands_.size(); ++i) {
    const Band& b = bands_[i];
    for (std::size_t s = b.first; s < b.first + b.count; ++s) {
      rest.push_back({spans_[s].left, b.top, spans_[s].right, b.bottom});
    }
  }
  for (const PixelRect& r : other.Rects()) rest.push_back(r);
  spans_.resize(bands_[keep].first);
  bands_.resize(keep);
  AppendRegion(FromRects(rest));
}

bool PixelRegion::Contains(std::int32_t x, std::int32_t y) const {
  const auto band = std::partition_point(bands_.begin(), bands_.end(),
                                         [y](const Band& b) { return b.bottom <= y; });
  if (band == bands_.end() || band->top > y) return false;
  const auto first = spans_.begin() + static_cast<std::ptrdiff_t>(band->first);
  const auto last = first + static_cast<std::ptrdiff_t>(band->count);
  const auto span = std::partition_point(first, last, [x](const Span& s) { return s.right <= x; });
  return span != last && span->left <= x;
}

PixelRect PixelRegion::Bounds() const {
  if (Empty()) return {};
  PixelRect bounds{spans_.front().left, bands_.front().top, spans_.front().right,
                   bands_.back().bottom};
  for (const Band& b : bands_) {
    bounds.left = std::min(bounds.left, spans_[b.first].left);
    bounds.right = std::max(bounds.right, spans_[b.first + b.count - 1].right);
  }
  return bounds;
}

std::vector<PixelRect> PixelRegion::Rects() const {
  std::vector<PixelRect> rects;
  rects.reserve(spans_.size());
  for (const Band& b : bands_) {
    for (std::size_t s = b.first; s < b.first + b.count; ++s) {
      rects.push_back({spans_[s].left, b.top, spans_[s].right, b.bottom});
    }
  }
  return rects;
}

bool PixelRegion::operator==(const PixelRegion& other) const {
  if (bands_.size() != other.bands_.size() || spans_ != other.spans_) return false;
  for (std::size_t i = 0; i < bands_.size(); ++i) {
    if (bands_[i].top != other.bands_[i].top || bands_[i].bottom != other.bands_[i].bottom ||
        bands_[i].count != other.bands_[i].count) {
      return false;
    }
  }
  return true;
}

std::optional<PixelRegion> RegionFromBitmap(const BitmapView& bitmap, std::uint32_t key_rgb,
                                            std::size_t batch_rects) {
  if (bitmap.pixels == nullptr || bitmap.width <= 0 || bitmap.height <= 0 ||
      bitmap.pitch < bitmap.width) {
    return std::nullopt;
  }
  batch_rects = std::max<std::size_t>(batch_rects, 1);
  const std::uint32_t key = key_rgb & 0xFFFFFFu;

  PixelRegion result;
  std::vector<PixelRect> batch;
  batch.reserve(batch_rects);
  auto flush = [&] {
    result.Unite(PixelRegion::FromRects(batch));
    batch.clear();
  };

  for (std::int32_t y = 0; y < bitmap.height; ++y) {
    const std::uint32_t* row = bitmap.pixels + static_cast<std::ptrdiff_t>(y) * bitmap.pitch;
    std::int32_t x = 0;
    while (x < bitmap.width) {
      if ((row[x] & 0xFFFFFFu) == key) {
        ++x;
        continue;
      }
      const std::int32_t x0 = x;
      while (x < bitmap.width && (row[x] & 0xFFFFFFu) != key) ++x;
      batch.push_back({x0, y, x, y + 1});
      if (batch.size() >= batch_rects) flush();
    }
  }
  flush();
  return result;
}

}  // namespace vantix
