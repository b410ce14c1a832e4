// The language of the interface, chosen at run time from the user's locale,
// and the folder of the skin's string files in that language.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vantix {

enum class UiLanguage : std::uint8_t {
  kEnglish,
  kGerman,
  kFrench,
  kSpanish,
  kItalian,
  kPortugueseBrazil,
  kPortuguesePortugal,
  kDutch,
  kPolish,
  kCzech,
  kSlovak,
  kHungarian,
  kRomanian,
  kSwedish,
  kDanish,
  kNorwegianBokmal,
  kFinnish,
  kTurkish,
  kGreek,
  kRussian,
  kUkrainian,
  kBulgarian,
  kJapanese,
  kKorean,
  kChineseSimplified,
  kChineseTraditional,
};

// What the programs need to know of a language. Adding one is a row in
// the table (settings/ui_language.cpp) and its folder of string files in
// skin/strings/TAG/; the build installs every row's files.
struct UiLanguageInfo {
  UiLanguage language;
  // Its name for VANTIX_LANGUAGE, the folder of its string files in the
  // sources and the suffix of Qt's translations ("fr", "pt_BR", "zh_TW").
  std::string_view tag;
  // The Windows language identifier that names its folder below "images/".
  std::string_view folder;
  // The locale names that choose it, separated by spaces: a language
  // ("fr") or a language and territory ("pt_BR"), which is tried first.
  std::string_view locale_names;
  // The family that draws the characters Liberation Sans lacks, chosen so
  // that Chinese and Japanese characters take their own forms; empty for
  // scripts Liberation Sans covers.
  std::string_view font_family;
};

// Every language the skin speaks, English first.
std::span<const UiLanguageInfo> UiLanguages();
const UiLanguageInfo& InfoOf(UiLanguage language);

// Looks up an environment variable; nothing when it is unset.
using EnvironmentLookup = std::function<std::optional<std::string>(std::string_view name)>;

// The process environment.
std::optional<std::string> ProcessEnvironment(std::string_view name);

// The language a locale name chooses ("fr_CA.UTF-8", "pt_BR", "zh_HK@x"):
// its language and territory, else its language; nothing for a language
// the skin does not speak ("C", "ar_EG").
std::optional<UiLanguage> LanguageOfLocale(std::string_view locale);

// VANTIX_LANGUAGE wins when it names a language the skin speaks, as a
// locale in any letter case ("fr", "PT-br", "zh_TW.UTF-8"); otherwise the
// locale that decides the language of messages (the first non-empty of
// LC_ALL, LC_MESSAGES, LANG), English when the skin does not speak it.
UiLanguage ChooseUiLanguage(const EnvironmentLookup& environment = ProcessEnvironment);

// The language's tag ("en", "de", "pt_BR"), as VANTIX_LANGUAGE spells it.
std::string_view LanguageTag(UiLanguage language);

// The skin folder of a language's string files below the program folder:
// "images/0409/strings/" (English), "images/0407/strings/" (German)...
std::string StringsFolderOf(UiLanguage language);

}  // namespace vantix
