// vantixctl program ...: the rules that bind programs to profiles
// (programs.ini). A running agent is told at once and serves what they say
// for the program in front.
#include <iostream>
#include <string>

#include "cli/cli_common.h"
#include "cli/json_out.h"
#include "devicelink/agent_messages.h"
#include "devicelink/program_rules.h"

namespace vantix::cli {
namespace {

int List(const std::string& path, bool json, FileIo& io) {
  const ProgramRules rules = ReadProgramRules(path, io);
  if (!rules.problem.empty()) std::cerr << "vantixctl: " << rules.problem << '\n';
  if (json) {
    std::string items = "[";
    for (const ProgramRule& rule : rules.rules) {
      if (items.size() > 1) items += ", ";
      items += JsonObject().String("program", rule.program).Int("profile", rule.profile).Done();
    }
    std::cout << JsonObject().Raw("programs", items + "]").Done() << '\n';
  } else {
    for (const ProgramRule& rule : rules.rules) std::cout << rule.program << '\t' << rule.profile << '\n';
  }
  return rules.problem.empty() ? kExitOk : kExitReadFailed;
}

}  // namespace

int RunProgramCommand(const Context& context, const Args& args) {
  if (args.size() < 2) return Usage("program list | set NAME PROFILE | remove NAME");
  const std::string_view what = args[1];
  const std::optional<std::string> path = ProgramRulesPath();
  if (!path) {
    std::cerr << "vantixctl: no home folder for the program rules\n";
    return kExitReadFailed;
  }
  if (what == "list") {
    if (args.size() != 2) return Usage("program list");
    return List(*path, context.json, context.io);
  }
  if (what == "set") {
    if (args.size() != 4) return Usage("program set NAME PROFILE");
    const auto profile = ParseDecimal(args[3]);
    if (!profile || *profile < 1 || *profile > 5) return Usage("program set: PROFILE must be 1 to 5");
    if (const std::string problem = ProgramNameProblem(args[2]); !problem.empty()) {
      return Usage("program set: " + problem);
    }
    if (const Status status = SetProgramRule(*path, args[2], static_cast<int>(*profile), context.io); !status.ok()) {
      return WriteFailed(status);
    }
    return TellAgent(kAgentControlProgramRules);
  }
  if (what == "remove") {
    if (args.size() != 3) return Usage("program remove NAME");
    bool removed = false;
    if (const Status status = RemoveProgramRule(*path, args[2], removed, context.io); !status.ok()) {
      return WriteFailed(status);
    }
    if (!removed) {
      std::cerr << "vantixctl: no rule for " << args[2] << '\n';
      return kExitReadFailed;
    }
    return TellAgent(kAgentControlProgramRules);
  }
  return Usage("program: unknown operation " + std::string(what));
}

}  // namespace vantix::cli
