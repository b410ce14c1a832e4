#include "ui/tests/ui_test_support.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace vantix::test {

std::vector<Received> MessageLog::Of(std::uint32_t message) const {
  std::vector<Received> out;
  for (const Received& r : received) {
    if (r.message == message) out.push_back(r);
  }
  return out;
}

void Pump() {
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents();
}

QImage Solid(QSize size, QColor color) {
  QImage image(size, QImage::Format_ARGB32);
  image.fill(color);
  return image;
}

void ShowActive(QWidget* window) {
  window->show();
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
}

namespace {
void SendMouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button,
               Qt::MouseButtons buttons) {
  QMouseEvent event(type, QPointF(at), QPointF(w->mapToGlobal(at)), button, buttons,
                    Qt::NoModifier);
  QApplication::sendEvent(w, &event);
}
}  // namespace

void Press(QWidget* w, QPoint at, Qt::MouseButton button) {
  SendMouse(w, QEvent::MouseButtonPress, at, button, button);
}
void Release(QWidget* w, QPoint at, Qt::MouseButton button) {
  SendMouse(w, QEvent::MouseButtonRelease, at, button, Qt::NoButton);
}
void Move(QWidget* w, QPoint at, Qt::MouseButtons held) {
  SendMouse(w, QEvent::MouseMove, at, Qt::NoButton, held);
}
void Leave(QWidget* w) {
  QEvent event(QEvent::Leave);
  QApplication::sendEvent(w, &event);
}

QColor PixelOf(QWidget* w, QPoint at) { return w->grab().toImage().pixelColor(at); }

bool HasPixel(const QImage& image, QColor color) { return !BoxOf(image, color).isNull(); }

QRect BoxOf(const QImage& image, QColor color) {
  const QRgb want = color.rgb();
  QRect box;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if ((image.pixel(x, y) & 0xFFFFFF) == (want & 0xFFFFFF)) box |= QRect(x, y, 1, 1);
    }
  }
  return box;
}

SkinFolder::SkinFolder() {
  QDir root(dir_.path());
  for (const char* sub : {"background", "buttons", "controls", "strings"}) {
    root.mkpath(QStringLiteral("images/0409/") + QLatin1String(sub));
  }
}

std::string SkinFolder::ProgramFolder() const { return dir_.path().toStdString() + "/"; }

void SkinFolder::AddImage(const QString& folder, const QString& file, const QImage& image) {
  ASSERT_TRUE(image.save(dir_.path() + u"/images/0409/"_s + folder + u"/"_s + file, "PNG"));
}

void SkinFolder::SetSkinsIni(const std::string& text) {
  QFile file(dir_.path() + u"/images/0409/strings/skins.ini"_s);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(text.data(), static_cast<qint64>(text.size()));
}

}  // namespace vantix::test
