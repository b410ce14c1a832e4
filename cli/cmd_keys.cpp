// vantixctl keys and labels: the key-name tables and the button labels.
#include <cstdio>
#include <iostream>
#include <string>

#include "assign/function_catalogue.h"
#include "assign/key_names.h"
#include "assign/ui_text.h"
#include "cli/cli_common.h"
#include "macro/macro_files.h"
#include "settings/profile_store.h"
#include "settings/text_codec.h"

namespace vantix::cli {
namespace {

std::string UsageText(KeyCode code) {
  const std::optional<std::uint8_t> usage = KeyCodeToUsage(code);
  if (!usage) return "-";
  char hex[3];
  std::snprintf(hex, sizeof hex, "%02X", static_cast<unsigned>(*usage));
  return hex;
}

int Keys(const Args& args) {
  if (args.size() != 1) return Usage("keys takes no arguments");
  for (int c = 0; c <= 0xFF; ++c) {
    const auto code = static_cast<KeyCode>(c);
    const std::string_view english = KeyName(code, KeyLanguage::kEnglish);
    if (english.empty()) continue;
    std::cout << c << '\t' << UsageText(code) << '\t' << english << '\t'
              << KeyName(code, KeyLanguage::kGerman) << '\n';
  }
  return kExitOk;
}

int Labels(const Context& context, Args args) {
  const std::optional<std::string> program_folder = TakeProgramFolder(args);
  if (!program_folder) return kExitUsage;
  if (args.size() != 2) return Usage("labels N [--program-dir DIR]");
  const std::optional<int> index = ParseProfileNumber(args[1]);
  if (!index) return Usage("profile number must be 1 to 5");

  const std::string data_folder = context.DataFolder();
  SettingsBlock live;
  const ProfileStore store(data_folder, live);
  store.ReloadProfiles();

  // Stale macro assignments change in memory only, as on screen; nothing is
  // saved.
  const SkinStringFiles strings = SkinStringFiles::InProgramFolder(*program_folder);
  const MacroSlots slots = MacroFiles(data_folder).ReadSlots();
  for (const std::string& label :
       ButtonLabels(live.Profiles[static_cast<std::size_t>(*index)], strings, slots)) {
    std::cout << ToStrictUtf8(label) << '\n';
  }
  return kExitOk;
}

}  // namespace

int RunKeysCommand(const Context& context, const Args& args) {
  if (args[0] == "keys") return Keys(args);
  return Labels(context, args);
}

}  // namespace vantix::cli
