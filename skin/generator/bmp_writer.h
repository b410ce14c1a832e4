// Window outlines are stored as 24-bit bottom-up BMP files, the form every
// BMP reader takes.
#pragma once

#include <QImage>
#include <QString>

namespace vantix::skin {

// Writes image (alpha ignored) as an uncompressed 24-bit BMP. False when the
// file cannot be written.
bool WriteBmp24(const QString& path, const QImage& image);

}  // namespace vantix::skin
