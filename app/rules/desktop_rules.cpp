#include "app/rules/desktop_rules.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace vantix {
namespace {

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

bool IsGnomeFamily(std::string_view name) {
  // GNOME itself, its Classic and Flashback sessions, and the desktops that
  // keep GNOME's peripheral settings.
  for (std::string_view known : {"GNOME", "Unity", "Budgie", "Pantheon"}) {
    if (SameName(name, known)) return true;
  }
  return name.size() > 6 && SameName(name.substr(0, 6), "GNOME-");
}

std::string_view Trimmed(std::string_view line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) {
    line.remove_suffix(1);
  }
  while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
  return line;
}

// "[KDE]", also with KConfig's flags after it ("[KDE][$i]").
bool IsKdeGroup(std::string_view line) { return line.substr(0, 5) == "[KDE]"; }

bool IsIntervalEntry(std::string_view line) {
  constexpr std::string_view kKey = "DoubleClickInterval";
  if (line.substr(0, kKey.size()) != kKey) return false;
  const std::string_view rest = Trimmed(line.substr(kKey.size()));
  // The key alone or with KConfig's flags ("DoubleClickInterval[$i]").
  return !rest.empty() && (rest.front() == '=' || rest.front() == '[');
}

}  // namespace

int DoubleClickMilliseconds(int speed) {
  const int index = std::clamp(speed, 1, static_cast<int>(kDoubleClickMilliseconds.size())) - 1;
  return kDoubleClickMilliseconds[static_cast<std::size_t>(index)];
}

DoubleClickDesktop FindDoubleClickDesktop(std::string_view current_desktop,
                                          const DesktopTools& tools) {
  while (!current_desktop.empty()) {
    const std::size_t colon = current_desktop.find(':');
    const std::string_view name = current_desktop.substr(0, colon);
    current_desktop.remove_prefix(colon == std::string_view::npos ? current_desktop.size()
                                                                  : colon + 1);
    if (SameName(name, "KDE")) return DoubleClickDesktop::kKde;
    if (SameName(name, "XFCE")) {
      return tools.xfconf ? DoubleClickDesktop::kXfce : DoubleClickDesktop::kNone;
    }
    if (IsGnomeFamily(name)) {
      return tools.gnome_schema ? DoubleClickDesktop::kGnome : DoubleClickDesktop::kNone;
    }
  }
  return DoubleClickDesktop::kNone;
}

std::string WithKdeDoubleClick(std::string_view kcminputrc, int ms) {
  const std::string entry = "DoubleClickInterval=" + std::to_string(ms);
  std::vector<std::string_view> lines;
  for (std::size_t start = 0; start < kcminputrc.size();) {
    const std::size_t end = kcminputrc.find('\n', start);
    const std::size_t stop = end == std::string_view::npos ? kcminputrc.size() : end;
    lines.push_back(kcminputrc.substr(start, stop - start));
    start = stop + 1;
  }
  std::string out;
  bool in_group = false;
  bool written = false;
  const auto add = [&out](std::string_view line) {
    out.append(line);
    out.push_back('\n');
  };
  for (std::string_view line : lines) {
    const std::string_view bare = Trimmed(line);
    if (!bare.empty() && bare.front() == '[' && !written && in_group) {
      add(entry);  // the group ends without the entry
      written = true;
    }
    if (!bare.empty() && bare.front() == '[') in_group = IsKdeGroup(bare);
    if (in_group && IsIntervalEntry(bare)) {
      if (!written) add(entry);
      written = true;
      continue;
    }
    add(line);
  }
  if (!written) {
    if (!in_group) {
      if (!out.empty() && out != "\n") out.push_back('\n');
      add("[KDE]");
    }
    add(entry);
  }
  return out;
}

}  // namespace vantix
