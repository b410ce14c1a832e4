// The pointer page: the four pointer sliders with their titles, the DPI
// stages with their sliders and labels, and the line naming the current
// stage. It shows what the current profile holds; the edits go through the
// value rules like every other page's.
#pragma once

#include <cstdint>

#include "app/main_layout.h"

namespace vantix {

class Skin;

class PointerPage {
 public:
  // The skin and the controls outlive the page.
  PointerPage(const Skin& skin, const MainControls& controls) : skin_(skin), controls_(controls) {}

  // Slider index (0 acceleration, 1 speed, 2 wheel lines, 3 double-click)
  // at value, its title following the thumb.
  void ShowSlider(int index, std::int32_t value);
  // Stage k's boxes and labels; its sliders only where the page is shown.
  void ShowStage(const ProfileRecord& record, int stage, bool page_shown);
  void ShowStages(const ProfileRecord& record, bool page_shown);
  // The line naming the current stage, by its index from 0.
  void ShowStageLabel(std::int64_t index);
  // An edit's new DPI labels of one stage.
  void ShowStageValues(const StageLabels& labels);

 private:
  QString Text(int number) const;

  const Skin& skin_;
  const MainControls& controls_;
};

}  // namespace vantix
