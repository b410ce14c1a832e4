#include "settings/ui_language.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>

namespace vantix {
namespace {

using enum UiLanguage;

// The one table of languages. skin/CMakeLists.txt reads the tag and folder
// of each row from this file to install the string files: keep them on the
// line that opens the row. Portuguese and Chinese are told apart by territory: Brazil has its
// own spelling, and Taiwan, Hong Kong and Macau write Traditional Chinese.
// Nynorsk readers get Bokmål rather than English.
constexpr std::array kLanguages = {
    UiLanguageInfo{kEnglish, "en", "0409", "en", ""},
    UiLanguageInfo{kGerman, "de", "0407", "de", ""},
    UiLanguageInfo{kFrench, "fr", "040C", "fr", ""},
    UiLanguageInfo{kSpanish, "es", "0C0A", "es", ""},
    UiLanguageInfo{kItalian, "it", "0410", "it", ""},
    UiLanguageInfo{kPortugueseBrazil, "pt_BR", "0416", "pt_BR", ""},
    UiLanguageInfo{kPortuguesePortugal, "pt_PT", "0816", "pt", ""},
    UiLanguageInfo{kDutch, "nl", "0413", "nl", ""},
    UiLanguageInfo{kPolish, "pl", "0415", "pl", ""},
    UiLanguageInfo{kCzech, "cs", "0405", "cs", ""},
    UiLanguageInfo{kSlovak, "sk", "041B", "sk", ""},
    UiLanguageInfo{kHungarian, "hu", "040E", "hu", ""},
    UiLanguageInfo{kRomanian, "ro", "0418", "ro", ""},
    UiLanguageInfo{kSwedish, "sv", "041D", "sv", ""},
    UiLanguageInfo{kDanish, "da", "0406", "da", ""},
    UiLanguageInfo{kNorwegianBokmal, "nb", "0414", "nb no nn", ""},
    UiLanguageInfo{kFinnish, "fi", "040B", "fi", ""},
    UiLanguageInfo{kTurkish, "tr", "041F", "tr", ""},
    UiLanguageInfo{kGreek, "el", "0408", "el", ""},
    UiLanguageInfo{kRussian, "ru", "0419", "ru", ""},
    UiLanguageInfo{kUkrainian, "uk", "0422", "uk", ""},
    UiLanguageInfo{kBulgarian, "bg", "0402", "bg", ""},
    UiLanguageInfo{kJapanese, "ja", "0411", "ja", "Noto Sans CJK JP"},
    UiLanguageInfo{kKorean, "ko", "0412", "ko", "Noto Sans CJK KR"},
    UiLanguageInfo{kChineseSimplified, "zh_CN", "0804", "zh", "Noto Sans CJK SC"},
    UiLanguageInfo{kChineseTraditional, "zh_TW", "0404", "zh_TW zh_HK zh_MO",
                   "Noto Sans CJK TC"},
};

constexpr bool InEnumOrder() {
  for (std::size_t i = 0; i < kLanguages.size(); ++i) {
    if (static_cast<std::size_t>(kLanguages[i].language) != i) return false;
  }
  return true;
}
static_assert(InEnumOrder(), "InfoOf indexes the table by the enum");

// Whether name is one of the space-separated words.
bool Names(std::string_view words, std::string_view name) {
  while (!words.empty()) {
    const std::size_t end = std::min(words.find(' '), words.size());
    if (words.substr(0, end) == name) return true;
    words.remove_prefix(std::min(end + 1, words.size()));
  }
  return false;
}

std::optional<UiLanguage> LanguageNamed(std::string_view name) {
  for (const UiLanguageInfo& info : kLanguages) {
    if (Names(info.locale_names, name)) return info.language;
  }
  return std::nullopt;
}

// A locale name as glibc writes it: a lower-case language, an upper-case
// territory. VANTIX_LANGUAGE is typed by hand, in any case, with '-' or '_'.
std::string LocaleSpelling(std::string_view name) {
  std::string spelt(name.substr(0, name.find_first_of(".@")));
  bool territory = false;
  for (char& c : spelt) {
    if (c == '-') c = '_';
    if (c == '_') territory = true;
    const auto byte = static_cast<unsigned char>(c);
    c = static_cast<char>(territory ? std::toupper(byte) : std::tolower(byte));
  }
  return spelt;
}

}  // namespace

std::span<const UiLanguageInfo> UiLanguages() { return kLanguages; }

const UiLanguageInfo& InfoOf(UiLanguage language) {
  return kLanguages[static_cast<std::size_t>(language)];
}

std::optional<std::string> ProcessEnvironment(std::string_view name) {
  const char* value = std::getenv(std::string(name).c_str());
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

std::optional<UiLanguage> LanguageOfLocale(std::string_view locale) {
  // language[_territory][.codeset][@modifier]
  locale = locale.substr(0, locale.find_first_of(".@"));
  if (std::optional<UiLanguage> exact = LanguageNamed(locale)) return exact;
  if (const std::size_t cut = locale.find('_'); cut != std::string_view::npos) {
    return LanguageNamed(locale.substr(0, cut));
  }
  return std::nullopt;
}

UiLanguage ChooseUiLanguage(const EnvironmentLookup& environment) {
  if (const std::optional<std::string> chosen = environment("VANTIX_LANGUAGE")) {
    if (const std::optional<UiLanguage> language = LanguageOfLocale(LocaleSpelling(*chosen))) {
      return *language;
    }
    // Anything else is a typing error: the locale decides as if unset.
  }
  // The order in which the C library picks the locale of messages.
  for (const std::string_view name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const std::optional<std::string> value = environment(name);
    if (!value || value->empty()) continue;
    return LanguageOfLocale(*value).value_or(kEnglish);
  }
  return kEnglish;
}

std::string_view LanguageTag(UiLanguage language) { return InfoOf(language).tag; }

std::string StringsFolderOf(UiLanguage language) {
  return "images/" + std::string(InfoOf(language).folder) + "/strings/";
}

}  // namespace vantix
