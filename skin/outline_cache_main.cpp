// vantix_outlinecache BITMAP...: cuts the outline of each window bitmap once,
// at build time, and writes it beside the bitmap, so that the windows read a
// few hundred rectangles at start instead of decoding the bitmap.
#include <QImage>
#include <QString>

#include <cstdio>
#include <optional>

#include "ui/outline_cache.h"
#include "ui/skin.h"

int main(int argc, char** argv) {
  vantix::FileIo& io = vantix::SystemFileIo();
  if (argc < 2) {
    std::fprintf(stderr, "usage: vantix_outlinecache BITMAP...\n");
    return 2;
  }
  for (int i = 1; i < argc; ++i) {
    QImage bitmap;
    vantix::LoadPictureFile(QString::fromLocal8Bit(argv[i]), bitmap);
    if (bitmap.isNull()) {
      std::fprintf(stderr, "vantix_outlinecache: cannot read %s\n", argv[i]);
      return 1;
    }
    const std::optional<vantix::PixelRegion> outline = vantix::PixelRegionFromBitmap(bitmap);
    const vantix::Status written = outline ? vantix::WriteOutlineCache(argv[i], *outline, io)
                                           : vantix::Status::Error("no outline");
    if (!written.ok()) {
      std::fprintf(stderr, "vantix_outlinecache: %s: %s\n", argv[i], written.reason().c_str());
      return 1;
    }
  }
  return 0;
}
