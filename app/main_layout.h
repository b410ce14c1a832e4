// The main window's controls and pictures: one build routine creates every
// control at its rectangle with its images, texts and settings, and groups
// them by page so that the window can show one page at a time.
#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <vector>

#include "app/main_images.h"
#include "app/rules/value_rules.h"

namespace vantix {

class CBitmapBtn;
class CClrEdit;
class CStaticTrans;
class PngSliderTrack;

// "General" text of the status line shown when an Apply was not confirmed.
inline constexpr int kTextUnconfirmed = 65;

// Text numbers of the lighting page's section labels ("General" n), in the
// order the lighting-mode table names them.
inline constexpr std::array<int, 9> kSectionLabelTexts = {23, 24, 25, 29, 33, 58, 64, 63, 22};

struct StageControls {
  CBitmapBtn* enable = nullptr;
  CBitmapBtn* link = nullptr;
  PngSliderTrack* x_slider = nullptr;
  PngSliderTrack* y_slider = nullptr;
  PngSliderTrack* xy_slider = nullptr;
  CStaticTrans* x_letter = nullptr;
  CStaticTrans* y_letter = nullptr;
  CStaticTrans* x_value = nullptr;
  CStaticTrans* y_value = nullptr;
};

struct MainControls {
  // Every page.
  CBitmapBtn* about = nullptr;  // the version, the manual and the README; F1 too
  CBitmapBtn* minimise = nullptr;
  CBitmapBtn* close = nullptr;
  CBitmapBtn* export_button = nullptr;
  CBitmapBtn* import_button = nullptr;
  CBitmapBtn* reset_profile = nullptr;
  CBitmapBtn* reset_all = nullptr;
  CBitmapBtn* apply = nullptr;
  CStaticTrans* status_connected = nullptr;
  CStaticTrans* status_disconnected = nullptr;
  // An Apply that the agent never confirmed (it went away or stayed silent).
  CStaticTrans* status_unconfirmed = nullptr;
  // Beside Apply while the window holds edits the files lack.
  CStaticTrans* status_unapplied = nullptr;
  // What the last export or import did, in one line under the pages.
  CStaticTrans* result_line = nullptr;
  std::array<CStaticTrans*, 3> page_tabs{};
  CStaticTrans* macro_tab = nullptr;
  std::array<CStaticTrans*, 5> profile_labels{};

  // Page 1.
  std::array<CStaticTrans*, 2> view_switches{};
  std::array<CBitmapBtn*, 12> assign_buttons{};
  std::array<CBitmapBtn*, 12> list_badges{};
  std::array<CBitmapBtn*, 12> picture_badges{};  // by mouse button number - 1
  std::array<PngSliderTrack*, 4> pointer_sliders{};  // acceleration .. double-click
  std::vector<CStaticTrans*> range_labels;
  std::array<CStaticTrans*, 5> slider_titles{};
  std::array<CBitmapBtn*, 4> report_rate{};
  // Settings the kernel's input layer cannot pass to the mouse: kept for
  // its own firmware. The double-click note shows only where no desktop
  // setting takes the speed.
  CStaticTrans* rate_note = nullptr;
  CStaticTrans* double_click_note = nullptr;

  // Page 2.
  CStaticTrans* stage_label = nullptr;
  std::array<StageControls, 6> stages{};

  // Page 3.
  std::array<CBitmapBtn*, 6> mode_buttons{};  // the sixth is never seen
  std::array<CStaticTrans*, 9> section_labels{};  // in kSectionLabelTexts order
  std::array<std::array<CBitmapBtn*, 3>, 3> light_groups{};
  std::array<CBitmapBtn*, 2> direction{};
  std::array<PngSliderTrack*, 3> colour_sliders{};
  std::array<CStaticTrans*, 3> colour_letters{};
  std::array<CClrEdit*, 3> colour_edits{};
  CStaticTrans* lighting_note = nullptr;

  // The bottom row, in its order on screen.
  std::array<CBitmapBtn*, 5> BottomRow() const {
    return {export_button, import_button, reset_profile, reset_all, apply};
  }
};

// Creates every control on window, in the build order, visible.
MainControls BuildMainControls(QWidget* window, const Skin& skin, const MainImages& images);

// Tab in reading order over every control, each page by its columns as
// drawn; the arrow keys move along the profile tabs, the page tabs (with the
// macro tab) and the two view tabs.
// left_column: the controls of the column left of the pages, read after
// the page tabs.
void LinkKeyboardAccess(QWidget* window, const MainControls& controls,
                        const std::vector<QWidget*>& left_column = {});

// The controls a page shows unconditionally (page 1: without the picture
// badges, which follow the view; page 3: without the groups and section
// labels, which follow the lighting mode).
std::vector<QWidget*> PageWidgets(const MainControls& controls, int page);

// The texts of the tabs and the bottom row: the chosen one, the others.
inline constexpr std::uint32_t kHighlightColor = 0xCCFF00;
inline constexpr std::uint32_t kPlainColor = 0xFFFFFF;

// Shows or hides one of the status labels, repainting what lies behind it
// only when that changes.
void SetLabelShown(CStaticTrans* label, bool shown);

// Picture badges shown in a view (0 front, 1 side), as mouse button numbers.
inline constexpr std::array<int, 6> kFrontBadges = {1, 2, 3, 10, 11, 12};
inline constexpr std::array<int, 6> kSideBadges = {4, 5, 6, 7, 8, 9};

}  // namespace vantix
