// Where the skin tests find the generated skin and the string sources.
#pragma once

#include <QImage>
#include <QString>
#include <cctype>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>

#include "skin/skin_manifest.h"

namespace vantix::skin::test {

// The generated tree: the build's program folder + "images/0409".
inline QString SkinDir() { return QString::fromUtf8(VANTIX_SKIN_DIR); }

inline QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline QString PathOf(const SkinImage& image) {
  return SkinDir() + u'/' + ToQString(FolderName(image.folder)) + u'/' + ToQString(image.name);
}

// The manifest entry of a file name; the tests name only files it holds.
inline const SkinImage& Entry(std::string_view name) {
  for (const SkinImage& image : kSkinImages) {
    if (image.name == name) return image;
  }
  throw std::logic_error("not in the manifest: " + std::string(name));
}

inline QImage Load(std::string_view name) {
  return QImage(PathOf(Entry(name))).convertToFormat(QImage::Format_ARGB32);
}

// Test names may hold only letters, digits and underscores.
inline std::string TestName(std::string_view text) {
  std::string name;
  for (const char c : text) {
    name += (std::isalnum(static_cast<unsigned char>(c)) != 0) ? c : '_';
  }
  return name;
}

}  // namespace vantix::skin::test

namespace vantix::skin {
// Test parameters print as their file names.
inline void PrintTo(const SkinImage& image, std::ostream* os) { *os << image.name; }
}  // namespace vantix::skin
