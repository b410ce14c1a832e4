#include "settings/ui_language.h"

#include <cctype>
#include <cstdlib>

namespace vantix {

std::optional<std::string> ProcessEnvironment(std::string_view name) {
  const char* value = std::getenv(std::string(name).c_str());
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

UiLanguage ChooseUiLanguage(const EnvironmentLookup& environment) {
  if (std::optional<std::string> chosen = environment("VANTIX_LANGUAGE")) {
    for (char& c : *chosen) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (*chosen == "de") return UiLanguage::kGerman;
    if (*chosen == "en") return UiLanguage::kEnglish;
    // Anything else is a typing error: the locale decides as if unset.
  }
  // The order in which the C library picks the locale of messages.
  for (const std::string_view name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const std::optional<std::string> value = environment(name);
    if (!value || value->empty()) continue;
    return value->starts_with("de") ? UiLanguage::kGerman : UiLanguage::kEnglish;
  }
  return UiLanguage::kEnglish;
}

std::string_view LanguageTag(UiLanguage language) {
  return language == UiLanguage::kGerman ? "de" : "en";
}

std::string_view StringsFolderOf(UiLanguage language) {
  return language == UiLanguage::kGerman ? "images/0407/strings/" : "images/0409/strings/";
}

}  // namespace vantix
