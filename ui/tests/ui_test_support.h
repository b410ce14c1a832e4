// Helpers of the toolkit tests: a window that records the messages it gets,
// fixture images, a skin tree in a temporary folder, and pointer events sent
// straight to a widget (no event-loop races).
#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QString>
#include <QTemporaryDir>
#include <QWidget>

#include <cstdint>
#include <string>
#include <vector>

#include "ui/window_message.h"

namespace vantix::test {

struct Received {
  std::uint32_t message;
  std::int64_t wparam;
  std::int64_t lparam;
  bool operator==(const Received&) const = default;
};

class MessageLog : public MessageWindow<QWidget> {
 public:
  explicit MessageLog(QWidget* parent = nullptr) : MessageWindow<QWidget>(parent) {}
  std::int64_t OnWindowMessage(std::uint32_t message, std::int64_t wparam,
                               std::int64_t lparam) override {
    received.push_back({message, wparam, lparam});
    return result;
  }
  std::vector<Received> Of(std::uint32_t message) const;

  std::vector<Received> received;
  std::int64_t result = 0;
};

// Delivers everything posted so far.
void Pump();

QImage Solid(QSize size, QColor color);
// Shows a top-level window and makes it the active one, so that buttons on
// it may hover.
void ShowActive(QWidget* window);

// Pointer events at a point in widget coordinates.
void Press(QWidget* w, QPoint at, Qt::MouseButton button = Qt::LeftButton);
void Release(QWidget* w, QPoint at, Qt::MouseButton button = Qt::LeftButton);
void Move(QWidget* w, QPoint at, Qt::MouseButtons held = Qt::NoButton);
void Leave(QWidget* w);

// The colour of a pixel of what the widget paints.
QColor PixelOf(QWidget* w, QPoint at);
// Whether any pixel of the painted widget has exactly this colour.
bool HasPixel(const QImage& image, QColor color);
// The bounding box of the pixels of exactly this colour (null when none).
QRect BoxOf(const QImage& image, QColor color);

// A program folder in a temporary directory with a skin tree.
class SkinFolder {
 public:
  SkinFolder();
  std::string ProgramFolder() const;  // ends with '/'
  // Writes a PNG into images/0409/<folder>/ (background, buttons, controls).
  void AddImage(const QString& folder, const QString& file, const QImage& image);
  // Writes images/0409/strings/skins.ini.
  void SetSkinsIni(const std::string& text);

 private:
  QTemporaryDir dir_;
};

}  // namespace vantix::test
