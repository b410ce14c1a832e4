// The window outlines: their file format, the shape a window cut from them
// gets (a window keeps every pixel that is not pure white), and the faces'
// agreement with them.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <cstdint>
#include <vector>

#include "skin/tests/skin_test_support.h"
#include "ui/outline_cache.h"
#include "ui/region_from_bitmap.h"

namespace vantix::skin::test {
namespace {

// A control's rectangle in window pixels; right and bottom are exclusive.
struct Rect {
  int left, top, right, bottom;
};

std::vector<Rect> MainWindowControls() {
  std::vector<Rect> r = {
      {953, 14, 981, 40},   {984, 14, 1012, 40},                         // minimise, close
      {59, 673, 169, 695},  {199, 673, 309, 695}, {332, 673, 442, 695},  // bottom row
      {471, 673, 581, 695}, {611, 673, 720, 695}, {16, 162, 129, 187},   // status
      {370, 98, 525, 128},  {535, 98, 690, 128},  {700, 98, 855, 128},   // page tabs
      {865, 98, 1015, 128},                                              // macro tab
      {173, 558, 256, 577}, {271, 558, 375, 577},                        // view switches
      {152, 133, 383, 543}, {182, 133, 346, 543},                        // mouse pictures
      {194, 197, 212, 215}, {317, 197, 335, 215}, {258, 235, 276, 253},  // picture badges
      {258, 296, 276, 314}, {258, 330, 276, 348}, {258, 360, 276, 378},
      {278, 281, 296, 299}, {288, 316, 306, 334}, {293, 356, 311, 374},
      {258, 316, 276, 334}, {263, 352, 281, 370}, {290, 396, 308, 414},
      {725, 200, 969, 216}, {725, 247, 969, 263}, {725, 296, 969, 312},  // slider titles
      {725, 349, 969, 365}, {725, 418, 969, 434}, {246, 185, 548, 202},  // stage label
      {200, 210, 400, 236}, {401, 210, 601, 236}, {602, 210, 802, 236},  // mode buttons
      {200, 180, 400, 206}, {401, 180, 601, 206}, {208, 260, 424, 280},
      {408, 260, 561, 280}, {608, 260, 750, 280},                        // section labels
      {608, 381, 740, 400}, {210, 282, 418, 431}, {518, 299, 582, 363},  // wheel, swatch
  };
  for (int i = 0; i < 5; ++i) r.push_back({375 + 115 * i, 12, 470 + 115 * i, 50});  // profiles
  for (int k = 0; k < 12; ++k) {
    r.push_back({520, 200 + 28 * k, 668, 220 + 28 * k});  // assignment button
    r.push_back({499, 200 + 28 * k, 518, 219 + 28 * k});  // its badge
  }
  for (int i = 0; i < 4; ++i) r.push_back({725 + 55 * i, 441, 778 + 55 * i, 457});  // report rate
  for (const int y : {219, 268, 314, 374}) {
    r.push_back({725, y, 969, y + 18});  // pointer slider
    r.push_back({710, y, 723, y + 18});
    r.push_back({971, y, 984, y + 18});
  }
  for (int s = 0; s < 6; ++s) {
    const int d = 100 * s;
    r.push_back({246 + d, 205, 308 + d, 221});  // stage check box
    r.push_back({266 + d, 225, 286 + d, 234});  // link box
    r.push_back({252 + d, 235, 300 + d, 450});  // X, Y and XY sliders
    r.push_back({253 + d, 447, 300 + d, 460});  // letters
    r.push_back({243 + d, 462, 311 + d, 475});  // values
  }
  for (int i = 0; i < 3; ++i) {
    r.push_back({627, 290 + 24 * i, 716, 306 + 24 * i});  // lighting groups
    r.push_back({627, 410 + 24 * i, 716, 426 + 24 * i});
    r.push_back({210, 440 + 28 * i, 465, 458 + 28 * i});  // colour slider
    r.push_back({470, 440 + 28 * i, 531, 458 + 28 * i});  // its letter and edit
  }
  return r;
}

std::vector<Rect> MacroEditorControls() {
  std::vector<Rect> r = {
      {38, 120, 211, 466},  {275, 143, 548, 410},                        // name and event lists
      {29, 478, 130, 496},  {132, 478, 233, 496},                        // new, delete macro
      {359, 480, 389, 503}, {452, 480, 482, 503},                        // record, stop
      {588, 128, 599, 139}, {588, 159, 599, 170}, {608, 176, 641, 191},  // delay boxes
      {588, 200, 599, 211}, {608, 216, 641, 231}, {588, 240, 599, 251},  // loop boxes
      {518, 516, 607, 541}, {617, 516, 706, 541},                        // OK, close
      {305, 421, 564, 434}, {355, 443, 566, 458},                        // totals
      {220, 32, 510, 78},   {32, 92, 156, 110},   {277, 90, 480, 107},   // titles
      {577, 90, 691, 108},  {577, 288, 727, 304}, {26, 77, 238, 509},
      {252, 79, 574, 511},  {571, 79, 729, 511},  // drawn frames
  };
  for (int k = 0; k < 8; ++k) r.push_back({592, 317 + 22 * k, 718, 336 + 22 * k});
  return r;
}

// The message, single-key, fire-key and text-entry dialogs share one size.
std::vector<Rect> SmallDialogControls() {
  return {
      {103, 32, 376, 78},   {90, 88, 405, 141},   {127, 157, 405, 187},  // message texts
      {34, 104, 130, 194},                                               // its picture
      {135, 219, 228, 245}, {234, 219, 327, 245},                        // OK, Cancel
      {99, 22, 382, 68},    {45, 70, 433, 118},   {81, 145, 382, 171},   // key dialog
      {99, 32, 382, 78},    {45, 86, 433, 124},                          // fire-key texts
      {36, 112, 87, 128},   {89, 112, 156, 128},  {159, 112, 218, 128},  // fire modes
      {36, 136, 144, 152},  {60, 165, 159, 191},                         // key display
      {229, 130, 444, 149}, {229, 171, 444, 190},                        // the two numbers
      {82, 146, 383, 173},                                               // text-entry frame
  };
}

struct WindowCase {
  const char* window;
  const char* outline;  // BMP the window cuts its region from
  const char* face;     // PNG it paints
  int width, height;    // window size
  std::vector<Rect> (*controls)();
};

const WindowCase kWindows[] = {
    {"main_window", "cfgMainback.bmp", "cfgMainback.png", 1028, 712, MainWindowControls},
    {"macro_editor", "cfgMainback.bmp", "dlg2.png", 757, 582, MacroEditorControls},
    {"small_dialogs", "cfgMainback2.bmp", "dlg.png", 478, 292, SmallDialogControls},
};

void PrintTo(const WindowCase& w, std::ostream* os) { *os << w.window; }

bool PureWhite(QRgb p) { return (p & 0xFFFFFFu) == 0xFFFFFFu; }

class WindowShapeTest : public ::testing::TestWithParam<WindowCase> {
 protected:
  void SetUp() override { outline_ = Load(GetParam().outline); }
  bool Kept(int x, int y) const { return !PureWhite(outline_.pixel(x, y)); }
  QImage outline_;
};

TEST_P(WindowShapeTest, KeepsEveryControl) {
  const WindowCase& w = GetParam();
  for (const Rect& r : w.controls()) {
    ASSERT_LE(r.right, w.width);
    ASSERT_LE(r.bottom, w.height);
    for (int y = r.top; y < r.bottom; ++y) {
      for (int x = r.left; x < r.right; ++x) {
        ASSERT_TRUE(Kept(x, y)) << "(" << x << ", " << y << ") of control (" << r.left << ", "
                                << r.top << ", " << r.right << ", " << r.bottom << ")";
      }
    }
  }
}

// One run of kept pixels per row: no holes in the window and no stray
// islands outside it, and no row lost.
TEST_P(WindowShapeTest, KeepsOneRunInEveryRow) {
  const WindowCase& w = GetParam();
  for (int y = 0; y < w.height; ++y) {
    int runs = 0;
    for (int x = 0; x < w.width; ++x) {
      if (Kept(x, y) && (x == 0 || !Kept(x - 1, y))) ++runs;
    }
    ASSERT_EQ(runs, 1) << "row " << y;
  }
}

// A region cut from the face by its white pixels is the outline's, and the
// face shows nothing where the window has no pixels.
TEST_P(WindowShapeTest, FaceIsTransparentWhiteExactlyOutside) {
  const WindowCase& w = GetParam();
  const QImage face = Load(w.face);
  for (int y = 0; y < w.height; ++y) {
    for (int x = 0; x < w.width; ++x) {
      const QRgb p = face.pixel(x, y);
      if (Kept(x, y)) {
        ASSERT_EQ(qAlpha(p), 255) << "(" << x << ", " << y << ")";
        ASSERT_FALSE(PureWhite(p)) << "(" << x << ", " << y << ")";
      } else {
        ASSERT_EQ(qAlpha(p), 0) << "(" << x << ", " << y << ")";
        ASSERT_TRUE(PureWhite(p)) << "(" << x << ", " << y << ")";
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Skin, WindowShapeTest, ::testing::ValuesIn(kWindows),
                         [](const auto& info) { return std::string(info.param.window); });

// ---- file format -----------------------------------------------------------

std::uint32_t Le(const QByteArray& bytes, int offset, int size) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) {
    value = (value << 8) | static_cast<std::uint8_t>(bytes[offset + i]);
  }
  return value;
}

class OutlineFormatTest : public ::testing::TestWithParam<const char*> {};

TEST_P(OutlineFormatTest, IsAnUncompressed24BitBottomUpBmp) {
  const SkinImage& entry = Entry(GetParam());
  QFile file(PathOf(entry));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray bytes = file.readAll();
  ASSERT_GE(bytes.size(), 54);
  EXPECT_EQ(bytes.left(2), "BM");
  EXPECT_EQ(Le(bytes, 2, 4), static_cast<std::uint32_t>(bytes.size()));
  EXPECT_EQ(Le(bytes, 14, 4), 40u);  // BITMAPINFOHEADER
  EXPECT_EQ(Le(bytes, 18, 4), static_cast<std::uint32_t>(entry.width));
  EXPECT_EQ(Le(bytes, 22, 4), static_cast<std::uint32_t>(entry.height));  // positive: bottom-up
  EXPECT_EQ(Le(bytes, 28, 2), 24u);
  EXPECT_EQ(Le(bytes, 30, 4), 0u);  // BI_RGB
  const std::uint32_t stride = (static_cast<std::uint32_t>(entry.width) * 3 + 3) / 4 * 4;
  EXPECT_EQ(Le(bytes, 10, 4) + stride * static_cast<std::uint32_t>(entry.height),
            static_cast<std::uint32_t>(bytes.size()));
}

// The build cuts the main outline once and keeps it beside the bitmap; the
// window trusts it, so it must be the bitmap's own cut.
TEST(OutlineCache, TheBuiltCacheIsTheMainBitmapsCut) {
  const std::string path = std::string(VANTIX_SKIN_DIR) + "/background/cfgMainback.bmp";
  const QImage bitmap =
      QImage(QString::fromStdString(path)).convertToFormat(QImage::Format_RGB32);
  ASSERT_FALSE(bitmap.isNull());
  const BitmapView view{reinterpret_cast<const std::uint32_t*>(bitmap.constBits()), bitmap.width(),
                        bitmap.height(), static_cast<std::ptrdiff_t>(bitmap.bytesPerLine() / 4)};
  const std::optional<PixelRegion> cached = ReadOutlineCache(path, SystemFileIo());
  ASSERT_TRUE(cached.has_value());
  EXPECT_EQ(*cached, RegionFromBitmap(view, 0xFFFFFF));
}

INSTANTIATE_TEST_SUITE_P(Skin, OutlineFormatTest,
                         ::testing::Values("cfgMainback.bmp", "cfgMainback2.bmp"),
                         [](const auto& info) { return TestName(info.param); });

}  // namespace
}  // namespace vantix::skin::test
