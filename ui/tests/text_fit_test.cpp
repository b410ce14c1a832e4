// Texts fitted into the room of a control: shrunk first, cut only past the
// smallest size, and level with their neighbours when shrunk.
#include "ui/text_fit.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QHelpEvent>
#include <QToolTip>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <ostream>

#include "ui/skin.h"
#include "ui/static_trans.h"

namespace vantix {
namespace {

struct LineCase {
  const char* name;
  const char* text;
  double room_in_full_widths;  // the room, as a share of the text's full width
  Qt::TextElideMode elide;
  bool shrunk;
  bool cut;
};

void PrintTo(const LineCase& c, std::ostream* os) { *os << c.name; }

class FitLineTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(FitLineTest, ShrinksBeforeItCuts) {
  const LineCase& c = GetParam();
  const QFont font = SkinFont(15, 700);
  const QString text = QString::fromUtf8(c.text);
  const double full = QFontMetricsF(font).horizontalAdvance(text);
  const int room = static_cast<int>(std::ceil(full * c.room_in_full_widths));
  const FittedText fit = FitLine(font, text, room, c.elide);

  EXPECT_EQ(fit.font.pixelSize() < font.pixelSize(), c.shrunk);
  EXPECT_GE(fit.font.pixelSize(), static_cast<int>(font.pixelSize() * kMinTextShrink));
  EXPECT_EQ(fit.cut, c.cut);
  EXPECT_LE(fit.bounds.width(), room);
  if (!c.cut) {
    EXPECT_EQ(fit.text, text);
  } else {
    // The ellipsis is where the caller asked for it; what is left of the
    // key combination still names its last key when the middle goes.
    EXPECT_TRUE(fit.text.contains(QChar(0x2026))) << fit.text.toStdString();
    if (c.elide == Qt::ElideMiddle) {
      EXPECT_TRUE(fit.text.endsWith(QStringLiteral("unten")));
    } else {
      EXPECT_TRUE(fit.text.startsWith(text.left(3)));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rooms, FitLineTest,
    ::testing::Values(
        LineCase{"RoomToSpare", "Profil zur\xC3\xBC" "cksetzen", 1.2, Qt::ElideRight, false, false},
        LineCase{"ExactlyTheWidth", "63", 1.0, Qt::ElideRight, false, false},
        LineCase{"ALittleTooNarrow", "Profil zur\xC3\xBC" "cksetzen", 0.85, Qt::ElideRight, true,
                 false},
        LineCase{"FarTooNarrowCutAtTheEnd", "Bild nach unten", 0.4, Qt::ElideRight, true, true},
        LineCase{"FarTooNarrowCutInTheMiddle", "LUmschalt + LStrg + LWin + LAlt + Bild nach unten",
                 0.4, Qt::ElideMiddle, true, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FitBlockTest, WrapsThenShrinksThenCutsToOneLine) {
  const QFont font = SkinFont(16, 400);
  const QString text = QStringLiteral("Reset all five profiles to their factory settings?");
  const int flags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap;

  const FittedText roomy = FitBlock(font, text, QRect(0, 0, 315, 53), flags);
  EXPECT_FALSE(roomy.cut);
  EXPECT_EQ(roomy.font.pixelSize(), font.pixelSize());
  EXPECT_LE(roomy.bounds.height(), 53);

  // One line's height: the two lines it needs shrink onto one, or are cut.
  const int line = static_cast<int>(QFontMetricsF(font).height());
  const FittedText tight = FitBlock(font, text, QRect(0, 0, 315, line), flags);
  EXPECT_LT(tight.font.pixelSize(), font.pixelSize());
  EXPECT_LE(tight.bounds.width(), 315);
  EXPECT_LE(tight.bounds.height(), line + 0.5);
}

TEST(FittedLabelTest, AShrunkLabelKeepsItsBaselineAndShowsItsTextInTheTooltip) {
  auto window = std::make_unique<QWidget>();
  window->resize(300, 100);
  // Two labels side by side on one line: one with room, one too narrow.
  auto* roomy = new CStaticTrans(window.get(), QStringLiteral("Events:"), kLabelStyle | SS_SIMPLE,
                                 QRect(0, 10, 100, 15));
  auto* narrow = new CStaticTrans(window.get(), QStringLiteral("10000"), kLabelStyle | SS_SIMPLE,
                                  QRect(100, 10, 33, 15));
  for (CStaticTrans* l : {roomy, narrow}) l->SetFontHeight(14);
  const FittedText full = roomy->FitLabelText();
  const FittedText shrunk = narrow->FitLabelText();
  ASSERT_LT(shrunk.font.pixelSize(), full.font.pixelSize());
  EXPECT_FALSE(shrunk.cut);
  const double baseline_full = full.bounds.top() + QFontMetricsF(full.font).ascent();
  const double baseline_shrunk = shrunk.bounds.top() + QFontMetricsF(shrunk.font).ascent();
  EXPECT_NEAR(baseline_shrunk, baseline_full, 0.5);

  // Far too narrow: cut, and whole in the tooltip.
  const QString long_text = QStringLiteral("Beschleunigung des Zeigers");
  narrow->setText(long_text);
  EXPECT_TRUE(narrow->FitLabelText().cut);
  QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), narrow->mapToGlobal(QPoint(5, 5)));
  QApplication::sendEvent(narrow, &help);
  EXPECT_TRUE(help.isAccepted());
  EXPECT_EQ(QToolTip::text(), long_text);
}

}  // namespace
}  // namespace vantix
