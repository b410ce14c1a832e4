// vantixctl keys and labels: the key-name tables and the button labels.
#include <cstdio>
#include <iostream>
#include <string>

#include "assign/function_catalogue.h"
#include "assign/key_names.h"
#include "cli/cli_common.h"
#include "cli/json_out.h"
#include "macro/macro_files.h"
#include "settings/profile_store.h"
#include "settings/text_codec.h"
#include "settings/ui_text.h"

namespace vantix::cli {
namespace {

std::string UsageText(KeyCode code) {
  const std::optional<std::uint8_t> usage = KeyCodeToUsage(code);
  if (!usage) return "-";
  char hex[3];
  std::snprintf(hex, sizeof hex, "%02X", static_cast<unsigned>(*usage));
  return hex;
}

int Keys(const Context& context, const Args& args) {
  if (args.size() != 1) return Usage("keys takes no arguments");
  std::string json = "[";
  for (int c = 0; c <= 0xFF; ++c) {
    const auto code = static_cast<KeyCode>(c);
    const std::string_view english = KeyName(code, KeyLanguage::kEnglish);
    if (english.empty()) continue;
    const std::string_view german = KeyName(code, KeyLanguage::kGerman);
    if (!context.json) {
      std::cout << c << '\t' << UsageText(code) << '\t' << english << '\t' << german << '\n';
      continue;
    }
    const std::optional<std::uint8_t> usage = KeyCodeToUsage(code);
    if (json.size() > 1) json += ",\n ";
    json += JsonObject()
                .Int("code", c)
                .Raw("usage", usage ? std::to_string(*usage) : "null")
                .String("english", english)
                .String("german", german)
                .Done();
  }
  if (context.json) std::cout << json << "]\n";
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
  ProfileStore store(data_folder, live, context.io);
  store.ReloadProfiles();

  // A stale macro assignment reads as on screen; nothing is changed or saved.
  const SkinStringFiles strings =
      SkinStringFiles::InProgramFolder(*program_folder, ChooseUiLanguage(), context.io);
  const MacroSlots slots = MacroFiles(data_folder, context.io).ReadSlots();
  const auto labels = ButtonLabels(live.Profiles[static_cast<std::size_t>(*index)], strings, slots);
  if (context.json) {
    const std::vector<std::string> all(labels.begin(), labels.end());
    std::cout << JsonObject().Int("profile", *index + 1).Raw("labels", JsonStringArray(all)).Done()
              << '\n';
    return kExitOk;
  }
  for (const std::string& label : labels) std::cout << ToStrictUtf8(label) << '\n';
  return kExitOk;
}

}  // namespace

int RunKeysCommand(const Context& context, const Args& args) {
  if (args[0] == "keys") return Keys(context, args);
  return Labels(context, args);
}

}  // namespace vantix::cli
