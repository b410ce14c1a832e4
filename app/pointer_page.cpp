#include "app/pointer_page.h"

#include <QString>

#include "ui/bitmap_btn.h"
#include "ui/png_slider.h"
#include "ui/skin.h"
#include "ui/static_trans.h"

namespace vantix {

QString PointerPage::Text(int number) const { return skin_.UiText("General", number); }

void PointerPage::ShowSlider(int index, std::int32_t value) {
  controls_.pointer_sliders[index]->Thumb()->SetPos(value);
  controls_.pointer_sliders[index]->update();
  controls_.slider_titles[index]->setText(QStringLiteral("%1 : %2").arg(Text(1 + index)).arg(value));
}

void PointerPage::ShowStageLabel(std::int64_t index) {
  controls_.stage_label->setText(
      QStringLiteral("%1 : %2").arg(Text(101)).arg(static_cast<qint64>(index) + 1));
}

void PointerPage::ShowStages(const ProfileRecord& record, bool page_shown) {
  for (int k = 0; k < kStageCount; ++k) ShowStage(record, k, page_shown);
}

void PointerPage::ShowStage(const ProfileRecord& record, int stage, bool page_shown) {
  const StageShown s = StageView(record.Stages[stage]);
  const StageControls& c = controls_.stages[stage];
  c.link->SetChecked(s.link_box);
  c.enable->SetChecked(s.enable_box);
  c.x_slider->setEnabled(s.enable_box);
  c.x_value->setText(QString::number(s.x_dpi));
  c.y_value->setText(QString::number(s.y_dpi));
  if (!page_shown) return;
  if (s.one_slider) {
    c.x_slider->hide();
    c.y_slider->hide();
    c.xy_slider->show();
    c.xy_slider->Thumb()->SetPos(s.x_position);
    c.xy_slider->update();
  } else {
    c.x_slider->show();
    c.y_slider->show();
    c.xy_slider->hide();
    c.x_slider->Thumb()->SetPos(s.x_position);
    c.y_slider->Thumb()->SetPos(s.y_position);
    c.x_slider->update();
    c.y_slider->update();
  }
}

void PointerPage::ShowStageValues(const StageLabels& labels) {
  const StageControls& c = controls_.stages[labels.stage];
  if (labels.x_dpi) c.x_value->setText(QString::number(*labels.x_dpi));
  if (labels.y_dpi) c.y_value->setText(QString::number(*labels.y_dpi));
}

}  // namespace vantix
