// vantixctl: the core library from the shell. Exit status: 0 success, 1 a
// read reported failure, 2 usage error, 3 a file could not be written.
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

int Ini(const Context&, const Args& args) {
  return vantix::cli::RunIniCommand(Args(args.begin() + 1, args.end()));
}

constexpr Command kCommands[] = {
    {"show", vantix::cli::RunProfileCommand},   {"save", vantix::cli::RunProfileCommand},
    {"export", vantix::cli::RunProfileCommand}, {"import", vantix::cli::RunProfileCommand},
    {"reset", vantix::cli::RunProfileCommand},  {"ini", Ini},
    {"apply", vantix::cli::RunApplyCommand},    {"agent", vantix::cli::RunAgentCommand},
    {"keys", vantix::cli::RunKeysCommand},      {"labels", vantix::cli::RunKeysCommand},
    {"macro", vantix::cli::RunMacroCommand},
};

}  // namespace

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  Args args(argv + 1, argv + argc);
  Context context;
  std::size_t i = 0;
  for (; i < args.size(); ++i) {
    const std::string_view a = args[i];
    if (a == "--help" || a == "-h" || a == "help") {
      std::cout << vantix::cli::kUsageText;
      return vantix::cli::kExitOk;
    }
    if (a == "--data-dir") {
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
  for (const Command& command : kCommands) {
    if (args[0] == command.word) return command.run(context, args);
  }
  return vantix::cli::Usage("unknown command " + std::string(args[0]));
}
