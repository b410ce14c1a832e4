#include "app/main_images.h"

#include <QColor>
#include <QFile>

#include <exception>
#include <string>
#include <utility>

#include "settings/file_io.h"
#include "ui/outline_cache.h"
#include "ui/png_decode.h"

namespace vantix {
namespace {

// A face a little brighter, for the pointer-over state of buttons whose skin
// gives one image for every state: the user sees what a click would hit.
QImage LitUp(const QImage& face) {
  if (face.isNull()) return face;
  QImage lit = face.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < lit.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(lit.scanLine(y));
    for (int x = 0; x < lit.width(); ++x) {
      const QColor c = QColor::fromRgba(row[x]).lighter(150);
      row[x] = qRgba(c.red(), c.green(), c.blue(), qAlpha(row[x]));
    }
  }
  return lit;
}

}  // namespace

const QImage& LaterImage::Get() const {
  if (!image_) image_ = path_.isEmpty() ? QImage() : LoadSkinImage(path_);
  return *image_;
}

MainImagesLoad::MainImagesLoad(SkinPaths paths)
    : paths_(std::move(paths)),
      faces_(faces_read_.get_future()),
      window_face_(window_face_read_.get_future()),
      thread_([this] { Work(); }) {}

MainImagesLoad::~MainImagesLoad() { thread_.join(); }

void MainImagesLoad::Work() {
  // Only libpng, plain files and image memory here: this may run before the
  // QApplication exists.
  try {
    ReadFaces();
    faces_read_.set_value();
  } catch (...) {
    faces_read_.set_exception(std::current_exception());
    window_face_read_.set_exception(std::current_exception());
    return;
  }
  try {
    ReadWindowFace();
    window_face_read_.set_value();
  } catch (...) {
    window_face_read_.set_exception(std::current_exception());
  }
}

bool MainImagesLoad::Decode(QImage& image, const QString& path, bool premultiplied) {
  std::optional<QImage> decoded =
      DecodePngDirect(QFile::encodeName(path).toStdString(), premultiplied);
  if (decoded) image = std::move(*decoded);
  return decoded.has_value();
}

void MainImagesLoad::ReadFaces() {
  const SkinPaths& skin = paths_;
  MainImages& m = *images_;
  const auto Face = [this](QImage& image, const QString& path) {
    if (!Decode(image, path, false)) faces_left_.emplace_back(&image, path);
  };
  Face(m.front_view, skin.BackgroundPath("mouse-layout-front.png"));
  m.side_view = LaterImage(skin.BackgroundPath("mouse-layout-side.png"));
  m.colour_wheel = LaterImage(skin.ControlsPath("RGB.png"));
  Face(m.circle, skin.ControlsPath("circle.png"));
  Face(m.track, skin.BackgroundPath("trackbar-back-b.png"));
  Face(m.double_click_track, skin.BackgroundPath("dbclick-back.png"));
  Face(m.stage_x_track, skin.ControlsPath("dpi-indicator-x.png"));
  Face(m.stage_y_track, skin.ControlsPath("dpi-indicator-y.png"));
  Face(m.stage_xy_track, skin.ControlsPath("dpi-indicator-xy.png"));
  Face(m.apply_face, skin.ButtonsPath("apply1.png"));
  Face(m.apply_edits_face, skin.ButtonsPath("apply-edits.png"));
  for (int i = 0; i < 3; ++i) {
    const std::string n = std::to_string(i + 1);
    Face(m.assign_faces[i], skin.ButtonsPath("ButtonAssign-" + n + ".png"));
    Face(m.mode_faces[i], skin.ButtonsPath("RedButton-" + n + ".png"));
    Face(m.about_faces[i], skin.ButtonsPath("about-" + n + ".png"));
    Face(m.minimise_faces[i], skin.ButtonsPath("min-" + n + ".png"));
    Face(m.close_faces[i], skin.ButtonsPath("close-" + n + ".png"));
  }
  for (int i = 0; i < 2; ++i) {
    const std::string n = std::to_string(i + 1);
    Face(m.check_faces[i], skin.ControlsPath("checkbox1-" + n + ".png"));
    Face(m.link_faces[i], skin.ControlsPath("link-" + n + ".png"));
  }
  Face(m.slider_thumb, skin.ControlsPath("y.png"));
  for (int i = 0; i < 3; ++i) {
    Face(m.stage_thumbs[i], skin.ControlsPath("x" + std::to_string(i + 1) + ".png"));
  }
}

void MainImagesLoad::ReadWindowFace() {
  const std::string bitmap =
      QFile::encodeName(paths_.BackgroundPath("cfgMainback.bmp")).toStdString();
  if (const std::optional<PixelRegion> cached = ReadOutlineCache(bitmap, SystemFileIo())) {
    images_->outline = ToQRegion(*cached);
  } else {
    outline_left_ = true;  // cutting the bitmap itself needs Qt's reader
  }
  // Painted whole on every frame: premultiplied once here rather than on the
  // fly by each paint.
  background_left_ = !Decode(images_->background, paths_.BackgroundPath("cfgMainback.png"), true);
}

const MainImages& MainImagesLoad::Faces() {
  if (!faces_done_) {
    faces_.get();
    for (auto& [image, path] : faces_left_) *image = LoadSkinImage(path);
    images_->apply_hover_face = LitUp(images_->apply_face);
    images_->apply_edits_hover_face = LitUp(images_->apply_edits_face);
    faces_done_ = true;
  }
  return *images_;
}

MainImages MainImagesLoad::Take() {
  Faces();
  window_face_.get();
  if (background_left_) {
    QImage& face = images_->background;
    face = LoadSkinImage(paths_.BackgroundPath("cfgMainback.png"));
    if (face.hasAlphaChannel()) face.convertTo(QImage::Format_ARGB32_Premultiplied);
  }
  if (outline_left_) images_->outline = LoadWindowOutline(paths_.BackgroundPath("cfgMainback.bmp"));
  return std::move(*images_);
}

}  // namespace vantix
