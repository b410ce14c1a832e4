// vantixctl: the core library from the shell. Exit status: 0 success, 1 a
// read reported failure, 2 usage error, 3 a file could not be written.
#include <algorithm>
#include <iostream>
#include <string>
#include <string_view>

#include "cli/cli_common.h"

namespace {

using vantix::cli::Args;
using vantix::cli::Context;

struct Command {
  std::string_view word;
  int (*run)(const Context&, const Args&);
};

// The commands (and macro operations) that write into the data folder, and
// so may create it; every other command leaves no trace.
bool WritesDataFolder(const Args& args) {
  constexpr std::string_view kWriters[] = {"save", "import", "reset", "apply"};
  if (std::find(std::begin(kWriters), std::end(kWriters), args[0]) != std::end(kWriters)) return true;
  return args[0] == "macro" && args.size() > 1 && (args[1] == "new" || args[1] == "delete");
}

// Commands whose output a script may ask for as JSON.
bool SpeaksJson(std::string_view word) {
  return word == "macro" || word == "labels" || word == "keys" || word == "agent" || word == "program";
}

enum class FormatOption { kNone, kJson, kText, kBad };

// "--json", "--format json|text" or "--format=json|text" at args[i]; how many
// words it took (0 when it is none of them).
std::size_t TakeFormatAt(const Args& args, std::size_t i, FormatOption& format) {
  const std::string_view a = args[i];
  std::string_view value;
  std::size_t taken = 1;
  if (a == "--json") {
    value = "json";
  } else if (a == "--format") {
    if (i + 1 >= args.size()) {
      format = FormatOption::kBad;
      return 1;
    }
    value = args[i + 1];
    taken = 2;
  } else if (a.substr(0, 9) == "--format=") {
    value = a.substr(9);
  } else {
    return 0;
  }
  format = value == "json" ? FormatOption::kJson : value == "text" ? FormatOption::kText : FormatOption::kBad;
  return taken;
}

int Ini(const Context& context, const Args& args) {
  return vantix::cli::RunIniCommand(context.io, Args(args.begin() + 1, args.end()));
}

constexpr Command kCommands[] = {
    {"show", vantix::cli::RunProfileCommand},   {"save", vantix::cli::RunProfileCommand},
    {"export", vantix::cli::RunProfileCommand}, {"import", vantix::cli::RunProfileCommand},
    {"reset", vantix::cli::RunProfileCommand},  {"ini", Ini},
    {"apply", vantix::cli::RunApplyCommand},    {"agent", vantix::cli::RunAgentCommand},
    {"keys", vantix::cli::RunKeysCommand},      {"labels", vantix::cli::RunKeysCommand},
    {"macro", vantix::cli::RunMacroCommand},    {"program", vantix::cli::RunProgramCommand},
};

}  // namespace

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  Args args(argv + 1, argv + argc);
  // No window to keep responsive: vantixctl waits patiently for other writers.
  Context context{vantix::SystemFileIo(), /*data_dir=*/{}};
  std::size_t i = 0;
  for (; i < args.size(); ++i) {
    const std::string_view a = args[i];
    if (a == "--help" || a == "-h" || a == "help") {
      std::cout << vantix::cli::kUsageText;
      return vantix::cli::kExitOk;
    }
    if (a == "--version") {
      std::cout << "vantixctl " VANTIX_VERSION "\n";
      return vantix::cli::kExitOk;
    }
    FormatOption format = FormatOption::kNone;
    if (const std::size_t taken = TakeFormatAt(args, i, format); taken > 0) {
      if (format == FormatOption::kBad) return vantix::cli::Usage("--format takes json or text");
      context.json = format == FormatOption::kJson;
      i += taken - 1;
    } else if (a == "--data-dir") {
      if (i + 1 >= args.size() || args[i + 1].empty()) {
        return vantix::cli::Usage("--data-dir needs a folder");
      }
      context.data_dir = std::string(args[++i]);
    } else if (a.substr(0, 11) == "--data-dir=") {
      if (a.size() == 11) return vantix::cli::Usage("--data-dir needs a folder");
      context.data_dir = std::string(a.substr(11));
    } else {
      break;
    }
  }
  args.erase(args.begin(), args.begin() + static_cast<std::ptrdiff_t>(i));
  if (args.empty()) return vantix::cli::Usage("missing command");
  if (const auto help = vantix::cli::HelpFor(args)) {
    std::cout << *help;
    return vantix::cli::kExitOk;
  }
  // The format may also follow the command, where a command prints JSON.
  if (SpeaksJson(args[0])) {
    for (std::size_t k = 1; k < args.size();) {
      FormatOption format = FormatOption::kNone;
      const std::size_t taken = TakeFormatAt(args, k, format);
      if (taken == 0) {
        ++k;
        continue;
      }
      if (format == FormatOption::kBad) return vantix::cli::Usage("--format takes json or text");
      context.json = format == FormatOption::kJson;
      args.erase(args.begin() + static_cast<std::ptrdiff_t>(k),
                 args.begin() + static_cast<std::ptrdiff_t>(k + taken));
    }
  }
  context.create_data_folder = WritesDataFolder(args);
  for (const Command& command : kCommands) {
    if (args[0] == command.word) {
      vantix::cli::SetUsageCommand(command.word);
      return command.run(context, args);
    }
  }
  return vantix::cli::Usage("unknown command " + std::string(args[0]));
}
