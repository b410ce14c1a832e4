// The floor of the start-up benchmark: the least a Qt program does to show a
// window of the main window's size with one image painted on it. It loads
// the image named by its only argument, paints it, and ends after that first
// painted frame, as vantix does with VANTIX_EXIT_AFTER_FIRST_PAINT=1.
#include <QApplication>
#include <QPixmap>
#include <QPainter>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace {

class Face final : public QWidget {
 public:
  explicit Face(const QPixmap& image) : image_(image) {
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setFixedSize(image_.size());
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter(this).drawPixmap(0, 0, image_);
    if (!closing_) {
      closing_ = true;
      // Queued, like vantix's: the frame is flushed before the timer runs.
      QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    }
  }

 private:
  QPixmap image_;
  bool closing_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: first_frame_floor IMAGE\n");
    return 2;
  }
  // A pixmap, as the floor of the start-up measuring kit: converted for the
  // screen once when loaded, not on every paint.
  const QPixmap image(QString::fromLocal8Bit(argv[1]));
  if (image.isNull()) {
    std::fprintf(stderr, "first_frame_floor: cannot read %s\n", argv[1]);
    return 1;
  }
  Face face(image);
  face.move(0, 0);
  face.show();
  return app.exec();
}
