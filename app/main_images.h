// The main window's pictures, read from the skin on threads of their own so
// that reading them overlaps the rest of start-up.
#pragma once

#include <QImage>
#include <QRegion>

#include <array>
#include <future>
#include <memory>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "ui/skin.h"

namespace vantix {

// A picture read the first time it is asked for: one the first frame does
// not show. On the thread that made the QApplication.
class LaterImage {
 public:
  LaterImage() = default;
  explicit LaterImage(QString path) : path_(std::move(path)) {}
  const QImage& Get() const;

 private:
  QString path_;
  mutable std::optional<QImage> image_;
};

// The pictures the window holds; the controls share the button images.
struct MainImages {
  std::optional<QRegion> outline;  // cut from cfgMainback.bmp: the window's shape
  QImage background;  // cfgMainback.png: the face, and the window's size
  QImage front_view;
  LaterImage side_view;     // shown on request
  LaterImage colour_wheel;  // on the lighting page
  QImage circle;
  QImage track;
  QImage double_click_track;
  QImage stage_x_track;
  QImage stage_y_track;
  QImage stage_xy_track;
  QImage apply_face;
  QImage apply_hover_face;  // apply_face lit up: the skin has one face for all four
  QImage apply_edits_face;  // Apply while edits wait for it
  QImage apply_edits_hover_face;
  std::array<QImage, 3> assign_faces;  // normal, pressed, pointer-over (-1, -2, -3)
  std::array<QImage, 3> mode_faces;
  std::array<QImage, 3> about_faces;
  std::array<QImage, 3> minimise_faces;
  std::array<QImage, 3> close_faces;
  std::array<QImage, 2> check_faces;
  std::array<QImage, 2> link_faces;
  // Slider thumbs, decoded once for every slider that shows them.
  QImage slider_thumb;                 // y.png: the horizontal sliders
  std::array<QImage, 3> stage_thumbs;  // x1.png, x2.png, x3.png: XY, X and Y of a stage
};

// Reads every picture of the main window from a skin, starting at once on a
// thread of its own: first the controls' faces, then the window-sized face
// and the outline (from the cache beside its bitmap). Needs no display, so
// the program starts it before Qt connects to one. Missing or broken files
// give null images and no outline.
class MainImagesLoad {
 public:
  explicit MainImagesLoad(SkinPaths paths);
  // Waits for the thread.
  ~MainImagesLoad();
  MainImagesLoad(const MainImagesLoad&) = delete;
  MainImagesLoad& operator=(const MainImagesLoad&) = delete;

  // Every picture but the window's face and outline (enough to build the
  // controls), once read. On the thread that made the QApplication.
  const MainImages& Faces();
  // Every picture, once read; they move out, so this is called once.
  MainImages Take();

 private:
  void Work();
  void ReadFaces();
  void ReadWindowFace();
  // Decodes into image; false leaves it to Qt's reader.
  static bool Decode(QImage& image, const QString& path, bool premultiplied);

  const SkinPaths paths_;
  // Written by the thread until the promise of its part is kept.
  const std::unique_ptr<MainImages> images_ = std::make_unique<MainImages>();
  // Pictures the thread left to Qt's reader, which only the thread of the
  // QApplication may use before it exists.
  std::vector<std::pair<QImage*, QString>> faces_left_;
  bool background_left_ = false;
  bool outline_left_ = false;
  std::promise<void> faces_read_;
  std::promise<void> window_face_read_;
  std::future<void> faces_;
  std::future<void> window_face_;
  bool faces_done_ = false;
  std::thread thread_;
};

}  // namespace vantix
