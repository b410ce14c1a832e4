#include "ui/png_slider.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QWheelEvent>

#include <memory>
#include <vector>

#include "ui/skin.h"
#include "ui/slider_math.h"
#include "ui/tests/ui_test_support.h"

using namespace Qt::StringLiterals;

namespace vantix {
namespace {

// What the window gets from a slider, in order.
struct Pick {
  int value;
  int id;
  bool operator==(const Pick&) const = default;
};
void PrintTo(const Pick& p, std::ostream* out) { *out << p.value << " from " << p.id; }

void Listen(PngSliderTrack* track, std::vector<Pick>& picks) {
  QObject::connect(track, &PngSliderTrack::picked, track,
                   [&picks](int id, int value) { picks.push_back({value, id}); });
}

struct ClickCase {
  std::int32_t min, max, length, offset, value;
};

void PrintTo(const ClickCase& c, std::ostream* out) {
  *out << c.min << ".." << c.max << " over " << c.length << ", offset " << c.offset;
}

class SliderClick : public ::testing::TestWithParam<ClickCase> {};

TEST_P(SliderClick, MapsTheOffsetWithTheRoundingOfItsStep) {
  const ClickCase& c = GetParam();
  EXPECT_EQ(slider::ClickValue(c.offset, c.length, c.min, c.max), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SliderClick,
    ::testing::Values(
        // Step of 81 pixels: more than 40 past a step's start rounds up.
        ClickCase{1, 4, 244, 0, 1}, ClickCase{1, 4, 244, 40, 1}, ClickCase{1, 4, 244, 41, 2},
        ClickCase{1, 4, 244, 121, 2}, ClickCase{1, 4, 244, 122, 3}, ClickCase{1, 4, 244, 243, 4},
        // The step truncates to 1 pixel: any remainder rounds up.
        ClickCase{1, 135, 215, 0, 1}, ClickCase{1, 135, 215, 1, 2}, ClickCase{1, 135, 215, 2, 3},
        ClickCase{1, 135, 215, 214, 135}, ClickCase{1, 135, 215, 215, 135},
        // At or past the ends: clamped.
        ClickCase{1, 20, 244, 244, 20}, ClickCase{1, 20, 244, 500, 20},
        ClickCase{1, 20, 244, -30, 1},
        // Ranges longer than the track: the step is 0, every offset rounds up.
        ClickCase{1, 400, 100, 0, 1}, ClickCase{1, 400, 100, 50, 201},
        // A range that does not start at 1 still rounds against value - 1.
        ClickCase{5, 9, 100, 40, 6},
        // No length or no range: the minimum, never a division by zero.
        ClickCase{1, 10, 0, 0, 1}, ClickCase{5, 5, 100, 50, 5}));

TEST(SliderClick, FullColourRangeIsOneValuePerPixel) {
  for (std::int32_t k = 0; k <= 255; ++k) {
    ASSERT_EQ(slider::ClickValue(k, 255, 1, 256), 1 + k) << k;
  }
}

struct DropCase {
  std::int32_t min, max, length, thumb, offset, value;
};

void PrintTo(const DropCase& c, std::ostream* out) {
  *out << c.min << ".." << c.max << " over " << c.length << ", thumb " << c.thumb << ", offset "
       << c.offset;
}

class SliderDrop : public ::testing::TestWithParam<DropCase> {};

TEST_P(SliderDrop, MapsOverTheFreeLengthButStepsOverTheWholeTrack) {
  const DropCase& c = GetParam();
  EXPECT_EQ(slider::DropValue(c.offset, c.length, c.thumb, c.min, c.max), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SliderDrop,
    ::testing::Values(
        // 244-pixel track, 12-pixel thumb: 232 free, step 81.
        DropCase{1, 4, 244, 12, 0, 1}, DropCase{1, 4, 244, 12, 116, 2},
        DropCase{1, 4, 244, 12, 122, 3}, DropCase{1, 4, 244, 12, 232, 4},
        // 215-pixel track, 10-pixel thumb: step 1, rounds up past the value.
        DropCase{1, 135, 215, 10, 0, 1}, DropCase{1, 135, 215, 10, 100, 67},
        DropCase{1, 135, 215, 10, 205, 135},
        // A thumb as long as its track, or longer: the minimum.
        DropCase{1, 10, 50, 50, 0, 1}, DropCase{1, 10, 50, 80, 0, 1}));

TEST(SliderPosition, OutOfRangeMeansMinimumAndThumbsStayOnTheirTrack) {
  EXPECT_EQ(slider::ValidPos(0, 1, 10), 1);
  EXPECT_EQ(slider::ValidPos(11, 1, 10), 1);
  EXPECT_EQ(slider::ValidPos(-5, 1, 10), 1);
  EXPECT_EQ(slider::ValidPos(10, 1, 10), 10);
  EXPECT_EQ(slider::ThumbOffset(10, 1, 10, 232), 232);
  EXPECT_EQ(slider::ThumbOffset(5, 1, 10, 232), 103);  // 232 * 4 / 9 truncated
  EXPECT_EQ(slider::ThumbOffset(5, 1, 10, -20), 0);
}

// A window with one horizontal slider laid out like the pointer sliders.
class HorizontalSlider : public ::testing::Test {
 protected:
  void SetUp() override {
    skin_.AddImage(u"controls"_s, u"y.png"_s, test::Solid({12, 18}, Qt::red));
    skin_.AddImage(u"controls"_s, u"y-off.png"_s, test::Solid({12, 18}, Qt::blue));
    window_.resize(1024, 720);
    const Skin skin(skin_.ProgramFolder());
    track_ = new CPngHSliderBar(skin.ControlsPath("y.png"), skin.ControlsPath("y-off.png"),
                                RectLtrb(725, 219, 969, 237), &window_, 10004);
    track_->SetRange(1, 4);
    Listen(track_, picks_);
  }

  test::SkinFolder skin_;
  std::vector<Pick> picks_;
  test::MessageLog window_;
  CPngHSliderBar* track_ = nullptr;
};

TEST_F(HorizontalSlider, ClickPostsTwiceEachWithItsOwnPoint) {
  test::Press(track_, {40, 5});
  test::Release(track_, {41, 5});
  EXPECT_TRUE(picks_.empty()) << "notifications are posted";
  test::Pump();
  EXPECT_EQ(picks_,
            (std::vector<Pick>{{1, 10004}, {2, 10004}}));
  // The thumb sits at the value: (244 - 12) * (2 - 1) / 3.
  EXPECT_EQ(track_->Thumb()->pos(), QPoint(77, 0));
  EXPECT_EQ(track_->Thumb()->Value(), 2);

  // A release that does not land on the track is not the track's.
  picks_.clear();
  test::Press(track_, {243, 5});
  test::Release(track_, {300, 5});
  test::Pump();
  EXPECT_EQ(picks_, (std::vector<Pick>{{4, 10004}}));
}

TEST_F(HorizontalSlider, SetPosPlacesWithoutNotifying) {
  PngSliderThumb* thumb = track_->Thumb();
  EXPECT_EQ(thumb->size(), QSize(12, 18));
  thumb->SetPos(4);
  EXPECT_EQ(thumb->pos(), QPoint(232, 0));
  thumb->SetPos(9);
  EXPECT_EQ(thumb->pos(), QPoint(0, 0));
  EXPECT_EQ(thumb->Value(), 1);
  test::Pump();
  EXPECT_TRUE(picks_.empty());

  track_->SetRange(7, 7);  // refused: the mapping divides by the range
  EXPECT_EQ(track_->Min(), 1);
  EXPECT_EQ(thumb->Max(), 4);
}

TEST_F(HorizontalSlider, DraggedThumbStopsAtTheEndsAndStaysWhereDropped) {
  PngSliderThumb* thumb = track_->Thumb();
  test::Press(thumb, {6, 9});
  test::Move(thumb, {6 + 500, 9}, Qt::LeftButton);
  EXPECT_EQ(thumb->pos(), QPoint(232, 0));
  test::Move(thumb, {6 - 1000, 9}, Qt::LeftButton);
  EXPECT_EQ(thumb->pos(), QPoint(0, 0));
  test::Move(thumb, {6 + 122, 9}, Qt::LeftButton);
  EXPECT_EQ(thumb->pos(), QPoint(122, 0));
  test::Release(thumb, {6, 9});
  test::Pump();
  // Posted to the track, which passes it on under its own id.
  EXPECT_EQ(picks_, (std::vector<Pick>{{3, 10004}}));
  EXPECT_EQ(thumb->pos(), QPoint(122, 0)) << "not snapped to the value";
  EXPECT_EQ(thumb->Value(), 3);
}

TEST_F(HorizontalSlider, DisabledTrackShowsTheDisabledThumb) {
  EXPECT_EQ(test::PixelOf(track_->Thumb(), {5, 5}), QColor(Qt::red));
  track_->setEnabled(false);
  // The disabled face, dimmed as every disabled control is: skins that give
  // both faces one image still show the difference.
  const QColor dimmed = test::PixelOf(track_->Thumb(), {5, 5});
  EXPECT_GT(dimmed.blue(), dimmed.red());
  EXPECT_EQ(dimmed.red(), dimmed.green());
  EXPECT_NE(dimmed, QColor(Qt::blue));
  track_->setEnabled(true);
  EXPECT_EQ(test::PixelOf(track_->Thumb(), {5, 5}), QColor(Qt::red));
}

TEST(VerticalSlider, ShiftedThumbAndCutRegionAndASendThroughTheTrack) {
  test::SkinFolder skin;
  // Left half black, right half transparent-free colour, bottom row transparent.
  QImage thumb_image(24, 10, QImage::Format_ARGB32);
  thumb_image.fill(QColor(0, 200, 0));
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 24; ++x) {
      if (x < 12) thumb_image.setPixelColor(x, y, Qt::black);
      if (y == 9) thumb_image.setPixelColor(x, y, Qt::transparent);
    }
  }
  skin.AddImage(u"controls"_s, u"x3.png"_s, thumb_image);
  const Skin paths(skin.ProgramFolder());

  std::vector<Pick> picks;
  test::MessageLog window;
  window.resize(600, 500);
  auto* track = new CPngSliderBar(true, paths.ControlsPath("x3.png"), paths.ControlsPath("x3.png"),
                                  RectLtrb(276, 235, 300, 450), &window, 10014, true);
  track->SetRange(1, 135);
  Listen(track, picks);
  PngSliderThumb* thumb = track->Thumb();
  thumb->SetPos(135);
  EXPECT_EQ(thumb->geometry(), QRect(kShiftedThumbX, 215 - 10, 24, 10));
  EXPECT_EQ(thumb->mask(), QRegion(12, 0, 12, 9));

  // Click: vertical mapping uses the point's y.
  test::Press(track, {5, 2});
  test::Release(track, {5, 2});
  test::Pump();
  EXPECT_EQ(picks,
            (std::vector<Pick>{{3, 10014}, {3, 10014}}));

  // Drop: sent to the track, which posts it on.
  picks.clear();
  test::Press(thumb, {15, 5});
  test::Move(thumb, {15, 5 + 300}, Qt::LeftButton);
  EXPECT_EQ(thumb->geometry(), QRect(kShiftedThumbX, 205, 24, 10));
  test::Release(thumb, {15, 5});
  EXPECT_TRUE(picks.empty());
  test::Pump();
  EXPECT_EQ(picks, (std::vector<Pick>{{135, 10014}}));
}

TEST(VerticalSlider, MissingThumbImageLeavesClicksWorking) {
  std::vector<Pick> picks;
  test::MessageLog window;
  window.resize(600, 500);
  auto* track = new CPngSliderBar(false, u"/nonexistent/x2.png"_s, u""_s, RectLtrb(252, 235, 276, 450),
                                  &window, 10008);
  track->SetRange(1, 135);
  Listen(track, picks);
  EXPECT_EQ(track->Thumb()->size(), QSize(0, 0));
  track->Thumb()->SetPos(135);
  test::Press(track, {5, 214});
  test::Pump();
  EXPECT_EQ(picks, (std::vector<Pick>{{135, 10008}}));
  EXPECT_EQ(test::PixelOf(track, {5, 100}), QColor(50, 50, 50)) << "the vertical track's fill";
}

struct KeyCase {
  SliderAxis axis;
  int start;
  int key;
  int value;  // after the key; no message when it equals start
};

void PrintTo(const KeyCase& c, std::ostream* out) {
  *out << (c.axis == SliderAxis::kVertical ? "vertical" : "horizontal") << " at " << c.start
       << ", key 0x" << std::hex << c.key;
}

// Sliders over 1..135, as the stage sliders: a page is 13 values.
class SliderKeys : public ::testing::TestWithParam<KeyCase> {
 protected:
  void SetUp() override {
    skin_.AddImage(u"controls"_s, u"y.png"_s, test::Solid({12, 10}, Qt::red));
    window_.resize(600, 500);
    const Skin skin(skin_.ProgramFolder());
    const QRect bounds = RectLtrb(100, 100, 344, 315);
    if (GetParam().axis == SliderAxis::kVertical) {
      track_ = new CPngSliderBar(false, skin.ControlsPath("y.png"), u""_s, bounds, &window_, 10014);
    } else {
      track_ = new CPngHSliderBar(skin.ControlsPath("y.png"), u""_s, bounds, &window_, 10004);
    }
    track_->SetRange(1, 135);
    track_->Thumb()->SetPos(GetParam().start);
    Listen(track_, picks_);
  }

  test::SkinFolder skin_;
  std::vector<Pick> picks_;
  test::MessageLog window_;
  PngSliderTrack* track_ = nullptr;
};

TEST_P(SliderKeys, MoveTheThumbAndNotifyAsAClickDoes) {
  const KeyCase& c = GetParam();
  EXPECT_EQ(track_->focusPolicy(), Qt::StrongFocus);
  QTest::keyClick(track_, static_cast<Qt::Key>(c.key));
  EXPECT_EQ(track_->Thumb()->Value(), c.value);
  test::Pump();
  std::vector<Pick> expected;
  if (c.value != c.start) expected.push_back({c.value, track_->ControlId()});
  EXPECT_EQ(picks_, expected);
}

constexpr auto kH = SliderAxis::kHorizontal;
constexpr auto kV = SliderAxis::kVertical;

INSTANTIATE_TEST_SUITE_P(
    Table, SliderKeys,
    ::testing::Values(
        // Right and Up move right on a horizontal track.
        KeyCase{kH, 50, Qt::Key_Right, 51}, KeyCase{kH, 50, Qt::Key_Up, 51},
        KeyCase{kH, 50, Qt::Key_Left, 49}, KeyCase{kH, 50, Qt::Key_Down, 49},
        KeyCase{kH, 50, Qt::Key_PageUp, 63}, KeyCase{kH, 50, Qt::Key_PageDown, 37},
        KeyCase{kH, 50, Qt::Key_Home, 1}, KeyCase{kH, 50, Qt::Key_End, 135},
        // At the ends: clamped, and a key that moves nothing says nothing.
        KeyCase{kH, 135, Qt::Key_Right, 135}, KeyCase{kH, 130, Qt::Key_PageUp, 135},
        KeyCase{kH, 1, Qt::Key_Left, 1}, KeyCase{kH, 5, Qt::Key_PageDown, 1},
        KeyCase{kH, 1, Qt::Key_Home, 1},
        // Min is at the top of a vertical track: Up moves toward it.
        KeyCase{kV, 50, Qt::Key_Up, 49}, KeyCase{kV, 50, Qt::Key_Down, 51},
        KeyCase{kV, 50, Qt::Key_PageUp, 37}, KeyCase{kV, 50, Qt::Key_PageDown, 63},
        KeyCase{kV, 50, Qt::Key_Home, 1}, KeyCase{kV, 50, Qt::Key_End, 135},
        KeyCase{kV, 1, Qt::Key_Up, 1}, KeyCase{kV, 135, Qt::Key_Down, 135},
        // Other keys are not the slider's.
        KeyCase{kH, 50, Qt::Key_Space, 50}, KeyCase{kV, 50, Qt::Key_A, 50}));

TEST(SliderPage, IsATenthOfTheRangeAndNeverNothing) {
  EXPECT_EQ(slider::PageStep(1, 135), 13);
  EXPECT_EQ(slider::PageStep(1, 256), 25);
  EXPECT_EQ(slider::PageStep(1, 4), 1);
  EXPECT_EQ(slider::StepValue(3, 5, 1, 4), 4);
  EXPECT_EQ(slider::StepValue(3, -50, 1, 4), 1);
}

TEST_F(HorizontalSlider, WheelStepsPerNotchAndAddsUpFineScrolling) {
  auto wheel = [&](int delta) {
    QWheelEvent event(QPointF(20, 5), track_->mapToGlobal(QPointF(20, 5)), QPoint(),
                      QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(track_, &event);
  };
  track_->Thumb()->SetPos(2);
  wheel(120);  // away from the user: right
  EXPECT_EQ(track_->Thumb()->Value(), 3);
  wheel(-240);
  EXPECT_EQ(track_->Thumb()->Value(), 1);
  wheel(60);
  EXPECT_EQ(track_->Thumb()->Value(), 1) << "half a notch";
  wheel(60);
  EXPECT_EQ(track_->Thumb()->Value(), 2);
  test::Pump();
  EXPECT_EQ(picks_,
            (std::vector<Pick>{{3, 10004}, {1, 10004},
                                   {2, 10004}}));
  EXPECT_EQ(track_->Thumb()->pos(), QPoint(77, 0)) << "where a click on 2 puts it";
}

TEST_F(HorizontalSlider, FocusedTrackShowsTheRing) {
  test::ShowActive(&window_);
  track_->clearFocus();
  EXPECT_FALSE(test::HasPixel(track_->grab().toImage(), FromColorRef(kFocusRingColor)));
  track_->setFocus();
  ASSERT_TRUE(track_->hasFocus());
  const QImage face = track_->grab().toImage();
  // Round the whole track; the thumb (a child) covers its left end.
  const QRect ring = test::BoxOf(face, FromColorRef(kFocusRingColor));
  EXPECT_EQ(ring.top(), 0);
  EXPECT_EQ(ring.bottom(), track_->rect().bottom());
  EXPECT_EQ(ring.right(), track_->rect().right());
}

}  // namespace
}  // namespace vantix
