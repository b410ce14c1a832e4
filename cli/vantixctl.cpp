// vantixctl: the settings core from the shell. Exit status: 0 success, 1 a
// read reported failure, 2 usage error, 3 a file could not be written.
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/settings_json.h"
#include "settings/folders.h"
#include "settings/ini_file.h"
#include "settings/profile_store.h"

namespace {

using vantix::Status;

constexpr int kExitOk = 0;
constexpr int kExitReadFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitWriteFailed = 3;

constexpr std::string_view kUsage =
    "usage: vantixctl [--data-dir DIR] COMMAND [ARGS]\n"
    "\n"
    "Profile commands (on the five profile files of the data folder):\n"
    "  show [--raw]            print all profiles as JSON (--raw: as read, unrepaired)\n"
    "  save                    load, repair and write the five profile files\n"
    "  export N FILE           write profile N (1-5) to an exported profile file\n"
    "  import N FILE           read FILE into profile N, then save all profiles\n"
    "  reset N | reset all     factory values for profile N or all profiles, then save\n"
    "\n"
    "INI commands (any INI file, with the rules of the Windows profile API):\n"
    "  ini read-string FILE SECTION KEY [DEFAULT]\n"
    "  ini read-int FILE SECTION KEY DEFAULT\n"
    "  ini read-struct FILE SECTION KEY SIZE\n"
    "  ini write-string FILE SECTION KEY VALUE\n"
    "  ini write-int FILE SECTION KEY VALUE\n"
    "  ini write-struct FILE SECTION KEY HEX\n"
    "\n"
    "Without --data-dir the data folder is \"Corvane II Gaming Mouse\" in the\n"
    "documents folder. Exit status: 0 ok, 1 read failed, 2 usage, 3 write failed.\n";

int Usage(std::string_view problem) {
  std::cerr << "vantixctl: " << problem << "\n" << kUsage;
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

std::optional<int> ParseProfileNumber(std::string_view s) {
  const auto v = ParseDecimal(s);
  if (!v || *v < 1 || *v > vantix::kProfileCount) return std::nullopt;
  return static_cast<int>(*v) - 1;
}

std::optional<std::vector<std::uint8_t>> ParseHex(std::string_view s) {
  if (s.size() % 2 != 0) return std::nullopt;
  std::vector<std::uint8_t> bytes(s.size() / 2);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    unsigned v = 0;
    const auto [end, err] = std::from_chars(s.data() + 2 * i, s.data() + 2 * i + 2, v, 16);
    if (err != std::errc() || end != s.data() + 2 * i + 2) return std::nullopt;
    bytes[i] = static_cast<std::uint8_t>(v);
  }
  return bytes;
}

std::string ToHex(const std::vector<std::uint8_t>& bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(bytes.size() * 2);
  for (const std::uint8_t b : bytes) {
    out += kHex[b >> 4];
    out += kHex[b & 0xF];
  }
  return out;
}

int RunIni(const std::vector<std::string_view>& args) {
  if (args.empty()) return Usage("ini: missing operation");
  const std::string_view op = args[0];
  const auto want = [&](std::size_t min, std::size_t max) {
    return args.size() - 1 >= min && args.size() - 1 <= max;
  };
  if (args.size() < 4) return Usage("ini " + std::string(op) + ": missing arguments");
  vantix::IniFile file{std::string(args[1])};
  const std::string_view section = args[2];
  const std::string_view key = args[3];

  if (op == "read-string") {
    if (!want(3, 4)) return Usage("ini read-string FILE SECTION KEY [DEFAULT]");
    std::cout << file.ReadString(section, key, args.size() > 4 ? args[4] : "") << "\n";
    return kExitOk;
  }
  if (op == "read-int") {
    if (!want(4, 4)) return Usage("ini read-int FILE SECTION KEY DEFAULT");
    const auto def = ParseInt32(args[4]);
    if (!def) return Usage("ini read-int: DEFAULT must be a 32-bit decimal integer");
    std::cout << file.ReadInt(*def, section, key) << "\n";
    return kExitOk;
  }
  if (op == "read-struct") {
    if (!want(4, 4)) return Usage("ini read-struct FILE SECTION KEY SIZE");
    const auto size = ParseDecimal(args[4]);
    if (!size || *size < 0) return Usage("ini read-struct: SIZE must be a decimal byte count");
    const vantix::IniSnapshot snapshot = file.Load();
    // Check the length before allocating SIZE bytes.
    const auto raw = snapshot.Find(section, key);
    if (!raw || raw->size() < 2 || (raw->size() - 2) / 2 > static_cast<std::uint64_t>(*size) + 1) {
      return kExitReadFailed;
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(*size));
    if (!snapshot.ReadStruct(bytes.size(), bytes.data(), section, key)) return kExitReadFailed;
    std::cout << ToHex(bytes) << "\n";
    return kExitOk;
  }
  if (op == "write-string" || op == "write-int" || op == "write-struct") {
    if (!want(4, 4)) return Usage("ini " + std::string(op) + " FILE SECTION KEY VALUE");
    Status status;
    if (op == "write-string") {
      status = file.WriteString(section, key, args[4]);
    } else if (op == "write-int") {
      const auto value = ParseInt32(args[4]);
      if (!value) return Usage("ini write-int: VALUE must be a 32-bit decimal integer");
      status = file.WriteInt(section, key, *value);
    } else {
      const auto bytes = ParseHex(args[4]);
      if (!bytes) return Usage("ini write-struct: HEX must be pairs of hexadecimal digits");
      status = file.WriteStruct(bytes->size(), section, key, bytes->data());
    }
    return status.ok() ? kExitOk : WriteFailed(status);
  }
  return Usage("ini: unknown operation " + std::string(op));
}

int RunProfiles(const std::string& data_folder, const std::vector<std::string_view>& args) {
  const std::string_view command = args[0];
  vantix::SettingsBlock live;
  vantix::ProfileStore store(data_folder, live);
  const auto load = [&](bool validate) {
    vantix::SettingsBlock buffer;
    vantix::InitSettings(buffer);
    store.LoadProfiles(buffer);
    if (validate) {
      vantix::ValidateSettings(buffer, live);
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
    std::cout << vantix::SettingsToJson(live) << "\n";
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
      const Status status = vantix::ExportProfile(path, live.Profiles[*index]);
      return status.ok() ? kExitOk : WriteFailed(status);
    }
    const Status status = vantix::ImportProfile(path, live.Profiles[*index]);
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
      vantix::ResetAllProfiles(live);
      return save();
    }
    const auto index = ParseProfileNumber(args[1]);
    if (!index) return Usage("profile number must be 1 to 5, or all");
    load(true);
    vantix::ResetProfile(live, *index);
    return save();
  }
  return Usage("unknown command " + std::string(command));
}

}  // namespace

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  std::vector<std::string_view> args(argv + 1, argv + argc);
  std::optional<std::string> data_dir;
  std::size_t i = 0;
  for (; i < args.size(); ++i) {
    const std::string_view a = args[i];
    if (a == "--help" || a == "-h" || a == "help") {
      std::cout << kUsage;
      return kExitOk;
    }
    if (a == "--data-dir") {
      if (i + 1 >= args.size()) return Usage("--data-dir needs a folder");
      data_dir = std::string(args[++i]);
    } else if (a.substr(0, 11) == "--data-dir=") {
      data_dir = std::string(a.substr(11));
    } else {
      break;
    }
  }
  args.erase(args.begin(), args.begin() + static_cast<std::ptrdiff_t>(i));
  if (args.empty()) return Usage("missing command");
  if (args[0] == "ini") return RunIni({args.begin() + 1, args.end()});

  std::string folder;
  if (data_dir) {
    if (data_dir->empty()) return Usage("--data-dir needs a folder");
    folder = vantix::WithTrailingSlash(*data_dir);
  } else {
    folder = vantix::ResolveFolders().DataFolder;
  }
  return RunProfiles(folder, args);
}
