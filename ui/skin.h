// The skin tree beside the program: image folders, the interface texts, image
// and outline loading, fonts and colours of the skinned controls.
#pragma once

#include <QColor>
#include <QPainter>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QRegion>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "settings/ui_text.h"
#include "ui/region_from_bitmap.h"

class QWidget;

namespace vantix {

inline constexpr std::string_view kSkinBackgroundFolder = "images/0409/background/";
inline constexpr std::string_view kSkinButtonsFolder = "images/0409/buttons/";
inline constexpr std::string_view kSkinControlsFolder = "images/0409/controls/";

// Texts longer than this many UTF-16 units are cut (a whole character is kept
// or dropped, never half of a surrogate pair).
inline constexpr int kUiTextMaxUnits = 4095;

// The interface text `number` of `section` in "skins.ini", read afresh;
// empty when the file, section or key is missing.
QString UiText(const SkinStrings& strings, std::string_view section, int number);

// Where the skin of one program folder keeps its images. A plain value that
// reads nothing: usable on any thread, before the skin's texts are read.
class SkinPaths {
 public:
  // program_folder ends with '/'; paths are joined by plain concatenation.
  explicit SkinPaths(std::string program_folder) : program_folder_(std::move(program_folder)) {}

  const std::string& ProgramFolder() const { return program_folder_; }
  QString BackgroundPath(std::string_view file) const { return Path(kSkinBackgroundFolder, file); }
  QString ButtonsPath(std::string_view file) const { return Path(kSkinButtonsFolder, file); }
  QString ControlsPath(std::string_view file) const { return Path(kSkinControlsFolder, file); }

 private:
  QString Path(std::string_view folder, std::string_view file) const;

  std::string program_folder_;
};

// Paths and texts of the skin of one program folder.
class Skin {
 public:
  // program_folder ends with '/'; paths are joined by plain concatenation.
  explicit Skin(std::string program_folder);

  const SkinPaths& Paths() const { return paths_; }
  const std::string& ProgramFolder() const { return paths_.ProgramFolder(); }
  QString BackgroundPath(std::string_view file) const { return paths_.BackgroundPath(file); }
  QString ButtonsPath(std::string_view file) const { return paths_.ButtonsPath(file); }
  QString ControlsPath(std::string_view file) const { return paths_.ControlsPath(file); }
  QString UiText(std::string_view section, int number) const;
  const SkinStrings& Strings() const { return strings_; }

 private:
  SkinPaths paths_;
  SkinStringFiles strings_;
};

// A skin image. A file that is missing or cannot be decoded gives a null
// image (size 0 x 0): the control that shows it works with an invisible face.
QImage LoadSkinImage(const QString& path);

// Replaces picture with the bitmap decoded from path (a window outline) and
// returns its size. A missing or unreadable file leaves picture null and
// returns 0 x 0; the window then stays rectangular.
QSize LoadPictureFile(const QString& path, QImage& picture);

// The region of every pixel of bitmap that is not pure white; nothing for a
// null bitmap. key_rgb (0xRRGGBB) chooses another cut-out colour.
std::optional<QRegion> RegionFromBitmap(const QImage& bitmap, std::uint32_t key_rgb = 0xFFFFFF);
std::optional<PixelRegion> PixelRegionFromBitmap(const QImage& bitmap,
                                                 std::uint32_t key_rgb = 0xFFFFFF);
QRegion ToQRegion(const PixelRegion& region);

// Gives window the outline of bitmap (every pixel but the key colour); a
// null bitmap leaves it rectangular.
void ApplyWindowOutline(QWidget* window, const QImage& outline, std::uint32_t key_rgb = 0xFFFFFF);
// The same with the outline already cut; nullopt leaves it rectangular.
void ApplyWindowOutline(QWidget* window, const std::optional<QRegion>& outline);
// The outline of the bitmap at path: from the cache beside it when that is
// current, else cut from the bitmap (key colour pure white).
std::optional<QRegion> LoadWindowOutline(const QString& path);

// The toolkit's font: Liberation Sans (Arial's metrics), or Arial, with
// height as the Windows font height (a positive value is the whole cell,
// ascent plus descent; negative the character height), weight 100..900.
QFont SkinFont(int height, int weight, bool italic = false);
// The families SkinFont asks for, best first: the Latin ones, then the CJK
// family of the interface language, if it has one.
QStringList SkinFontFamilies();
// Makes SkinFont ask for this family instead of the Latin ones (empty: the
// skin's own choice); for checking that every text survives a fallback font.
void SetSkinFontFamily(const QString& family);

// Tooltips in the skin's colours (light text on the dark menu face) instead
// of the system's light yellow; once per application.
void ApplySkinToolTipLook();

// Colours are written as COLORREF values 0x00BBGGRR, as in the settings files.
inline QColor FromColorRef(std::uint32_t colorref) {
  return QColor(static_cast<int>(colorref & 0xFF), static_cast<int>((colorref >> 8) & 0xFF),
                static_cast<int>((colorref >> 16) & 0xFF));
}
inline std::uint32_t ToColorRef(const QColor& c) {
  return static_cast<std::uint32_t>(c.red()) | static_cast<std::uint32_t>(c.green()) << 8 |
         static_cast<std::uint32_t>(c.blue()) << 16;
}

// How opaque a disabled control's face and caption are drawn. Skins often
// give the disabled face the normal image: dimming is what tells the user
// that the control does nothing now.
inline constexpr double kDisabledOpacity = 0.4;

// The skin's accent: lit captions, the current pick, the focused edit's frame.
inline constexpr std::uint32_t kAccentColor = 0xCCFF00;

// The keyboard focus ring is drawn in the accent, dotted, so that it is seen at
// a glance on the dark faces and not read as a lit caption.
inline constexpr std::uint32_t kFocusRingColor = kAccentColor;

// The ring around the control that has the keyboard focus: a dotted line
// inside the control's own rectangle, so that no neighbour clips it.
void DrawFocusRing(QPainter& painter, const QRect& rect);

// A rectangle written (left, top, right, bottom), right and bottom excluded.
inline QRect RectLtrb(int left, int top, int right, int bottom) {
  return QRect(left, top, right - left, bottom - top);
}

}  // namespace vantix
