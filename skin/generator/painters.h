// The painters of the skin's images, one per file name. Each painter gets the
// size the manifest gives for its file and returns an image of that size.
#pragma once

#include <QImage>
#include <QSize>
#include <functional>
#include <map>
#include <string>

namespace vantix::skin {

using PaintFunction = std::function<QImage(QSize)>;
using PainterTable = std::map<std::string, PaintFunction, std::less<>>;

void AddWindowPainters(PainterTable& table);   // faces, outlines, warning picture
void AddButtonPainters(PainterTable& table);   // the buttons folder
void AddControlPainters(PainterTable& table);  // check boxes, sliders, badges, wheel
void AddMenuPainters(PainterTable& table);     // menu rows, key display, event arrows
void AddMousePainters(PainterTable& table);    // the two mouse pictures

}  // namespace vantix::skin
