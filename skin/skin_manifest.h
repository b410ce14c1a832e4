// Every file of the default skin below "images/0409/" of the program folder:
// its folder, name, pixel size and what it is. The generator paints exactly
// these files, the skin tests check them, and tools that show the skin (the
// contact sheet) can walk the same list. Plain C++: no Qt needed to read it.
//
// Sizes follow the rectangles the windows draw the images into, so that most
// images are drawn 1:1. Where one image serves several rectangles, it has the
// size of its main use and is stretched elsewhere; the note says where.
#pragma once

#include <array>
#include <string_view>

namespace vantix::skin {

inline constexpr std::string_view kSkinRoot = "images/0409/";

enum class SkinFolder { kBackground, kButtons, kControls };

// The folder below the program folder, ending with '/'.
constexpr std::string_view FolderPath(SkinFolder folder) {
  switch (folder) {
    case SkinFolder::kBackground:
      return "images/0409/background/";
    case SkinFolder::kButtons:
      return "images/0409/buttons/";
    case SkinFolder::kControls:
      return "images/0409/controls/";
  }
  return {};
}

// The folder name alone, as it appears below kSkinRoot.
constexpr std::string_view FolderName(SkinFolder folder) {
  switch (folder) {
    case SkinFolder::kBackground:
      return "background";
    case SkinFolder::kButtons:
      return "buttons";
    case SkinFolder::kControls:
      return "controls";
  }
  return {};
}

struct SkinImage {
  SkinFolder folder;
  std::string_view name;  // exact file name, case included
  int width;
  int height;
  std::string_view description;
};

// True for the window outlines: 24-bit BMPs, pure white outside the window's
// shape and never pure white inside it.
constexpr bool IsOutline(const SkinImage& image) {
  return image.name.size() > 4 && image.name.substr(image.name.size() - 4) == ".bmp";
}

namespace detail {
constexpr SkinImage Background(std::string_view name, int w, int h, std::string_view what) {
  return {SkinFolder::kBackground, name, w, h, what};
}
constexpr SkinImage Buttons(std::string_view name, int w, int h, std::string_view what) {
  return {SkinFolder::kButtons, name, w, h, what};
}
constexpr SkinImage Controls(std::string_view name, int w, int h, std::string_view what) {
  return {SkinFolder::kControls, name, w, h, what};
}
}  // namespace detail

inline constexpr std::array kSkinImages = {
    // Window faces and outlines. A face is transparent white outside its
    // window's shape, so a region cut from the face agrees with the outline.
    detail::Background("cfgMainback.png", 1028, 712,
                       "main window face; the window takes this size. Covers every control: "
                       "rightmost the macro tab (865..1015), lowest the bottom row (673..695)"),
    detail::Background("cfgMainback.bmp", 1028, 712,
                       "outline of the main window; also of the macro editor (757 x 582), which "
                       "uses its top-left part: only the top-left corner is cut there"),
    detail::Background("cfgMainback2.bmp", 478, 292,
                       "outline of the single-key and fire-key dialogs (478 x 292)"),
    detail::Background("dlg.png", 478, 292,
                       "face of the small dialogs: message, single key, fire key, text entry"),
    detail::Background(
        "dlg2.png", 757, 582,
        "face of the macro editor; its shape is the top-left part of cfgMainback.bmp"),
    detail::Background("warn.png", 96, 90, "message dialog picture, drawn at (34, 104) 96 x 90"),
    detail::Background("mouse-layout-front.png", 231, 410,
                       "top view of the mouse with buttons 1, 2, 3, 10, 11, 12 under their badges; "
                       "drawn at (152, 133) 231 x 410"),
    detail::Background("mouse-layout-side.png", 164, 410,
                       "side view of the mouse with buttons 4 to 9 under their badges; "
                       "drawn at (182, 133) 164 x 410"),
    detail::Background(
        "trackbar-back-b.png", 244, 18,
        "horizontal slider track: pointer sliders 244 x 18, colour sliders stretched to 255 x 18"),
    detail::Background("dbclick-back.png", 244, 18,
                       "double-click speed track, 244 x 18, with ten marks for its values 1..10"),
    // Menu rows: 160 wide (menus are 20 wider than the image), 20 high.
    detail::Background(
        "menuitem-n.png", 160, 20,
        "menu row, normal; also the menu's background, stretched over the whole menu"),
    detail::Background("menuitem-d.png", 160, 20,
                       "menu row under the pointer; also the text-entry dialog's edit frame, "
                       "stretched to 301 x 27"),
    detail::Background("menuitem-n2.png", 160, 20,
                       "menu row that opens a sub-menu, normal (sub-menus: the disabled face)"),
    detail::Background(
        "menuitem-d2.png", 160, 20,
        "menu row that opens a sub-menu, under the pointer (sub-menus: the pressed face)"),
    detail::Background(
        "menuitem-d-b.png", 301, 26,
        "key display of the key dialog (301 x 26); stretched to 99 x 26 in the fire-key dialog"),
    detail::Background("423.png", 7, 9, "event list: key or mouse button pressed (down arrow)"),
    detail::Background("424.png", 7, 9, "event list: key or mouse button released (up arrow)"),

    // Push buttons: "-1" normal and disabled, "-3" under the pointer, "-2"
    // pressed; RedButton swaps the last two ("-2" under the pointer).
    detail::Buttons("about-1.png", 28, 26, "about button (922, 14, 950, 40), normal"),
    detail::Buttons("about-2.png", 28, 26, "about button, pressed"),
    detail::Buttons("about-3.png", 28, 26, "about button, under the pointer"),
    detail::Buttons("min-1.png", 28, 26, "minimise button (953, 14, 981, 40), normal"),
    detail::Buttons("min-2.png", 28, 26, "minimise button, pressed"),
    detail::Buttons("min-3.png", 28, 26, "minimise button, under the pointer"),
    detail::Buttons("close-1.png", 28, 26, "close button (984, 14, 1012, 40), normal"),
    detail::Buttons("close-2.png", 28, 26, "close button, pressed"),
    detail::Buttons("close-3.png", 28, 26, "close button, under the pointer"),
    detail::Buttons(
        "apply1.png", 110, 22,
        "bottom-row buttons (110 x 22): every state; the caption colour shows the press"),
    detail::Buttons("apply-edits.png", 110, 22,
                    "Apply while there are edits not yet applied (110 x 22), every state"),
    detail::Buttons("ok-1.png", 93, 26,
                    "dialog OK and Cancel (93 x 26), normal; macro editor OK and close at 89 x 25"),
    detail::Buttons("ok-2.png", 93, 26, "dialog buttons, pressed"),
    detail::Buttons("ok-3.png", 93, 26, "dialog buttons, under the pointer"),
    detail::Buttons("ButtonAssign-1.png", 148, 20,
                    "assignment buttons (148 x 20), normal; macro editor text buttons at 101 x 18 "
                    "and 126 x 19"),
    detail::Buttons("ButtonAssign-2.png", 148, 20, "assignment and macro editor buttons, pressed"),
    detail::Buttons("ButtonAssign-3.png", 148, 20,
                    "assignment and macro editor buttons, under the pointer"),
    detail::Buttons("RedButton-1.png", 200, 26, "lighting mode buttons (200 x 26), not selected"),
    detail::Buttons("RedButton-2.png", 200, 26, "lighting mode buttons, under the pointer"),
    detail::Buttons("RedButton-3.png", 200, 26, "lighting mode buttons, selected or pressed"),
    detail::Buttons("iconstart1.png", 30, 23, "record button (359, 480, 389, 503), idle"),
    detail::Buttons("iconstart2.png", 30, 23,
                    "record button lit: under the pointer, pressed, and disabled while recording"),
    detail::Buttons("iconstop1.png", 30, 23,
                    "stop button (452, 480, 482, 503), normal and disabled"),
    detail::Buttons("iconstop2.png", 30, 23, "stop button, under the pointer or pressed"),

    // Controls.
    detail::Controls("circle.png", 19, 19,
                     "number badge: list badges 19 x 19, picture badges stretched to 18 x 18"),
    detail::Controls(
        "RGB.png", 208, 149,
        "colour wheel, drawn 1:1 at (210, 282); opaque, every pixel a full-brightness colour"),
    detail::Controls("y.png", 14, 18, "thumb of the horizontal sliders (tracks 18 high)"),
    detail::Controls("checkbox1-1.png", 16, 16,
                     "check box, not checked (a client-high square; 11 x 11 in the macro editor)"),
    detail::Controls("checkbox1-2.png", 16, 16, "check box, checked"),
    detail::Controls("link-1.png", 20, 9, "stage link box (20 x 9), not linked"),
    detail::Controls("link-2.png", 20, 9, "stage link box, linked"),
    detail::Controls("dpi-indicator-x.png", 24, 215, "stage X slider track (24 x 215)"),
    detail::Controls("dpi-indicator-y.png", 24, 215, "stage Y slider track (24 x 215)"),
    detail::Controls("dpi-indicator-xy.png", 48, 215,
                     "linked stage slider track (48 x 215): both grooves of the X and Y tracks"),
    detail::Controls("x1.png", 48, 10, "thumb of the linked stage slider, across both grooves"),
    detail::Controls("x2.png", 10, 10, "thumb of the stage X slider, at the track's left edge"),
    detail::Controls(
        "x3.png", 10, 10,
        "thumb of the stage Y slider, drawn 14 px into its 24 px track; no black pixel, "
        "so cutting black out of it leaves it whole"),
};

}  // namespace vantix::skin
