#include "ui/accessible.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QAccessibleWidget>

#include "ui/bitmap_btn.h"
#include "ui/png_slider.h"
#include "ui/skin.h"
#include "ui/static_trans.h"

namespace vantix {

QString SpokenName(const QString& accessible_name, const QString& caption) {
  if (accessible_name.isEmpty()) return caption;
  if (caption.isEmpty()) return accessible_name;
  return accessible_name + QStringLiteral(": ") + caption;
}

QString ReaderString(const Skin& skin, ReaderText text) {
  const QString read = skin.UiText("Access", static_cast<int>(text));
  if (!read.isEmpty()) return read;
  switch (text) {
    case ReaderText::kMinimise:
      return QStringLiteral("Minimise");
    case ReaderText::kClose:
      return QStringLiteral("Close");
    case ReaderText::kButton:
      return QStringLiteral("Button %1");
    case ReaderText::kStageDpi:
      return QStringLiteral("Stage %1 DPI");
    case ReaderText::kStageAxisDpi:
      return QStringLiteral("Stage %1 DPI %2");
    case ReaderText::kRed:
      return QStringLiteral("Red");
    case ReaderText::kGreen:
      return QStringLiteral("Green");
    case ReaderText::kBlue:
      return QStringLiteral("Blue");
    case ReaderText::kRecord:
      return QStringLiteral("Record");
    case ReaderText::kStopRecording:
      return QStringLiteral("Stop recording");
    case ReaderText::kRowPressed:
      return QStringLiteral("%1, pressed");
    case ReaderText::kRowReleased:
      return QStringLiteral("%1, released");
  }
  return QString();
}

namespace {

class ButtonAccessible final : public QAccessibleWidget {
 public:
  explicit ButtonAccessible(CBitmapBtn* button)
      : QAccessibleWidget(button, button->CheckMode() ? QAccessible::CheckBox : QAccessible::Button) {}

  CBitmapBtn* Button() const { return static_cast<CBitmapBtn*>(widget()); }

  QAccessible::Role role() const override {
    return Button()->CheckMode() ? QAccessible::CheckBox : QAccessible::Button;
  }
  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name) return SpokenName(Button()->accessibleName(), Button()->Caption());
    return QAccessibleWidget::text(t);
  }
  QAccessible::State state() const override {
    QAccessible::State s = QAccessibleWidget::state();
    if (Button()->CheckMode()) {
      s.checkable = true;
      s.checked = Button()->Checked();
    }
    return s;
  }
  QStringList actionNames() const override { return {pressAction()}; }
  void doAction(const QString& name) override {
    if (name == pressAction() && Button()->isEnabled()) Button()->Activate();
  }
};

// A label reads as static text, or as a page tab when it is one (SS_NOTIFY:
// it can be pressed): its text, or the name set for readers.
class LabelAccessible final : public QAccessibleWidget {
 public:
  explicit LabelAccessible(CStaticTrans* label)
      : QAccessibleWidget(label, IsTab(label) ? QAccessible::PageTab : QAccessible::StaticText) {}

  CStaticTrans* Label() const { return static_cast<CStaticTrans*>(widget()); }

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name) return SpokenName(Label()->accessibleName(), Label()->text());
    return QAccessibleWidget::text(t);
  }
  QStringList actionNames() const override {
    return IsTab(Label()) ? QStringList{pressAction()} : QStringList{};
  }
  void doAction(const QString& name) override {
    if (IsTab(Label()) && name == pressAction() && Label()->isEnabled()) emit Label()->clicked();
  }

 private:
  static bool IsTab(const CStaticTrans* label) { return (label->Style() & SS_NOTIFY) != 0; }
};

class SliderAccessible final : public QAccessibleWidget, public QAccessibleValueInterface {
 public:
  explicit SliderAccessible(PngSliderTrack* track) : QAccessibleWidget(track, QAccessible::Slider) {}

  PngSliderTrack* Track() const { return static_cast<PngSliderTrack*>(widget()); }

  void* interface_cast(QAccessible::InterfaceType t) override {
    if (t == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
    return QAccessibleWidget::interface_cast(t);
  }
  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name) return Track()->accessibleName();
    if (t == QAccessible::Value) return QString::number(Track()->Thumb()->Value());
    return QAccessibleWidget::text(t);
  }
  QVariant currentValue() const override { return Track()->Thumb()->Value(); }
  // A reader sets the value as a click there would.
  void setCurrentValue(const QVariant& value) override { Track()->PickValue(value.toInt()); }
  QVariant maximumValue() const override { return Track()->Max(); }
  QVariant minimumValue() const override { return Track()->Min(); }
  QVariant minimumStepSize() const override { return 1; }
};

QAccessibleInterface* SkinFactory(const QString& class_name, QObject* object) {
  if (object == nullptr || !object->isWidgetType()) return nullptr;
  if (class_name == QLatin1String("vantix::CBitmapBtn")) {
    return new ButtonAccessible(static_cast<CBitmapBtn*>(object));
  }
  if (class_name == QLatin1String("vantix::CStaticTrans")) {
    return new LabelAccessible(static_cast<CStaticTrans*>(object));
  }
  if (auto* track = dynamic_cast<PngSliderTrack*>(object)) {
    // The tracks carry no meta-object of their own: asked as QWidget.
    if (class_name == QLatin1String("QWidget")) return new SliderAccessible(track);
  }
  return nullptr;
}

}  // namespace

void InstallSkinAccessibility() {
  static const bool installed = [] {
    QAccessible::installFactory(SkinFactory);
    return true;
  }();
  (void)installed;
}

}  // namespace vantix
