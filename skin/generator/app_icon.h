// The application icon for the desktop's menus and task bars: the window's
// shape (long cuts at the top-left and bottom-right corners, lit in the
// accent) with the product mark of the main window's header.
#pragma once

#include <QImage>
#include <QString>

namespace vantix::skin {

// The sizes of the freedesktop "hicolor" theme that the icon is drawn in.
inline constexpr int kAppIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256, 512};

// The icon at size x size pixels.
QImage PaintAppIcon(int size);

// Writes the icon as THEME_FOLDER/<n>x<n>/apps/NAME.png for every size;
// false (and a message on stderr) when a file cannot be written.
bool WriteAppIcons(const QString& theme_folder, const QString& name);

}  // namespace vantix::skin
