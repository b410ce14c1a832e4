// The lighting page: the mode it shows and the colour being edited, the
// controls that follow them, and the colour wheel and swatch it paints.
#pragma once

#include <QPoint>
#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "app/main_layout.h"

class QPainter;
class QWidget;

namespace vantix {

class CBitmapBtn;

// Clears every other button of a radio group and selects button index; an
// index outside the group selects nothing.
void SelectRadio(std::span<CBitmapBtn* const> group, int index);

class LightingPage {
 public:
  // The window, its controls and pictures outlive the page.
  LightingPage(QWidget* window, const MainControls& controls, const MainImages& images)
      : window_(window), controls_(controls), images_(images) {}

  // Selects mode m's button, shows the controls of the mode (a mode outside
  // 0..4 selects none and leaves them as they are) and repaints the wheel.
  void ShowMode(int mode);
  // The selected buttons of the three groups and the direction pair.
  void ShowChoices(const ProfileRecord& record);

  void SetColour(const Rgb& colour) { colour_ = colour; }
  void ShowColour();  // every edit and slider, and the swatch
  void ShowColourEdit(int component);
  void ShowColourSlider(int component);
  void CutColourEdit(int component);  // a number past a byte reads 255
  void InvalidateSwatch();
  // The numbers the three edits hold; nothing where the text is no number.
  std::array<std::optional<int>, 3> TypedValues() const;

  // The wheel's colour under a client point, where the wheel is drawn.
  std::optional<Rgb> ColourAt(QPoint point) const;
  void Paint(QPainter& painter) const;

  int ModeShown() const { return mode_shown_; }
  const Rgb& Colour() const { return colour_; }

 private:
  QWidget* window_;
  const MainControls& controls_;
  const MainImages& images_;
  std::uint8_t mode_shown_ = 0;
  Rgb colour_ = {255, 0, 0};
};

}  // namespace vantix
