#include "app/main_images.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "ui/skin.h"

namespace vantix {
namespace {

const SkinPaths kBuiltSkin(VANTIX_PROGRAM_DIR "/");

// A copy of the built skin's pictures that a test may spoil.
class SkinCopy {
 public:
  SkinCopy() {
    const QString from = QStringLiteral(VANTIX_PROGRAM_DIR "/images");
    QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
      const QString file = it.next();
      const QString to = dir_.filePath(QStringLiteral("images") + file.mid(from.size()));
      QDir().mkpath(QFileInfo(to).path());
      QFile::copy(file, to);
    }
  }
  SkinPaths Paths() const { return SkinPaths(dir_.path().toStdString() + "/"); }

 private:
  QTemporaryDir dir_;
};

std::vector<std::pair<const char*, const QImage*>> Faces(const MainImages& m) {
  return {{"front view", &m.front_view},     {"side view", &m.side_view.Get()},
          {"colour wheel", &m.colour_wheel.Get()}, {"circle", &m.circle},
          {"track", &m.track},               {"double-click track", &m.double_click_track},
          {"apply", &m.apply_face},          {"assign 1", &m.assign_faces[0]},
          {"mode 3", &m.mode_faces[2]},      {"close 2", &m.close_faces[1]},
          {"check 2", &m.check_faces[1]},    {"link 1", &m.link_faces[0]},
          {"slider thumb", &m.slider_thumb}, {"stage thumb 3", &m.stage_thumbs[2]}};
}

QImage Argb(const QImage& image) { return image.convertToFormat(QImage::Format_ARGB32); }

// The pictures read before Qt is up are the pictures Qt itself would read.
TEST(MainImagesLoad, ReadsWhatQtReads) {
  MainImagesLoad load(kBuiltSkin);
  const MainImages& faces = load.Faces();
  for (const auto& [what, image] : Faces(faces)) {
    SCOPED_TRACE(what);
    EXPECT_FALSE(image->isNull());
  }
  EXPECT_EQ(Argb(faces.front_view),
            Argb(LoadSkinImage(kBuiltSkin.BackgroundPath("mouse-layout-front.png"))));
  EXPECT_EQ(Argb(faces.stage_thumbs[1]), Argb(LoadSkinImage(kBuiltSkin.ControlsPath("x2.png"))));
  EXPECT_FALSE(faces.apply_hover_face.isNull());
  EXPECT_NE(Argb(faces.apply_hover_face), Argb(faces.apply_face));

  const MainImages all = load.Take();
  EXPECT_EQ(all.background.format(), QImage::Format_ARGB32_Premultiplied);
  EXPECT_EQ(all.background, LoadSkinImage(kBuiltSkin.BackgroundPath("cfgMainback.png"))
                                .convertToFormat(QImage::Format_ARGB32_Premultiplied));
  ASSERT_TRUE(all.outline.has_value());
  EXPECT_EQ(*all.outline, LoadWindowOutline(kBuiltSkin.BackgroundPath("cfgMainback.bmp")));
  EXPECT_FALSE(all.front_view.isNull());
}

// What the early reader cannot read is read by Qt after all: a picture in
// another format under a .png name, a deep PNG, an outline without its
// cache. A missing picture stays null, as it always has.
TEST(MainImagesLoad, LeavesTheRestToQt) {
  SkinCopy skin;
  const SkinPaths paths = skin.Paths();
  ASSERT_TRUE(LoadSkinImage(paths.ButtonsPath("apply1.png")).save(paths.ButtonsPath("apply1.png"), "BMP"));
  const QImage apply = LoadSkinImage(paths.ButtonsPath("apply1.png"));
  ASSERT_FALSE(apply.isNull());
  const QImage deep_face = LoadSkinImage(paths.BackgroundPath("cfgMainback.png"))
                               .convertToFormat(QImage::Format_RGBA64);
  ASSERT_TRUE(deep_face.save(paths.BackgroundPath("cfgMainback.png"), "PNG"));
  ASSERT_TRUE(QFile::remove(paths.BackgroundPath("cfgMainback.bmp.outline")));
  ASSERT_TRUE(QFile::remove(paths.ControlsPath("circle.png")));

  MainImagesLoad load(paths);
  const MainImages all = load.Take();
  EXPECT_EQ(Argb(all.apply_face), Argb(apply));
  EXPECT_FALSE(all.apply_hover_face.isNull());
  EXPECT_EQ(all.background.format(), QImage::Format_ARGB32_Premultiplied);
  EXPECT_EQ(all.background,
            deep_face.convertToFormat(QImage::Format_ARGB32_Premultiplied));
  ASSERT_TRUE(all.outline.has_value());
  EXPECT_EQ(*all.outline, LoadWindowOutline(kBuiltSkin.BackgroundPath("cfgMainback.bmp")));
  EXPECT_TRUE(all.circle.isNull());
  EXPECT_FALSE(all.front_view.isNull());
}

// A window that is never built (the program ends early) must not leave the
// reading thread behind or crash on its way out.
TEST(MainImagesLoad, EndsCleanlyWhenNothingIsTaken) {
  for (int i = 0; i < 5; ++i) {
    MainImagesLoad load(kBuiltSkin);
  }
  MainImagesLoad faces_only(kBuiltSkin);
  EXPECT_FALSE(faces_only.Faces().circle.isNull());
}

}  // namespace
}  // namespace vantix
