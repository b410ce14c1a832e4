#include "ui/outline_cache.h"

#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace vantix {
namespace {

constexpr std::string_view kMagic = "VXOUTLN1";
// Far more rectangles than any window outline has; a larger file is damaged.
constexpr std::uint32_t kMaxRects = 1u << 20;
constexpr std::size_t kHeaderBytes = kMagic.size() + 8 + 8 + 4;
constexpr std::size_t kRectBytes = 16;

template <typename T>
void Put(std::string& out, T value) {
  char bytes[sizeof(T)];
  std::memcpy(bytes, &value, sizeof(T));
  out.append(bytes, sizeof(T));
}

template <typename T>
T Take(std::string_view in, std::size_t& at) {
  T value;
  std::memcpy(&value, in.data() + at, sizeof(T));
  at += sizeof(T);
  return value;
}

// Whole seconds: packages and copies that keep times often keep no more.
std::int64_t MtimeSeconds(const FileIdentity& file) { return file.mtime_ns / 1000000000; }

}  // namespace

std::string OutlineCachePath(const std::string& bitmap_path) { return bitmap_path + ".outline"; }

Status WriteOutlineCache(const std::string& bitmap_path, const PixelRegion& outline, FileIo& io) {
  const std::optional<FileIdentity> bitmap = io.Identity(bitmap_path);
  if (!bitmap || !bitmap->exists) return Status::Error("no bitmap at " + bitmap_path);
  const std::vector<PixelRect> rects = outline.Rects();
  std::string bytes(kMagic);
  Put<std::uint64_t>(bytes, bitmap->size);
  Put<std::int64_t>(bytes, MtimeSeconds(*bitmap));
  Put<std::uint32_t>(bytes, static_cast<std::uint32_t>(rects.size()));
  for (const PixelRect& r : rects) {
    for (const std::int32_t v : {r.left, r.top, r.right, r.bottom}) Put<std::int32_t>(bytes, v);
  }
  return io.Replace(OutlineCachePath(bitmap_path), bytes, false);
}

std::optional<PixelRegion> ReadOutlineCache(const std::string& bitmap_path, FileIo& io) {
  const std::optional<FileIdentity> bitmap = io.Identity(bitmap_path);
  if (!bitmap || !bitmap->exists) return std::nullopt;
  const FileRead read =
      io.Read(OutlineCachePath(bitmap_path), kHeaderBytes + std::size_t{kMaxRects} * kRectBytes);
  if (read.state != FileRead::State::kOk) return std::nullopt;
  const std::string_view in = read.bytes;
  if (in.size() < kHeaderBytes || in.substr(0, kMagic.size()) != kMagic) return std::nullopt;
  std::size_t at = kMagic.size();
  const auto size = Take<std::uint64_t>(in, at);
  const auto mtime = Take<std::int64_t>(in, at);
  const auto count = Take<std::uint32_t>(in, at);
  if (size != bitmap->size || mtime != MtimeSeconds(*bitmap)) return std::nullopt;
  if (count > kMaxRects || in.size() != kHeaderBytes + std::size_t{count} * kRectBytes) {
    return std::nullopt;
  }
  std::vector<PixelRect> rects(count);
  for (PixelRect& r : rects) {
    r.left = Take<std::int32_t>(in, at);
    r.top = Take<std::int32_t>(in, at);
    r.right = Take<std::int32_t>(in, at);
    r.bottom = Take<std::int32_t>(in, at);
    // The writer never stores an empty rectangle.
    if (r.Empty()) return std::nullopt;
  }
  return PixelRegion::FromRects(rects);
}

}  // namespace vantix
