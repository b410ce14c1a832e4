// The main window on the offscreen platform: its start-up, pages, profiles,
// value editors, Apply and the agent's messages, with a scratch data folder,
// a private endpoint folder and an agent starter that only records.
#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QApplication>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QScreen>
#include <QWheelEvent>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <tuple>

#include "app/device_panel.h"
#include "app/profile_file_dialog.h"
#include "app/program_rules_panel.h"
#include "app/tests/dlg_test_fixture.h"
#include "app/vantix_dlg.h"
#include "devicelink/agent_messages.h"
#include "devicelink/device_link.h"
#include "settings/ini_file.h"
#include "tests/test_support.h"
#include "ui/bitmap_btn.h"
#include "ui/clr_edit.h"
#include "ui/png_slider.h"
#include "ui/skin.h"
#include "ui/static_trans.h"
#include "ui/tests/reader_walk.h"
#include "ui/top_window.h"
#include "ui/warning_dlg.h"

namespace vantix {
namespace {

using namespace std::chrono_literals;

TEST_F(DlgTest, StartsOnTheButtonPageAtTheOriginWithTheAgentStartedOnce) {
  CVantixDlg& d = Open();
  EXPECT_EQ(d.windowTitle(), QStringLiteral("Corvane II Gaming Mouse"));
  EXPECT_EQ(d.pos(), QPoint(0, 0));
  EXPECT_EQ(d.size(), QSize(1028, 712));
  EXPECT_EQ(d.Page(), 1);
  EXPECT_EQ(d.View(), 0);
  EXPECT_TRUE(d.OwnsEndpoint());
  EXPECT_TRUE(bus.FindWindow(kMainWindowTitle));
  ASSERT_EQ(launcher.started.size(), 1u);
  EXPECT_EQ(launcher.started[0], VANTIX_PROGRAM_DIR "/hid");

  // No macro index: not connected. Apply stays enabled, the red label shows.
  EXPECT_TRUE(Shown(C().status_disconnected));
  EXPECT_FALSE(Shown(C().status_connected));
  EXPECT_TRUE(C().apply->isEnabled());

  // Defaults loaded and shown, nothing written at start.
  EXPECT_EQ(live.CurrentProfile, 0);
  EXPECT_EQ(C().profile_labels[0]->TextColor(), kHighlightColor);
  EXPECT_EQ(C().page_tabs[0]->TextColor(), kHighlightColor);
  EXPECT_FALSE(AnyProfileFile());
  for (CBitmapBtn* b : C().assign_buttons) EXPECT_FALSE(b->Caption().isEmpty());
  for (int n : kFrontBadges) EXPECT_TRUE(Shown(C().picture_badges[n - 1]));
  for (int n : kSideBadges) EXPECT_FALSE(Shown(C().picture_badges[n - 1]));
  for (CBitmapBtn* b : C().list_badges) EXPECT_FALSE(b->isEnabled());
  EXPECT_FALSE(Shown(C().stages[0].enable));
  EXPECT_FALSE(Shown(C().mode_buttons[0]));
}

TEST_F(DlgTest, ASecondWindowFindsTheEndpointTakenAndStillOpens) {
  Open();
  SettingsBlock other_live;
  const DlgContext context{Folders{VANTIX_PROGRAM_DIR "/", data}, other_live, bus, launcher,
                           WindowFileIo()};
  CVantixDlg second(context);
  EXPECT_FALSE(second.OwnsEndpoint());
  EXPECT_TRUE(dlg->OwnsEndpoint());
}

TEST_F(DlgTest, MissingOrDamagedSkinStillOpensARectangularWindowWithEveryControl) {
  namespace fs = std::filesystem;
  struct Case {
    const char* name;
    // Damages the copy of the skin in the program folder given.
    std::function<void(const Skin&)> damage;
    bool wheel_gone;
  };
  const auto path = [](const QString& p) { return p.toStdString(); };
  const Case cases[] = {
      {"missing", nullptr, true},
      {"truncated face, garbage outline",
       [&](const Skin& s) {
         const std::string face = path(s.BackgroundPath("cfgMainback.png"));
         fs::resize_file(face, fs::file_size(face) / 2);
         test::WriteBytes(path(s.BackgroundPath("cfgMainback.bmp")), "BM" + Garbage(4000, 1));
       },
       false},
      {"cut inside the header, empty outline",
       [&](const Skin& s) {
         fs::resize_file(path(s.BackgroundPath("cfgMainback.png")), 20);
         fs::resize_file(path(s.ControlsPath("RGB.png")), 20);
         fs::resize_file(path(s.BackgroundPath("cfgMainback.bmp")), 0);
       },
       true},
      {"folders in place of the files",
       [&](const Skin& s) {
         for (const QString& p : {s.BackgroundPath("cfgMainback.png"),
                                  s.BackgroundPath("cfgMainback.bmp"), s.ControlsPath("RGB.png"),
                                  s.ButtonsPath("apply1.png")}) {
           fs::remove(path(p));
           fs::create_directory(path(p));
         }
       },
       true},
      {"every file garbage, texts too",
       [&](const Skin& s) {
         unsigned seed = 2;
         for (const auto& f : fs::recursive_directory_iterator(s.ProgramFolder() + "images")) {
           if (f.is_regular_file()) {
             test::WriteBytes(f.path().string(), Garbage(f.file_size(), seed++));
           }
         }
       },
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    dlg.reset();
    const std::string program = scratch / c.name + "/";
    fs::create_directory(program);
    if (c.damage) {
      fs::copy(VANTIX_PROGRAM_DIR "/images", program + "images", fs::copy_options::recursive);
      c.damage(Skin(program));
    }
    CVantixDlg& d = Open(program);
    EXPECT_EQ(d.size(), QSize(1028, 712));
    EXPECT_TRUE(d.mask().isEmpty());
    EXPECT_EQ(C().apply->geometry(), QRect(611, 673, 109, 22));
    EXPECT_FALSE(d.grab().isNull());  // painting with what is left
    Click(C().page_tabs[2]);
    EXPECT_EQ(d.Page(), 3);
    Click(C().mode_buttons[0]);
    EXPECT_EQ(Profile().LedMode1, 0);
    if (c.wheel_gone) {
      EXPECT_FALSE(d.PickColour(QPoint(300, 350)));  // no wheel image to read
    }
    Slide(kSliderRed, 11);
    EXPECT_EQ(C().colour_edits[0]->text(), QStringLiteral("10"));
    EXPECT_FALSE(d.grab().isNull());
  }
}

TEST_F(DlgTest, TabsShowOnePageAtATime) {
  CVantixDlg& d = Open();
  struct Case {
    int tab;
    std::vector<QWidget*> shown;
    std::vector<QWidget*> hidden;
  };
  const std::vector<Case> cases = {
      {1, {C().stage_label, C().stages[5].enable, C().stages[0].x_value},
       {C().assign_buttons[0], C().report_rate[0], C().pointer_sliders[0], C().mode_buttons[0]}},
      // A first run shows the factory mode: no colour editor.
      {2, {C().mode_buttons[0], C().light_groups[0][0], C().light_groups[1][0]},
       {C().stage_label, C().stages[5].enable, C().assign_buttons[0], C().colour_edits[0]}},
      {0, {C().assign_buttons[11], C().list_badges[11], C().view_switches[1], C().slider_titles[4],
           C().report_rate[3], C().pointer_sliders[3]},
       {C().mode_buttons[0], C().colour_edits[2], C().stage_label, C().light_groups[0][0]}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tab);
    Click(C().page_tabs[c.tab]);
    EXPECT_EQ(d.Page(), c.tab + 1);
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(C().page_tabs[i]->TextColor(), i == c.tab ? kHighlightColor : kPlainColor);
    }
    for (QWidget* w : c.shown) EXPECT_TRUE(Shown(w)) << w->metaObject()->className();
    for (QWidget* w : c.hidden) EXPECT_FALSE(Shown(w)) << w->metaObject()->className();
    // Controls of every page stay.
    EXPECT_TRUE(Shown(C().apply));
    EXPECT_TRUE(Shown(C().profile_labels[4]));
  }
  // The macro tab runs the macro editor modally over the window; the page stays.
  QString editor;
  QWidget* editor_parent = nullptr;
  QTimer::singleShot(0, [&] {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      editor = modal->objectName();
      editor_parent = modal->parentWidget();
      static_cast<QDialog*>(modal)->done(0);
    }
  });
  Click(C().macro_tab);
  EXPECT_EQ(editor, QStringLiteral("macroEditor"));
  EXPECT_EQ(editor_parent, &d);
  EXPECT_EQ(d.Page(), 1);
}

TEST_F(DlgTest, ViewSwitchesShowTheBadgesOfTheirView) {
  CVantixDlg& d = Open();
  Click(C().view_switches[1]);
  EXPECT_EQ(d.View(), 1);
  EXPECT_EQ(C().view_switches[1]->TextColor(), kHighlightColor);
  EXPECT_EQ(C().view_switches[0]->TextColor(), kPlainColor);
  for (int n : kFrontBadges) EXPECT_FALSE(Shown(C().picture_badges[n - 1]));
  for (int n : kSideBadges) EXPECT_TRUE(Shown(C().picture_badges[n - 1]));
  Click(C().view_switches[1]);
  EXPECT_EQ(d.View(), 1);
  // The view survives a trip to another page.
  Click(C().page_tabs[1]);
  for (int n : kSideBadges) EXPECT_FALSE(Shown(C().picture_badges[n - 1]));
  Click(C().page_tabs[0]);
  for (int n : kSideBadges) EXPECT_TRUE(Shown(C().picture_badges[n - 1]));
  for (int n : kFrontBadges) EXPECT_FALSE(Shown(C().picture_badges[n - 1]));
}

// The skin gives the bottom row one face for every state; the pointer
// still shows which button a click would hit.
TEST_F(DlgTest, TheBottomRowLightsUpUnderThePointer) {
  Open();
  dlg->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
  CBitmapBtn* apply = C().apply;
  const QImage idle = apply->grab().toImage();
  const QPoint at = apply->rect().center();
  QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(apply->mapToGlobal(at)), Qt::NoButton,
                   Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(apply, &move);
  ASSERT_TRUE(apply->Hovering());
  const QImage lit = apply->grab().toImage();
  EXPECT_NE(lit, idle);
  // Brighter: the face's middle, away from the caption, gains light.
  EXPECT_GT(lit.pixelColor(3, 3).lightness(), idle.pixelColor(3, 3).lightness());
}

TEST_F(DlgTest, SwitchingProfileOnThePerformancePageShowsItsStagesAtOnce) {
  Open();
  live.Profiles[2].Stages[0] = DpiStage{1, 40, 90, 0};
  live.Profiles[2].DPI = 3;
  Click(C().page_tabs[1]);
  Click(C().profile_labels[2]);
  EXPECT_EQ(live.CurrentProfile, 2);
  EXPECT_EQ(dlg->ProfileShown(), 2);
  EXPECT_EQ(C().profile_labels[2]->TextColor(), kHighlightColor);
  EXPECT_EQ(C().profile_labels[0]->TextColor(), kPlainColor);
  EXPECT_EQ(C().stages[0].x_value->text(), QStringLiteral("4000"));
  EXPECT_EQ(C().stages[0].y_value->text(), QStringLiteral("9000"));
  EXPECT_TRUE(Shown(C().stages[0].x_slider));
  EXPECT_FALSE(Shown(C().stages[0].xy_slider));
  EXPECT_EQ(C().stages[0].x_slider->Thumb()->Value(), 96);
  EXPECT_EQ(C().stages[0].y_slider->Thumb()->Value(), 46);
  EXPECT_EQ(C().stage_label->text(), QStringLiteral("DPI Stage : 4"));
}

TEST_F(DlgTest, AtLeastTwoStagesStayEnabled) {
  Open();
  Click(C().page_tabs[1]);
  for (int k = 0; k < kStageCount; ++k) Profile().Stages[k].Enabled = k % 2;  // 2, 4, 6
  dlg->ShowStages();
  Click(C().stages[3].enable);
  EXPECT_EQ(Profile().Stages[3].Enabled, 0);
  EXPECT_FALSE(C().stages[3].enable->Checked());
  Click(C().stages[5].enable);
  EXPECT_EQ(Profile().Stages[5].Enabled, 1);
  EXPECT_TRUE(C().stages[5].enable->Checked());
  // Enabling is never refused.
  Click(C().stages[0].enable);
  EXPECT_EQ(Profile().Stages[0].Enabled, 1);
}

TEST_F(DlgTest, LinkingAStageCopiesXAndShowsOneSlider) {
  Open();
  Click(C().page_tabs[1]);
  Profile().Stages[2] = DpiStage{1, 40, 90, 0};
  dlg->ShowStage(2);
  Click(C().stages[2].link);
  EXPECT_EQ(Profile().Stages[2], (DpiStage{1, 40, 40, 1}));
  EXPECT_FALSE(Shown(C().stages[2].x_slider));
  EXPECT_FALSE(Shown(C().stages[2].y_slider));
  EXPECT_TRUE(Shown(C().stages[2].xy_slider));
  EXPECT_EQ(C().stages[2].xy_slider->Thumb()->Value(), 96);
  Click(C().stages[2].link);
  EXPECT_EQ(Profile().Stages[2].Linked, 0);
  EXPECT_TRUE(Shown(C().stages[2].x_slider));
  EXPECT_FALSE(Shown(C().stages[2].xy_slider));
}

TEST_F(DlgTest, SliderKeysAndWheelStoreAndLabelAsADragDoes) {
  Open();
  QApplication::processEvents();
  Slide(kSliderPointerSpeed, 7);
  Slide(kSliderStageXY + 0, 16);
  C().stages[0].xy_slider->Thumb()->SetPos(16);
  const auto settle = [] { QCoreApplication::sendPostedEvents(); };

  QTest::keyClick(C().pointer_sliders[1], Qt::Key_Right);
  settle();
  EXPECT_EQ(Profile().MouseSensitivity, 8);
  EXPECT_EQ(C().slider_titles[1]->text(), QStringLiteral("Pointer Speed : 8"));
  QTest::keyClick(C().pointer_sliders[1], Qt::Key_End);
  settle();
  EXPECT_EQ(Profile().MouseSensitivity, C().pointer_sliders[1]->Max());

  QWheelEvent down(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, -120), Qt::NoButton,
                   Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(C().pointer_sliders[1], &down);
  settle();
  EXPECT_EQ(Profile().MouseSensitivity, C().pointer_sliders[1]->Max() - 1);

  // Up on a stage slider moves the thumb up: a smaller position, more dpi.
  QTest::keyClick(C().stages[0].xy_slider, Qt::Key_Up);
  settle();
  EXPECT_EQ(Profile().Stages[0].X, 121);
  EXPECT_EQ(Profile().Stages[0].Y, 121);
  EXPECT_EQ(C().stages[0].x_value->text(), QStringLiteral("12200"));
  QTest::keyClick(C().stages[0].xy_slider, Qt::Key_PageDown);
  settle();
  EXPECT_EQ(Profile().Stages[0].X, 121 - 13);
}

TEST_F(DlgTest, ReportRateButtonsMapToIntervals) {
  Open();
  const std::int32_t expected[] = {8, 4, 2, 1};
  for (int i = 0; i < 4; ++i) {
    Click(C().report_rate[i]);
    EXPECT_EQ(Profile().PollingRate, expected[i]);
    for (int j = 0; j < 4; ++j) EXPECT_EQ(C().report_rate[j]->Checked(), i == j);
  }
  // Clicking the selected one keeps it selected.
  Click(C().report_rate[3]);
  EXPECT_TRUE(C().report_rate[3]->Checked());
  // A stored value no button stands for shows the second, unchanged.
  Profile().PollingRate = 3;
  dlg->RefreshControls();
  EXPECT_TRUE(C().report_rate[1]->Checked());
  EXPECT_EQ(Profile().PollingRate, 3);
}

TEST_F(DlgTest, LightingModesShowTheirControls) {
  Open();
  Click(C().page_tabs[2]);
  const auto section = [&](int text) {
    for (std::size_t i = 0; i < kSectionLabelTexts.size(); ++i) {
      if (kSectionLabelTexts[i] == text) return Shown(C().section_labels[i]);
    }
    return false;
  };
  struct Case {
    int mode;
    std::vector<int> sections;
    bool colour;
    std::array<bool, 3> groups;
    bool direction;
  };
  const Case cases[] = {
      {0, {23, 24, 25}, true, {true, false, false}, false},
      {1, {23, 24, 25, 29}, true, {true, true, false}, false},
      {2, {25, 33, 58, 22}, false, {true, false, true}, true},
      {3, {25, 29, 63}, false, {true, true, false}, false},
      {4, {64}, false, {false, false, false}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    Click(C().mode_buttons[c.mode]);
    EXPECT_EQ(Profile().LedMode1, c.mode);
    EXPECT_EQ(dlg->LightingModeShown(), c.mode);
    for (int m = 0; m < 5; ++m) EXPECT_EQ(C().mode_buttons[m]->Checked(), m == c.mode);
    for (int text : kSectionLabelTexts) {
      const bool want = std::find(c.sections.begin(), c.sections.end(), text) != c.sections.end();
      EXPECT_EQ(section(text), want) << text;
    }
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(Shown(C().colour_edits[i]), c.colour);
      EXPECT_EQ(Shown(C().colour_sliders[i]), c.colour);
      EXPECT_EQ(Shown(C().colour_letters[i]), c.colour);
    }
    for (int g = 0; g < 3; ++g) EXPECT_EQ(Shown(C().light_groups[g][0]), c.groups[g]);
    EXPECT_EQ(Shown(C().direction[0]), c.direction);
  }
}

TEST_F(DlgTest, AnOutOfRangeModeSelectsNothingAndKeepsTheControls) {
  Open();
  Click(C().page_tabs[2]);
  Click(C().mode_buttons[1]);
  Agent(WM_AGENT_EVENT, kEventLightingMode, 5);
  EXPECT_EQ(Profile().LedMode1, 5);
  for (CBitmapBtn* b : C().mode_buttons) EXPECT_FALSE(b->Checked());
  EXPECT_TRUE(Shown(C().light_groups[1][0]));  // left as mode 1 had them
  EXPECT_FALSE(dlg->PickColour(QPoint(300, 350)));  // no wheel drawn
  Click(C().page_tabs[0]);
  Click(C().page_tabs[2]);
  for (CBitmapBtn* b : C().mode_buttons) EXPECT_FALSE(b->Checked());

  // Larger than 5: stored, nothing shown changes.
  Click(C().mode_buttons[0]);
  Agent(WM_AGENT_EVENT, kEventLightingMode, 7);
  EXPECT_EQ(Profile().LedMode1, 7);
  EXPECT_TRUE(C().mode_buttons[0]->Checked());
}

TEST_F(DlgTest, AFirstRunShowsTheFactoryLightingModeAndStoresItUnset) {
  Open();
  ASSERT_EQ(Profile().LedMode1, kUnset);  // no profile file yet
  Click(C().page_tabs[2]);
  for (int m = 0; m < 5; ++m) EXPECT_EQ(C().mode_buttons[m]->Checked(), m == 3) << m;
  EXPECT_EQ(dlg->LightingModeShown(), 3);
  EXPECT_TRUE(Shown(C().light_groups[1][0]));
  EXPECT_FALSE(Shown(C().colour_edits[0]));

  // What reaches the file is what was there: the mode is still unset.
  Click(C().apply);
  EXPECT_EQ(IniFile(ProfilePath(data, 0), SystemFileIo()).ReadInt(0, "GROUP", "LedMode1"), kUnset);
  EXPECT_EQ(Profile().LedMode1, kUnset);
}

TEST_F(DlgTest, LightingGroupsStoreTheirValues) {
  Open();
  Click(C().page_tabs[2]);
  Click(C().mode_buttons[1]);
  Click(C().light_groups[0][2]);
  EXPECT_EQ(Profile().LedState1, 3);
  Click(C().light_groups[1][1]);
  EXPECT_EQ(Profile().BreathState1, 5);
  Click(C().mode_buttons[2]);
  Click(C().light_groups[2][2]);
  EXPECT_EQ(Profile().FlashState1, 1);
  // Stored values outside the buttons show the first; direction 1 the second.
  Profile().LedState1 = 9;
  Profile().LedDirect1 = 1;
  dlg->RefreshControls();
  EXPECT_TRUE(C().light_groups[0][0]->Checked());
  EXPECT_TRUE(C().direction[1]->Checked());
  EXPECT_EQ(Profile().LedState1, 9);
}

TEST_F(DlgTest, TypedColoursAreCutTo255AndMoveTheirSlider) {
  Open();
  Click(C().page_tabs[2]);
  Click(C().mode_buttons[0]);
  struct Case {
    int component;
    QString typed;
    QString shown;
    int slider;
  };
  const Case cases[] = {
      {0, QStringLiteral("300"), QStringLiteral("255"), 256},
      {1, QStringLiteral("16"), QStringLiteral("16"), 17},
      {2, QStringLiteral("abc"), QStringLiteral("abc"), 1},  // not a number reads as 0
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed.toStdString());
    C().colour_edits[c.component]->setText(c.typed);
    SendWindowMessage(dlg.get(), WM_EDIT_KEYUP, 0x30, kEditRed + c.component);
    EXPECT_EQ(C().colour_edits[c.component]->text(), c.shown);
    EXPECT_EQ(C().colour_sliders[c.component]->Thumb()->Value(), c.slider);
  }
  EXPECT_EQ(Profile().LedColor1, 0x0010FF);
  // Another edit's tag is ignored.
  SendWindowMessage(dlg.get(), WM_EDIT_KEYUP, 0x30, 258);
  EXPECT_EQ(Profile().LedColor1, 0x0010FF);
}

TEST_F(DlgTest, TheWheelPicksItsOwnPixelOnlyWhereItIsDrawn) {
  Open();
  const QImage wheel = LoadSkinImage(dlg->SkinFiles().ControlsPath("RGB.png"));
  ASSERT_FALSE(wheel.isNull());
  QPoint green(-1, -1);
  for (int y = 0; y < wheel.height() && green.x() < 0; ++y) {
    for (int x = 0; x < wheel.width(); ++x) {
      if ((wheel.pixel(x, y) & 0xFFFFFF) == 0x00FF00) {
        green = QPoint(x, y);
        break;
      }
    }
  }
  ASSERT_GE(green.x(), 0) << "no pure green pixel in the wheel";
  const QPoint at = green + QPoint(210, 282);

  Click(C().page_tabs[2]);
  Click(C().mode_buttons[2]);
  EXPECT_FALSE(dlg->PickColour(at));  // wheel not drawn in mode 2
  Click(C().mode_buttons[0]);
  QTest::mouseClick(dlg.get(), Qt::LeftButton, {}, at);
  EXPECT_EQ(Profile().LedColor1, 0x0000FF00);
  EXPECT_EQ(C().colour_edits[0]->text(), QStringLiteral("0"));
  EXPECT_EQ(C().colour_edits[1]->text(), QStringLiteral("255"));
  EXPECT_EQ(C().colour_edits[2]->text(), QStringLiteral("0"));
  EXPECT_EQ(C().colour_sliders[1]->Thumb()->Value(), 256);

  // Just outside the drawn wheel: nothing changes.
  for (QPoint off : {QPoint(209, 300), QPoint(418, 300), QPoint(300, 281), QPoint(300, 431)}) {
    EXPECT_FALSE(dlg->PickColour(off)) << off.x() << "," << off.y();
  }
  EXPECT_EQ(Profile().LedColor1, 0x0000FF00);
}

// Records the parts of a widget painted from now on.
class PaintedArea final : public QObject {
 public:
  explicit PaintedArea(QWidget* w) { w->installEventFilter(this); }
  bool Covers(const QRect& rect) const { return QRegion(rect).subtracted(painted).isEmpty(); }
  QRegion painted;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) painted += static_cast<QPaintEvent*>(event)->region();
    return false;
  }
};

TEST_F(DlgTest, LeavingAColourModeRepaintsTheWholeWheelAndSwatch) {
  Open();
  Click(C().page_tabs[2]);
  Click(C().mode_buttons[0]);
  QTest::qWait(20);
  const QRect wheel(210, 282, 208, 149);       // its last row is y 430
  const QRect swatch_frame(518, 299, 65, 65);  // the 1-pixel frame round the swatch
  for (int mode : {2, 1, 4}) {
    SCOPED_TRACE(mode);
    PaintedArea painted(dlg.get());
    Click(C().mode_buttons[mode]);
    EXPECT_TRUE(QTest::qWaitFor([&] { return painted.Covers(wheel) && painted.Covers(swatch_frame); },
                                1000));
  }
}

TEST_F(DlgTest, OnlyAPressThatMovesDragsTheWindow) {
  Open();
  int moves = 0;
  SkinDrag::SetSystemMoveForTests([&](QWindow*) { return ++moves > 0; });
  const auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButtons held) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, dlg->mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(dlg.get(), &event);
  };
  struct Case {
    const char* name;
    int page;
    std::vector<QPoint> moves;  // offsets from the press, the button held
    int system_moves;
  };
  const Case cases[] = {
      {"a quick click on the skin", 1, {}, 0},
      {"a shaky click", 1, {{1, 0}, {1, 2}, {-2, 1}}, 0},
      {"a drag", 1, {{2, 0}, {5, 1}, {30, 10}}, 1},
      {"a quick click on the colour wheel", 3, {}, 0},
      {"a drag from the colour wheel", 3, {{0, 6}}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    moves = 0;
    Click(C().page_tabs[c.page - 1]);
    if (c.page == 3) Click(C().mode_buttons[0]);
    const QPoint at = c.page == 3 ? QPoint(300, 350) : QPoint(60, 620);
    send(QEvent::MouseButtonPress, at, Qt::LeftButton);
    for (QPoint d : c.moves) send(QEvent::MouseMove, at + d, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, at, Qt::NoButton);
    // Moves after the release never start one.
    send(QEvent::MouseMove, at + QPoint(40, 40), Qt::NoButton);
    EXPECT_EQ(moves, c.system_moves);
  }
  SkinDrag::SetSystemMoveForTests(nullptr);
}

TEST_F(DlgTest, TheMacroEditorOpensOverTheMainWindowOnItsScreen) {
  CVantixDlg& d = Open();
  const QRect area = d.screen()->availableGeometry();
  QRect seen;
  QTimer::singleShot(0, &d, [&] {
    if (QWidget* editor = QApplication::activeModalWidget()) {
      seen = editor->geometry();
      editor->close();
    }
  });
  Click(C().macro_tab);
  ASSERT_EQ(seen.size(), QSize(757, 582));
  // Centred over the window, moved only as far as the screen asks.
  QRect centred(QPoint(0, 0), seen.size());
  centred.moveCenter(d.frameGeometry().center());
  EXPECT_EQ(seen.center().x(), std::min(centred.center().x(), area.right() - 757 / 2));
  EXPECT_EQ(seen.center().y(), std::min(centred.center().y(), area.bottom() - 582 / 2));
  EXPECT_TRUE(area.contains(seen));
  EXPECT_NE(seen.topLeft(), QPoint(0, 0));
}

TEST_F(DlgTest, ApplyWithoutAnAgentWritesTheFilesAndGivesTheRowBackUnconfirmed) {
  Open();
  Slide(kSliderAcceleration, 3);
  Click(C().apply);
  EXPECT_TRUE(AllProfileFiles());
  EXPECT_EQ(IniFile(ProfilePath(data, 0), SystemFileIo()).ReadInt(-5, "GROUP", "Acceleration"), 3);
  // Nobody will confirm: the row is back at once, and the status says so.
  EXPECT_TRUE(RowEnabled());
  EXPECT_TRUE(Shown(C().status_unconfirmed));
  EXPECT_EQ(C().status_unconfirmed->text(), QStringLiteral("Not confirmed"));
  EXPECT_FALSE(dlg->TimerActive(kTimerApplyDone));
  EXPECT_FALSE(dlg->TimerActive(kTimerApplyWatch));
}

TEST_F(DlgTest, TheApplyDoneEventReenablesTheRowOnTheTimer) {
  AnsweringAgent agent(bus, /*confirms=*/false);
  ASSERT_TRUE(agent.Listening());
  Open();
  Click(C().apply);
  ASSERT_EQ(agent.Applies(), 1);
  ASSERT_TRUE(RowDisabled());
  EXPECT_FALSE(Shown(C().status_unconfirmed));
  // Through the real endpoint, as the agent posts it.
  ASSERT_TRUE(bus.PostMessage(kMainWindowTitle, WM_AGENT_EVENT, kEventApplyDone, 0));
  EXPECT_TRUE(QTest::qWaitFor([&] { return dlg->TimerActive(kTimerApplyDone); }, 5000));
  EXPECT_TRUE(RowDisabled());
  dlg->OnTimer(kTimerApplyDone);
  EXPECT_TRUE(RowEnabled());
  EXPECT_FALSE(dlg->TimerActive(kTimerApplyDone));
}

TEST_F(DlgTest, TheRowWaitsOnlyForAnAgentThatCanStillConfirm) {
  apply_confirm_limit = 1500ms;
  enum class Then { kConfirms, kGoesAway, kStaysSilent, kReportsItsStatus };
  struct Case {
    const char* name;
    Then then;
    bool confirmed;
  };
  const Case cases[] = {
      {"the agent confirms", Then::kConfirms, true},
      {"the agent goes away", Then::kGoesAway, false},
      {"the agent stays silent past the limit", Then::kStaysSilent, false},
      {"the agent's state changes", Then::kReportsItsStatus, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto agent = std::make_unique<AnsweringAgent>(bus, /*confirms=*/false);
    ASSERT_TRUE(agent->Listening());
    dlg.reset();
    Open();
    Click(C().apply);
    ASSERT_EQ(agent->Applies(), 1);
    // The agent lives: its answer is awaited, as ever.
    EXPECT_TRUE(RowDisabled());
    QTest::qWait(100);
    EXPECT_TRUE(RowDisabled());
    const auto start = std::chrono::steady_clock::now();
    switch (c.then) {
      case Then::kConfirms:
        ASSERT_TRUE(bus.PostMessage(kMainWindowTitle, WM_AGENT_EVENT, kEventApplyDone, 0));
        break;
      case Then::kGoesAway: agent.reset(); break;
      case Then::kStaysSilent: break;
      case Then::kReportsItsStatus:
        // Connected: Apply itself follows the connection as ever.
        SetConnected(1);
        ASSERT_TRUE(bus.PostMessage(kMainWindowTitle, WM_AGENT_STATUS, 0, 0));
        break;
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return RowEnabled(); }, 5000));
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(Shown(C().status_unconfirmed), !c.confirmed);
    if (c.then == Then::kStaysSilent) {
      EXPECT_GE(waited, 1000ms);
    }
    if (c.then == Then::kGoesAway) {
      EXPECT_LT(waited, 1500ms);
    }
    // The next Apply starts clean.
    agent.reset();
    Click(C().apply);
    EXPECT_TRUE(RowEnabled());
    EXPECT_TRUE(Shown(C().status_unconfirmed));
    dlg->OnTimer(kTimerApplyDone);  // a late confirmation clears the line
    EXPECT_FALSE(Shown(C().status_unconfirmed));
  }
}

TEST_F(DlgTest, AgentEventsChangeTheCurrentProfileAndItsDisplay) {
  Open();
  Click(C().page_tabs[1]);
  Agent(WM_AGENT_EVENT, kEventDpiStage, 4);
  EXPECT_EQ(Profile().DPI, 4);
  EXPECT_EQ(C().stage_label->text(), QStringLiteral("DPI Stage : 5"));

  Agent(WM_AGENT_EVENT, kEventReportRate, 3);
  EXPECT_EQ(Profile().PollingRate, 2);
  EXPECT_TRUE(C().report_rate[2]->Checked());
  Agent(WM_AGENT_EVENT, kEventReportRate, 8);
  EXPECT_TRUE(C().report_rate[0]->Checked());
  EXPECT_FALSE(C().report_rate[2]->Checked());

  Agent(WM_AGENT_EVENT, kEventPointerSpeed, 15);
  EXPECT_EQ(Profile().MouseSensitivity, 15);
  EXPECT_EQ(C().pointer_sliders[1]->Thumb()->Value(), 15);
  EXPECT_EQ(C().slider_titles[1]->text(), QStringLiteral("Pointer Speed : 15"));

  Agent(WM_AGENT_EVENT, kEventProfile, 3);
  EXPECT_EQ(live.CurrentProfile, 3);
  EXPECT_EQ(C().profile_labels[3]->TextColor(), kHighlightColor);
  Agent(WM_AGENT_EVENT, kEventProfile, 5);
  EXPECT_EQ(live.CurrentProfile, 3);

  // Unknown kinds and a reload with a value change nothing.
  const SettingsBlock before = live;
  Agent(WM_AGENT_EVENT, 4, 1);
  Agent(WM_AGENT_EVENT, kEventReload, 1);
  EXPECT_EQ(live, before);
}

TEST_F(DlgTest, AProfileSwitchedOnTheDeviceShowsTheWholeNewProfile) {
  Open();
  // Profile 1 green, profile 4 red and different everywhere else.
  live.Profiles[0].LedColor1 = 0x00FF00;
  live.Profiles[0].LedMode1 = 0;
  ProfileRecord& four = live.Profiles[3];
  four.LedColor1 = 0x0000FF;
  four.LedMode1 = 1;
  four.Acceleration = 4;
  four.PollingRate = 1;
  four.DPI = 2;
  four.Buttons[1].ButtonFunc = 1;
  dlg->RefreshControls();
  dlg->LabelRefresh();
  const QString button_two = C().assign_buttons[1]->Caption();

  Click(C().page_tabs[2]);
  Agent(WM_AGENT_EVENT, kEventProfile, 3);
  EXPECT_EQ(live.CurrentProfile, 3);
  EXPECT_EQ(C().slider_titles[0]->text(), QStringLiteral("Acceleration : 4"));
  EXPECT_EQ(C().pointer_sliders[0]->Thumb()->Value(), 4);
  EXPECT_TRUE(C().report_rate[3]->Checked());
  EXPECT_EQ(C().stage_label->text(), QStringLiteral("DPI Stage : 3"));
  EXPECT_TRUE(C().mode_buttons[1]->Checked());
  EXPECT_FALSE(C().mode_buttons[0]->Checked());
  EXPECT_EQ(dlg->Colour(), (std::array<std::uint8_t, 3>{255, 0, 0}));
  EXPECT_EQ(C().colour_edits[1]->text(), QStringLiteral("0"));
  EXPECT_NE(C().assign_buttons[1]->Caption(), button_two);

  // One slider moved afterwards changes only its own component.
  Slide(kSliderRed, 101);
  EXPECT_EQ(four.LedColor1, 0x000064);
  EXPECT_EQ(live.Profiles[0].LedColor1, 0x00FF00);
}

TEST_F(DlgTest, TheReloadEventReadsTheFilesAgain) {
  Open();
  Slide(kSliderWheelLines, 9);
  Click(C().apply);
  Slide(kSliderWheelLines, 20);
  Agent(WM_AGENT_EVENT, kEventReload, 0);
  EXPECT_EQ(Profile().WheelScrollLines, 9);
  EXPECT_EQ(C().pointer_sliders[2]->Thumb()->Value(), 9);
  EXPECT_EQ(C().slider_titles[2]->text(), QStringLiteral("Scroll Lines : 9"));
}

TEST_F(DlgTest, StatusMessagesFollowTheStateFileAndBlinkThreeTimes) {
  Open();
  SetConnected(1);
  Agent(WM_AGENT_STATUS, 0, 0);
  EXPECT_TRUE(C().apply->isEnabled());
  EXPECT_FALSE(Shown(C().status_disconnected));
  EXPECT_TRUE(dlg->TimerActive(kTimerStatusBlink));
  std::vector<bool> shown;
  while (dlg->TimerActive(kTimerStatusBlink) && shown.size() < 20) {
    dlg->OnTimer(kTimerStatusBlink);
    shown.push_back(Shown(C().status_connected));
  }
  EXPECT_EQ(shown, (std::vector<bool>{false, true, false, true, false, true, false, false}));

  SetConnected(0);
  Agent(WM_AGENT_STATUS, 0, 0);
  EXPECT_TRUE(C().apply->isEnabled());  // it saves, and says nothing took it yet
  EXPECT_TRUE(Shown(C().status_disconnected));
  EXPECT_FALSE(Shown(C().status_connected));
  EXPECT_FALSE(dlg->TimerActive(kTimerStatusBlink));
}

TEST_F(DlgTest, ExportThenImportCopiesAProfileAndSaves) {
  Open();
  Click(C().profile_labels[2]);
  Slide(kSliderPointerSpeed, 17);
  Slide(kSliderRed + 2, 100);
  const std::string file = scratch / "three.pfd";
  SetNextProfileFileName(QString::fromStdString(file));
  Click(C().export_button);
  ASSERT_TRUE(Exists(file));
  EXPECT_FALSE(AnyProfileFile());  // export saves nothing
  EXPECT_TRUE(RowEnabled());

  Click(C().profile_labels[0]);
  SetNextProfileFileName(QString::fromStdString(file));
  Click(C().import_button);
  ProfileRecord expected = live.Profiles[2];
  for (int b = 0; b < kButtonCount; ++b) {
    expected.Buttons[b].LoopNumber = live.Profiles[0].Buttons[b].LoopNumber;
  }
  EXPECT_EQ(live.Profiles[0], expected);
  EXPECT_EQ(C().pointer_sliders[1]->Thumb()->Value(), 17);
  EXPECT_TRUE(AllProfileFiles());
  EXPECT_TRUE(Shown(C().status_unconfirmed));  // no agent here
}

TEST_F(DlgTest, CancelledOrUnreadableChoicesChangeNothing) {
  Open();
  const SettingsBlock before = live;
  SetNextProfileFileName(QString());
  Click(C().import_button);
  SetNextProfileFileName(QString());
  Click(C().export_button);
  // A file that cannot be read is refused with a warning the user sees.
  SetNextProfileFileName(QString::fromStdString(scratch / "missing.pfd"));
  CWarningDlg::SetNextAnswer(IDOK);
  Click(C().import_button);
  CWarningDlg::SetNextAnswer(IDCANCEL);
  Click(C().reset_profile);
  CWarningDlg::SetNextAnswer(IDCANCEL);
  Click(C().reset_all);
  EXPECT_EQ(live, before);
  EXPECT_FALSE(AnyProfileFile());
  EXPECT_TRUE(RowEnabled());
}

TEST_F(DlgTest, AnImportIsRepairedBeforeUseAndAFileWithoutAProfileIsRefused) {
  Open();
  Click(C().profile_labels[1]);
  Slide(kSliderAcceleration, 2);
  SettingsBlock factory;
  InitSettings(factory);
  SettingsBlock defaults;
  std::ignore = ValidateSettings(factory, defaults);
  struct Case {
    const char* name;
    std::string contents;
    bool refused;
  };
  const Case cases[] = {
      {"an empty file", "", true},
      {"another program's settings", "[Window]\r\nWidth=300\r\n", true},
      {"a profile of one key", "[GROUP]\r\nAcceleration=3\r\n", false},
      // No "GROUP" section: buttons alone are no profile.
      {"one button only", "[ButtonAssigned_3]\r\nButtonFunc=2\r\n", true},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    dlg->OnTimer(kTimerApplyDone);
    const std::string file = scratch / ("import" + std::to_string(n++) + ".pfd");
    test::WriteBytes(file, c.contents);
    const SettingsBlock before = live;
    QString warned;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
      if (QWidget* modal = QApplication::activeModalWidget()) {
        warned = modal->objectName();
        modal->close();
      }
    });
    watcher.start(0);
    SetNextProfileFileName(QString::fromStdString(file));
    Click(C().import_button);
    watcher.stop();
    if (c.refused) {
      EXPECT_EQ(warned, QStringLiteral("warningDialog"));
      EXPECT_EQ(live, before);
      EXPECT_TRUE(RowEnabled());
      continue;
    }
    EXPECT_TRUE(warned.isEmpty());
    // Only the keys the file lacks were repaired, to what a load gives them.
    const ProfileRecord& p = live.Profiles[1];
    EXPECT_EQ(p.MouseSensitivity, defaults.Profiles[1].MouseSensitivity);
    EXPECT_EQ(p.Stages, defaults.Profiles[1].Stages);
    EXPECT_EQ(p.Buttons[0].ButtonFunc, 1);
    EXPECT_EQ(C().slider_titles[1]->text(),
              QStringLiteral("Pointer Speed : %1").arg(p.MouseSensitivity));
    for (CBitmapBtn* b : C().assign_buttons) EXPECT_FALSE(b->Caption().isEmpty());
    for (int k = 0; k < kStageCount; ++k) EXPECT_TRUE(C().stages[k].enable->Checked()) << k;
    EXPECT_EQ(p.Acceleration, 3);
    EXPECT_EQ(C().slider_titles[0]->text(), QStringLiteral("Acceleration : 3"));
    // What was applied is what is shown.
    EXPECT_EQ(IniFile(ProfilePath(data, 1), SystemFileIo()).ReadInt(-5, "GROUP", "Acceleration"),
              p.Acceleration);
    EXPECT_EQ(
        IniFile(ProfilePath(data, 1), SystemFileIo()).ReadInt(-5, "GROUP", "MouseSensitivity"),
        p.MouseSensitivity);
    EXPECT_EQ(live.Profiles[0], before.Profiles[0]);
  }
}

TEST_F(DlgTest, ResetsRestoreFactoryValuesAfterConfirmation) {
  Open();
  Click(C().profile_labels[3]);
  Slide(kSliderAcceleration, 4);
  CWarningDlg::SetNextAnswer(IDOK);
  Click(C().reset_profile);
  SettingsBlock factory = live;
  ResetProfile(factory, 3);
  EXPECT_EQ(live.Profiles[3], factory.Profiles[3]);
  EXPECT_EQ(C().pointer_sliders[0]->Thumb()->Value(), live.Profiles[3].Acceleration);
  EXPECT_TRUE(AllProfileFiles());
  EXPECT_TRUE(Shown(C().status_unconfirmed));  // no agent here

  dlg->OnTimer(kTimerApplyDone);
  live.Profiles[1].PollingRate = 1;
  CWarningDlg::SetNextAnswer(IDOK);
  Click(C().reset_all);
  EXPECT_EQ(live.CurrentProfile, 0);
  EXPECT_EQ(C().profile_labels[0]->TextColor(), kHighlightColor);
  EXPECT_EQ(C().profile_labels[3]->TextColor(), kPlainColor);
  SettingsBlock all = live;
  ResetAllProfiles(all);
  EXPECT_EQ(live, all);
}

TEST_F(DlgTest, NoControlHasTheFocusUntilTheUserTabs) {
  CVantixDlg& d = Open();
  QApplication::setActiveWindow(&d);
  Click(C().profile_labels[2]);
  ASSERT_EQ(live.CurrentProfile, 2);
  QWidget* focused = QApplication::focusWidget();
  EXPECT_TRUE(focused == nullptr || focused == &d) << focused->objectName().toStdString();
  QTest::keyClick(focused != nullptr ? focused : &d, Qt::Key_Space);
  QTest::keyClick(focused != nullptr ? focused : &d, Qt::Key_Return);
  EXPECT_EQ(live.CurrentProfile, 2);
  EXPECT_TRUE(d.isVisible());
  // Tab takes the user into the controls.
  QTest::keyClick(&d, Qt::Key_Tab);
  ASSERT_NE(QApplication::focusWidget(), nullptr);
  EXPECT_NE(QApplication::focusWidget(), &d);
}

// The controls Tab (or Shift+Tab) reaches from the first profile tab until
// the focus comes back to it.
std::vector<QWidget*> TabRound(QWidget* start, bool backward) {
  start->setFocus(Qt::TabFocusReason);
  std::vector<QWidget*> walk;
  for (int i = 0; i < 100; ++i) {
    walk.push_back(QApplication::focusWidget());
    QTest::keyClick(QApplication::focusWidget(), backward ? Qt::Key_Backtab : Qt::Key_Tab,
                    backward ? Qt::ShiftModifier : Qt::NoModifier);
    if (QApplication::focusWidget() == start) break;
  }
  return walk;
}

TEST_F(DlgTest, TabReadsEachPageByItsColumnsBetweenTheTabsAndTheBottomRow) {
  CVantixDlg& d = Open();
  QApplication::setActiveWindow(&d);
  const MainControls& c = C();
  using Chain = std::vector<QWidget*>;
  const auto stage = [&c](int s) {
    const StageControls& st = c.stages[static_cast<std::size_t>(s)];
    return Chain{st.enable, st.link, st.x_slider, st.y_slider};
  };
  const auto group = [&c](int g) {
    const auto& b = c.light_groups[static_cast<std::size_t>(g)];
    return Chain{b[0], b[1], b[2]};
  };
  const Chain modes = {c.mode_buttons[3], c.mode_buttons[4], c.mode_buttons[0], c.mode_buttons[1],
                       c.mode_buttons[2]};
  const Chain colours = {c.colour_sliders[0], c.colour_edits[0], c.colour_sliders[1],
                         c.colour_edits[1],   c.colour_sliders[2], c.colour_edits[2]};
  const struct {
    const char* page;
    std::vector<QWidget*> clicks;  // what the user clicks to get there
    std::vector<Chain> columns;
  } cases[] = {
      {"buttons",
       {c.page_tabs[0]},
       {{c.view_switches[0], c.view_switches[1]},
        {c.assign_buttons.begin(), c.assign_buttons.end()},
        {c.pointer_sliders.begin(), c.pointer_sliders.end()},
        {c.report_rate.begin(), c.report_rate.end()}}},
      {"performance", {c.page_tabs[1]}, {stage(0), stage(1), stage(2), stage(3), stage(4), stage(5)}},
      {"lighting, static", {c.page_tabs[2], c.mode_buttons[0]}, {modes, colours, group(0)}},
      {"lighting, breathing", {c.mode_buttons[1]}, {modes, colours, group(0), group(1)}},
      {"lighting, spectrum (the direction pair has no place)",
       {c.mode_buttons[2]},
       {modes, group(0), group(2)}},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.page);
    for (QWidget* w : k.clicks) Click(w);
    Chain expected(c.profile_labels.begin(), c.profile_labels.end());
    expected.insert(expected.end(), {c.about, c.minimise, c.close, c.page_tabs[0], c.page_tabs[1],
                                     c.page_tabs[2], c.macro_tab});
    // The mouse column; its chooser waits for an agent, which this test lacks.
    for (QWidget* w : d.Device()->TabStops()) {
      if (w->isEnabled()) expected.push_back(w);
    }
    // Under it, the button of the programs that follow the profile.
    expected.push_back(d.Programs()->OpenButton());
    for (const Chain& column : k.columns) expected.insert(expected.end(), column.begin(), column.end());
    const auto bottom = c.BottomRow();
    expected.insert(expected.end(), bottom.begin(), bottom.end());
    EXPECT_EQ(TabRound(c.profile_labels[0], false), expected);
    Chain backward = {expected.front()};
    backward.insert(backward.end(), expected.rbegin(), expected.rend() - 1);
    EXPECT_EQ(TabRound(c.profile_labels[0], true), backward);
  }
}

TEST_F(DlgTest, KeyboardPressesTheFocusedControlOnly) {
  CVantixDlg& d = Open();
  QApplication::setActiveWindow(&d);

  // Arrows move along a row of tabs; Enter and Space press the focused one.
  C().page_tabs[0]->setFocus(Qt::TabFocusReason);
  QTest::keyClick(C().page_tabs[0], Qt::Key_Right);
  ASSERT_EQ(QApplication::focusWidget(), C().page_tabs[1]);
  QTest::keyClick(C().page_tabs[1], Qt::Key_Return);
  EXPECT_EQ(C().page_tabs[1]->TextColor(), kHighlightColor);
  EXPECT_TRUE(Shown(C().stages[0].x_slider) || Shown(C().stages[0].xy_slider));
  C().profile_labels[0]->setFocus(Qt::TabFocusReason);
  QTest::keyClick(C().profile_labels[0], Qt::Key_Left);
  ASSERT_EQ(QApplication::focusWidget(), C().profile_labels[4]);
  QTest::keyClick(C().profile_labels[4], Qt::Key_Left);
  QTest::keyClick(C().profile_labels[3], Qt::Key_Space);
  EXPECT_EQ(live.CurrentProfile, 3);

  Click(C().page_tabs[0]);
  C().report_rate[1]->setFocus(Qt::TabFocusReason);
  QTest::keyClick(C().report_rate[1], Qt::Key_Space);
  EXPECT_EQ(Profile().PollingRate, 4);
  // Escape stays swallowed, focused control or not.
  QTest::keyClick(C().report_rate[1], Qt::Key_Escape);
  EXPECT_TRUE(d.isVisible());
}

TEST_F(DlgTest, ScreenReadersFindEveryControlNamedWithItsRoleAndValue) {
  Open();
  int sliders = 0;  // the lighting page shows its sliders in some modes only
  for (CStaticTrans* tab : C().page_tabs) {
    Click(tab);
    std::vector<QAccessibleInterface*> seen;
    test::ShownInterfaces(QAccessible::queryAccessibleInterface(dlg.get()), &seen);
    for (QAccessibleInterface* a : seen) {
      auto* w = qobject_cast<QWidget*>(a->object());
      if (w == nullptr || w->focusPolicy() == Qt::NoFocus) continue;
      SCOPED_TRACE(w->metaObject()->className());
      EXPECT_FALSE(a->text(QAccessible::Name).isEmpty()) << w->geometry().x() << "," << w->geometry().y();
      if (a->role() == QAccessible::Slider) {
        ++sliders;
        QAccessibleValueInterface* v = a->valueInterface();
        ASSERT_NE(v, nullptr);
        EXPECT_LE(v->minimumValue().toInt(), v->currentValue().toInt());
        EXPECT_GE(v->maximumValue().toInt(), v->currentValue().toInt());
      }
    }
  }
  EXPECT_EQ(sliders, 4 + 2 * kStageCount) << "the pointer sliders, X and Y of every stage";
  const auto name = [](QWidget* w) { return QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name); };
  EXPECT_EQ(name(C().profile_labels[0]), QStringLiteral("Profile 1"));
  EXPECT_EQ(name(C().apply), QStringLiteral("Apply"));
  EXPECT_EQ(name(C().assign_buttons[3]),
            QStringLiteral("Button 4: ") + C().assign_buttons[3]->Caption());
  EXPECT_EQ(QAccessible::queryAccessibleInterface(C().page_tabs[0])->role(), QAccessible::PageTab);
  EXPECT_EQ(QAccessible::queryAccessibleInterface(C().pointer_sliders[0])->role(), QAccessible::Slider);
  // Image-only controls: terse names from the string files.
  const std::vector<std::pair<QWidget*, QString>> terse = {
      {C().minimise, QStringLiteral("Minimise")},
      {C().close, QStringLiteral("Close")},
      {C().stages[2].xy_slider, QStringLiteral("Stage 3 DPI")},
      {C().stages[2].x_slider, QStringLiteral("Stage 3 DPI X")},
      {C().stages[5].y_slider, QStringLiteral("Stage 6 DPI Y")},
      {C().colour_sliders[0], QStringLiteral("Red")},
      {C().colour_edits[2], QStringLiteral("Blue")},
  };
  for (const auto& [control, expected] : terse) EXPECT_EQ(name(control), expected);

  // A slider's value as the window stores it; a check box's state.
  Click(C().page_tabs[0]);
  Slide(kSliderPointerSpeed, 7);
  C().pointer_sliders[1]->Thumb()->SetPos(7);
  QAccessibleInterface* speed = QAccessible::queryAccessibleInterface(C().pointer_sliders[1]);
  EXPECT_EQ(speed->text(QAccessible::Name), QStringLiteral("Pointer Speed"));
  EXPECT_EQ(speed->valueInterface()->currentValue().toInt(), 7);
  EXPECT_EQ(speed->valueInterface()->minimumValue().toInt(), 1);
  speed->valueInterface()->setCurrentValue(9);
  QCoreApplication::sendPostedEvents();
  EXPECT_EQ(Profile().MouseSensitivity, 9) << "a reader's change stores as a click does";
  // A plain label reads as static text, with the text it shows now.
  QAccessibleInterface* title = QAccessible::queryAccessibleInterface(C().slider_titles[1]);
  EXPECT_EQ(title->role(), QAccessible::StaticText);
  EXPECT_EQ(title->text(QAccessible::Name), QStringLiteral("Pointer Speed : 9"));
  Click(C().page_tabs[1]);
  QAccessibleInterface* enable = QAccessible::queryAccessibleInterface(C().stages[1].enable);
  EXPECT_EQ(enable->role(), QAccessible::CheckBox);
  EXPECT_EQ(enable->state().checked, C().stages[1].enable->Checked());
}

TEST_F(DlgTest, CloseEndsWithoutSavingAndKeysDoNothing) {
  CVantixDlg& d = Open();
  // F1 opens the about box (SmallTruths).
  for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Space}) {
    QTest::keyClick(&d, key);
    QTest::keyClick(C().colour_edits[0], key);
  }
  EXPECT_TRUE(d.isVisible());
  Slide(kSliderAcceleration, 2);
  CWarningDlg::SetNextAnswer(IDNO);  // discard the edit
  Click(C().close);
  EXPECT_FALSE(d.isVisible());
  EXPECT_EQ(d.result(), IDCANCEL);
  EXPECT_FALSE(AnyProfileFile());
}

}  // namespace
}  // namespace vantix
