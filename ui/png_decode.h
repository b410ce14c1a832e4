// A PNG decoder for the start-up pictures that needs nothing of Qt but
// QImage's memory: no image plugins, no QObject, no application object. The
// window's pictures are decoded with it on a worker thread while Qt is still
// connecting to the display, which Qt's own reader cannot safely do.
#pragma once

#include <QImage>

#include <optional>
#include <string>

namespace vantix {

// The picture in the PNG file at path, with the values stored in the file (no
// gamma or colour-space conversion: LoadSkinImage draws them as stored too):
// Format_RGB32 when it has no transparency, else Format_ARGB32, or
// Format_ARGB32_Premultiplied when premultiplied is set. nullopt for what it
// leaves to Qt's reader: a missing or unreadable file, one that is not a PNG,
// a damaged one, or one with 16 bits a channel.
std::optional<QImage> DecodePngDirect(const std::string& path, bool premultiplied = false);

}  // namespace vantix
