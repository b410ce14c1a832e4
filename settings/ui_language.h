// The language of the interface, chosen at run time from the user's locale,
// and the folder of the skin's string files in that language.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vantix {

enum class UiLanguage { kEnglish, kGerman };

// Looks up an environment variable; nothing when it is unset.
using EnvironmentLookup = std::function<std::optional<std::string>(std::string_view name)>;

// The process environment.
std::optional<std::string> ProcessEnvironment(std::string_view name);

// VANTIX_LANGUAGE=en|de (in any letter case) wins; otherwise the locale that decides the language
// of messages (the first non-empty of LC_ALL, LC_MESSAGES, LANG): German for
// "de" and its variants ("de_DE.UTF-8", "de_AT"), English for anything else.
UiLanguage ChooseUiLanguage(const EnvironmentLookup& environment = ProcessEnvironment);

// "en" or "de", as VANTIX_LANGUAGE spells it.
std::string_view LanguageTag(UiLanguage language);

// The skin folder of a language's string files below the program folder:
// "images/0409/strings/" (English) or "images/0407/strings/" (German).
std::string_view StringsFolderOf(UiLanguage language);

}  // namespace vantix
