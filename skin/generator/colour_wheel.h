// The lighting page's colour wheel. The window stores the colour of the pixel
// clicked, so every pixel must be a colour worth giving the mouse's light:
// the field is filled edge to edge, opaque, and at full brightness (a dark
// pixel would only mean a dim light). Hue runs round the centre, saturation
// grows from white at the centre to full at the wheel's rim and stays full
// out to the corners. The six pure colours are widened into spokes so that
// they can be hit with the pointer.
#pragma once

#include <QImage>
#include <QRgb>

namespace vantix::skin {

QRgb WheelColour(int x, int y, int width, int height);

QImage PaintColourWheel(int width, int height);

}  // namespace vantix::skin
