// vantixctl show, save, export, import, reset: the five profile files.
#include <iostream>
#include <string>

#include "cli/cli_common.h"
#include "cli/settings_json.h"
#include "settings/profile_store.h"

namespace vantix::cli {

int RunProfileCommand(const Context& context, const Args& args) {
  const std::string data_folder = context.DataFolder();
  const std::string_view command = args[0];
  SettingsBlock live;
  ProfileStore store(data_folder, live);
  const auto load = [&](bool validate) {
    SettingsBlock buffer;
    InitSettings(buffer);
    store.LoadProfiles(buffer);
    if (validate) {
      ValidateSettings(buffer, live);
    } else {
      live = buffer;
    }
  };
  const auto save = [&]() {
    const Status status = store.SaveProfiles();
    return status.ok() ? kExitOk : WriteFailed(status);
  };

  if (command == "show") {
    const bool raw = args.size() == 2 && args[1] == "--raw";
    if (args.size() > 2 || (args.size() == 2 && !raw)) return Usage("show [--raw]");
    load(!raw);
    std::cout << SettingsToJson(live) << "\n";
    return kExitOk;
  }
  if (command == "save") {
    if (args.size() != 1) return Usage("save takes no arguments");
    load(true);
    return save();
  }
  if (command == "export" || command == "import") {
    if (args.size() != 3) return Usage(std::string(command) + " N FILE");
    const auto index = ParseProfileNumber(args[1]);
    if (!index) return Usage("profile number must be 1 to 5");
    load(true);
    const std::string path(args[2]);
    if (command == "export") {
      const Status status = ExportProfile(path, live.Profiles[*index]);
      return status.ok() ? kExitOk : WriteFailed(status);
    }
    const Status status = ImportProfile(path, live.Profiles[*index]);
    if (!status.ok()) {
      std::cerr << "vantixctl: " << status.reason() << "\n";
      return kExitReadFailed;
    }
    return save();
  }
  if (command == "reset") {
    if (args.size() != 2) return Usage("reset N | reset all");
    if (args[1] == "all") {
      load(true);
      ResetAllProfiles(live);
      return save();
    }
    const auto index = ParseProfileNumber(args[1]);
    if (!index) return Usage("profile number must be 1 to 5, or all");
    load(true);
    ResetProfile(live, *index);
    return save();
  }
  return Usage("unknown command " + std::string(command));
}

}  // namespace vantix::cli
