// What screen readers learn of the skinned controls, through Qt's
// accessibility interfaces (and so AT-SPI): buttons and check boxes with
// their state, clickable labels as page tabs, sliders with their value and
// range. Install once per application, before the first window shows.
#pragma once

#include <QString>

class QWidget;

namespace vantix {

void InstallSkinAccessibility();

// The name a control is read by: its accessible name (for image-only
// buttons, set by the owner from the string files) joined with the caption
// it shows, "Button 4: Left Click"; either alone when the other is empty.
QString SpokenName(const QString& accessible_name, const QString& caption);

}  // namespace vantix
