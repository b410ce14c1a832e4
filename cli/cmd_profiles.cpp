// vantixctl show, save, export, import, reset: the five profile files.
#include <iostream>
#include <string>

#include "cli/cli_common.h"
#include "cli/settings_json.h"
#include "settings/profile_store.h"

namespace vantix::cli {
namespace {

void ReportDamaged(const ProfileLoad& load) {
  for (const std::string& path : load.damaged) {
    std::cerr << "vantixctl: " << path << " is damaged (larger than "
              << kMaxDataFileBytes / 1024 << " KiB): read as defaults; the next save moves it aside\n";
  }
}

}  // namespace

int RunProfileCommand(const Context& context, const Args& args) {
  const std::string data_folder = context.DataFolder();
  const std::string_view command = args[0];
  SettingsBlock live;
  ProfileStore store(data_folder, live, context.io);
  const auto load = [&](bool validate) {
    SettingsBlock buffer;
    InitSettings(buffer);
    const ProfileLoad loaded = store.LoadProfiles(buffer);
    ReportDamaged(loaded);
    if (validate) {
      ValidateSettings(buffer, live);
    } else {
      live = buffer;
    }
    return loaded;
  };
  const auto written = [](const Status& status) {
    return status.ok() ? kExitOk : WriteFailed(status);
  };

  if (command == "show") {
    const bool raw = args.size() == 2 && args[1] == "--raw";
    if (args.size() > 2 || (args.size() == 2 && !raw)) return Usage("show [--raw]");
    const ProfileLoad loaded = load(!raw);
    std::cout << SettingsToJson(live) << "\n";
    return loaded.any_damaged() ? kExitReadFailed : kExitOk;
  }
  if (command == "export") {
    if (args.size() != 3) return Usage("export N FILE");
    const auto index = ParseProfileNumber(args[1]);
    if (!index) return Usage("profile number must be 1 to 5");
    load(true);
    return written(ExportProfile(std::string(args[2]), live.Profiles[*index], context.io));
  }

  // The changing commands read, change and write as one step under the data
  // folder's lock, so that no other writer's change falls between.
  int index = -1;  // the one profile changed, or -1 for all
  if (command == "save") {
    if (args.size() != 1) return Usage("save takes no arguments");
  } else if (command == "import") {
    if (args.size() != 3) return Usage("import N FILE");
    const auto number = ParseProfileNumber(args[1]);
    if (!number) return Usage("profile number must be 1 to 5");
    index = *number;
  } else if (command == "reset") {
    if (args.size() != 2) return Usage("reset N | reset all");
    if (args[1] != "all") {
      const auto number = ParseProfileNumber(args[1]);
      if (!number) return Usage("profile number must be 1 to 5, or all");
      index = *number;
    }
  } else {
    return Usage("unknown command " + std::string(command));
  }

  const FolderLock lock = store.Lock();
  if (!lock.held()) return WriteFailed(lock.status());
  load(true);
  if (command == "import") {
    const Status status = ImportProfile(std::string(args[2]), live.Profiles[index], context.io);
    if (!status.ok()) {
      std::cerr << "vantixctl: " << status.reason() << "\n";
      return kExitReadFailed;
    }
  } else if (command == "reset") {
    if (index < 0) {
      ResetAllProfiles(live);
    } else {
      ResetProfile(live, index);
    }
  }
  return written(index < 0 ? store.SaveProfiles() : store.SaveProfile(index));
}

}  // namespace vantix::cli
