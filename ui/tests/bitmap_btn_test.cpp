#include "ui/bitmap_btn.h"

#include <QApplication>
#include <QHelpEvent>
#include <QToolTip>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "ui/skin.h"
#include "ui/tests/ui_test_support.h"

namespace vantix {
namespace {

using test::Move;
using test::Press;
using test::Release;

// Faces and caption colours that tell every state apart.
const QColor kNormalFace(200, 0, 0);
const QColor kHoverFace(0, 0, 200);
const QColor kPressedFace(0, 150, 0);
const QColor kDisabledFace(90, 90, 90);
constexpr std::uint32_t kNormalText = 0xFFFFFF;
constexpr std::uint32_t kHoverText = 0xCCFF00;
constexpr std::uint32_t kPressedText = 0x00FFFF;  // yellow

QColor FaceColor(ButtonFace face) {
  switch (face) {
    case ButtonFace::kHover: return kHoverFace;
    case ButtonFace::kPressed: return kPressedFace;
    case ButtonFace::kDisabled: return kDisabledFace;
    case ButtonFace::kNormal: break;
  }
  return kNormalFace;
}

QColor TextColor(CaptionColor color) {
  switch (color) {
    case CaptionColor::kHover: return FromColorRef(kHoverText);
    case CaptionColor::kPressed: return FromColorRef(kPressedText);
    case CaptionColor::kNormal: break;
  }
  return FromColorRef(kNormalText);
}

class ButtonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = std::make_unique<test::MessageLog>();
    window_->resize(300, 200);
    button_ = new CBitmapBtn(window_.get(), QRect(20, 20, 140, 50));
    button_->SetImages(test::Solid({10, 10}, kNormalFace), test::Solid({10, 10}, kHoverFace),
                       test::Solid({10, 10}, kPressedFace), test::Solid({10, 10}, kDisabledFace));
    button_->SetCaption(QStringLiteral("IIHII"), 0, kCaptionCentred);
    button_->SetDrawCaption(true);
    button_->SetFontHeight(36);
    button_->SetFontWeight(900);
    button_->SetTextColors(kNormalText, kHoverText, kPressedText);
  }

  QImage Grab() { return button_->grab().toImage(); }

  std::unique_ptr<test::MessageLog> window_;
  CBitmapBtn* button_ = nullptr;
};

struct FaceCase {
  const char* name;
  bool check_mode;
  bool checked;
  bool hover;
  bool held;
  bool disabled;
  bool keep_checked_face;
  ButtonFace face;
  CaptionColor caption;
};

void PrintTo(const FaceCase& c, std::ostream* out) { *out << c.name; }

class ButtonFaces : public ButtonTest, public ::testing::WithParamInterface<FaceCase> {};

TEST_P(ButtonFaces, ShowTheFaceAndCaptionColourOfTheirState) {
  const FaceCase& c = GetParam();
  test::ShowActive(window_.get());
  button_->SetCheckMode(c.check_mode);
  button_->SetChecked(c.checked);
  button_->SetKeepCheckedFaceWhenDisabled(c.keep_checked_face);
  button_->SetDimWhenDisabled(false);  // the face itself, undimmed
  if (c.hover) Move(button_, {10, 10});
  if (c.held) Press(button_, {10, 10});
  if (c.disabled) button_->setEnabled(false);

  const QImage image = Grab();
  EXPECT_EQ(image.pixelColor(2, 2), FaceColor(c.face));
  // Inside the focus ring, which is drawn in the accent too.
  const QImage caption = image.copy(image.rect().adjusted(2, 2, -2, -2));
  for (CaptionColor color : {CaptionColor::kNormal, CaptionColor::kHover, CaptionColor::kPressed}) {
    EXPECT_EQ(test::HasPixel(caption, TextColor(color)), color == c.caption)
        << "caption colour " << static_cast<int>(color);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ButtonFaces,
    ::testing::Values(
        // Check mode: only checked and disabled count.
        FaceCase{"CheckOff", true, false, false, false, false, false, ButtonFace::kNormal, CaptionColor::kNormal},
        FaceCase{"CheckOffHoverHeld", true, false, true, true, false, false, ButtonFace::kNormal, CaptionColor::kNormal},
        FaceCase{"CheckOffDisabled", true, false, false, false, true, false, ButtonFace::kDisabled, CaptionColor::kNormal},
        FaceCase{"CheckOn", true, true, false, false, false, false, ButtonFace::kPressed, CaptionColor::kHover},
        FaceCase{"CheckOnDisabled", true, true, false, false, true, false, ButtonFace::kDisabled, CaptionColor::kNormal},
        FaceCase{"CheckOnDisabledKeepFace", true, true, false, false, true, true, ButtonFace::kPressed, CaptionColor::kNormal},
        // Push mode: a latched button beats held, hover and disabled.
        FaceCase{"PushLatched", false, true, false, false, false, false, ButtonFace::kPressed, CaptionColor::kNormal},
        FaceCase{"PushLatchedHoverHeld", false, true, true, true, false, false, ButtonFace::kPressed, CaptionColor::kNormal},
        FaceCase{"PushLatchedDisabled", false, true, false, false, true, false, ButtonFace::kPressed, CaptionColor::kNormal},
        FaceCase{"PushHeld", false, false, true, true, false, false, ButtonFace::kPressed, CaptionColor::kPressed},
        FaceCase{"PushHover", false, false, true, false, false, false, ButtonFace::kHover, CaptionColor::kHover},
        FaceCase{"PushDisabled", false, false, false, false, true, false, ButtonFace::kDisabled, CaptionColor::kNormal},
        FaceCase{"PushNormal", false, false, false, false, false, false, ButtonFace::kNormal, CaptionColor::kNormal}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ButtonTest, ADisabledButtonIsDimmedEvenWhenItsSkinHasNoDisabledFace) {
  // Like the bottom row: one image for all four faces, on a black fill.
  const QImage face = test::Solid({10, 10}, QColor(200, 100, 50));
  button_->SetImages(face, face, face, face);
  button_->SetFillBackground(true);
  button_->SetBackColor(0x000000);
  const auto near = [](QColor got, QColor want) {
    return std::abs(got.red() - want.red()) <= 2 && std::abs(got.green() - want.green()) <= 2 &&
           std::abs(got.blue() - want.blue()) <= 2;
  };
  struct Case {
    const char* name;
    bool check_mode;
    bool checked;
    bool dim;
    QColor face;
    bool white_caption;
  };
  const Case cases[] = {
      {"push", false, false, true, QColor(80, 40, 20), false},
      {"check box", true, false, true, QColor(80, 40, 20), false},
      {"checked check box", true, true, true, QColor(80, 40, 20), false},
      {"a badge, which is no command", false, false, false, QColor(200, 100, 50), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    button_->setEnabled(true);
    button_->SetCheckMode(c.check_mode);
    button_->SetChecked(c.checked);
    button_->SetDimWhenDisabled(c.dim);
    EXPECT_EQ(Grab().pixelColor(2, 2), QColor(200, 100, 50));
    button_->setEnabled(false);
    const QImage image = Grab();
    EXPECT_TRUE(near(image.pixelColor(2, 2), c.face)) << image.pixelColor(2, 2).name().toStdString();
    EXPECT_EQ(test::HasPixel(image, TextColor(CaptionColor::kNormal)), c.white_caption);
  }
}

TEST_F(ButtonTest, DefaultCaptionColoursAreWhiteAndTheAccent) {
  CBitmapBtn plain(window_.get(), QRect(0, 0, 140, 50));
  plain.SetCaption(QStringLiteral("IIHII"), 0, kCaptionCentred);
  plain.SetDrawCaption(true);
  plain.SetFontHeight(36);
  plain.SetFontWeight(900);
  EXPECT_TRUE(test::HasPixel(plain.grab().toImage(), QColor(255, 255, 255)));
  plain.SetChecked(true);
  plain.SetCheckMode(true);
  EXPECT_TRUE(test::HasPixel(plain.grab().toImage(), QColor(0, 255, 204)));
}

TEST_F(ButtonTest, CaptionIsDrawnOnlyWhenAskedFor) {
  button_->SetDrawCaption(false);
  EXPECT_FALSE(test::HasPixel(Grab(), TextColor(CaptionColor::kNormal)));
  button_->SetUseTextRect(true);
  button_->SetTextRect(QRect(0, 0, 140, 50));
  EXPECT_FALSE(test::HasPixel(Grab(), TextColor(CaptionColor::kNormal)));
  button_->SetDrawCaption(true);
  EXPECT_TRUE(test::HasPixel(Grab(), TextColor(CaptionColor::kNormal)));
}

TEST_F(ButtonTest, ACaptionCutOnTheFaceShowsWholeInItsTooltip) {
  button_->SetFontHeight(14);
  button_->SetUseTextRect(true);
  button_->SetTextRect(QRect(0, 0, 140, 50));
  // Too long even at the smallest size a caption is shrunk to.
  const QString long_text = QStringLiteral("LShift + LCtrl + LWindows + LAlt + Page Down + A");
  const QPoint inside = button_->mapToGlobal(QPoint(10, 10));
  // Whether the button took the pointer's tooltip request.
  const auto hover = [&] {
    QHelpEvent help(QEvent::ToolTip, QPoint(10, 10), inside);
    QApplication::sendEvent(button_, &help);
    return help.isAccepted();
  };

  button_->SetCaption(long_text, 0, kCaptionCentred);
  EXPECT_EQ(button_->CutCaption(), long_text);
  EXPECT_TRUE(hover());
  EXPECT_EQ(QToolTip::text(), long_text);

  // A caption that fits has no tooltip.
  button_->SetCaption(QStringLiteral("A"), 0, kCaptionCentred);
  EXPECT_TRUE(button_->CutCaption().isEmpty());
  EXPECT_FALSE(hover());
}

TEST_F(ButtonTest, CaptionsAreCentredOrTurned) {
  auto* tall = new CBitmapBtn(window_.get(), QRect(200, 0, 50, 180));
  tall->SetCaption(QStringLiteral("HHHH"), 0, kCaptionCentred);
  tall->SetDrawCaption(true);
  tall->SetFontHeight(20);
  const QColor white(255, 255, 255);
  const QRect flat = test::BoxOf(tall->grab().toImage(), white);
  ASSERT_FALSE(flat.isNull());
  for (int orientation : {kCaptionRotated90, kCaptionRotated270}) {
    tall->SetCaption(QStringLiteral("HHHH"), 0, orientation);
    const QRect box = test::BoxOf(tall->grab().toImage(), white);
    ASSERT_FALSE(box.isNull()) << orientation;
    EXPECT_GT(box.height(), box.width()) << orientation;
    EXPECT_NEAR(box.center().y(), 90, 3) << orientation;
    EXPECT_NEAR(box.center().x(), 25, 4) << orientation;
  }
  tall->SetCaption(QStringLiteral("H"), 0, kCaptionLeft);
  EXPECT_LE(test::BoxOf(tall->grab().toImage(), white).left(), 3);
  tall->SetCaption(QStringLiteral("H"), 9, kCaptionLeft);
  EXPECT_GE(test::BoxOf(tall->grab().toImage(), white).left(), 9);
}

TEST(CaptionOrigin, HalvesTruncateEachOnTheirOwn) {
  const QRect client(0, 0, 93, 27);
  const QSize extent(41, 17);
  EXPECT_EQ(CaptionOrigin(kCaptionCentred, client, extent), QPoint(46 - 20, 13 - 8));
  EXPECT_EQ(CaptionOrigin(0, client, extent), QPoint(26, 5));
  EXPECT_EQ(CaptionOrigin(kCaptionRotated90, client, extent), QPoint(46 - 8, 13 + 20));
  EXPECT_EQ(CaptionOrigin(kCaptionRotated270, client, extent), QPoint(46 + 8, 13 - 20));
  EXPECT_EQ(CaptionOrigin(kCaptionLeft, client, extent), QPoint(0, 5));
}

TEST_F(ButtonTest, SquareImageLeavesTheRestToTheFill) {
  button_->SetCaption(QString(), 0, kCaptionCentred);
  button_->SetSquareImage(true);
  button_->SetFillBackground(true);
  button_->SetBackColor(0x1E1E1E);
  const QImage image = Grab();
  EXPECT_EQ(image.pixelColor(49, 29), kNormalFace);
  EXPECT_EQ(image.pixelColor(50, 2), QColor(30, 30, 30));
  EXPECT_EQ(image.pixelColor(119, 29), QColor(30, 30, 30));
}

TEST_F(ButtonTest, WithoutImagesOnlyFillAndCaptionShow) {
  button_->SetImages(QImage(), QImage(), QImage(), QImage());
  button_->SetFillBackground(true);
  button_->SetBackColor(0x323232);
  const QImage image = Grab();
  EXPECT_EQ(image.pixelColor(2, 2), QColor(50, 50, 50));
  EXPECT_TRUE(test::HasPixel(image, TextColor(CaptionColor::kNormal)));
}

TEST_F(ButtonTest, CheckModeTogglesOnEveryRelease) {
  int clicks = 0;
  QObject::connect(button_, &CBitmapBtn::clicked, [&] { ++clicks; });
  button_->SetCheckMode(true);
  Press(button_, {5, 5});
  Release(button_, {5, 5});
  EXPECT_TRUE(button_->Checked());
  // Dragged off while held: still a toggle.
  Press(button_, {5, 5});
  Move(button_, {400, 5}, Qt::LeftButton);
  Release(button_, {400, 5});
  EXPECT_FALSE(button_->Checked());
  // Other buttons of the mouse do nothing.
  Press(button_, {5, 5}, Qt::RightButton);
  Release(button_, {5, 5}, Qt::RightButton);
  EXPECT_FALSE(button_->Checked());
  EXPECT_EQ(clicks, 2);

  button_->SetChecked(true);
  EXPECT_TRUE(button_->Checked());
}

TEST_F(ButtonTest, PushModeClicksOnlyWhenReleasedOverTheButton) {
  int clicks = 0;
  QObject::connect(button_, &CBitmapBtn::clicked, [&] { ++clicks; });
  Press(button_, {5, 5});
  Release(button_, {5, 5});
  Press(button_, {5, 5});
  Move(button_, {400, 5}, Qt::LeftButton);
  EXPECT_FALSE(button_->Held());
  Release(button_, {400, 5});
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(button_->Checked());
}

TEST_F(ButtonTest, PointerMovesAreReportedToTheParent) {
  test::ShowActive(window_.get());
  const test::Received hover{WM_BUTTON_HOVER, HandleOf(button_), 0};

  Move(button_, {10, 10});
  EXPECT_TRUE(button_->Hovering());
  Move(button_, {12, 10});
  test::Pump();
  EXPECT_EQ(window_->Of(WM_BUTTON_HOVER), (std::vector<test::Received>{hover, hover}));

  // The pointer leaves: the face goes back and the parent hears once more.
  test::Leave(button_);
  EXPECT_FALSE(button_->Hovering());
  test::Pump();
  EXPECT_EQ(window_->Of(WM_BUTTON_HOVER).size(), 3u);
  EXPECT_EQ(test::PixelOf(button_, {2, 2}), kNormalFace);
}

TEST_F(ButtonTest, EnteringWithTheButtonHeldIsNotHovering) {
  test::ShowActive(window_.get());
  Move(button_, {10, 10}, Qt::LeftButton);
  EXPECT_FALSE(button_->Hovering());
  test::Pump();
  EXPECT_TRUE(window_->Of(WM_BUTTON_HOVER).empty());

  Move(button_, {11, 10});  // released over it, then moved
  EXPECT_TRUE(button_->Hovering());
  test::Pump();
  EXPECT_EQ(window_->Of(WM_BUTTON_HOVER).size(), 1u);
}

}  // namespace
}  // namespace vantix
