#include "ui/skin.h"

#include <QColorSpace>
#include <QFile>
#include <QFontMetricsF>
#include <QImageReader>
#include <QPen>
#include <QToolTip>
#include <QWidget>

#include <algorithm>
#include <map>
#include <tuple>
#include <utility>
#include <cmath>

#include "settings/text_codec.h"
#include "ui/outline_cache.h"
#include "ui/region_from_bitmap.h"

namespace vantix {

QString UiText(const SkinStrings& strings, std::string_view section, int number) {
  const std::string text = strings.UiText(section, number);
  // The strings are WTF-8: going through UTF-16 keeps a lone surrogate as it
  // is instead of turning it into U+FFFD.
  const std::u16string units = Utf8ToUtf16(CutToUtf16Units(text, kUiTextMaxUnits));
  return QString(reinterpret_cast<const QChar*>(units.data()), static_cast<qsizetype>(units.size()));
}

Skin::Skin(std::string program_folder)
    : paths_(std::move(program_folder)),
      // The skin only reads its files: no writer's lock to wait for.
      strings_(SkinStringFiles::InProgramFolder(paths_.ProgramFolder(), ChooseUiLanguage(),
                                                SystemFileIo())) {}

QString SkinPaths::Path(std::string_view folder, std::string_view file) const {
  std::string path = program_folder_;
  path.append(folder);
  path.append(file);
  return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

QString Skin::UiText(std::string_view section, int number) const {
  return vantix::UiText(strings_, section, number);
}

QImage LoadSkinImage(const QString& path) {
  if (path.isEmpty()) return QImage();
  QImageReader reader(path);
  QImage image = reader.read();
  // Drawn as stored: no colour management.
  if (!image.isNull()) image.setColorSpace(QColorSpace());
  return image;
}

QSize LoadPictureFile(const QString& path, QImage& picture) {
  picture = path.isEmpty() ? QImage() : QImageReader(path).read();
  return picture.size();
}

std::optional<QRegion> RegionFromBitmap(const QImage& bitmap, std::uint32_t key_rgb) {
  const std::optional<PixelRegion> region = PixelRegionFromBitmap(bitmap, key_rgb);
  if (!region) return std::nullopt;
  return ToQRegion(*region);
}

std::optional<PixelRegion> PixelRegionFromBitmap(const QImage& bitmap, std::uint32_t key_rgb) {
  if (bitmap.isNull()) return std::nullopt;
  QImage pixels = bitmap;
  if (pixels.format() != QImage::Format_RGB32 && pixels.format() != QImage::Format_ARGB32) {
    pixels = pixels.convertToFormat(QImage::Format_ARGB32);
  }
  const BitmapView view{reinterpret_cast<const std::uint32_t*>(pixels.constBits()), pixels.width(),
                        pixels.height(), static_cast<std::ptrdiff_t>(pixels.bytesPerLine() / 4)};
  return vantix::RegionFromBitmap(view, key_rgb);
}

QRegion ToQRegion(const PixelRegion& region) {
  const std::vector<PixelRect> rects = region.Rects();
  QList<QRect> qrects;
  qrects.reserve(static_cast<qsizetype>(rects.size()));
  for (const PixelRect& r : rects) qrects.append(QRect(r.left, r.top, r.right - r.left, r.bottom - r.top));
  QRegion result;
  // The rectangles are y-x banded and disjoint, which is what setRects takes.
  if (!qrects.isEmpty()) result.setRects(qrects.constData(), static_cast<int>(qrects.size()));
  return result;
}

void ApplyWindowOutline(QWidget* window, const QImage& outline, std::uint32_t key_rgb) {
  if (window == nullptr) return;
  ApplyWindowOutline(window, RegionFromBitmap(outline, key_rgb));
}

std::optional<QRegion> LoadWindowOutline(const QString& path) {
  if (path.isEmpty()) return std::nullopt;
  const QByteArray local = QFile::encodeName(path);
  if (const std::optional<PixelRegion> cached =
          ReadOutlineCache(local.toStdString(), SystemFileIo())) {
    return ToQRegion(*cached);
  }
  QImage bitmap;
  LoadPictureFile(path, bitmap);
  return RegionFromBitmap(bitmap);
}

void ApplyWindowOutline(QWidget* window, const std::optional<QRegion>& region) {
  if (window == nullptr || !region) return;
  // Compositors that ignore the X shape (sway's Xwayland) show the cut-off
  // parts as the window's pixels there: with an alpha channel, and nothing
  // painted outside the outline, they stay see-through. The visual is chosen
  // when the native window is made, so only before that.
  if (window->isWindow() && !window->testAttribute(Qt::WA_WState_Created)) {
    window->setAttribute(Qt::WA_TranslucentBackground);
  }
  // An empty mask means "no mask" to Qt; an outline without a single opaque
  // pixel must hide the whole window, so it becomes a pixel off the window.
  window->setMask(region->isEmpty() ? QRegion(-1, -1, 1, 1) : *region);
  window->update();
}

namespace {
// Empty: the skin's own choice.
QString& FontFamilyOverride() {
  static QString family;
  return family;
}
}  // namespace

void ApplySkinToolTipLook() {
  QPalette tips = QToolTip::palette();
  for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    tips.setColor(group, QPalette::ToolTipBase, QColor(0x1E, 0x1E, 0x1E));
    tips.setColor(group, QPalette::ToolTipText, Qt::white);
    tips.setColor(group, QPalette::Window, QColor(0x1E, 0x1E, 0x1E));
    tips.setColor(group, QPalette::WindowText, Qt::white);
  }
  QToolTip::setPalette(tips);
  QToolTip::setFont(SkinFont(15, 400));
}

void SetSkinFontFamily(const QString& family) { FontFamilyOverride() = family; }

QStringList SkinFontFamilies() {
  // The skin is laid out for Arial's metrics. Liberation Sans has them and
  // is what Debian ships; Arial itself is the alias where it is installed.
  QStringList families = FontFamilyOverride().isEmpty()
                             ? QStringList{QStringLiteral("Liberation Sans"), QStringLiteral("Arial")}
                             : QStringList{FontFamilyOverride()};
  // Characters Liberation Sans lacks come from the language's own family, so
  // that a Han character takes its Japanese or Chinese form. Behind the Latin
  // families: the text's size is measured on them, and a CJK font's taller
  // cell would shrink everything. Missing, fontconfig's fallback draws them.
  const std::string_view cjk = InfoOf(ChooseUiLanguage()).font_family;
  if (!cjk.empty()) {
    families.append(QString::fromUtf8(cjk.data(), static_cast<qsizetype>(cjk.size())));
  }
  return families;
}

QFont SkinFont(int height, int weight, bool italic) {
  QFont font;
  font.setFamilies(SkinFontFamilies());
  font.setStyleHint(QFont::SansSerif);
  font.setWeight(static_cast<QFont::Weight>(std::clamp(weight == 0 ? 400 : weight, 1, 1000)));
  font.setItalic(italic);
  if (height < 0) {
    font.setPixelSize(-height);
  } else if (height > 0) {
    // A positive height is the cell (ascent plus descent); Qt sizes fonts by
    // the em. Scale by the cell-to-em ratio of the font actually found.
    // Measured once per family, weight and slant: windows set many fonts at start.
    static std::map<std::tuple<QString, int, bool>, double> ratios;
    const auto key = std::tuple{font.families().join(QLatin1Char(',')), static_cast<int>(font.weight()), italic};
    auto found = ratios.find(key);
    if (found == ratios.end()) {
      QFont probe = font;
      probe.setPixelSize(100);
      const double cell = QFontMetricsF(probe).height();
      found = ratios.emplace(key, cell > 0 ? cell / 100.0 : 1.0).first;
    }
    const double ratio = found->second;
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(height / ratio))));
  }
  return font;
}

void DrawFocusRing(QPainter& painter, const QRect& rect) {
  if (rect.width() < 2 || rect.height() < 2) return;
  painter.save();
  QPen pen(FromColorRef(kFocusRingColor));
  pen.setStyle(Qt::DotLine);
  painter.setPen(pen);
  painter.setBrush(Qt::NoBrush);
  painter.setOpacity(1.0);
  painter.drawRect(rect.adjusted(0, 0, -1, -1));
  // Two pixels wide, so that the ring is seen at a glance on the dark faces.
  if (rect.width() >= 4 && rect.height() >= 4) painter.drawRect(rect.adjusted(1, 1, -2, -2));
  painter.restore();
}

}  // namespace vantix
