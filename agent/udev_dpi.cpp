#include "agent/udev_dpi.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <fstream>

#include "devicelink/agent_config.h"

namespace vantix::agent {
namespace {

std::optional<int> Resolution(std::string_view entry) {
  if (entry.starts_with('*')) entry.remove_prefix(1);
  entry = entry.substr(0, entry.find('@'));
  if (entry.empty() || entry.size() > 5 || entry.find_first_not_of("0123456789") != std::string_view::npos) {
    return std::nullopt;
  }
  int dpi = 0;
  for (const char c : entry) dpi = dpi * 10 + (c - '0');
  if (dpi < kMinNativeResolution || dpi > kMaxNativeResolution) return std::nullopt;
  return dpi;
}

}  // namespace

std::optional<int> ParseMouseDpi(std::string_view value) {
  std::optional<std::string_view> first;
  while (!value.empty()) {
    const std::size_t start = value.find_first_not_of(" \t");
    if (start == std::string_view::npos) break;
    value.remove_prefix(start);
    const std::size_t end = value.find_first_of(" \t");
    const std::string_view entry = value.substr(0, end);
    value.remove_prefix(end == std::string_view::npos ? value.size() : end);
    if (entry.starts_with('*')) return Resolution(entry);
    if (!first) first = entry;
  }
  return first ? Resolution(*first) : std::nullopt;
}

std::optional<int> UdevMouseDpi(const std::string& event_node, const std::string& data_folder) {
  struct stat st {};
  if (::stat(event_node.c_str(), &st) != 0 || !S_ISCHR(st.st_mode)) return std::nullopt;
  std::ifstream in(data_folder + "/c" + std::to_string(major(st.st_rdev)) + ":" +
                   std::to_string(minor(st.st_rdev)));
  std::string line;
  constexpr std::string_view kProperty = "E:MOUSE_DPI=";
  while (std::getline(in, line)) {
    if (line.starts_with(kProperty)) return ParseMouseDpi(std::string_view(line).substr(kProperty.size()));
  }
  return std::nullopt;
}

}  // namespace vantix::agent
