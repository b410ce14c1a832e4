#include "cli/cli_common.h"

#include <charconv>
#include <iostream>

#include "settings/folders.h"
#include "settings/settings_block.h"

namespace vantix::cli {

const std::string_view kUsageText =
    "usage: vantixctl [--data-dir DIR] [--json] COMMAND [ARGS]\n"
    "       vantixctl --version\n"
    "\n"
    "Profile commands (on the five profile files of the data folder):\n"
    "  show [--raw]            print all profiles as JSON (--raw: as read, unrepaired)\n"
    "  save                    load, repair and write the five profile files\n"
    "  export N FILE           write profile N (1-5) to an exported profile file\n"
    "  import N FILE           read FILE into profile N, then save that profile\n"
    "  reset N | reset all     factory values for profile N or all profiles, then save\n"
    "  apply                   save, then tell the device agent to apply the profiles\n"
    "\n"
    "Device agent commands:\n"
    "  agent status            whether the agent runs and the mouse is connected\n"
    "  agent stop              stop the agent; it lets go of the mouse first\n"
    "  agent device list       the pointing devices, and which one is served\n"
    "  agent device use PATH|NAME|none\n"
    "                          the mouse to serve (kept across restarts)\n"
    "  agent device resolution DPI\n"
    "                          the mouse's own resolution (default: udev's, else\n"
    "                          the active stage's when first served)\n"
    "  agent connect | agent disconnect\n"
    "  agent simulate press N | agent simulate release N\n"
    "                          press or release button N (1-12)\n"
    "  agent event KIND VALUE  the agent reports a device-side change to the window\n"
    "                          (connect, disconnect, simulate: the simulated mouse only)\n"
    "\n"
    "Program commands (the profile follows the program in front):\n"
    "  program list            the rules: program, tab, profile, one a line\n"
    "  program set NAME PROFILE\n"
    "                          serve PROFILE (1-5) while program NAME is in front\n"
    "  program remove NAME     forget the rule of program NAME\n"
    "\n"
    "INI commands (any INI file, with the rules of the Windows profile API):\n"
    "  ini read-string FILE SECTION KEY [DEFAULT]\n"
    "  ini read-int FILE SECTION KEY DEFAULT\n"
    "  ini read-struct FILE SECTION KEY SIZE\n"
    "  ini write-string FILE SECTION KEY VALUE\n"
    "  ini write-int FILE SECTION KEY VALUE\n"
    "  ini write-struct FILE SECTION KEY HEX\n"
    "\n"
    "Key and label commands:\n"
    "  keys                    every named key code: code, HID usage, English and\n"
    "                          German name, separated by tabs\n"
    "  labels N [--program-dir DIR]\n"
    "                          the twelve button labels of profile N (1-5)\n"
    "\n"
    "Macro commands (on the folder MacroDB of the data folder):\n"
    "  macro list              the macro names in slot order\n"
    "  macro show NAME [--program-dir DIR]\n"
    "                          the events of a macro as the macro editor lists them\n"
    "  macro new NAME          create an empty macro\n"
    "  macro delete NAME       delete a macro; later macros move up one slot\n"
    "\n"
    "Without --data-dir the data folder is \"Corvane II Gaming Mouse\" in the\n"
    "documents folder. Texts of labels and events come from the skin strings in\n"
    "the user's language (VANTIX_LANGUAGE, else LC_ALL, LC_MESSAGES, LANG)\n"
    "of --program-dir DIR, by default of the folder of vantixctl. --json (or\n"
    "--format json) prints macro list, macro show, labels, keys, agent status\n"
    "and agent device list as one JSON document.\n"
    "Exit status: 0 ok, 1 read failed or refused, 2 usage, 3 write failed.\n";

std::string Context::DataFolder() const {
  if (data_dir) return WithTrailingSlash(*data_dir);
  return ResolveFolders(SystemFolderEnvironment(),
                        create_data_folder ? FolderCreation::kCreate : FolderCreation::kLookOnly)
      .DataFolder;
}

namespace {
std::string& UsageCommand() {
  static std::string word;
  return word;
}
}  // namespace

void SetUsageCommand(std::string_view word) { UsageCommand() = std::string(word); }

int Usage(std::string_view problem) {
  const std::string& word = UsageCommand();
  std::cerr << "vantixctl: " << problem << "; see vantixctl " << (word.empty() ? "" : word + " ")
            << "--help\n";
  return kExitUsage;
}

int WriteFailed(const Status& status) {
  std::cerr << "vantixctl: " << status.reason() << "\n";
  return kExitWriteFailed;
}

std::optional<std::int64_t> ParseDecimal(std::string_view s) {
  std::int64_t v = 0;
  if (s.empty()) return std::nullopt;
  const auto [end, err] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (err != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return v;
}

std::optional<std::int32_t> ParseInt32(std::string_view s) {
  const auto v = ParseDecimal(s);
  if (!v || *v < INT32_MIN || *v > INT32_MAX) return std::nullopt;
  return static_cast<std::int32_t>(*v);
}

std::optional<std::string> TakeProgramFolder(Args& args) {
  constexpr std::string_view kOption = "--program-dir";
  std::optional<std::string> folder;
  for (std::size_t i = 0; i < args.size();) {
    const std::string_view a = args[i];
    if (a == kOption) {
      if (i + 1 >= args.size() || args[i + 1].empty()) {
        Usage("--program-dir needs a folder");
        return std::nullopt;
      }
      folder = std::string(args[i + 1]);
      args.erase(args.begin() + static_cast<std::ptrdiff_t>(i),
                 args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
    } else if (a.substr(0, kOption.size() + 1) == "--program-dir=") {
      if (a.size() == kOption.size() + 1) {
        Usage("--program-dir needs a folder");
        return std::nullopt;
      }
      folder = std::string(a.substr(kOption.size() + 1));
      args.erase(args.begin() + static_cast<std::ptrdiff_t>(i));
    } else {
      ++i;
    }
  }
  if (folder) return WithTrailingSlash(*folder);
  // The program folder without ResolveFolders, which would also create the
  // data folder in the documents folder.
  const std::string executable = SystemFolderEnvironment().executable;
  const std::size_t slash = executable.find_last_of('/');
  return slash == std::string::npos ? std::string("./") : executable.substr(0, slash + 1);
}

std::optional<int> ParseProfileNumber(std::string_view s) {
  const auto v = ParseDecimal(s);
  if (!v || *v < 1 || *v > kProfileCount) return std::nullopt;
  return static_cast<int>(*v) - 1;
}

}  // namespace vantix::cli
