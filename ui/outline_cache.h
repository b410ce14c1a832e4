// A window outline cut once, when the skin is built, and kept beside its
// bitmap: reading a few hundred rectangles is much cheaper at start-up than
// decoding a window-sized bitmap and cutting it again. The cache names the
// bitmap's size and modification time (in seconds); a bitmap swapped or touched since
// makes it stale, and the window cuts the bitmap itself as before.
#pragma once

#include <optional>
#include <string>

#include "settings/file_io.h"
#include "settings/status.h"
#include "ui/region_from_bitmap.h"

namespace vantix {

// "cfgMainback.bmp" -> "cfgMainback.bmp.outline".
std::string OutlineCachePath(const std::string& bitmap_path);

// Writes the outline of the bitmap at bitmap_path beside it.
Status WriteOutlineCache(const std::string& bitmap_path, const PixelRegion& outline, FileIo& io);

// The cached outline; nullopt when there is none, it is damaged, or the
// bitmap is not the one it was cut from.
std::optional<PixelRegion> ReadOutlineCache(const std::string& bitmap_path, FileIo& io);

}  // namespace vantix
