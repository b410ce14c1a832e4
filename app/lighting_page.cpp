#include "app/lighting_page.h"

#include <QPainter>
#include <QWidget>

#include "ui/bitmap_btn.h"
#include "ui/clr_edit.h"
#include "ui/png_slider.h"
#include "ui/skin.h"
#include "ui/static_trans.h"

namespace vantix {
namespace {

// The wheel as drawn: picks are taken only within it, from its image.
const QRect kWheelRect(210, 282, 208, 149);
const QRect kSwatchRect = RectLtrb(519, 300, 582, 364);
// The swatch's 1-pixel frame: drawRect of a 64-pixel square covers 65.
const QRect kSwatchFrame(518, 299, 65, 65);
// Everything the page paints itself in modes 0 and 1, to its last row and
// column: what is left out stays on screen after the mode changes.
const QRect kLightingArea = kWheelRect.united(kSwatchFrame);

}  // namespace

void SelectRadio(std::span<CBitmapBtn* const> group, int index) {
  for (int i = 0; i < static_cast<int>(group.size()); ++i) {
    if (i != index) group[i]->SetChecked(false);
  }
  if (index >= 0 && index < static_cast<int>(group.size())) group[index]->SetChecked(true);
}

void LightingPage::ShowMode(int mode) {
  const std::optional<ModeView> view = LightingModeView(mode);
  SelectRadio(controls_.mode_buttons, view ? mode : -1);
  if (view) {
    const MainControls& c = controls_;
    for (int i = 0; i < 9; ++i) c.section_labels[i]->setVisible(view->sections[i]);
    for (int i = 0; i < 3; ++i) {
      c.colour_edits[i]->setVisible(view->colour_editor);
      c.colour_letters[i]->setVisible(view->colour_editor);
      c.colour_sliders[i]->setVisible(view->colour_editor);
    }
    for (int g = 0; g < 3; ++g) {
      for (CBitmapBtn* b : c.light_groups[g]) b->setVisible(view->groups[g]);
    }
    for (CBitmapBtn* b : c.direction) b->setVisible(view->direction);
  }
  mode_shown_ = static_cast<std::uint8_t>(mode & 0xFF);
  window_->update(kLightingArea);
  window_->update(kSwatchRect);
}

void LightingPage::ShowChoices(const ProfileRecord& record) {
  const LightingChoices shown = LightingChoicesShown(record);
  for (int g = 0; g < 3; ++g) SelectRadio(controls_.light_groups[g], shown.groups[g]);
  SelectRadio(controls_.direction, shown.direction);
}

void LightingPage::ShowColour() {
  for (int i = 0; i < 3; ++i) {
    ShowColourEdit(i);
    ShowColourSlider(i);
  }
  InvalidateSwatch();
}

void LightingPage::ShowColourEdit(int component) {
  controls_.colour_edits[component]->setText(QString::number(colour_[component]));
}

void LightingPage::ShowColourSlider(int component) {
  controls_.colour_sliders[component]->Thumb()->SetPos(colour_[component] + 1);
  controls_.colour_sliders[component]->update();
}

void LightingPage::CutColourEdit(int component) {
  controls_.colour_edits[component]->setText(QStringLiteral("255"));
}

void LightingPage::InvalidateSwatch() { window_->update(kSwatchRect); }

std::array<std::optional<int>, 3> LightingPage::TypedValues() const {
  std::array<std::optional<int>, 3> values;
  for (int i = 0; i < 3; ++i) {
    bool ok = false;
    const int v = controls_.colour_edits[i]->text().trimmed().toInt(&ok);
    if (ok) values[i] = v;
  }
  return values;
}

std::optional<Rgb> LightingPage::ColourAt(QPoint point) const {
  if (!WheelShown(mode_shown_)) return std::nullopt;
  const QImage& wheel = images_.colour_wheel.Get();
  if (!kWheelRect.contains(point) || wheel.isNull()) return std::nullopt;
  const QPoint in_image = point - kWheelRect.topLeft();
  if (!wheel.rect().contains(in_image)) return std::nullopt;
  const QColor c = wheel.pixelColor(in_image);
  return Rgb{static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
             static_cast<std::uint8_t>(c.blue())};
}

void LightingPage::Paint(QPainter& p) const {
  if (!WheelShown(mode_shown_)) return;
  p.drawImage(kWheelRect, images_.colour_wheel.Get());
  p.setPen(QPen(Qt::white, 1));
  p.setBrush(Qt::NoBrush);
  p.drawRect(QRect(518, 299, 64, 64));
  p.fillRect(QRect(519, 300, 63, 63), QColor(colour_[0], colour_[1], colour_[2]));
}

}  // namespace vantix
