// What screen readers learn of the skinned controls, through Qt's
// accessibility interfaces (and so AT-SPI): buttons and check boxes with
// their state, clickable labels as page tabs, sliders with their value and
// range. Install once per application, before the first window shows.
#pragma once

#include <QString>

class QWidget;

namespace vantix {

class Skin;

// Texts only screen readers hear, by their number in the [Access] section of
// "skins.ini". "%1" stands for a number, "%2" for an axis letter.
enum class ReaderText {
  kMinimise = 1,
  kClose = 2,
  kButton = 3,         // "Button %1"
  kStageDpi = 4,       // "Stage %1 DPI"
  kStageAxisDpi = 5,   // "Stage %1 DPI %2"
  kRed = 6,
  kGreen = 7,
  kBlue = 8,
  kRecord = 9,
  kStopRecording = 10,
  kRowPressed = 11,    // "%1, pressed": a macro row
  kRowReleased = 12,   // "%1, released"
};

// The text from the skin's string files; the English text when the skin
// lacks the entry, so that no control goes unnamed.
QString ReaderString(const Skin& skin, ReaderText text);

void InstallSkinAccessibility();

// The name a control is read by: its accessible name (for image-only
// buttons, set by the owner from the string files) joined with the caption
// it shows, "Button 4: Left Click"; either alone when the other is empty.
QString SpokenName(const QString& accessible_name, const QString& caption);

}  // namespace vantix
