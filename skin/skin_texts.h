// Every text the program reads from the skin's two string files, by file,
// section and number, with where it shows. The skin tests hold every
// language's files against this list, so a text added to a window belongs
// here too. Plain C++: no Qt needed to read it.
#pragma once

#include <array>
#include <string_view>

namespace vantix::skin {

enum class StringFile {
  kSkins,    // "skins.ini": interface texts
  kGeneral,  // "general.ini": function names
};

// The numbers first..last (inclusive) of one section.
struct TextRange {
  StringFile file;
  std::string_view section;
  int first;
  int last;
  std::string_view use;
};

// The language marker: "GER" selects the German key names, anything else
// English.
inline constexpr std::string_view kLanguageSection = "General";
inline constexpr int kLanguageNumber = 500;

namespace detail {
constexpr TextRange Ui(std::string_view section, int first, int last, std::string_view use) {
  return {StringFile::kSkins, section, first, last, use};
}
constexpr TextRange Ui(std::string_view section, int number, std::string_view use) {
  return {StringFile::kSkins, section, number, number, use};
}
constexpr TextRange Names(std::string_view section, int first, int last, std::string_view use) {
  return {StringFile::kGeneral, section, first, last, use};
}
}  // namespace detail

inline constexpr std::array kSkinTexts = {
    // Main window.
    detail::Ui("General", 1, 4,
               "pointer slider titles: acceleration, speed, wheel lines, double-click"),
    detail::Ui("General", 5, "title of the report-rate buttons"),
    detail::Ui("General", 6, 9, "report-rate buttons (8, 4, 2, 1 ms)"),
    detail::Ui("General", 20, 22, "lighting mode buttons 1-3; 22 also heads mode 2"),
    detail::Ui("General", 23, 25, "lighting section labels: colour, selected colour, first group"),
    detail::Ui("General", 26, 28, "first lighting group"),
    detail::Ui("General", 29, "lighting section label of the second group"),
    detail::Ui("General", 30, 32, "second lighting group"),
    detail::Ui("General", 33, "lighting section label of the third group"),
    detail::Ui("General", 34, 36, "third lighting group"),
    detail::Ui("General", 42, 45, "bottom row: export, import, reset profile, reset all"),
    detail::Ui("General", 46, 47,
               "OK and Cancel of every dialog; OK and close of the macro editor"),
    detail::Ui("General", 48, "bottom row: apply"),
    detail::Ui("General", 49, 51, "page tabs: buttons, performance, lighting"),
    detail::Ui("General", 53, 57, "profile labels 1-5"),
    detail::Ui("General", 58, "lighting direction label (never seen)"),
    detail::Ui("General", 59, 60, "lighting direction buttons (never seen)"),
    detail::Ui("General", 61, 62, "connection status: not connected, connected"),
    detail::Ui("General", 63, 64, "lighting mode buttons 4-5; each also heads its mode"),
    detail::Ui("General", 65, "status line: the last Apply was not confirmed by the agent"),
    detail::Ui("General", 93, 94, "mouse picture switches: top view, side view"),
    detail::Ui("General", 95, 100, "resolution stage check boxes 1-6"),
    detail::Ui("General", 101, "title of the stage label (\"%s : %d\")"),
    detail::Ui("General", 102, "label of a single-key button without a usable key"),
    detail::Ui("General", kLanguageNumber, "language marker"),
    // Message dialogs.
    detail::Ui("WARNING", 1, "title of every warning"),
    detail::Ui("WARNING", 2, "a button must keep the primary click"),
    detail::Ui("WARNING", 4, 5, "reset profile: question, detail"),
    detail::Ui("WARNING", 7, 8, "reset all profiles: question, detail"),
    detail::Ui("WARNING", 10, "delete the selected macro?"),
    detail::Ui("WARNING", 12, 14, "macro list full; unreleased keys; no macro yet"),
    detail::Ui("WARNING", 15, 16, "macro name refused; macro file cannot be written"),
    detail::Ui("WARNING", 17, 18,
               "Apply: a profile changed by another program (%1: its number), choice"),
    detail::Ui("WARNING", 19, "Apply: another writer holds the data folder, nothing was written"),
    detail::Ui("WARNING", 20, "files too large to be ours were read as empty (window, macro editor)"),
    detail::Ui("WARNING", 21, "macro recording: no keys can be captured"),
    // What the window's state means.
    detail::Ui("STATE", 1, "beside Apply while the window holds edits not yet applied"),
    detail::Ui("STATE", 2, 7,
               "closing with edits not yet applied: title, question, detail, the three answers"),
    detail::Ui("STATE", 8, "under the report rate and on the lighting page: kept by the firmware"),
    detail::Ui("STATE", 9, "under the double-click slider when no desktop setting takes it"),
    detail::Ui("STATE", 10, 11,
               "export, import done (%1 the profile's number, %2 the file's name)"),
    detail::Ui("STATE", 13, 15,
               "about box (F1): title, the version (%1), the manual and the README (%1 its path)"),
    detail::Ui("STATE", 12, "tooltip of a fire-key button (%1 what it fires, %2 shots, %3 ms)"),
    // Macro editor (1 is also the main window's macro tab).
    detail::Ui("MACRO", 1, 27, "macro editor titles, labels and buttons"),
    // Key dialogs.
    detail::Ui("SINGLEKEY", 1, 2, "single key: title, prompt"),
    detail::Ui("SINGLEKEY", 3, 4, "key combination: title, prompt"),
    detail::Ui("SINGLEKEY", 5, 6, "new macro name: title, prompt"),
    detail::Ui("SINGLEKEY", 7, "fire key: title and prompt"),
    detail::Ui("SINGLEKEY", 8, "key dialogs' field when no keys can be captured"),
    detail::Ui("FireKey", 1, 4, "fire modes: left, right, middle button, keyboard key"),
    detail::Ui("FireKey", 7, 8, "labels of the two fire-key numbers"),
    // Screen readers only.
    detail::Ui("PROGRAMS", 1, 2,
               "main window, under the profiles: the profile a program rule serves (%1 profile, %2 "
               "program); why no program is followed (%1: the agent's reason)"),
    detail::Ui("PROGRAMS", 3, 11,
               "programs panel: its button (%1 count), title (%1 profile), empty list, name label, add, "
               "recent, remove, close; a recent program's menu row (%1 name, %2 profile)"),
    detail::Ui("PROGRAMS", 12, 17,
               "programs panel: added (%1 name, %2 profile), moved (%1 name, %2 from, %3 to), already, "
               "removed, not saved (%1 why), no name typed"),
    detail::Ui("PROGRAMS", 18, 22, "programs panel: why a name is refused (%1: the limit)"),
    detail::Ui("PROGRAMS", 23, 27,
               "programs panel: GNOME's focus extension off, enable button, not installed (%1 folder), "
               "enabled, not enabled (%1 why)"),
    detail::Ui("PROGRAMS", 28, 29, "programs panel: screen readers' name of the name box; no recent program"),
    detail::Ui("Access", 1, 2, "title bar buttons: minimise, close"),
    detail::Ui("Access", 3, "assignment buttons (\"%1\": the button's number)"),
    detail::Ui("Access", 4, 5, "stage sliders: linked, one axis (%1: stage, %2: axis letter)"),
    detail::Ui("Access", 6, 8, "colour sliders and boxes: red, green, blue"),
    detail::Ui("Access", 9, 10, "macro editor: record, stop recording"),
    detail::Ui("Access", 11, 12, "macro editor rows of a key press, a key release (%1: the key)"),
    // The panel of the served mouse.
    detail::Ui("Device", 1, 8, "mouse panel: title, chooser button and rows, resolution, demo"),
    detail::Ui("Device", 10, 21, "mouse panel: why no mouse is served and what to do"),
    detail::Ui("Device", 30, 31, "mouse panel: Apply saved, nothing took it yet"),
    detail::Ui("Device", 35, 38, "mouse panel: where the resolution comes from"),
    detail::Ui("Device", 40, "mouse panel: first start without a served mouse"),
    detail::Ui("Device", 42, "screen readers: the resolution box"),
    // Function names.
    detail::Names("FUNCTION_STRING", 1, 16, "top-level functions and group heads"),
    detail::Names("BASIC", 1, 8, "functions 17-24"),
    detail::Names("ADVANCED", 1, 14, "functions 25-38"),
    detail::Names("MEDIA", 1, 8, "functions 39-46"),
    detail::Names("DPI", 1, 3, "functions 47-49"),
    detail::Names("RATE", 1, 2, "functions 50-51"),
    detail::Names("SCROLL", 1, 3, "functions 52-54"),
    detail::Names("MACRO", 1, 1, "macro editor entry of the assignment menu"),
};

}  // namespace vantix::skin
